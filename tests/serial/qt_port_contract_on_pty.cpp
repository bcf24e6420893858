// The SerialComm contract, run against the QSerialPort backend on a pseudo-terminal.
#include "PortContract.h"
#include "support/PtyPair.h"
#include "serial/QtSerialComm.h"

#include <QTest>

using namespace quillon;
using namespace quillon::test;

namespace {

class PtyFixture : public PortFixture {
public:
    PtyFixture() : m_port([this](int) { return m_pty.SlavePath(); }) {}
    bool Valid() const { return m_pty.Valid(); }
    SerialComm &Port() override { return m_port; }
    int FarBaud() override { return m_pty.SlaveSpeed(); }
    std::optional<FarLines> FarOutputLines() override { return std::nullopt; }
    void SendToPort(const QByteArray &bytes) override { m_pty.Write(bytes); }
    QByteArray TakeFarReceived() override { return m_pty.ReadAvailable(); }
    void Step() override { QTest::qWait(2); }

private:
    PtyPair m_pty;
    QtSerialComm m_port;
};

} // namespace

int main(int argc, char **argv)
{
    return RunPortContract(argc, argv, []() -> std::unique_ptr<PortFixture> {
        auto fixture = std::make_unique<PtyFixture>();
        if (!fixture->Valid())
            return nullptr;
        return fixture;
    });
}
