#include "batch/Transcript.h"

#include "annotate/ReplyAnnotation.h"
#include "sessionlog/LogFormat.h"

namespace quillon::batch {

void Transcript::Begin()
{
    m_active = true;
    m_full = false;
    m_text.clear();
    m_pendingLine.clear();
}

QString Transcript::End()
{
    if (!m_pendingLine.isEmpty())
        AddLine(m_pendingTime, '<', m_pendingLine);
    m_pendingLine.clear();
    m_active = false;
    return QString::fromUtf8(std::exchange(m_text, QByteArray()));
}

void Transcript::AddText(const QString &line)
{
    if (m_full)
        return;
    const QByteArray bytes = line.toUtf8();
    if (m_text.size() + bytes.size() + 1 > kLimitBytes) {
        m_full = true;
        m_text += "# (transcript cut here: the port sent more than the record keeps)\n";
        return;
    }
    m_text += bytes;
    m_text += '\n';
}

void Transcript::AddLine(const QDateTime &time, char mark, QByteArrayView bytes)
{
    QByteArray line = time.toString(QStringLiteral("HH:mm:ss.zzz")).toLatin1() + ' ' + mark + ' ';
    EscapeBytes(bytes, line);
    AddText(QString::fromLatin1(line));
    if (mark == '<')
        for (const QString &note : AnnotateReply(bytes.trimmed()))
            AddText(QStringLiteral("# ") + note);
}

void Transcript::PortEventOccurred(const PortEvent &event)
{
    if (!m_active || m_full)
        return;
    switch (event.kind) {
    case PortEventKind::Sent:
        AddLine(event.wallTime, '>', event.bytes);
        break;
    case PortEventKind::Received:
        for (char c : event.bytes) {
            if (m_pendingLine.isEmpty())
                m_pendingTime = event.wallTime;
            // A line without LF (a flood) is still cut into pieces the record can hold.
            m_pendingLine.append(c);
            if (c == '\n' || m_pendingLine.size() >= kMaxLineBytes) {
                AddLine(m_pendingTime, '<', m_pendingLine);
                m_pendingLine.clear();
            }
        }
        break;
    default: {
        QString text = event.wallTime.toString(QStringLiteral("HH:mm:ss.zzz")) + QStringLiteral(" * ")
            + PortEventKindName(event.kind);
        if (!event.settings.isEmpty())
            text += QLatin1Char(' ') + event.settings;
        if (!event.errorText.isEmpty())
            text += QLatin1Char(' ') + event.errorText;
        AddText(text);
    }
    }
}

} // namespace quillon::batch
