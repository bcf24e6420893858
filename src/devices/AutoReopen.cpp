#include "devices/AutoReopen.h"

#include "devices/PortHolders.h"
#include "serial/SerialComm.h"

#include <QFileInfo>

namespace quillon {

AutoReopen::AutoReopen(SerialComm &comm, const DeviceSource &devices, ReopenHooks hooks,
                       ReopenTiming timing, QObject *parent)
    : QObject(parent), m_comm(comm), m_devices(devices), m_hooks(std::move(hooks)), m_timing(timing)
{
    m_poll.setInterval(m_timing.pollMs);
    connect(&m_poll, &QTimer::timeout, this, &AutoReopen::Poll);
    m_comm.Activity().AddListener(this);
}

AutoReopen::~AutoReopen() { m_comm.Activity().RemoveListener(this); }

void AutoReopen::UserActed()
{
    if (!m_reopening)
        Stop();
}

QString AutoReopen::DeviceFor(int port, const QString &mapped) const
{
    if (m_reopening && port == m_port && mapped == m_path && !m_reopenNode.isEmpty())
        return m_reopenNode;
    return mapped;
}

void AutoReopen::PortEventOccurred(const PortEvent &event)
{
    switch (event.kind) {
    case PortEventKind::Opened: {
        if (!m_reopening)
            Stop();
        m_openPort = event.port;
        m_openPath = event.device == QLatin1String("simulator") ? QString() : event.device;
        // The by-id name is taken now: once the device is gone its link is gone too.
        const std::optional<SerialDevice> found = FindDevice(m_devices.Devices(), m_openPath);
        m_openById = found ? found->byId : QString();
        break;
    }
    case PortEventKind::Closed:
        Stop();
        m_openPath.clear();
        break;
    case PortEventKind::Lost:
        Stop();
        if (m_openPath.isEmpty() || (m_hooks.enabled && !m_hooks.enabled()))
            break;
        m_watching = true;
        m_port = m_openPort;
        m_path = m_openPath;
        m_byId = m_openById;
        m_seenPolls = 0;
        m_sinceLoss.start();
        m_poll.start();
        break;
    default:
        break;
    }
}

QString AutoReopen::ReturnedNode() const
{
    if (!m_byId.isEmpty()) {
        // Known by its by-id name: only that name counts, since the old node may now belong to
        // another device, which must never be opened in its place.
        for (const SerialDevice &d : m_devices.Devices()) {
            if (d.byId != m_byId)
                continue;
            const QString node = QFileInfo(m_path).canonicalFilePath();
            return !node.isEmpty() && node == QFileInfo(d.path).canonicalFilePath() ? m_path : d.path;
        }
        return QString();
    }
    return QFileInfo::exists(m_path) ? m_path : QString();
}

void AutoReopen::Poll()
{
    if (!m_watching)
        return;
    if (m_sinceLoss.elapsed() > m_timing.watchMs || m_hooks.portIsOpen()) {
        Stop();
        return;
    }
    const QString node = m_hooks.operationRunning() ? QString() : ReturnedNode();
    if (node.isEmpty()) {
        m_seenPolls = 0;
        return;
    }
    // A device that has just appeared is often probed by the modem manager for a few seconds;
    // opening it then would fail as busy.
    if (++m_seenPolls < m_timing.settlePolls || !FindPortHolders(node).isEmpty())
        return;

    m_reopening = true;
    m_reopenNode = node;
    m_hooks.open();
    m_reopening = false;
    m_reopenNode.clear();
    Stop();
    Q_EMIT ReopenTried(m_hooks.portIsOpen());
}

void AutoReopen::Stop()
{
    m_watching = false;
    m_poll.stop();
}

} // namespace quillon
