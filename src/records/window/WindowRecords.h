#pragma once
// The window's module test kept as test records: every run, however it ends, becomes one
// RunRecord in the records database of the log folder (and the central one the settings name).
// It only listens: the test sends, shows and decides exactly as without it.
//
// The transcript is built here from the port's activity during the run, with the session log's
// own formatter, so it has the log's lines and annotations even when the session log is off.
// The port closed, the device lost or the window closed during a run cut the run short; the
// record then names that instead of the diagnosis the window went on to show.

#include "gsm/plan/ModuleTestPlan.h"
#include "records/RecordStore.h"
#include "serial/SerialComm.h"
#include "terminal/MessageSink.h"

#include <QElapsedTimer>
#include <QObject>

#include <memory>

namespace quillon {

class LogFormatter;
class ModuleTest;

class WindowRecords : public QObject, public moduletest::RunListener, public PortListener {
    Q_OBJECT
public:
    static inline const QString kPortClosed = QStringLiteral("端口被关闭");
    static inline const QString kDeviceLost = QStringLiteral("设备已断开");
    static inline const QString kWindowClosed = QStringLiteral("窗口被关闭");

    /// Listens to `test` and to `comm`'s activity until destroyed. The store in `folder` is
    /// opened at the first record; `[Records] Database=` of the settings file names the central
    /// database. A problem keeping records is shown once through `messages` (plain box).
    WindowRecords(SerialComm &comm, ModuleTest &test, const QString &folder,
                  MessageSink &messages);
    ~WindowRecords() override;

    /// The window is closing: a run still going is cut short.
    void WindowClosing();

    QString Folder() const { return m_folder; }

    // moduletest::RunListener
    void RunStarted() override;
    void AttemptStarted(int attempt, int baud) override;
    void StepStarted(int step, const QString &command) override;
    void RunEnded(const moduletest::RunResult &result) override;

    // PortListener
    void PortEventOccurred(const PortEvent &event) override;

private:
    void CutShort(const QString &reason);
    void Keep(const records::RunRecord &record);

    SerialComm &m_comm;
    ModuleTest &m_test;
    QString m_folder;
    QString m_centralUrl;
    MessageSink &m_messages;
    std::unique_ptr<records::RecordStore> m_store;

    QString m_portEntry;  ///< of the latest opening
    QString m_devicePath;
    bool m_running = false;
    records::RunRecord m_record;
    QElapsedTimer m_clock;
    int m_step = 0;       ///< the step the run is at
    int m_cutStep = 0;    ///< the step at which it was cut short; 0 while it was not
    QByteArray m_transcript;
    std::unique_ptr<LogFormatter> m_formatter;
};

} // namespace quillon
