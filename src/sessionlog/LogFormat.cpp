#include "sessionlog/LogFormat.h"

#include "annotate/ReplyAnnotation.h"
#include "base/AppInfo.h"

namespace quillon {

namespace {

constexpr char kHex[] = "0123456789ABCDEF";

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

/// Event details are free text (device paths, error texts): one line, whatever they hold.
QByteArray OneLine(const QString &text)
{
    QByteArray bytes = text.toUtf8();
    bytes.replace('\r', ' ').replace('\n', ' ');
    return bytes;
}

QByteArray EventText(const PortEvent &e)
{
    QByteArray text = PortEventKindName(e.kind).toLatin1();
    const auto onOff = [&e] { return e.state ? QByteArrayLiteral(" on") : QByteArrayLiteral(" off"); };
    switch (e.kind) {
    case PortEventKind::Opened:
        text += " COM " + QByteArray::number(e.port) + ' ' + OneLine(e.device) + ' ' + OneLine(e.settings);
        break;
    case PortEventKind::SpeedChanged:
        text += ' ' + OneLine(e.settings);
        break;
    case PortEventKind::WriteFailed:
        text += ' ' + QByteArray::number(e.errorNumber) + ' ' + OneLine(e.errorText);
        break;
    case PortEventKind::Lost:
        if (!e.errorText.isEmpty())
            text += ' ' + OneLine(e.errorText);
        break;
    case PortEventKind::DtrSet:
    case PortEventKind::RtsSet:
    case PortEventKind::DsrChanged:
    case PortEventKind::CtsChanged:
    case PortEventKind::CdChanged:
        text += onOff();
        break;
    case PortEventKind::Closed:
    case PortEventKind::Sent:
    case PortEventKind::Received:
        break;
    }
    return text;
}

} // namespace

void EscapeBytes(QByteArrayView bytes, QByteArray &out)
{
    out.reserve(out.size() + bytes.size() + 8);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        const bool last = i + 1 == bytes.size();
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c > 0x20 && c < 0x7F) {
            out += char(c);
        } else if (c == 0x20 && !last) {
            out += ' ';
        } else {
            out += "\\x";
            out += kHex[c >> 4];
            out += kHex[c & 0xF];
        }
    }
}

bool UnescapeBytes(QByteArrayView text, QByteArray &out)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\\') {
            if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7F)
                return false;
            bytes += c;
            continue;
        }
        if (++i >= text.size())
            return false;
        switch (text[i]) {
        case '\\': bytes += '\\'; break;
        case 'r': bytes += '\r'; break;
        case 'n': bytes += '\n'; break;
        case 't': bytes += '\t'; break;
        case 'x': {
            if (i + 2 >= text.size())
                return false;
            const int high = HexValue(text[i + 1]);
            const int low = HexValue(text[i + 2]);
            if (high < 0 || low < 0)
                return false;
            bytes += char(high * 16 + low);
            i += 2;
            break;
        }
        default:
            return false;
        }
    }
    out += bytes;
    return true;
}

QByteArray LogTime(const QDateTime &time)
{
    return time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")).toLatin1();
}

QByteArray LogHeader(const PortEvent &opened, int part)
{
    QByteArray h;
    h += "# " + AppTitle().toUtf8() + ' ' + VersionDotted().toUtf8() + " session log\n";
    h += "# port: COM " + QByteArray::number(opened.port) + '\n';
    h += "# device: " + OneLine(opened.device) + '\n';
    h += "# settings: " + OneLine(opened.settings) + '\n';
    h += "# started: " + LogTime(opened.wallTime) + '\n';
    if (part > 1)
        h += "# part " + QByteArray::number(part) + ", continuing the previous file\n";
    return h;
}

void LogFormatter::Add(const PortEvent &event, QByteArrayView bytes, QByteArray &out)
{
    char direction = 0;
    if (event.kind == PortEventKind::Sent)
        direction = '>';
    else if (event.kind == PortEventKind::Received)
        direction = '<';

    if (direction == 0) {
        EndLine(out);
        out += LogTime(event.wallTime) + " * " + EventText(event) + '\n';
        if (event.kind == PortEventKind::Opened || event.kind == PortEventKind::Closed ||
            event.kind == PortEventKind::Lost)
            m_reply.clear();
        return;
    }
    if (!m_line.isEmpty() &&
        (direction != m_direction || event.monotonicNs - m_lastByteNs >= kSilenceNs))
        EndLine(out);

    QByteArrayView rest(bytes);
    while (!rest.isEmpty()) {
        if (m_line.isEmpty()) {
            m_direction = direction;
            m_lineTime = event.wallTime;
            m_lineStartNs = event.monotonicNs;
        }
        const qsizetype lf = rest.indexOf('\n');
        qsizetype take = lf < 0 ? rest.size() : lf + 1;
        take = qMin(take, kMaxLineBytes - m_line.size());
        const QByteArrayView piece = rest.first(take);
        m_line += piece;
        if (direction == '<') {
            for (char c : piece) {
                if (c == '\n') {
                    Annotate();
                } else if (m_reply.size() < 512) {
                    m_reply += c;
                }
            }
        }
        rest = rest.sliced(take);
        m_lastByteNs = event.monotonicNs;
        if (m_line.endsWith('\n') || m_line.size() >= kMaxLineBytes)
            EndLine(out);
    }
}

void LogFormatter::Tick(qint64 nowNs, QByteArray &out)
{
    if (!m_line.isEmpty() && (nowNs - m_lastByteNs >= kSilenceNs || nowNs - m_lineStartNs >= kLineAgeNs))
        EndLine(out);
}

void LogFormatter::Finish(QByteArray &out) { EndLine(out); }

void LogFormatter::EndLine(QByteArray &out)
{
    if (!m_line.isEmpty()) {
        out += LogTime(m_lineTime);
        out += ' ';
        out += m_direction;
        out += ' ';
        EscapeBytes(m_line, out);
        out += '\n';
        m_line.truncate(0); // keeps its capacity: one line's worth
    }
    out += m_pendingNotes;
    m_pendingNotes.clear();
}

void LogFormatter::Annotate()
{
    if (m_reply.endsWith('\r'))
        m_reply.chop(1);
    for (const QString &note : AnnotateReply(m_reply))
        m_pendingNotes += "# " + note.toUtf8() + '\n';
    m_reply.truncate(0);
}

DecodedLog DecodeLog(QByteArrayView log)
{
    DecodedLog d;
    int number = 0;
    qsizetype start = 0;
    while (start < log.size()) {
        qsizetype end = log.indexOf('\n', start);
        if (end < 0)
            end = log.size();
        ++number;
        QByteArrayView line = log.sliced(start, end - start);
        start = end + 1;
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        // "<date> <time> <kind> <rest>": the time stamp is two words of fixed width.
        constexpr qsizetype kTimeWidth = 23;
        if (line.size() < kTimeWidth + 2 || line[kTimeWidth] != ' ' ||
            (line.size() > kTimeWidth + 2 && line[kTimeWidth + 2] != ' ')) {
            d.errorLine = number;
            return d;
        }
        LogRecord r;
        r.time = line.first(kTimeWidth).toByteArray();
        r.kind = line[kTimeWidth + 1];
        const QByteArrayView rest = line.size() > kTimeWidth + 3 ? line.sliced(kTimeWidth + 3) : QByteArrayView();
        if (r.kind == '*') {
            r.event = rest.toByteArray();
        } else if (r.kind == '>' || r.kind == '<') {
            if (!UnescapeBytes(rest, r.bytes)) {
                d.errorLine = number;
                return d;
            }
            (r.kind == '>' ? d.sent : d.received) += r.bytes;
        } else {
            d.errorLine = number;
            return d;
        }
        d.records.append(std::move(r));
    }
    return d;
}

} // namespace quillon
