#pragma once
// The session log's text format, pure. A log is plain ASCII, one record a line:
//
//   # Quillon 1.1.0 session log                      header and annotation lines start with '#'
//   2024-05-20 08:30:00.123 * open COM 1 /dev/ttyUSB0 115200,N,8,1     an event of the port
//   2024-05-20 08:30:00.140 > AT+CSQ\r\n             bytes sent
//   2024-05-20 08:30:00.151 < +CSQ: 21,0\r\n         bytes received
//   # 信号强度 -71 dBm，很好；误码率低于 0.2%（RXQUAL 0）    (UTF-8 comment, ignored by the decoder)
//
// Bytes are escaped so that decoding gives them back exactly: printable ASCII stands for itself,
// backslash is "\\", CR LF TAB are "\r" "\n" "\t", every other byte (and a space ending the
// line, which editors like to strip) is "\xHH". A data line ends after LF, when the direction
// changes, before an event, after 100 ms without bytes, at kMaxLineBytes, or once its first
// byte is kLineAgeNs old (so nothing waits longer than that to reach the disk).

#include "serial/PortActivity.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QList>
#include <QString>

namespace quillon {

inline constexpr qint64 kSilenceNs = 100'000'000;
inline constexpr qint64 kLineAgeNs = 100'000'000;
inline constexpr qsizetype kMaxLineBytes = 1024;

/// Appends `bytes` escaped to `out`.
void EscapeBytes(QByteArrayView bytes, QByteArray &out);
/// The bytes an escaped text stands for; false (and `out` unchanged) on a malformed escape.
bool UnescapeBytes(QByteArrayView text, QByteArray &out);

/// "yyyy-MM-dd HH:mm:ss.zzz".
QByteArray LogTime(const QDateTime &time);

/// The header of a log file: program and version, port entry, device, settings, start time;
/// `part` > 1 says the file continues an earlier one.
QByteArray LogHeader(const PortEvent &opened, int part);

/// Turns the port's events into log lines. Data lines are held until they end (see above);
/// annotation lines follow a received reply line the annotation table recognises.
class LogFormatter {
public:
    /// Appends the lines `event` completes. Events must come in order.
    void Add(const PortEvent &event, QByteArray &out) { Add(event, event.bytes, out); }
    /// The same for a data event's bytes given apart: a part of them, in order.
    void Add(const PortEvent &event, QByteArrayView bytes, QByteArray &out);
    /// Ends the held line if its last byte is kSilenceNs or its first byte kLineAgeNs old at
    /// `nowNs` (the events' monotonic clock).
    void Tick(qint64 nowNs, QByteArray &out);
    /// Ends the held line.
    void Finish(QByteArray &out);
    bool Holding() const { return !m_line.isEmpty(); }

private:
    void EndLine(QByteArray &out);
    void Annotate();

    char m_direction = 0;
    QByteArray m_line;         ///< raw bytes of the held line
    QDateTime m_lineTime;      ///< wall time of its first byte
    qint64 m_lineStartNs = 0;
    qint64 m_lastByteNs = 0;
    QByteArray m_reply;        ///< received bytes since the last LF, for annotations
    QByteArray m_pendingNotes; ///< annotations due after the held line ends
};

/// One record of a decoded log.
struct LogRecord {
    char kind = 0;     ///< '>' sent, '<' received, '*' event
    QByteArray time;   ///< as written
    QByteArray bytes;  ///< data records
    QByteArray event;  ///< event records: the text after "* "
};

struct DecodedLog {
    QList<LogRecord> records;
    QByteArray sent;
    QByteArray received;
    int errorLine = 0; ///< 1-based line that could not be read; 0 when all were read
};

/// Reads a log back: every data and event line in order, and each direction's bytes joined.
/// Header, annotation and empty lines are skipped; a malformed line stops the decoding.
DecodedLog DecodeLog(QByteArrayView log);

} // namespace quillon
