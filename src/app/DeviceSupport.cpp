#include "app/DeviceSupport.h"

#include "app/PublicMod.h"
#include "app/Quillon.h"
#include "connection/PortConnection.h"
#include "devices/DeviceTexts.h"
#include "terminal/CommandExchange.h"
#include "terminal/WindowGate.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QHelpEvent>
#include <QPushButton>
#include <QToolTip>

namespace quillon {

DeviceSupport::DeviceSupport(Quillon &window, const DeviceSource &devices,
                             std::function<PortTarget(int)> mapped, ReopenTiming timing)
    : QObject(&window), m_window(window), m_devices(devices), m_mapped(std::move(mapped))
{
    m_window.SetDescribePort([this](int port) { return ToolTipFor(port); });
    m_window.ComboPort->view()->viewport()->installEventFilter(this);

    m_window.Connection().SetOpenFailureDetail([this](int number) {
        const int port = m_window.ComboPort->currentIndex() + 1;
        return OpenFailureDetail(number, port, Resolve(port).device, m_devices, IniFilePath());
    });

    ReopenHooks hooks;
    // Read at each loss, so an edit of the file applies without a restart.
    hooks.enabled = [] { return ReadIniInt(QStringLiteral("Options"), QStringLiteral("AutoReopen")) != 0; };
    hooks.portIsOpen = [this] { return m_window.PortIsOpen(); };
    hooks.operationRunning = [this] {
        return m_window.Exchange().State().WaitActive || !m_window.Gate().IsWindowEnabled();
    };
    hooks.open = [this] {
        if (!m_window.PortIsOpen())
            m_window.Connection().ComStartStop_Click();
    };
    m_reopen = std::make_unique<AutoReopen>(m_window.MSComm, m_devices, std::move(hooks), timing);

    AutoReopen *reopen = m_reopen.get();
    connect(m_window.ComStartStop, &QPushButton::clicked, reopen, &AutoReopen::UserActed);
    connect(m_window.ComboPort, &QComboBox::activated, reopen, &AutoReopen::UserActed);
    connect(m_window.ComboSpeed, &QComboBox::activated, reopen, &AutoReopen::UserActed);
}

DeviceSupport::~DeviceSupport() = default;

PortTarget DeviceSupport::Resolve(int port) const
{
    PortTarget target = m_mapped(port);
    if (!target.simulator && m_reopen)
        target.device = m_reopen->DeviceFor(port, target.device);
    return target;
}

QString DeviceSupport::ToolTipFor(int port) const
{
    return PortToolTip(m_window.ComboPort->itemText(port - 1), port, m_mapped(port), m_devices.Devices());
}

bool DeviceSupport::eventFilter(QObject *watched, QEvent *event)
{
    // The open list: the entry under the pointer, read afresh each time the tip shows. Only a
    // tool tip touches the window: other events also come while the window is being destroyed.
    if (event->type() != QEvent::ToolTip)
        return QObject::eventFilter(watched, event);
    QAbstractItemView *view = m_window.ComboPort->view();
    if (watched == view->viewport()) {
        const auto *help = static_cast<QHelpEvent *>(event);
        const QModelIndex index = view->indexAt(help->pos());
        if (!index.isValid())
            return false;
        QToolTip::showText(help->globalPos(), ToolTipFor(index.row() + 1), view->viewport(),
                           view->visualRect(index));
        return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace quillon
