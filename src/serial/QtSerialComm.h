#pragma once
// SerialComm on a real device through QSerialPort: always 8N1 without flow control.
//
// Reception: QSerialPort fills its own buffer from the event loop; InBufferCount and Input also
// fetch what already sits in the system's buffer, so two calls without the event loop in between
// still see every byte that has arrived.
// Transmission: OutBufferCount is what QSerialPort still holds plus, on Unix, the driver's output
// queue, so 0 means the bytes are on the wire. It also pushes held bytes to the driver.
// Modem lines: a device that cannot report them (a pseudo-terminal) reads all false; the first
// failure is remembered until the next open so polling stays quiet.
// Device loss: a read, write or resource error while open, confirmed by the device no longer
// answering (on Unix: tcgetattr fails), closes the port, sets CommEvent to DeviceLost and raises
// OnComm once from the event loop. Bytes received before the loss are still returned by Input.

#include "serial/PortMap.h"
#include "serial/SerialCommBase.h"

#include <functional>

QT_BEGIN_NAMESPACE
class QSerialPort;
QT_END_NAMESPACE

namespace quillon {

class QtSerialComm : public SerialCommBase {
    Q_OBJECT
public:
    /// `deviceForPort` names the device of port n; it is asked at every open.
    explicit QtSerialComm(std::function<QString(int port)> deviceForPort = DefaultDeviceName,
                          QObject *parent = nullptr);
    ~QtSerialComm() override;

    /// The device of the latest open attempt.
    QString DeviceName() const { return m_deviceName; }

protected:
    /// Failures: PortAbsent (no such device), PortBusy (held by another program), PermissionDenied,
    /// InvalidSettings (the device refuses the held speed), OpenFailed (anything else, e.g. the
    /// path is not a serial device).
    QString DeviceDescription() const override { return m_deviceName; }
    void DeviceOpen() override;
    void DeviceClose() override;
    void DeviceSetBaud(int baud) override;
    void DeviceSetDtr(bool asserted) override;
    void DeviceSetRts(bool asserted) override;
    InputLineStates DeviceLines() override;
    int DeviceInBufferCount() override;
    QByteArray DeviceInput() override;
    void DeviceOutput(const QByteArray &bytes) override;
    int DeviceOutBufferCount() override;

private:
    void OnPortError(int error);
    void CheckForLoss();
    bool DeviceGone() const;
    void FetchWaitingBytes();
    void SetOutputLine(bool dtr, bool asserted);

    std::function<QString(int)> m_deviceForPort;
    QSerialPort *m_serial = nullptr;
    QString m_deviceName;
    bool m_linesUnavailable = false;
    bool m_outputLinesUnavailable = false;
    bool m_lossSuspected = false;
    bool m_lossCheckQueued = false;
};

} // namespace quillon
