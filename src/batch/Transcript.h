#pragma once
// What was said on a port during one run, kept with its record: one line per command sent and
// per reply line received ("08:30:00.123 > AT+CPIN?\r\n", "< +CPIN: READY\r\n"), in the session
// log's escaping, each recognised reply followed by its explanation ("# ..."), and the port's
// events. Bounded: a flooding module cannot grow it past kLimitBytes.

#include "serial/PortActivity.h"

#include <QByteArray>
#include <QString>

namespace quillon::batch {

class Transcript : public PortListener {
public:
    static constexpr qsizetype kLimitBytes = 256 * 1024;

    /// Starts a new transcript (a run begins).
    void Begin();
    /// Stops taking events; returns the transcript.
    QString End();
    void PortEventOccurred(const PortEvent &event) override;

private:
    void AddLine(const QDateTime &time, char mark, QByteArrayView bytes);
    void AddText(const QString &line);

    bool m_active = false;
    bool m_full = false;
    QByteArray m_text;
    QByteArray m_pendingLine; ///< received bytes since the last LF
    QDateTime m_pendingTime;
};

} // namespace quillon::batch
