#pragma once
// Small widgets of the terminal: the lamps, the command area, the receive area, and a key filter
// that hands typed characters to a handler the way the keyboard delivers them (one code per
// character, Enter = 13, Ctrl+letter = 1..26) and lets it discard them.

#include "terminal/ReceiveText.h"

#include <QColor>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>

#include <functional>

namespace quillon {

/// A key handler: gets the character code, returns it (possibly changed) or 0 to discard.
using KeyPressHandler = std::function<int(int code)>;

/// Routes typed characters of `target` through `handler` before the widget sees them.
void InstallKeyPressHandler(QWidget *target, KeyPressHandler handler);

/// The character code a key event types, or -1 for keys that type nothing (arrows, F-keys).
int TypedCharacterCode(int key, Qt::KeyboardModifiers modifiers, const QString &text);

/// A text box used as an indicator lamp: only its background colour means something.
class Lamp : public QLineEdit {
    Q_OBJECT
public:
    explicit Lamp(QWidget *parent = nullptr);
    /// Costs nothing when the colour is already shown.
    void SetColor(const QColor &color);
    QColor Color() const { return m_color; }

private:
    QColor m_color;
};

/// The command area. Its exact text (CR and LF as characters) is what goes to the port; the
/// widget shows line ends as line breaks.
class CommandArea : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit CommandArea(QWidget *parent = nullptr);

    QString Text() const { return m_text; }
    void SetText(const QString &text);
    /// Selects `length` characters from `start` (positions in the exact text).
    void SelectRange(int start, int length);
    void SetCaretToStart();

private:
    QString m_text;
    bool m_settingText = false;
};

/// The receive area: a read-only view of a ReceiveText. Repaints are coalesced to the display's
/// frame rate; a CR LF pair shows as one line break, a lone CR or LF as one too.
class ReceiveArea : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit ReceiveArea(const ReceiveText &model, QWidget *parent = nullptr);

    /// The model changed; the view catches up within one frame.
    void ModelChanged();
    /// Brings the view up to date at once.
    void RefreshNow();

private:
    void AppendDisplay(QStringView exact);

    const ReceiveText &m_model;
    QTimer m_frame;
    quint64 m_shownGeneration = ~quint64(0);
    qsizetype m_shownSize = 0;
    bool m_lastWasCR = false;
};

} // namespace quillon
