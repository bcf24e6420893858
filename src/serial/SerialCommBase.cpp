#include "serial/SerialCommBase.h"

#include <QMetaObject>

namespace quillon {

namespace {

void RequireValue(int value, bool supported, const char *name)
{
    if (!supported) {
        throw CommError(CommErrorNumber::InvalidSettings,
                        QStringLiteral("%1 %2 is not supported").arg(QLatin1String(name)).arg(value));
    }
}

} // namespace

SerialCommBase::SerialCommBase(QObject *parent) : SerialComm(parent) {}

template <typename Fill>
void SerialCommBase::Publish(PortEventKind kind, Fill fill)
{
    if (!Activity().IsObserved())
        return;
    PortEvent event;
    event.kind = kind;
    event.port = m_port;
    fill(event);
    Activity().Publish(std::move(event));
}

void SerialCommBase::SetCommPort(int port)
{
    if (port < 1 || port > 255)
        throw CommError(CommErrorNumber::PortAbsent, QStringLiteral("invalid port number %1").arg(port));
    m_port = port;
}

void SerialCommBase::SetSettings(const QString &settings)
{
    const int baud = ParseSettingsSpeed(settings);
    if (baud == 0) {
        throw CommError(CommErrorNumber::InvalidSettings,
                        QStringLiteral("settings \"%1\" cannot be applied").arg(settings));
    }
    if (m_open)
        DeviceSetBaud(baud);
    m_baud = baud;
    m_settings = QStringLiteral("%1,N,8,1").arg(baud);
    if (m_open)
        Publish(PortEventKind::SpeedChanged, [this](PortEvent &e) { e.settings = m_settings; });
}

void SerialCommBase::SetPortOpen(bool open)
{
    if (open == m_open) {
        if (open)
            throw CommError(CommErrorNumber::PortAlreadyOpen, QStringLiteral("port already open"));
        return;
    }
    if (open) {
        DeviceOpen();
        m_open = true;
        Publish(PortEventKind::Opened, [this](PortEvent &e) {
            e.device = DeviceDescription();
            e.settings = m_settings;
        });
        m_lastLines = DeviceLines();
    } else {
        m_open = false;
        DeviceClose();
        Publish(PortEventKind::Closed, [](PortEvent &) {});
    }
}

void SerialCommBase::SetInputLen(int value)
{
    RequireValue(value, value == 0, "InputLen");
    m_inputLen = value;
}

void SerialCommBase::SetInputMode(int value)
{
    RequireValue(value, value == 0 || value == 1, "InputMode");
    m_inputMode = value;
}

void SerialCommBase::SetHandshaking(int value)
{
    RequireValue(value, value == 0, "Handshaking");
    m_handshaking = value;
}

void SerialCommBase::SetRThreshold(int value)
{
    RequireValue(value, value == 0, "RThreshold");
    m_rThreshold = value;
}

void SerialCommBase::SetSThreshold(int value)
{
    RequireValue(value, value == 0, "SThreshold");
    m_sThreshold = value;
}

void SerialCommBase::ThrowIfClosed(const char *what) const
{
    if (!m_open) {
        throw CommError(CommErrorNumber::PortNotOpen,
                        QStringLiteral("%1 on a closed port").arg(QLatin1String(what)));
    }
}

int SerialCommBase::InBufferCount()
{
    ThrowIfClosed("InBufferCount");
    return DeviceInBufferCount();
}

QByteArray SerialCommBase::Input()
{
    ThrowIfClosed("Input");
    QByteArray bytes = DeviceInput();
    if (!bytes.isEmpty())
        Publish(PortEventKind::Received, [&bytes](PortEvent &e) { e.bytes = bytes; });
    return bytes;
}

void SerialCommBase::Output(const QByteArray &bytes)
{
    ThrowIfClosed("Output");
    try {
        DeviceOutput(bytes);
    } catch (const CommError &error) {
        Publish(PortEventKind::WriteFailed, [&error](PortEvent &e) {
            e.errorNumber = error.number();
            e.errorText = error.text();
        });
        throw;
    }
    Publish(PortEventKind::Sent, [&bytes](PortEvent &e) { e.bytes = bytes; });
}

int SerialCommBase::OutBufferCount()
{
    ThrowIfClosed("OutBufferCount");
    return DeviceOutBufferCount();
}

void SerialCommBase::SetDTREnable(bool enable)
{
    m_dtr = enable;
    if (m_open) {
        DeviceSetDtr(enable);
        Publish(PortEventKind::DtrSet, [enable](PortEvent &e) { e.state = enable; });
    }
}

void SerialCommBase::SetRTSEnable(bool enable)
{
    m_rts = enable;
    if (m_open) {
        DeviceSetRts(enable);
        Publish(PortEventKind::RtsSet, [enable](PortEvent &e) { e.state = enable; });
    }
}

InputLineStates SerialCommBase::ReadLines()
{
    if (!m_open)
        return {};
    const InputLineStates lines = DeviceLines();
    if (!m_open) // the read found the device gone
        return {};
    const auto changed = [this](bool was, bool now, int code, PortEventKind kind) {
        if (was == now)
            return;
        RaiseEvent(code);
        Publish(kind, [now](PortEvent &e) { e.state = now; });
    };
    changed(m_lastLines.cts, lines.cts, CommEventCode::CtsChanged, PortEventKind::CtsChanged);
    changed(m_lastLines.dsr, lines.dsr, CommEventCode::DsrChanged, PortEventKind::DsrChanged);
    changed(m_lastLines.cd, lines.cd, CommEventCode::CdChanged, PortEventKind::CdChanged);
    m_lastLines = lines;
    return lines;
}

bool SerialCommBase::DSRHolding() { return ReadLines().dsr; }
bool SerialCommBase::CTSHolding() { return ReadLines().cts; }
bool SerialCommBase::CDHolding() { return ReadLines().cd; }

void SerialCommBase::DeviceLost()
{
    if (!m_open)
        return;
    m_open = false;
    DeviceClose();
    Publish(PortEventKind::Lost, [](PortEvent &) {});
    RaiseEvent(CommEventCode::DeviceLost);
}

void SerialCommBase::RaiseEvent(int code)
{
    m_commEvent = code;
    // CommEvent is set again on delivery: a later event may have overwritten it meanwhile, and the
    // handler must read the code of the event it is called for.
    QMetaObject::invokeMethod(
        this,
        [this, code] {
            m_commEvent = code;
            Q_EMIT OnComm();
        },
        Qt::QueuedConnection);
}

} // namespace quillon
