#include "batch/ReplyEnd.h"

#include <algorithm>

namespace quillon::batch {

bool IsFinalResult(QByteArrayView line)
{
    const QByteArrayView text = line.trimmed();
    for (const char *exact : {"OK", "ERROR", "NO CARRIER", "BUSY", "NO ANSWER", "NO DIALTONE", "CONNECT"})
        if (text == QByteArrayView(exact))
            return true;
    // CONNECT may carry the speed ("CONNECT 9600"); after it the line is in data mode and no
    // further result comes, so waiting on would only reach the ceiling.
    for (const char *prefix : {"+CME ERROR:", "+CMS ERROR:", "CONNECT "})
        if (text.startsWith(QByteArrayView(prefix)))
            return true;
    return false;
}

bool FinalResultWatcher::Feed(QByteArrayView bytes)
{
    for (char c : bytes) {
        if (m_seen)
            break;
        if (c == '\r' || c == '\n') {
            if (!m_overlong && IsFinalResult(m_line))
                m_seen = true;
            m_line.clear();
            m_overlong = false;
        } else if (!m_overlong) {
            if (m_line.size() >= kLineLimit) {
                m_overlong = true;
                m_line.clear();
            } else {
                m_line.append(c);
            }
        }
    }
    return m_seen;
}

void FinalResultWatcher::Reset()
{
    m_line.clear();
    m_overlong = false;
    m_seen = false;
}

int WireMs(qsizetype bytes, int baud)
{
    if (baud <= 0)
        return 0;
    return int((qint64(bytes) * 10 * 1000 + baud - 1) / baud);
}

int ReplyCeilingMs(int commandLength, int baud, int fixedWaitMs)
{
    // Out: command + CR LF. Back: its echo (command + CR) and "\r\nOK\r\n".
    const int wire = WireMs(commandLength + 2, baud) + WireMs(commandLength + 1 + 6, baud);
    return std::max(fixedWaitMs, wire + kWireMarginMs);
}

} // namespace quillon::batch
