#pragma once
// Behaviour every SerialComm backend owes the window, run against each backend through a
// fixture that also shows what arrived at the far end of its cable.

#include "serial/SerialComm.h"

#include <QObject>

#include <functional>
#include <memory>
#include <optional>

namespace quillon::test {

struct FarLines {
    bool dtr = false;
    bool rts = false;
};

class PortFixture {
public:
    virtual ~PortFixture() = default;
    virtual SerialComm &Port() = 0;
    /// The speed the far end / device is set to while the port is open.
    virtual int FarBaud() = 0;
    /// DTR/RTS as the far end sees them; empty when the device has no modem lines.
    virtual std::optional<FarLines> FarOutputLines() = 0;
    /// Puts bytes on the line towards the port.
    virtual void SendToPort(const QByteArray &bytes) = 0;
    /// Returns and removes what the far end has received so far.
    virtual QByteArray TakeFarReceived() = 0;
    /// Lets a little time pass (a simulated clock step or a short real wait with events).
    virtual void Step() = 0;
};

using FixtureFactory = std::function<std::unique_ptr<PortFixture>()>;

class PortContractTest : public QObject {
    Q_OBJECT
public:
    explicit PortContractTest(FixtureFactory make) : m_make(std::move(make)) {}

private slots:
    void init();
    void cleanup();

    void settingsHeldWhileClosedApplyAtOpen();
    void settingsChangeWhileOpenReachesDevice();
    void rejectedSettingsKeepEarlier_data();
    void rejectedSettingsKeepEarlier();
    void outputLinesHeldWhileClosedApplyAtOpen();
    void outputLinesFollowWhileOpen();
    void ioOnClosedPortThrowsPortNotOpen_data();
    void ioOnClosedPortThrowsPortNotOpen();
    void inputEmptyWhenNoneWait();
    void inputLinesReadFalseWhileClosed();
    void openTwiceThrowsAndStaysOpen();
    void closeIsQuietAndRepeatable();
    void bytesPassBothWaysInOrder();
    void reopenStartsWithEmptyInput();

private:
    QByteArray FarReceiveAtLeast(qsizetype count);
    QByteArray PortInputAtLeast(qsizetype count);

    FixtureFactory m_make;
    std::unique_ptr<PortFixture> m_fixture;
};

/// Runs the contract with `make` as the fixture factory; for a test executable's main.
int RunPortContract(int argc, char **argv, FixtureFactory make);

} // namespace quillon::test
