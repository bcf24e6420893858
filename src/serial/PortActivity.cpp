#include "serial/PortActivity.h"

#include <QElapsedTimer>

#include <algorithm>

namespace quillon {

QString PortEventKindName(PortEventKind kind)
{
    switch (kind) {
    case PortEventKind::Opened: return QStringLiteral("open");
    case PortEventKind::Closed: return QStringLiteral("close");
    case PortEventKind::Lost: return QStringLiteral("lost");
    case PortEventKind::SpeedChanged: return QStringLiteral("speed");
    case PortEventKind::Sent: return QStringLiteral("sent");
    case PortEventKind::Received: return QStringLiteral("received");
    case PortEventKind::WriteFailed: return QStringLiteral("write-failed");
    case PortEventKind::DtrSet: return QStringLiteral("DTR");
    case PortEventKind::RtsSet: return QStringLiteral("RTS");
    case PortEventKind::DsrChanged: return QStringLiteral("DSR");
    case PortEventKind::CtsChanged: return QStringLiteral("CTS");
    case PortEventKind::CdChanged: return QStringLiteral("CD");
    }
    return QString();
}

void PortActivity::AddListener(PortListener *listener)
{
    if (std::find(m_listeners.begin(), m_listeners.end(), listener) == m_listeners.end())
        m_listeners.push_back(listener);
}

void PortActivity::RemoveListener(PortListener *listener)
{
    std::replace(m_listeners.begin(), m_listeners.end(), listener, static_cast<PortListener *>(nullptr));
    m_listeners.erase(std::remove(m_listeners.begin(), m_listeners.end(), nullptr), m_listeners.end());
}

void PortActivity::Publish(PortEvent event)
{
    if (m_listeners.empty())
        return;
    static const QElapsedTimer clock = [] {
        QElapsedTimer started;
        started.start();
        return started;
    }();
    event.monotonicNs = clock.nsecsElapsed();
    event.wallTime = QDateTime::currentDateTime();
    // A copy: a listener may remove itself (or another) while being called.
    const std::vector<PortListener *> listeners = m_listeners;
    for (PortListener *listener : listeners) {
        if (std::find(m_listeners.begin(), m_listeners.end(), listener) != m_listeners.end())
            listener->PortEventOccurred(event);
    }
}

} // namespace quillon
