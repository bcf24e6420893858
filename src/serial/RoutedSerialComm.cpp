#include "serial/RoutedSerialComm.h"

#include "serial/QtSerialComm.h"
#include "serial/SimSerialComm.h"

namespace quillon {

RoutedSerialComm::RoutedSerialComm(std::function<PortTarget(int port)> resolve,
                                   SerialPeer *simulator, QObject *parent)
    : SerialComm(parent), m_resolve(std::move(resolve)),
      m_device(new QtSerialComm([this](int) { return m_target.device; }, this)),
      m_sim(new SimSerialComm(simulator, this)), m_current(m_sim)
{
    for (SerialComm *backend : {static_cast<SerialComm *>(m_device), static_cast<SerialComm *>(m_sim)}) {
        // Only an open backend publishes, so the stream carries the port in use only.
        backend->PublishInto(Activity());
        connect(backend, &SerialComm::OnComm, this, [this, backend] {
            // A backend that is no longer in use has nothing to tell the window.
            if (backend == m_current)
                Q_EMIT OnComm();
        });
    }
}

RoutedSerialComm::~RoutedSerialComm() = default;

SerialComm &RoutedSerialComm::Current() const { return *m_current; }

SerialComm &RoutedSerialComm::Idle() const
{
    return m_current == m_sim ? static_cast<SerialComm &>(*m_device) : static_cast<SerialComm &>(*m_sim);
}

template <typename Apply>
void RoutedSerialComm::ApplyToBoth(Apply apply)
{
    apply(Current());
    apply(Idle());
}

void RoutedSerialComm::SetCommPort(int port)
{
    ApplyToBoth([port](SerialComm &c) { c.SetCommPort(port); });
}

int RoutedSerialComm::CommPort() const { return Current().CommPort(); }

void RoutedSerialComm::SetSettings(const QString &settings)
{
    ApplyToBoth([&settings](SerialComm &c) { c.SetSettings(settings); });
}

QString RoutedSerialComm::Settings() const { return Current().Settings(); }

void RoutedSerialComm::SetPortOpen(bool open)
{
    if (!open) {
        Current().SetPortOpen(false);
        return;
    }
    if (Current().PortOpen())
        throw CommError(CommErrorNumber::PortAlreadyOpen, QStringLiteral("port already open"));
    m_target = m_resolve ? m_resolve(CommPort()) : PortTarget{DefaultDeviceName(CommPort()), false};
    m_current = m_target.simulator ? static_cast<SerialComm *>(m_sim) : static_cast<SerialComm *>(m_device);
    m_current->SetPortOpen(true);
}

bool RoutedSerialComm::PortOpen() const { return Current().PortOpen(); }

void RoutedSerialComm::SetInputLen(int value)
{
    ApplyToBoth([value](SerialComm &c) { c.SetInputLen(value); });
}

void RoutedSerialComm::SetInputMode(int value)
{
    ApplyToBoth([value](SerialComm &c) { c.SetInputMode(value); });
}

void RoutedSerialComm::SetHandshaking(int value)
{
    ApplyToBoth([value](SerialComm &c) { c.SetHandshaking(value); });
}

void RoutedSerialComm::SetRThreshold(int value)
{
    ApplyToBoth([value](SerialComm &c) { c.SetRThreshold(value); });
}

void RoutedSerialComm::SetSThreshold(int value)
{
    ApplyToBoth([value](SerialComm &c) { c.SetSThreshold(value); });
}

int RoutedSerialComm::InBufferCount() { return Current().InBufferCount(); }
QByteArray RoutedSerialComm::Input() { return Current().Input(); }
void RoutedSerialComm::Output(const QByteArray &bytes) { Current().Output(bytes); }
int RoutedSerialComm::OutBufferCount() { return Current().OutBufferCount(); }

void RoutedSerialComm::SetDTREnable(bool enable)
{
    ApplyToBoth([enable](SerialComm &c) { c.SetDTREnable(enable); });
}

bool RoutedSerialComm::DTREnable() const { return Current().DTREnable(); }

void RoutedSerialComm::SetRTSEnable(bool enable)
{
    ApplyToBoth([enable](SerialComm &c) { c.SetRTSEnable(enable); });
}

bool RoutedSerialComm::RTSEnable() const { return Current().RTSEnable(); }
bool RoutedSerialComm::DSRHolding() { return Current().DSRHolding(); }
bool RoutedSerialComm::CTSHolding() { return Current().CTSHolding(); }
bool RoutedSerialComm::CDHolding() { return Current().CDHolding(); }
int RoutedSerialComm::CommEvent() const { return Current().CommEvent(); }

} // namespace quillon
