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
    m_frame.setInterval(qEnvironmentVariableIsSet("QB_FRAME") ? qEnvironmentVariableIntValue("QB_FRAME") : 16);
    connect(&m_frame, &QTimer::timeout, this, &ReceiveArea::RefreshNow);
}

void ReceiveArea::ModelChanged()
{
    if (!m_frame.isActive())
        m_frame.start();
}

void ReceiveArea::RefreshNow()
{
    m_frame.stop();
    const QString &text = m_model.Text();
    if (m_model.Generation() != m_shownGeneration || text.size() < m_shownSize) {
        m_shownGeneration = m_model.Generation();
        m_shownSize = 0;
        m_lastWasCR = false;
        clear();
    }
    if (text.size() == m_shownSize)
        return;
    AppendDisplay(QStringView(text).mid(m_shownSize));
    m_shownSize = text.size();
}

void ReceiveArea::AppendDisplay(QStringView exact)
{
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
