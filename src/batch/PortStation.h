#pragma once
// One port of the fixture: its serial component (the real backend for a device, the simulated
// port with an in-process module for "sim"), its session log, and the module test runs made on
// it: once, or in station mode one unit after another. Each station runs on timers of its own;
// nothing it does waits for another port.
//
// Station mode (watch): a unit is there when the device appears (absent → present: tested
// after kSettleMs) or when a plain "AT" probe at 115200 bps is answered; after its run the
// station waits until it is gone (the device vanishes, or no probe is answered for
// goneAfterMs) before it looks for the next one.

#include "batch/ModuleRun.h"
#include "batch/PortArgument.h"
#include "batch/Transcript.h"
#include "records/RunRecord.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <memory>

namespace quillon {
class SerialComm;
class SessionLog;
namespace sim {
class GsmModule;
}
} // namespace quillon

namespace quillon::batch {

struct StationOptions {
    Pace pace = Pace::Reply;
    bool watch = false;
    int probeIntervalMs = 1000;
    int goneAfterMs = 3000;
    int deviceCheckMs = 500;
    QString logFolder; ///< session logs go here; empty: none
};

class PortStation : public QObject, public moduletest::RunListener {
    Q_OBJECT
public:
    enum class State { Idle, WaitingDevice, WaitingModule, Testing, WaitingGone, Finished };
    static constexpr int kSettleMs = 500;

    /// `portNumber`: the number the port's events and its session log files carry (COM<n>).
    PortStation(const PortSpec &port, int portNumber, const StationOptions &options, QObject *parent = nullptr);
    ~PortStation() override;

    /// Opens the port at 115200 bps. Returns why it cannot be opened (naming port, device and
    /// reason), or an empty text. In station mode an absent device is not a failure: it is
    /// waited for.
    QString Open();
    /// Starts: one run, or station mode.
    void Begin();
    /// Ends everything now (Ctrl-C): a run going is cut short with `reason` and recorded; the
    /// port closes and Finished follows.
    void Stop(const QString &reason);

    const PortSpec &Port() const { return m_spec; }
    /// The device path, or "simulator".
    QString Device() const;
    State CurrentState() const { return m_state; }
    /// One line for the table: waiting, searching at N bps, step k of 12, PASS + IMEI, FAIL + diagnosis.
    QString StatusText() const;
    /// Of the latest run; 0 before the first.
    qint64 ElapsedMs() const;
    int PassedCount() const { return m_passed; }
    int FailedCount() const { return m_failed; }
    SerialComm &Comm() { return *m_comm; }
    /// The simulated module of a "sim" port, else null.
    sim::GsmModule *SimModule() const { return m_module.get(); }

Q_SIGNALS:
    /// The status line changed.
    void Changed();
    /// Something worth one plain output line happened.
    void Note(const QString &text);
    void RunRecorded(const quillon::records::RunRecord &record);
    void Finished();

private:
    // RunListener
    void AttemptStarted(int attempt, int baud) override;
    void StepStarted(int step, const QString &command) override;
    void RunEnded(const moduletest::RunResult &result) override;

    void SetState(State state, const QString &note = {});
    void StartRun();
    void RunFinished();
    void CheckDevice();
    void Probe();
    void OnPortEvent();
    bool DevicePresent() const;
    QString OpenPort();

    const PortSpec m_spec;
    const StationOptions m_options;
    std::unique_ptr<sim::GsmModule> m_module;
    std::unique_ptr<SerialComm> m_comm;
    std::unique_ptr<SessionLog> m_log;
    Transcript m_transcript;
    ModuleRun *m_run = nullptr;
    State m_state = State::Idle;
    QTimer m_timer;
    QElapsedTimer m_runClock;
    qint64 m_lastElapsedMs = 0;
    QElapsedTimer m_lastAnswer;
    QByteArray m_probeReply;
    bool m_probeSent = false;
    bool m_stopRequested = false;
    QString m_status;
    QString m_lastOpenFailure;
    records::RunRecord m_record;
    int m_passed = 0;
    int m_failed = 0;
};

} // namespace quillon::batch
