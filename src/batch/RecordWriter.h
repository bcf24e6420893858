#pragma once
// Keeps the batch's run records on a thread of its own: a store write (SQLite, and the central
// PostgreSQL server when one is named) can take seconds when a server is slow, and no port may
// wait for it.

#include "records/RunRecord.h"

#include <QObject>
#include <QString>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace quillon::batch {

class RecordWriter : public QObject {
    Q_OBJECT
public:
    /// `folder`: where the store's database lives; `centralUrl`: [Records] Database=.
    RecordWriter(const QString &folder, const QString &centralUrl, QObject *parent = nullptr);
    /// Writes what is still queued, then stops.
    ~RecordWriter() override;

    void Store(const records::RunRecord &record);
    /// Blocks until every record handed over has been written (or kept aside).
    void Drain();

Q_SIGNALS:
    /// The store's message about a problem (once per problem), delivered on the thread that
    /// made the writer.
    void Problem(const QString &text);

private:
    void Run(QString folder, QString centralUrl);

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::deque<records::RunRecord> m_queue;
    bool m_busy = false;
    bool m_stop = false;
    std::thread m_thread;
};

} // namespace quillon::batch
