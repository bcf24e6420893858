#include "batch/PortStation.h"

#include "records/DeviceInfo.h"
#include "serial/QtSerialComm.h"
#include "serial/SimSerialComm.h"
#include "serial/Speeds.h"
#include "sessionlog/SessionLog.h"
#include "sim/GsmModule.h"

#include <QFileInfo>

namespace quillon::batch {

using moduletest::RunResult;

namespace {
const QByteArray kProbe = QByteArrayLiteral("AT\r\n");

QString BaudText(int baud) { return QStringLiteral("%1 bps").arg(baud); }
} // namespace

PortStation::PortStation(const PortSpec &port, int portNumber, const StationOptions &options, QObject *parent)
    : QObject(parent), m_spec(port), m_options(options)
{
    if (port.simulator) {
        m_module = std::make_unique<sim::GsmModule>();
        // Options were checked when the argument was read; this cannot fail here.
        sim::ApplyStartOptions(*m_module, port.simOptions);
        m_comm = std::make_unique<SimSerialComm>(m_module.get());
    } else {
        const QString device = port.device;
        m_comm = std::make_unique<QtSerialComm>([device](int) { return device; });
    }
    Attempt([&] { m_comm->SetCommPort(portNumber); });
    Attempt([&] { m_comm->SetSettings(QStringLiteral("%1,N,8,1").arg(kSpeeds[size_t(kModuleTestSpeedIndex)])); });
    if (!options.logFolder.isEmpty()) {
        SessionLogOptions logOptions;
        logOptions.folder = options.logFolder;
        m_log = std::make_unique<SessionLog>(logOptions);
        m_comm->Activity().AddListener(m_log.get());
    }
    m_comm->Activity().AddListener(&m_transcript);
    connect(m_comm.get(), &SerialComm::OnComm, this, &PortStation::OnPortEvent);

    m_run = new ModuleRun(*m_comm, options.pace, this);
    m_run->AddListener(this);
    connect(m_run, &ModuleRun::Finished, this, &PortStation::RunFinished);

    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        if (m_state == State::WaitingDevice)
            CheckDevice();
        else if (m_state == State::WaitingModule || m_state == State::WaitingGone)
            Probe();
    });
}

PortStation::~PortStation()
{
    m_comm->SetPortOpen(false);
    m_comm->Activity().RemoveListener(&m_transcript);
    if (m_log)
        m_comm->Activity().RemoveListener(m_log.get());
}

QString PortStation::Device() const { return m_spec.simulator ? QStringLiteral("simulator") : m_spec.device; }

bool PortStation::DevicePresent() const { return m_spec.simulator || QFileInfo::exists(m_spec.device); }

QString PortStation::OpenPort()
{
    try {
        m_comm->SetPortOpen(true);
    } catch (const CommError &e) {
        return QStringLiteral("%1 (%2): %3").arg(m_spec.label, Device(), e.text());
    }
    return QString();
}

QString PortStation::Open()
{
    if (m_options.watch && !DevicePresent())
        return QString();
    return OpenPort();
}

void PortStation::Begin()
{
    if (!m_options.watch) {
        StartRun();
        return;
    }
    if (m_comm->PortOpen()) {
        SetState(State::WaitingModule, QStringLiteral("waiting for a module"));
        Probe();
    } else {
        SetState(State::WaitingDevice, QStringLiteral("waiting for the device"));
        m_timer.start(m_options.deviceCheckMs);
    }
}

void PortStation::Stop(const QString &reason)
{
    if (m_state == State::Finished)
        return;
    m_timer.stop();
    m_stopRequested = true;
    if (m_run->Running()) {
        m_run->CutShort(reason); // RunFinished closes the port and finishes
        return;
    }
    m_comm->SetPortOpen(false);
    SetState(State::Finished, m_status.isEmpty() ? QStringLiteral("stopped") : m_status);
    Q_EMIT Finished();
}

void PortStation::SetState(State state, const QString &note)
{
    m_state = state;
    if (!note.isEmpty() && note != m_status) {
        m_status = note;
        Q_EMIT Note(note);
    }
    Q_EMIT Changed();
}

QString PortStation::StatusText() const { return m_status; }

qint64 PortStation::ElapsedMs() const { return m_state == State::Testing ? m_runClock.elapsed() : m_lastElapsedMs; }

void PortStation::StartRun()
{
    m_timer.stop();
    m_record = records::RunRecord::Begin();
    m_record.portEntry = m_spec.label;
    m_record.devicePath = Device();
    if (!m_spec.simulator)
        records::FillDeviceInfo(m_record, m_spec.device);
    m_transcript.Begin();
    m_runClock.start();
    m_state = State::Testing;
    m_run->Start();
}

void PortStation::AttemptStarted(int attempt, int baud)
{
    SetState(State::Testing, QStringLiteral("searching at %1 (attempt %2)").arg(BaudText(baud)).arg(attempt));
}

void PortStation::StepStarted(int step, const QString &command)
{
    // The search counts as step 1 of the technician's twelve.
    SetState(State::Testing,
             QStringLiteral("step %1 of %2: %3").arg(step - 2).arg(moduletest::kStepCount).arg(command));
}

void PortStation::RunEnded(const RunResult &result)
{
    m_lastElapsedMs = m_runClock.elapsed();
    m_record.durationMs = m_lastElapsedMs;
    m_record.answeredSpeed = result.answeredBaud;
    m_record.searchAttempts = result.attempts;
    if (!result.imei.isEmpty())
        m_record.SetImei(result.imei);
    m_record.identification = result.identification;
    m_record.transcript = m_transcript.End();
    QString status;
    switch (result.outcome) {
    case RunResult::Outcome::Passed:
        m_record.Finish(records::Outcome::Passed, QString(), result.endedAtStep);
        ++m_passed;
        status = QStringLiteral("PASS IMEI %1").arg(result.imei);
        if (!m_record.warning.isEmpty())
            status += QStringLiteral(" (%1)").arg(m_record.warning);
        break;
    case RunResult::Outcome::Failed:
        m_record.Finish(records::Outcome::Failed, result.diagnosis, result.endedAtStep);
        ++m_failed;
        status = QStringLiteral("FAIL %1").arg(result.diagnosis);
        break;
    case RunResult::Outcome::CutShort:
        m_record.Finish(records::Outcome::CutShort, result.cutReason, result.endedAtStep);
        ++m_failed;
        status = QStringLiteral("CUT SHORT %1").arg(result.cutReason);
        break;
    }
    m_record.durationMs = m_lastElapsedMs;
    SetState(State::Testing, status);
    Q_EMIT RunRecorded(m_record);
}

void PortStation::RunFinished()
{
    if (!m_options.watch || m_stopRequested) {
        m_comm->SetPortOpen(false);
        SetState(State::Finished);
        Q_EMIT Finished();
        return;
    }
    if (!m_comm->PortOpen()) {
        SetState(State::WaitingDevice);
        m_timer.start(m_options.deviceCheckMs);
        return;
    }
    // The verdict stays on the line while the unit is still seated.
    SetState(State::WaitingGone);
    m_lastAnswer.start();
    m_probeSent = false;
    Probe();
}

void PortStation::CheckDevice()
{
    if (DevicePresent()) {
        const QString failure = OpenPort();
        if (failure.isEmpty()) {
            // A device that has just appeared is a new unit: tested once it has settled.
            SetState(State::WaitingDevice, QStringLiteral("device present"));
            QTimer::singleShot(kSettleMs, this, [this] {
                if (m_state == State::WaitingDevice && m_comm->PortOpen())
                    StartRun();
            });
            return;
        }
        if (failure != m_lastOpenFailure) {
            m_lastOpenFailure = failure;
            SetState(State::WaitingDevice, failure);
        }
    }
    m_timer.start(m_options.deviceCheckMs);
}

void PortStation::Probe()
{
    QByteArray reply;
    Attempt([&] { reply = m_comm->Input(); });
    m_probeReply += reply;
    if (m_probeReply.size() > 4096)
        m_probeReply = m_probeReply.right(64);
    const bool answered = m_probeSent && m_probeReply.contains("OK");
    if (!m_comm->PortOpen())
        return; // the loss event moves the station on
    if (m_state == State::WaitingModule && answered) {
        m_probeReply.clear();
        m_probeSent = false;
        StartRun();
        return;
    }
    if (m_state == State::WaitingGone) {
        if (answered) {
            m_lastAnswer.start();
        } else if (m_lastAnswer.elapsed() >= m_options.goneAfterMs) {
            SetState(State::WaitingModule, QStringLiteral("unit gone; waiting for a module"));
            m_lastAnswer.start();
        }
    }
    m_probeReply.clear();
    m_probeSent = Attempt([&] { m_comm->Output(kProbe); });
    m_timer.start(m_options.probeIntervalMs);
}

void PortStation::OnPortEvent()
{
    if (m_comm->CommEvent() != CommEventCode::DeviceLost)
        return;
    if (m_run->Running()) {
        m_run->CutShort(QStringLiteral("device lost"));
        return;
    }
    if (m_state == State::WaitingModule || m_state == State::WaitingGone) {
        SetState(State::WaitingDevice, QStringLiteral("device gone; waiting for the device"));
        m_timer.start(m_options.deviceCheckMs);
    }
}

} // namespace quillon::batch
