#pragma once
// One observable stream of what happens on a port: every byte written and read, in the order
// the program handed them over or took them in, and the port's events (open, close, loss, speed,
// lines, write failures). Any number of listeners; with none, publishing costs one branch.
//
// Listeners run synchronously on the thread that used the port, inside the component call that
// caused the event, so they see events in order and must not call back into the port.

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <vector>

namespace quillon {

enum class PortEventKind {
    Opened,      ///< port, device, settings
    Closed,      ///< closed by the program
    Lost,        ///< the device vanished while open; the port is now closed
    SpeedChanged,///< settings applied while open
    Sent,        ///< bytes handed to the device
    Received,    ///< bytes taken from the device
    WriteFailed, ///< errorNumber, errorText; nothing was sent
    DtrSet,      ///< state: the new DTR value, set while open
    RtsSet,      ///< state: the new RTS value, set while open
    DsrChanged,  ///< state: the new DSR value
    CtsChanged,  ///< state: the new CTS value
    CdChanged,   ///< state: the new CD value
};

struct PortEvent {
    PortEventKind kind = PortEventKind::Sent;
    qint64 monotonicNs = 0; ///< steady clock shared by every port of the process
    QDateTime wallTime;     ///< local time, millisecond resolution
    int port = 0;           ///< port number (1 = "COM 1") at the time of the event
    QByteArray bytes;       ///< Sent, Received
    QString device;         ///< Opened: device path, or "simulator"
    QString settings;       ///< Opened, SpeedChanged: "<speed>,N,8,1"
    bool state = false;     ///< line events: the new value
    int errorNumber = 0;    ///< WriteFailed
    QString errorText;      ///< WriteFailed, Lost: the component's description
};

/// Short English name of a kind ("open", "close", "lost", "speed", ...), for logs and tools.
QString PortEventKindName(PortEventKind kind);

class PortListener {
public:
    virtual ~PortListener() = default;
    virtual void PortEventOccurred(const PortEvent &event) = 0;
};

class PortActivity {
public:
    /// A listener is called for every later event until removed; adding it twice has no effect.
    void AddListener(PortListener *listener);
    /// Safe from inside a listener call.
    void RemoveListener(PortListener *listener);
    bool IsObserved() const { return !m_listeners.empty(); }

    /// Stamps both clocks and hands the event to every listener in the order they were added.
    void Publish(PortEvent event);

private:
    std::vector<PortListener *> m_listeners;
};

} // namespace quillon
