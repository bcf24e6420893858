#include "terminal/WindowGate.h"

#include <QApplication>
#include <QEvent>

namespace quillon {

namespace {
bool IsUserInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::InputMethod:
        return true;
    default:
        return false;
    }
}
} // namespace

WindowGate::WindowGate(QWidget *window) : QObject(window), m_window(window) {}

WindowGate::~WindowGate()
{
    if (!m_enabled && qApp)
        qApp->removeEventFilter(this);
}

void WindowGate::SetWindowEnabled(bool enabled)
{
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    if (enabled)
        qApp->removeEventFilter(this);
    else
        qApp->installEventFilter(this);
}

bool WindowGate::eventFilter(QObject *watched, QEvent *event)
{
    if (!m_enabled && m_window && IsUserInput(event->type()) && watched->isWidgetType() &&
        BelongsToWindow(static_cast<QWidget *>(watched)))
        return true;
    return QObject::eventFilter(watched, event);
}

bool WindowGate::BelongsToWindow(const QWidget *widget) const
{
    // The parent chain crosses window boundaries: a drop-down list's pop-up is parented to its
    // combo box, which isAncestorOf() would not see through.
    for (; widget; widget = widget->parentWidget()) {
        if (widget == m_window)
            return true;
    }
    return false;
}

} // namespace quillon
