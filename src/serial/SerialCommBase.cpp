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
        m_lastLines = DeviceLines();
    } else {
        m_open = false;
        DeviceClose();
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
    return DeviceInput();
}

void SerialCommBase::Output(const QByteArray &bytes)
{
    ThrowIfClosed("Output");
    DeviceOutput(bytes);
}

int SerialCommBase::OutBufferCount()
{
    ThrowIfClosed("OutBufferCount");
    return DeviceOutBufferCount();
}

void SerialCommBase::SetDTREnable(bool enable)
{
    m_dtr = enable;
    if (m_open)
        DeviceSetDtr(enable);
}

void SerialCommBase::SetRTSEnable(bool enable)
{
    m_rts = enable;
    if (m_open)
        DeviceSetRts(enable);
}

InputLineStates SerialCommBase::ReadLines()
{
    if (!m_open)
        return {};
    const InputLineStates lines = DeviceLines();
    if (!m_open) // the read found the device gone
        return {};
    if (lines.cts != m_lastLines.cts)
        RaiseEvent(CommEventCode::CtsChanged);
    if (lines.dsr != m_lastLines.dsr)
        RaiseEvent(CommEventCode::DsrChanged);
    if (lines.cd != m_lastLines.cd)
        RaiseEvent(CommEventCode::CdChanged);
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
