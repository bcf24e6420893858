#pragma once
// Enabling and disabling the main window for a command's wait. Disabled means no keyboard,
// mouse or input-method input reaches the window, its controls or the pop-ups they opened (a
// drop-down list is a window of its own); the controls are not greyed out, so a module test's
// dozens of 300 ms waits do not make the window flicker.

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

    /// Keeps the window disabled for its lifetime and enables it again however the scope ends,
    /// so nothing can leave the window's input blocked.
    class Closed {
    public:
        explicit Closed(WindowGate &gate) : m_gate(gate) { m_gate.SetWindowEnabled(false); }
        ~Closed() { m_gate.SetWindowEnabled(true); }
        Closed(const Closed &) = delete;
        Closed &operator=(const Closed &) = delete;

    private:
        WindowGate &m_gate;
    };

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    /// `widget` is the window, one of its controls, or a pop-up a control opened.
    bool BelongsToWindow(const QWidget *widget) const;

    QPointer<QWidget> m_window;
    bool m_enabled = true;
};

} // namespace quillon
