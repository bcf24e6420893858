#include "batch/Console.h"

#include "batch/PortStation.h"

#include <QDateTime>

namespace quillon::batch {

namespace {
constexpr int kRedrawMs = 100;
QString Elapsed(qint64 ms) { return QStringLiteral("%1 s").arg(double(ms) / 1000.0, 0, 'f', 1); }
} // namespace

Console::Console(FILE *stream, bool table, QObject *parent) : QObject(parent), m_stream(stream), m_table(table)
{
    // Changes come in bursts (a step every few milliseconds on six ports): one redraw per period.
    m_redraw.setSingleShot(true);
    m_redraw.setInterval(kRedrawMs);
    connect(&m_redraw, &QTimer::timeout, this, &Console::Draw);
}

void Console::Write(const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), m_stream);
    std::fflush(m_stream);
}

void Console::Watch(PortStation *station)
{
    m_stations.append(station);
    if (m_table) {
        connect(station, &PortStation::Changed, this, [this] {
            if (!m_redraw.isActive())
                m_redraw.start();
        });
        // The elapsed column moves while a unit is tested.
        auto *tick = new QTimer(station);
        connect(tick, &QTimer::timeout, this, [this] {
            if (!m_redraw.isActive())
                m_redraw.start();
        });
        tick->start(1000);
    } else {
        connect(station, &PortStation::Note, this, [this, station](const QString &text) {
            Write(QStringLiteral("%1 %2 %3: %4\n")
                      .arg(QDateTime::currentDateTime().toString(QStringLiteral("HH:mm:ss.zzz")),
                           station->Port().label, station->Device(), text));
        });
    }
}

void Console::Message(const QString &text)
{
    if (m_table && m_drawnLines > 0) {
        // Above the table, which is drawn again below it.
        Write(QStringLiteral("\x1b[%1A\x1b[J").arg(m_drawnLines));
        m_drawnLines = 0;
        Write(text + QLatin1Char('\n'));
        Draw();
        return;
    }
    Write(text + QLatin1Char('\n'));
}

void Console::Finish()
{
    if (m_table)
        Draw();
}

void Console::Draw()
{
    QString out;
    if (m_drawnLines > 0)
        out += QStringLiteral("\x1b[%1A").arg(m_drawnLines);
    int labelWidth = 4;
    int deviceWidth = 6;
    for (PortStation *s : m_stations) {
        labelWidth = std::max(labelWidth, int(s->Port().label.size()));
        deviceWidth = std::max(deviceWidth, int(s->Device().size()));
    }
    auto line = [&](const QString &label, const QString &device, const QString &elapsed, const QString &counts,
                    const QString &state) {
        out += QStringLiteral("\x1b[2K%1  %2  %3  %4  %5\n")
                   .arg(label, -labelWidth)
                   .arg(device, -deviceWidth)
                   .arg(elapsed, 7)
                   .arg(counts, -9)
                   .arg(state);
    };
    line(QStringLiteral("PORT"), QStringLiteral("DEVICE"), QStringLiteral("TIME"), QStringLiteral("PASS/FAIL"),
         QStringLiteral("STATE"));
    for (PortStation *s : m_stations)
        line(s->Port().label, s->Device(), Elapsed(s->ElapsedMs()),
             QStringLiteral("%1/%2").arg(s->PassedCount()).arg(s->FailedCount()), s->StatusText());
    m_drawnLines = int(m_stations.size()) + 1;
    Write(out);
}

} // namespace quillon::batch
