// The SerialComm contract, run against the simulated port with a scripted far end.
#include "PortContract.h"
#include "support/ScriptedPeer.h"
#include "serial/SimSerialComm.h"

using namespace quillon;
using namespace quillon::test;

namespace {

class SimFixture : public PortFixture {
public:
    SimFixture()
    {
        m_port.SetClock([this] { return m_now; });
    }
    SerialComm &Port() override { return m_port; }
    int FarBaud() override
    {
        m_port.InBufferCount(); // the peer learns the host's speed from each read
        return m_peer.HostBaud();
    }
    std::optional<FarLines> FarOutputLines() override
    {
        return FarLines{m_peer.HostDtr(), m_peer.HostRts()};
    }
    void SendToPort(const QByteArray &bytes) override { m_peer.QueueForHost(bytes, m_now); }
    QByteArray TakeFarReceived() override
    {
        const QByteArray all = m_peer.AllReceived();
        m_peer.ClearReceived();
        return all;
    }
    void Step() override { m_now += 20; }

private:
    qint64 m_now = 1000;
    ScriptedPeer m_peer;
    SimSerialComm m_port{&m_peer};
};

} // namespace

int main(int argc, char **argv)
{
    return RunPortContract(argc, argv, [] { return std::make_unique<SimFixture>(); });
}
