#pragma once
// What the technician reads: on a terminal a table with one line per port, redrawn in place
// (port, device, state, elapsed time, units passed and failed); otherwise one plain line per
// event, so a log file or a pipe gets a readable history.

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QTimer>

#include <cstdio>

namespace quillon::batch {

class PortStation;

class Console : public QObject {
    Q_OBJECT
public:
    /// `table`: redraw a live table (the stream is a terminal); else plain lines.
    Console(FILE *stream, bool table, QObject *parent = nullptr);

    void Watch(PortStation *station);
    /// A line that is not about one port (problems, the summary).
    void Message(const QString &text);
    /// Draws the table a last time (the final verdicts).
    void Finish();

private:
    void Draw();
    void Write(const QString &text);

    FILE *m_stream;
    const bool m_table;
    QList<PortStation *> m_stations;
    QTimer m_redraw;
    int m_drawnLines = 0;
};

} // namespace quillon::batch
