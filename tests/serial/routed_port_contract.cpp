// The SerialComm contract, run against the routed port leading to the simulated module.
#include "PortContract.h"
#include "serial/RoutedSerialComm.h"
#include "support/ScriptedPeer.h"
#include "serial/SimSerialComm.h"

using namespace quillon;
using namespace quillon::test;

namespace {

class RoutedSimFixture : public PortFixture {
public:
    RoutedSimFixture()
    {
        m_port.Simulated().SetClock([this] { return m_now; });
    }
    SerialComm &Port() override { return m_port; }
    int FarBaud() override
    {
        m_port.InBufferCount();
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
    RoutedSerialComm m_port{[](int port) { return PortTargetFromValue(port, "simulator"); }, &m_peer};
};

} // namespace

int main(int argc, char **argv)
{
    return RunPortContract(argc, argv, [] { return std::make_unique<RoutedSimFixture>(); });
}
