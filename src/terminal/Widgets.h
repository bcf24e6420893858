#pragma once
// Small widgets of the terminal: the lamps, the command area, the receive area, and a key filter
// that hands typed characters to a handler the way the keyboard delivers them (one code per
// character, Enter = 13, Ctrl+letter = 1..26) and lets it discard them.

#include "terminal/ReceiveText.h"

#include <QColor>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>

#include <functional>

namespace quillon {

/// A key handler: gets the character code, returns it (possibly changed) or 0 to discard.
using KeyPressHandler = std::function<int(int code)>;

/// Routes typed characters of `target` through `handler` before the widget sees them.
void InstallKeyPressHandler(QWidget *target, KeyPressHandler handler);

/// The character code a key event types, or -1 for keys that type nothing (arrows, F-keys,
/// Delete).
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

/// The receive area: a read-only view of a ReceiveText; a CR LF pair shows as one line break, a
/// lone CR or LF as one too. Refreshes are coalesced: the first change shows one frame (16 ms)
/// later, and while changes keep coming the next refresh waits kCostShare times what the last
/// one cost (the refresh and the painting of the text; the scroll bar and the flush to the screen
/// cost about as much again), at most kSlowestFrameMs, so the area keeps to a few per cent of the
/// thread however fast text comes. A refresh removes what the model has cut and adds what it has
/// appended; should more than kShownAtMost characters have come since the last refresh (only a
/// flood does that), the area shows the last kShownAtMost of them.
class ReceiveArea : public QPlainTextEdit {
    Q_OBJECT
public:
    static constexpr int kFrameMs = 16;
    static constexpr int kSlowestFrameMs = 250;
    static constexpr int kCostShare = 50;
    static constexpr qsizetype kShownAtMost = 8192;

    explicit ReceiveArea(const ReceiveText &model, QWidget *parent = nullptr);

    /// The model changed; the view catches up within kSlowestFrameMs.
    void ModelChanged();
    /// Brings the view up to date at once.
    void RefreshNow();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void ShowNothingFrom(qint64 position);
    void DropFront(qsizetype count);
    void AppendDisplay(QStringView exact);

    const ReceiveText &m_model;
    QTimer m_frame;
    QElapsedTimer m_clock;
    quint64 m_shownGeneration = ~quint64(0);
    qint64 m_shownStart = 0; ///< model position of the first character shown
    QString m_shownExact;    ///< the exact text shown, to map cuts onto display positions
    bool m_lastWasCR = false;
    qint64 m_lastRefreshEndNs = 0;
    qint64 m_costNs = 0;     ///< the last refresh and the painting since
};

} // namespace quillon
