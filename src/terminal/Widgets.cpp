#include "terminal/Widgets.h"

#include <QKeyEvent>
#include <QScrollBar>
#include <QTextBlock>

namespace quillon {

namespace {

class KeyPressFilter : public QObject {
public:
    KeyPressFilter(QObject *parent, KeyPressHandler handler)
        : QObject(parent), m_handler(std::move(handler)) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::KeyPress)
            return QObject::eventFilter(watched, event);
        auto *key = static_cast<QKeyEvent *>(event);
        const int code = TypedCharacterCode(key->key(), key->modifiers(), key->text());
        if (code < 0)
            return false;
        return m_handler(code) == 0;
    }

private:
    KeyPressHandler m_handler;
};

/// Display form of exact text: every CR LF pair, lone CR and lone LF becomes one '\n'.
QString DisplayOf(QStringView exact, bool &lastWasCR)
{
    QString out;
    out.reserve(exact.size());
    for (QChar c : exact) {
        if (c == QLatin1Char('\n')) {
            if (!lastWasCR)
                out += QLatin1Char('\n');
            lastWasCR = false;
        } else if (c == QLatin1Char('\r')) {
            out += QLatin1Char('\n');
            lastWasCR = true;
        } else {
            out += c;
            lastWasCR = false;
        }
    }
    return out;
}

/// Length of DisplayOf(exact, lastWasCR), without building it.
qsizetype DisplayLength(QStringView exact, bool &lastWasCR)
{
    qsizetype length = 0;
    for (QChar c : exact) {
        if (c != QLatin1Char('\n') || !lastWasCR)
            ++length;
        lastWasCR = c == QLatin1Char('\r');
    }
    return length;
}

} // namespace

void InstallKeyPressHandler(QWidget *target, KeyPressHandler handler)
{
    target->installEventFilter(new KeyPressFilter(target, std::move(handler)));
}

int TypedCharacterCode(int key, Qt::KeyboardModifiers modifiers, const QString &text)
{
    if (key == Qt::Key_Return || key == Qt::Key_Enter)
        return 13;
    if (key == Qt::Key_Backspace)
        return 8;
    // Delete is an editing key, not a typed character, though Qt gives it the text "\x7f".
    if (key == Qt::Key_Delete)
        return -1;
    if ((modifiers & Qt::ControlModifier) && key >= Qt::Key_A && key <= Qt::Key_Z)
        return key - Qt::Key_A + 1;
    if (text.isEmpty())
        return -1;
    return text.at(0).unicode();
}

Lamp::Lamp(QWidget *parent) : QLineEdit(parent)
{
    setReadOnly(true);
    setFocusPolicy(Qt::TabFocus);
}

void Lamp::SetColor(const QColor &color)
{
    if (color == m_color)
        return;
    m_color = color;
    QPalette p = palette();
    p.setColor(QPalette::Base, color);
    setPalette(p);
}

CommandArea::CommandArea(QWidget *parent) : QPlainTextEdit(parent)
{
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    // Tab walks the window's tab order; a typed Tab must never reach the port.
    setTabChangesFocus(true);
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        if (!m_settingText)
            m_text = toPlainText();
    });
}

void CommandArea::SetText(const QString &text)
{
    m_text = text;
    bool lastWasCR = false;
    m_settingText = true;
    setPlainText(DisplayOf(text, lastWasCR));
    m_settingText = false;
}

void CommandArea::SelectRange(int start, int length)
{
    // Display positions differ from exact ones only by collapsed CR LF pairs; map through them.
    bool lastWasCR = false;
    const int displayStart = DisplayOf(QStringView(m_text).left(start), lastWasCR).size();
    const int displayLength = DisplayOf(QStringView(m_text).mid(start, length), lastWasCR).size();
    QTextCursor cursor = textCursor();
    const int end = document()->characterCount() - 1;
    cursor.setPosition(qMin(displayStart, end));
    cursor.setPosition(qMin(displayStart + displayLength, end), QTextCursor::KeepAnchor);
    setTextCursor(cursor);
}

void CommandArea::SetCaretToStart()
{
    QTextCursor cursor = textCursor();
    cursor.setPosition(0);
    setTextCursor(cursor);
}

ReceiveArea::ReceiveArea(const ReceiveText &model, QWidget *parent)
    : QPlainTextEdit(parent), m_model(model)
{
    setReadOnly(true);
    setUndoRedoEnabled(false);
    m_frame.setSingleShot(true);
    connect(&m_frame, &QTimer::timeout, this, &ReceiveArea::RefreshNow);
    connect(&model, &ReceiveText::Changed, this, &ReceiveArea::ModelChanged);
    m_clock.start();
}

void ReceiveArea::ModelChanged()
{
    if (m_frame.isActive())
        return;
    const qint64 spacingMs = qMin<qint64>(m_costNs * kCostShare / 1000000, kSlowestFrameMs);
    const qint64 dueMs = (m_lastRefreshEndNs - m_clock.nsecsElapsed()) / 1000000 + spacingMs;
    m_frame.start(int(qMax<qint64>(kFrameMs, dueMs)));
}

void ReceiveArea::RefreshNow()
{
    m_frame.stop();
    const qint64 startNs = m_clock.nsecsElapsed();
    const QString &text = m_model.Text();
    const qint64 modelStart = m_model.Dropped();
    const qint64 modelEnd = modelStart + text.size();
    if (m_model.Generation() != m_shownGeneration) {
        m_shownGeneration = m_model.Generation();
        ShowNothingFrom(modelStart);
    }
    const qint64 first = qMax(modelStart, modelEnd - kShownAtMost);
    if (first >= m_shownStart + m_shownExact.size())
        ShowNothingFrom(first);
    else if (first > m_shownStart)
        DropFront(qsizetype(first - m_shownStart));
    const qint64 shownEnd = m_shownStart + m_shownExact.size();
    if (shownEnd < modelEnd)
        AppendDisplay(QStringView(text).mid(qsizetype(shownEnd - modelStart)));
    m_lastRefreshEndNs = m_clock.nsecsElapsed();
    m_costNs = m_lastRefreshEndNs - startNs;
}

void ReceiveArea::paintEvent(QPaintEvent *event)
{
    const qint64 startNs = m_clock.nsecsElapsed();
    QPlainTextEdit::paintEvent(event);
    m_costNs += m_clock.nsecsElapsed() - startNs;
}

void ReceiveArea::ShowNothingFrom(qint64 position)
{
    if (!m_shownExact.isEmpty() || !document()->isEmpty())
        clear();
    m_shownStart = position;
    m_shownExact.clear();
    m_lastWasCR = false;
}

void ReceiveArea::DropFront(qsizetype count)
{
    bool lastWasCR = false;
    qsizetype displayed = DisplayLength(QStringView(m_shownExact).left(count), lastWasCR);
    // An LF whose CR goes now stands for a line break of its own; the CR's one is kept for it.
    if (m_shownExact.at(count - 1) == QLatin1Char('\r') && m_shownExact.at(count) == QLatin1Char('\n'))
        --displayed;
    QTextCursor cursor(document());
    cursor.setPosition(int(displayed), QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    m_shownExact.remove(0, count);
    m_shownStart += count;
}

void ReceiveArea::AppendDisplay(QStringView exact)
{
    m_shownExact += exact;
    const QString display = DisplayOf(exact, m_lastWasCR);
    if (display.isEmpty())
        return;
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(display);
    setTextCursor(cursor);
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

} // namespace quillon
