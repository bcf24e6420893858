#pragma once
// Reopening a port whose device was lost (a USB adapter pulled) once the same device is back:
// same node, or the same /dev/serial/by-id name under whatever node it now has. The reopen runs
// the window's own open steps, so the window, the title and the port's event stream show it as
// any open. It is given up when the user opens or closes anything or picks another port or
// speed, after the watch period, and after one attempt (a failure shows the usual message).

#include "devices/DeviceList.h"
#include "serial/PortActivity.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <functional>

namespace quillon {

class SerialComm;

struct ReopenHooks {
    std::function<bool()> enabled;          ///< asked at each loss ([Options] AutoReopen)
    std::function<bool()> portIsOpen;       ///< the window's open flag
    std::function<bool()> operationRunning; ///< an operation waits for the module
    std::function<void()> open;             ///< the window's open steps for the selected port
};

struct ReopenTiming {
    int pollMs = 500;
    qint64 watchMs = 10 * 60 * 1000; ///< how long after the loss a returning device is reopened
    int settlePolls = 2;             ///< polls the device must be seen on before the open
};

class AutoReopen : public QObject, private PortListener {
    Q_OBJECT
public:
    AutoReopen(SerialComm &comm, const DeviceSource &devices, ReopenHooks hooks,
               ReopenTiming timing = {}, QObject *parent = nullptr);
    ~AutoReopen() override;

    /// The user pressed the open/close button or picked a port or speed: no reopen.
    void UserActed();
    /// A lost device is being watched for.
    bool Watching() const { return m_watching; }

    /// The device to open for `port` whose mapping says `mapped`: during a reopen of a device
    /// that came back under another node with the same by-id name, that node; else `mapped`.
    QString DeviceFor(int port, const QString &mapped) const;

Q_SIGNALS:
    /// A reopen was tried; `opened` tells whether the port is open now.
    void ReopenTried(bool opened);

private:
    void PortEventOccurred(const PortEvent &event) override;
    void Poll();
    /// Where the lost device is now, or empty while it is away.
    QString ReturnedNode() const;
    void Stop();

    SerialComm &m_comm;
    const DeviceSource &m_devices;
    ReopenHooks m_hooks;
    ReopenTiming m_timing;
    QTimer m_poll;
    QElapsedTimer m_sinceLoss;

    int m_openPort = 0;
    QString m_openPath;
    QString m_openById;

    bool m_watching = false;
    int m_port = 0;
    QString m_path;
    QString m_byId;
    int m_seenPolls = 0;
    bool m_reopening = false;
    QString m_reopenNode;
};

} // namespace quillon
