#pragma once
// Enabling and disabling the main window for a command's wait. Disabled means no keyboard or
// mouse input reaches the window or its controls; the controls are not greyed out, so a module
// test's dozens of 300 ms waits do not make the window flicker.

#include <QObject>
#include <QPointer>
#include <QWidget>

namespace quillon {

class WindowGate : public QObject {
    Q_OBJECT
public:
    explicit WindowGate(QWidget *window);
    ~WindowGate() override;

    void SetWindowEnabled(bool enabled);
    bool IsWindowEnabled() const { return m_enabled; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPointer<QWidget> m_window;
    bool m_enabled = true;
};

} // namespace quillon
