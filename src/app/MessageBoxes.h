#pragma once
// Message boxes with the application's title and a single OK button. Once the main window is
// closing, nothing is shown any more: an operation still running out must not pop up boxes
// over a window that is gone.

#include "terminal/MessageSink.h"

class QWidget;

namespace quillon {

class MessageBoxes : public MessageSink {
public:
    void SetParent(QWidget *parent) { m_parent = parent; }
    void SetSilenced() { m_silenced = true; }

    void Plain(const QString &text) override;
    void Information(const QString &text) override;

private:
    QWidget *m_parent = nullptr;
    bool m_silenced = false;
};

/// Maps the layout's font "宋体" (SimSun) to the installed CJK font.
void InstallFontSubstitutions();

} // namespace quillon
