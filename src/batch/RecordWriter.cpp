#include "batch/RecordWriter.h"

#include "records/RecordStore.h"

namespace quillon::batch {

RecordWriter::RecordWriter(const QString &folder, const QString &centralUrl, QObject *parent)
    : QObject(parent), m_thread([this, folder, centralUrl] { Run(folder, centralUrl); })
{
}

RecordWriter::~RecordWriter()
{
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

void RecordWriter::Store(const records::RunRecord &record)
{
    {
        std::lock_guard lock(m_mutex);
        m_queue.push_back(record);
    }
    m_wake.notify_all();
}

void RecordWriter::Drain()
{
    std::unique_lock lock(m_mutex);
    m_idle.wait(lock, [this] { return m_queue.empty() && !m_busy; });
}

void RecordWriter::Run(QString folder, QString centralUrl)
{
    // The store lives on the thread that made it.
    const auto store = records::RecordStore::Open(folder, centralUrl);
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stop || !m_queue.empty(); });
        if (m_queue.empty())
            break;
        const records::RunRecord record = std::move(m_queue.front());
        m_queue.pop_front();
        m_busy = true;
        lock.unlock();
        const records::StoreResult result = store->Store(record);
        if (!result.message.isEmpty())
            QMetaObject::invokeMethod(this, [this, text = result.message] { Q_EMIT Problem(text); },
                                      Qt::QueuedConnection);
        lock.lock();
        m_busy = false;
        m_idle.notify_all();
    }
    m_idle.notify_all();
}

} // namespace quillon::batch
