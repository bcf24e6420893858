#pragma once
// The serial-port component every part of the window talks to. Two implementations:
// QtSerialComm (a real device through QSerialPort) and SimSerialComm (an in-process peer).
// RoutedSerialComm picks one of them at each open from the port mapping.

#include "serial/PortActivity.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <stdexcept>

namespace quillon {

/// Error numbers raised by the component. The window shows StandardErrorText(number).
namespace CommErrorNumber {
inline constexpr int InvalidSettings = 380;   ///< settings string refused; earlier settings stay
inline constexpr int PortAlreadyOpen = 8005;  ///< PortOpen = true on an open port
inline constexpr int PortAbsent = 8002;       ///< no such device
inline constexpr int PortBusy = 8010;         ///< device held by another program
inline constexpr int PermissionDenied = 8015; ///< no access right to the device
inline constexpr int PortNotOpen = 8012;      ///< I/O on a closed port
inline constexpr int DeviceIoError = 8020;    ///< read/write failed, device gone
inline constexpr int OpenFailed = 8099;       ///< any other open failure
} // namespace CommErrorNumber

/// Codes reported by CommEvent() while OnComm is raised.
namespace CommEventCode {
inline constexpr int None = 0;
inline constexpr int CtsChanged = 3;
inline constexpr int DsrChanged = 4;
inline constexpr int CdChanged = 5;
inline constexpr int DeviceLost = 1100; ///< the device vanished while open; the port is now closed
} // namespace CommEventCode

/// Exception carrying a component error number and the component's own description.
class CommError : public std::runtime_error {
public:
    CommError(int number, const QString &text)
        : std::runtime_error(text.toStdString()), m_number(number), m_text(text) {}
    int number() const { return m_number; }
    QString text() const { return m_text; }

private:
    int m_number;
    QString m_text;
};

/// Runs one call into the component and reports its failure as false instead of an exception:
/// for the steps whose failure the caller expects and skips.
template <typename Call>
bool Attempt(Call &&call)
{
    try {
        call();
        return true;
    } catch (const CommError &) {
        return false;
    }
}

/// The standard, user-facing text for an error number (Chinese, says what to fix).
/// Unknown numbers get a generic text.
QString StandardErrorText(int number);

/// Parses "<speed>,N,8,1" strictly. Returns the speed, or 0 when the text is malformed or the
/// speed is not one the component supports.
int ParseSettingsSpeed(const QString &settings);

class SerialComm : public QObject {
    Q_OBJECT
public:
    static constexpr int kOutBufferSize = 512;

    using QObject::QObject;
    ~SerialComm() override = default;

    /// Port number 1..6; read at the next open.
    virtual void SetCommPort(int port) = 0;
    virtual int CommPort() const = 0;

    /// Applies at once when open, held for the next open when closed.
    /// Throws CommError(InvalidSettings) for a string it cannot apply; earlier settings stay.
    virtual void SetSettings(const QString &settings) = 0;
    virtual QString Settings() const = 0;

    /// true opens (throws CommError on failure, port stays closed); false closes (never throws).
    virtual void SetPortOpen(bool open) = 0;
    virtual bool PortOpen() const = 0;

    /// Open-time values. Only the values the window sets (0, 1, 0, 0, 0) are supported.
    virtual void SetInputLen(int) {}
    virtual void SetInputMode(int) {}
    virtual void SetHandshaking(int) {}
    virtual void SetRThreshold(int) {}
    virtual void SetSThreshold(int) {}

    /// Bytes waiting to be read. Throws CommError(PortNotOpen) when closed.
    virtual int InBufferCount() = 0;
    /// Returns and removes every waiting byte, in arrival order; empty when none wait.
    virtual QByteArray Input() = 0;
    /// Queues bytes for sending and returns at once. Throws CommError when closed or on failure.
    virtual void Output(const QByteArray &bytes) = 0;
    int OutBufferSize() const { return kOutBufferSize; }
    /// Bytes not yet transmitted; 0 when all have gone out.
    virtual int OutBufferCount() = 0;

    /// Asserted at once when open, held for the next open when closed; reading returns the last
    /// value set.
    virtual void SetDTREnable(bool enable) = 0;
    virtual bool DTREnable() const = 0;
    virtual void SetRTSEnable(bool enable) = 0;
    virtual bool RTSEnable() const = 0;

    /// Input lines. A closed port, or a device that cannot report lines, reads false.
    virtual bool DSRHolding() = 0;
    virtual bool CTSHolding() = 0;
    virtual bool CDHolding() = 0;

    /// Code of the event being reported by OnComm (CommEventCode).
    virtual int CommEvent() const = 0;

    /// Everything that happens on this port (bytes both ways, open, close, loss, speed, lines),
    /// for any number of listeners.
    PortActivity &Activity() { return *m_activity; }
    /// Makes this component publish into `activity` instead of its own stream: a component that
    /// wraps others lets its backends publish into its stream.
    void PublishInto(PortActivity &activity) { m_activity = &activity; }

Q_SIGNALS:
    /// Raised on the user-interface thread for line changes and errors.
    void OnComm();

private:
    PortActivity m_ownActivity;
    PortActivity *m_activity = &m_ownActivity;
};

} // namespace quillon
