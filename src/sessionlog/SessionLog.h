#pragma once
// The session log: a listener on a port's activity that keeps every opening of the port in a
// file of its own, "<yyyyMMdd-HHmmss>-COM<n>.log" in the log folder, in the format of
// LogFormat.h.
//
// The listener only copies the event into a queue (the bytes are shared, not copied); a writer
// thread formats and writes every kTickMs, so the port's thread never waits for the disk. What
// could not be written is kept (up to maxUnwrittenBytes) and written once writing works again;
// a file reaching maxFileBytes continues in "<name>-2.log", "-3", ...

#include "serial/PortActivity.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace quillon {

struct SessionLogOptions {
    QString folder;                                ///< created when missing
    qint64 maxFileBytes = 64 * 1024 * 1024;
    qint64 maxUnwrittenBytes = 16 * 1024 * 1024;   ///< beyond this, lines are dropped and counted
    int tickMs = 100;                              ///< formatting and writing period
    int retryMs = 500;                             ///< retrying a failed write, checking the file is still there
};

class SessionLog : public QObject, public PortListener {
    Q_OBJECT
public:
    explicit SessionLog(SessionLogOptions options, QObject *parent = nullptr);
    /// Ends the current file (everything queued is written if it can be) and stops the writer.
    ~SessionLog() override;

    void PortEventOccurred(const PortEvent &event) override;

    /// Blocks until everything handed over before the call has been written or found
    /// unwritable. A line still open (see LogFormat.h) stays held.
    void Flush();

    /// The file of the latest opening (its latest part); empty before the first opening.
    QString CurrentFile() const;
    QString Folder() const { return m_options.folder; }

Q_SIGNALS:
    /// The log could not be written; at most once per opening of the port. `text` names what
    /// failed and what to fix. Emitted on the writer thread: connect with a receiver object.
    void Problem(const QString &text);

private:
    struct Queued {
        PortEvent event;
        qint64 stampNs;
    };
    class Writer;

    void Run();

    const SessionLogOptions m_options;
    std::unique_ptr<Writer> m_writer;

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_flushed;
    std::vector<Queued> m_queue;
    qint64 m_queuedBytes = 0;
    quint64 m_droppedBytes = 0;
    quint64 m_flushRequested = 0;
    quint64 m_flushDone = 0;
    bool m_urgent = false;
    bool m_writerIdle = false; ///< asleep until the next event
    bool m_stop = false;
    QString m_currentFile;
    QElapsedTimer m_clock;
    std::thread m_thread;
};

} // namespace quillon
