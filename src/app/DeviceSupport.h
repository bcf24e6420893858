#pragma once
// Wires the device helpers into the main window: the port list's tool tips (the closed list and
// each entry of the open list), the extra lines of the open-failure message, and reopening a
// lost device when it returns ([Options] AutoReopen=0 in the settings file turns that off).

#include "devices/AutoReopen.h"
#include "devices/DeviceList.h"
#include "serial/PortMap.h"

#include <QObject>

#include <functional>
#include <memory>

namespace quillon {

class Quillon;

class DeviceSupport : public QObject {
    Q_OBJECT
public:
    /// `mapped` says where a port leads by the settings (PortTargetFromSettings in the program).
    DeviceSupport(Quillon &window, const DeviceSource &devices,
                  std::function<PortTarget(int port)> mapped, ReopenTiming timing = {});
    ~DeviceSupport() override;

    /// Where port `port` leads now: the mapping, except during the reopen of a device that came
    /// back under another node (same by-id name). Give this to the serial component.
    PortTarget Resolve(int port) const;

    AutoReopen &Reopen() { return *m_reopen; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QString ToolTipFor(int port) const;

    Quillon &m_window;
    const DeviceSource &m_devices;
    std::function<PortTarget(int)> m_mapped;
    std::unique_ptr<AutoReopen> m_reopen;
};

} // namespace quillon
