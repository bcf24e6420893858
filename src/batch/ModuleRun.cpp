#include "batch/ModuleRun.h"

#include "serial/SerialComm.h"
#include "serial/Speeds.h"
#include "terminal/ByteRendering.h"

namespace quillon::batch {

using namespace moduletest;

namespace {
QString SettingsFor(int baud) { return QStringLiteral("%1,N,8,1").arg(baud); }
constexpr int kSearchStep = 2;
} // namespace

ModuleRun::ModuleRun(SerialComm &comm, Pace pace, QObject *parent)
    : QObject(parent), m_comm(comm), m_pace(pace)
{
    m_poll.setTimerType(Qt::PreciseTimer);
    m_poll.setInterval(kPollMs);
    connect(&m_poll, &QTimer::timeout, this, &ModuleRun::Poll);
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        if (m_waiting) {
            EndWait();
        } else if (auto then = std::exchange(m_then, nullptr)) {
            Poll(); // what arrived by the end of the pause counts, as in the window's last tick
            if (m_running)
                then();
        }
    });
}

bool ModuleRun::SetSpeed(int baud)
{
    return Attempt([&] { m_comm.SetSettings(SettingsFor(baud)); });
}

void ModuleRun::Start()
{
    if (m_running)
        return;
    m_running = true;
    m_result = RunResult();
    m_imeiText.clear();
    m_text.Clear();
    m_step = kSearchStep;
    for (RunListener *listener : m_listeners)
        listener->RunStarted();
    m_poll.start();
    m_speedIndex = kModuleTestSpeedIndex;
    m_baud = kSpeeds[size_t(m_speedIndex)];
    SetSpeed(m_baud);
    m_attempt = 1;
    StartAttempt();
}

void ModuleRun::Send(const QString &command, std::function<void()> then)
{
    Poll(); // bytes that came before the command belong to the text it clears
    if (!m_running)
        return;
    m_text.Clear();
    m_watcher.Reset();
    m_then = std::move(then);
    if (!Attempt([&] { m_comm.Output((command + QLatin1String("\r\n")).toLatin1()); })) {
        // A failed write ends the send without a wait, as in the window.
        if (!m_comm.PortOpen()) {
            CutShort(QStringLiteral("port closed"));
            return;
        }
        EndWait();
        return;
    }
    m_waiting = true;
    const int waitMs = m_pace == Pace::Fixed ? kReplyWaitMs : ReplyCeilingMs(int(command.size()), m_baud, kReplyWaitMs);
    m_timer.start(waitMs);
}

void ModuleRun::EndWait()
{
    m_timer.stop();
    m_waiting = false;
    Poll();
    if (!m_running)
        return;
    if (auto then = std::exchange(m_then, nullptr))
        then();
}

void ModuleRun::Pause(int ms, std::function<void()> then)
{
    if (ms <= 0) {
        then();
        return;
    }
    m_then = std::move(then);
    m_timer.start(ms);
}

void ModuleRun::Poll()
{
    if (!m_running)
        return;
    QByteArray bytes;
    if (!Attempt([&] { bytes = m_comm.Input(); }) || bytes.isEmpty())
        return;
    m_text.Append(RenderBytes(bytes, false));
    if (m_waiting && m_pace == Pace::Reply && m_watcher.Feed(bytes))
        EndWait();
}

void ModuleRun::StartAttempt()
{
    for (RunListener *listener : m_listeners)
        listener->AttemptStarted(m_attempt, m_baud);
    Send(kSearchCommand, [this] { Pause(kSearchPauseMs, [this] { AfterAttempt(); }); });
}

void ModuleRun::AfterAttempt()
{
    if (m_text.Text().contains(kSearchAnswer)) {
        m_result.attempts = m_attempt;
        m_result.answeredBaud = m_baud;
        // The search ends at 115200 bps whichever speed answered: the factory profile AT&F
        // restored detects the speed by itself.
        m_baud = kSpeeds[size_t(kModuleTestSpeedIndex)];
        SetSpeed(m_baud);
        StartStep(0);
        return;
    }
    --m_speedIndex;
    // Below the first entry there is no speed: the speed in force stays for the last attempts.
    if (m_speedIndex >= 0 && SetSpeed(kSpeeds[size_t(m_speedIndex)]))
        m_baud = kSpeeds[size_t(m_speedIndex)];
    if (++m_attempt > kSpeedCount) {
        m_result.attempts = kSpeedCount;
        SetSpeed(kSpeeds[size_t(kModuleTestSpeedIndex)]);
        Fail(3, kNoAnswer);
        return;
    }
    StartAttempt();
}

void ModuleRun::StartStep(int index)
{
    if (index >= Sequence().size()) {
        m_result.identification = IdentificationFrom(m_text.Text());
        m_result.imei = m_imeiText.mid(QStringLiteral("IMEI: ").size());
        m_text.SetText(m_text.Text() + m_imeiText);
        m_text.SetText(m_text.Text() + kPassedTail);
        m_result.outcome = RunResult::Outcome::Passed;
        m_result.endedAtStep = 15;
        m_step = 15;
        End();
        return;
    }
    const Step &step = Sequence().at(index);
    m_step = step.number;
    for (RunListener *listener : m_listeners)
        listener->StepStarted(step.number, step.command);
    Send(step.command, [this, index] { Pause(Sequence().at(index).pauseMs, [this, index] { JudgeStep(index); }); });
}

void ModuleRun::JudgeStep(int index)
{
    const Step &step = Sequence().at(index);
    if (const auto diagnosis = Judge(step.check, m_text.Text())) {
        Fail(step.number, *diagnosis);
        return;
    }
    if (step.check == Check::Imei)
        m_imeiText = ImeiTextFrom(m_text.Text());
    Pause(step.pauseAfterPassMs, [this, index] { StartStep(index + 1); });
}

void ModuleRun::Fail(int step, const QString &diagnosis)
{
    m_result.outcome = RunResult::Outcome::Failed;
    m_result.endedAtStep = step;
    m_result.diagnosis = diagnosis;
    End();
}

void ModuleRun::CutShort(const QString &reason)
{
    if (!m_running)
        return;
    m_result.outcome = RunResult::Outcome::CutShort;
    m_result.cutReason = reason;
    m_result.endedAtStep = m_step;
    End();
}

void ModuleRun::End()
{
    m_running = false;
    m_waiting = false;
    m_then = nullptr;
    m_timer.stop();
    m_poll.stop();
    for (RunListener *listener : m_listeners)
        listener->RunEnded(m_result);
    Q_EMIT Finished();
}

} // namespace quillon::batch
