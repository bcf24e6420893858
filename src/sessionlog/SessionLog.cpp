#include "sessionlog/SessionLog.h"

#include "sessionlog/LogFormat.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace quillon {

namespace {
/// Buffers larger than this are released once empty; smaller ones are reused.
constexpr qsizetype kKeptBufferBytes = 256 * 1024;
constexpr size_t kKeptQueueEntries = 4096;
/// During a flood the file is looked for after this much, so the copy kept for a rewrite stays small.
constexpr qsizetype kCheckEveryBytes = 1024 * 1024;
/// A flood's batch is formatted in pieces of this size and written once this much text is
/// waiting (escaped, a byte can become four), so the buffer stays within the size it keeps.
constexpr qsizetype kPieceBytes = 32 * 1024;
constexpr qsizetype kWriteAtBytes = 64 * 1024;
} // namespace

namespace {

constexpr qint64 kWakeBytes = 1024 * 1024;

const QString kKeepsWorking = QStringLiteral("端口和各项操作照常工作，能写入后日志自动继续。");
const QString kChooseFolder = QStringLiteral("或在设置文件的 [Log] 节用 Folder= 另选一个文件夹");

} // namespace

/// Everything the writer thread owns: the formatter, the file, what is still to be written.
class SessionLog::Writer {
public:
    Writer(const SessionLogOptions &options, SessionLog &owner) : m_options(options), m_owner(owner) {}

    void Take(const PortEvent &e)
    {
        if (e.kind == PortEventKind::Opened) {
            EndSession();
            m_active = true;
            m_opened = e;
            m_part = 1;
            m_baseName = e.wallTime.toString(QStringLiteral("yyyyMMdd-HHmmss")) +
                         QStringLiteral("-COM%1").arg(e.port);
            m_problemShown = false;
            m_formatter = LogFormatter();
            m_retryClock.invalidate();
        }
        if (!m_active)
            return;
        if (e.bytes.size() <= kPieceBytes) {
            m_formatter.Add(e, m_unwritten);
        } else {
            // Same direction, same time: the formatter joins the pieces as one event's bytes.
            const QByteArrayView bytes(e.bytes);
            for (qsizetype at = 0; at < bytes.size(); at += kPieceBytes) {
                m_formatter.Add(e, bytes.sliced(at, qMin(kPieceBytes, bytes.size() - at)), m_unwritten);
                if (!m_failing && m_unwritten.size() >= kWriteAtBytes)
                    WriteOut();
            }
        }
        if (!m_failing && m_unwritten.size() >= kWriteAtBytes)
            WriteOut();
        KeepWithinLimit();
        if (e.kind == PortEventKind::Closed || e.kind == PortEventKind::Lost)
            EndSession();
    }

    void Dropped(quint64 bytes)
    {
        if (m_active)
            m_unwritten += "# " + QByteArray::number(bytes) + " bytes of the port were not logged: "
                           "the log could not keep up\n";
    }

    /// Nothing held, nothing to retry: the writer may sleep until the next event.
    bool Idle() const { return !m_active || (!m_formatter.Holding() && m_unwritten.isEmpty() && !m_failing); }

    void Tick(qint64 nowNs)
    {
        if (!m_active)
            return;
        m_formatter.Tick(nowNs, m_unwritten);
        if (m_file.isOpen() && !m_failing && RetryDue())
            CheckFileStillThere();
        if (!m_failing || RetryDue())
            WriteOut();
        // A flood grows the buffer to megabytes; give that back instead of holding it for the
        // rest of the session. At line speeds the buffer stays far below the limit.
        if (m_unwritten.isEmpty() && m_unwritten.capacity() > kKeptBufferBytes)
            m_unwritten = QByteArray();
    }

    void EndSession()
    {
        if (!m_active)
            return;
        m_formatter.Finish(m_unwritten);
        WriteOut();
        m_file.close();
        m_unwritten.clear();
        m_sinceCheck.clear();
        m_active = false;
        m_failing = false;
    }

private:
    bool RetryDue()
    {
        if (m_retryClock.isValid() && m_retryClock.elapsed() < m_options.retryMs)
            return false;
        m_retryClock.start();
        return true;
    }

    void Report(const QString &text)
    {
        m_failing = true;
        if (m_problemShown)
            return;
        m_problemShown = true;
        Q_EMIT m_owner.Problem(text);
    }

    /// The first free name of the base name's parts: "<base>.log", "<base>-2.log", ...
    QString FreePath()
    {
        const QDir folder(m_options.folder);
        for (;; ++m_part) {
            const QString name = m_part == 1 ? m_baseName + QStringLiteral(".log")
                                             : QStringLiteral("%1-%2.log").arg(m_baseName).arg(m_part);
            const QString path = folder.filePath(name);
            if (!QFileInfo::exists(path))
                return path;
        }
    }

    bool OpenFile()
    {
        if (!QDir().mkpath(m_options.folder)) {
            Report(QStringLiteral("无法建立日志文件夹 %1。请为当前用户授予该位置的写入权限，%2。%3")
                       .arg(QDir::toNativeSeparators(m_options.folder), kChooseFolder, kKeepsWorking));
            return false;
        }
        const QString path = FreePath();
        m_file.setFileName(path);
        if (!m_file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
            Report(QStringLiteral("无法在日志文件夹 %1 中建立日志文件（%2）。请为当前用户授予该文件夹的写入权限，%3。%4")
                       .arg(QDir::toNativeSeparators(m_options.folder), m_file.errorString(), kChooseFolder,
                            kKeepsWorking));
            return false;
        }
        m_fileBytes = 0;
        m_unwritten.prepend(LogHeader(m_opened, m_part));
        {
            std::lock_guard lock(m_owner.m_mutex);
            m_owner.m_currentFile = path;
        }
        if (m_removed) {
            m_removed = false;
            Report(QStringLiteral("日志文件 %1 在记录中被删除或移走（连同其文件夹）。日志已在 %2 中继续；请不要在端口打开时删除或移动日志文件夹。")
                       .arg(QDir::toNativeSeparators(m_removedPath), QDir::toNativeSeparators(path)));
            m_failing = false;
        }
        return true;
    }

    void CheckFileStillThere()
    {
        if (QFileInfo::exists(m_file.fileName())) {
            m_sinceCheck.truncate(0); // keeps its capacity, which stays below kCheckEveryBytes
            return;
        }
        // What went to the file since the last check went into a file nobody can find.
        m_removed = true;
        m_removedPath = m_file.fileName();
        m_file.close();
        m_unwritten.prepend(m_sinceCheck);
        m_sinceCheck.clear();
        ++m_part;
    }

    /// While the file cannot be written, the oldest whole lines go beyond the limit.
    void KeepWithinLimit()
    {
        if (m_unwritten.size() <= m_options.maxUnwrittenBytes)
            return;
        const qsizetype cut = m_unwritten.indexOf('\n', m_unwritten.size() - m_options.maxUnwrittenBytes);
        m_unwritten.remove(0, cut < 0 ? m_unwritten.size() : cut + 1);
        m_unwritten.prepend("# earlier lines were dropped: the log could not be written\n");
    }

    void WriteOut()
    {
        if (m_unwritten.isEmpty())
            return;
        KeepWithinLimit();
        if (!m_file.isOpen() && !OpenFile())
            return;
        while (!m_unwritten.isEmpty()) {
            qsizetype take = m_unwritten.size();
            if (m_fileBytes + take > m_options.maxFileBytes) {
                // Whole lines only, so that each part decodes on its own.
                const qint64 room = m_options.maxFileBytes - m_fileBytes;
                const qsizetype end = room > 0 ? m_unwritten.lastIndexOf('\n', room - 1) : -1;
                if (end < 0 && m_fileBytes > 0) {
                    m_file.close();
                    ++m_part;
                    if (!OpenFile())
                        return;
                    continue;
                }
                take = end < 0 ? m_unwritten.indexOf('\n') + 1 : end + 1;
                if (take <= 0)
                    take = m_unwritten.size();
            }
            const qint64 written = m_file.write(m_unwritten.constData(), take);
            if (written <= 0) {
                Report(QStringLiteral("日志文件 %1 写入失败（%2）。磁盘可能已满：请腾出磁盘空间，%3。%4")
                           .arg(QDir::toNativeSeparators(m_file.fileName()), m_file.errorString(),
                                kChooseFolder, kKeepsWorking));
                return;
            }
            m_fileBytes += written;
            if (m_sinceCheck.size() + written >= kCheckEveryBytes) {
                // m_unwritten still starts with what was just written: if the file is gone,
                // that goes into the next part behind the rest kept since the last check.
                CheckFileStillThere();
                if (!m_file.isOpen())
                    return WriteOut();
            } else {
                m_sinceCheck.append(m_unwritten.constData(), written);
            }
            m_unwritten.remove(0, written);
        }
        m_failing = false;
    }

    const SessionLogOptions &m_options;
    SessionLog &m_owner;
    LogFormatter m_formatter;
    PortEvent m_opened;
    QString m_baseName;
    int m_part = 1;
    bool m_active = false;
    bool m_failing = false;
    bool m_problemShown = false;
    bool m_removed = false;
    QString m_removedPath;
    QFile m_file;
    qint64 m_fileBytes = 0;
    QByteArray m_unwritten;
    QByteArray m_sinceCheck; ///< written since the file was last seen in place
    QElapsedTimer m_retryClock;
};

SessionLog::SessionLog(SessionLogOptions options, QObject *parent)
    : QObject(parent), m_options(std::move(options)), m_writer(std::make_unique<Writer>(m_options, *this))
{
    m_clock.start();
    m_thread = std::thread([this] { Run(); });
}

SessionLog::~SessionLog()
{
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_one();
    m_thread.join();
}

void SessionLog::PortEventOccurred(const PortEvent &event)
{
    const qint64 stamp = m_clock.nsecsElapsed();
    bool wake = false;
    {
        std::lock_guard lock(m_mutex);
        const bool data = event.kind == PortEventKind::Sent || event.kind == PortEventKind::Received;
        if (data && m_queuedBytes > m_options.maxUnwrittenBytes) {
            m_droppedBytes += event.bytes.size();
            return;
        }
        m_queue.push_back(Queued{event, stamp});
        m_queuedBytes += event.bytes.size();
        if (!data || m_queuedBytes > kWakeBytes || m_writerIdle) {
            wake = !m_urgent;
            m_urgent = true;
            m_writerIdle = false;
        }
    }
    if (wake)
        m_wake.notify_one();
}

void SessionLog::Flush()
{
    std::unique_lock lock(m_mutex);
    const quint64 ticket = ++m_flushRequested;
    m_wake.notify_one();
    m_flushed.wait(lock, [this, ticket] { return m_flushDone >= ticket; });
}

QString SessionLog::CurrentFile() const
{
    std::lock_guard lock(m_mutex);
    return m_currentFile;
}

void SessionLog::Run()
{
    std::vector<Queued> batch;
    qint64 lastEventNs = 0, lastStampNs = 0;
    bool seen = false;
    std::unique_lock lock(m_mutex);
    for (;;) {
        const auto due = [this] { return m_stop || m_urgent || m_flushRequested > m_flushDone; };
        if (m_writerIdle)
            m_wake.wait(lock, [this, &due] { return due() || !m_queue.empty(); });
        else
            m_wake.wait_for(lock, std::chrono::milliseconds(m_options.tickMs), due);
        batch.swap(m_queue);
        m_queuedBytes = 0;
        m_urgent = false;
        const quint64 dropped = std::exchange(m_droppedBytes, 0);
        const quint64 flushTarget = m_flushRequested;
        const bool stop = m_stop;
        lock.unlock();

        for (Queued &q : batch) {
            m_writer->Take(q.event);
            q.event.bytes = QByteArray(); // a flood's batch is given back as it is written
            lastEventNs = q.event.monotonicNs;
            lastStampNs = q.stampNs;
            seen = true;
        }
        batch.clear();
        // The same for the queue a flood filled (it comes back as the next m_queue).
        if (batch.capacity() > kKeptQueueEntries)
            std::vector<Queued>().swap(batch);
        if (dropped)
            m_writer->Dropped(dropped);
        // "Now" on the events' clock: the last event's time plus what passed since it arrived.
        m_writer->Tick(seen ? lastEventNs + (m_clock.nsecsElapsed() - lastStampNs) : 0);
        if (stop)
            m_writer->EndSession();

        lock.lock();
        m_writerIdle = m_writer->Idle() && m_queue.empty();
        m_flushDone = flushTarget;
        m_flushed.notify_all();
        if (stop)
            return;
    }
}

} // namespace quillon
