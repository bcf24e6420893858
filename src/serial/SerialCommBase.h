#pragma once
// Held state shared by the SerialComm backends: the port number, settings, DTR/RTS and the
// open-time values live here whether the port is open or not; a backend only touches its device
// through the hooks below.
//
// Before the first open: port 1, "9600,N,8,1", DTR asserted, RTS dropped, InputMode 0 and the
// other open-time values 0. DTR starts asserted because the window never sets it at open, and a
// module configured to hang up or ignore commands on a dropped DTR must work right after an open.
// The input lines read false while the port is closed.

#include "serial/SerialComm.h"

namespace quillon {

/// DSR, CTS and CD as the device reports them.
struct InputLineStates {
    bool dsr = false;
    bool cts = false;
    bool cd = false;
    bool operator==(const InputLineStates &) const = default;
};

class SerialCommBase : public SerialComm {
    Q_OBJECT
public:
    explicit SerialCommBase(QObject *parent = nullptr);

    /// 1..255; other numbers throw CommError(PortAbsent). Allowed while open; used at the next open.
    void SetCommPort(int port) override;
    int CommPort() const override { return m_port; }

    /// Accepts what ParseSettingsSpeed accepts and keeps it in the form "<speed>,N,8,1".
    void SetSettings(const QString &settings) override;
    QString Settings() const override { return m_settings; }
    /// Speed of the held settings in bits per second.
    int Baud() const { return m_baud; }

    /// Opening an open port throws CommError(PortAlreadyOpen); closing a closed one does nothing.
    void SetPortOpen(bool open) override;
    bool PortOpen() const override { return m_open; }

    /// Unsupported values throw CommError(InvalidSettings) and leave the held value.
    /// InputLen 0 (read everything), InputMode 0 or 1 (both return bytes), Handshaking 0,
    /// RThreshold 0 and SThreshold 0 are supported: the component raises no data events.
    void SetInputLen(int value) override;
    void SetInputMode(int value) override;
    void SetHandshaking(int value) override;
    void SetRThreshold(int value) override;
    void SetSThreshold(int value) override;
    int InputLen() const { return m_inputLen; }
    int InputMode() const { return m_inputMode; }
    int Handshaking() const { return m_handshaking; }
    int RThreshold() const { return m_rThreshold; }
    int SThreshold() const { return m_sThreshold; }

    int InBufferCount() override;
    QByteArray Input() override;
    void Output(const QByteArray &bytes) override;
    int OutBufferCount() override;

    void SetDTREnable(bool enable) override;
    bool DTREnable() const override { return m_dtr; }
    void SetRTSEnable(bool enable) override;
    bool RTSEnable() const override { return m_rts; }

    /// Reading a line that changed since the last read raises the matching OnComm event.
    bool DSRHolding() override;
    bool CTSHolding() override;
    bool CDHolding() override;

    /// The code of the latest event; CommEventCode::None until the first one.
    int CommEvent() const override { return m_commEvent; }

protected:
    // Device hooks. They run only in the state named; the base keeps the held values.

    /// Closed: open the device for port CommPort() at Baud(), 8N1, no flow control, and set DTR
    /// and RTS to DTREnable()/RTSEnable(). Throws CommError and leaves the device closed on failure.
    virtual void DeviceOpen() = 0;
    /// Open: close the device, dropping buffered data. Never throws.
    virtual void DeviceClose() = 0;
    /// Open: change the speed. Throws CommError(InvalidSettings) and keeps the earlier speed when
    /// the device refuses it.
    virtual void DeviceSetBaud(int baud) = 0;
    /// Open: assert or drop an output line. A device without modem lines ignores it.
    virtual void DeviceSetDtr(bool asserted) = 0;
    virtual void DeviceSetRts(bool asserted) = 0;
    /// Open. A device that cannot report lines answers all false.
    virtual InputLineStates DeviceLines() = 0;
    /// Open. These may find the device gone and call DeviceLost(); they then answer with what
    /// they already hold (0, empty) instead of throwing.
    virtual int DeviceInBufferCount() = 0;
    virtual QByteArray DeviceInput() = 0;
    virtual void DeviceOutput(const QByteArray &bytes) = 0;
    virtual int DeviceOutBufferCount() = 0;

    /// What the port leads to, for the open event: a device path, or "simulator".
    virtual QString DeviceDescription() const = 0;

    /// The device vanished while open: closes it, marks the port closed, sets CommEvent to
    /// DeviceLost and raises OnComm once. Does nothing when the port is already closed.
    void DeviceLost();
    /// Sets CommEvent to `code` at once and raises OnComm from the event loop, never from inside a
    /// call into the component, so a handler may close or reopen the port freely.
    void RaiseEvent(int code);

private:
    InputLineStates ReadLines();
    /// Publishes an event of this port when anybody listens.
    template <typename Fill>
    void Publish(PortEventKind kind, Fill fill);
    void ThrowIfClosed(const char *what) const;

    int m_port = 1;
    QString m_settings = QStringLiteral("9600,N,8,1");
    int m_baud = 9600;
    bool m_open = false;
    bool m_dtr = true;
    bool m_rts = false;
    int m_inputLen = 0;
    int m_inputMode = 0;
    int m_handshaking = 0;
    int m_rThreshold = 0;
    int m_sThreshold = 0;
    int m_commEvent = CommEventCode::None;
    InputLineStates m_lastLines;
};

} // namespace quillon
