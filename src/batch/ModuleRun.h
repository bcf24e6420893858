#pragma once
// One module test run on an open port, as an asynchronous state machine: the speed search and
// the sequence of the shared plan (gsm/plan), the same receive text the window judges (rendered
// and cut as the window's), the same checks and diagnoses. Nothing blocks: every wait is a
// timer, so any number of runs share one thread and a port that hangs delays only itself.
//
// Paces: Fixed waits the window's 300 ms after every command. Reply ends a command as soon as
// its final result code has arrived (ReplyEnd.h), waiting at most the fixed wait, or the wire
// time when that is longer (low speeds). The pauses of the plan are kept in both.

#include "gsm/plan/ModuleTestPlan.h"
#include "terminal/ReceiveText.h"
#include "batch/ReplyEnd.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <functional>
#include <vector>

namespace quillon {
class SerialComm;
}

namespace quillon::batch {

enum class Pace { Fixed, Reply };

class ModuleRun : public QObject {
    Q_OBJECT
public:
    static constexpr int kReplyWaitMs = 300; ///< the window's wait after each command
    static constexpr int kPollMs = 5;        ///< the window's receive poll

    ModuleRun(SerialComm &comm, Pace pace, QObject *parent = nullptr);

    /// Told of attempts, steps and the end, in order; none of them changes the run.
    void AddListener(moduletest::RunListener *listener) { m_listeners.push_back(listener); }

    /// Starts a run on the open port (it sets the port's speed itself). Does nothing while a run
    /// is going.
    void Start();
    /// Ends the running run at once as cut short with `reason`; nothing more is sent.
    void CutShort(const QString &reason);
    bool Running() const { return m_running; }
    const moduletest::RunResult &Result() const { return m_result; }
    /// The step the run is at: 2 for the speed search, 4..14, 15 once passed.
    int CurrentStep() const { return m_step; }
    const ReceiveText &Received() const { return m_text; }

Q_SIGNALS:
    void Finished();

private:
    void Send(const QString &command, std::function<void()> then);
    void EndWait();
    void Pause(int ms, std::function<void()> then);
    void Poll();
    void StartAttempt();
    void AfterAttempt();
    void StartStep(int index);
    void JudgeStep(int index);
    void Fail(int step, const QString &diagnosis);
    void End();
    bool SetSpeed(int baud);

    SerialComm &m_comm;
    const Pace m_pace;
    std::vector<moduletest::RunListener *> m_listeners;
    QTimer m_poll;
    QTimer m_timer; ///< the command wait, then the pause after it
    std::function<void()> m_then;
    bool m_waiting = false;
    bool m_running = false;
    ReceiveText m_text;
    FinalResultWatcher m_watcher;
    moduletest::RunResult m_result;
    int m_step = 0;
    int m_attempt = 0;
    int m_speedIndex = 0;
    int m_baud = 0;
    QString m_imeiText;
};

} // namespace quillon::batch
