#include "records/window/WindowRecords.h"

#include "app/PublicMod.h"
#include "gsm/ModuleTest.h"
#include "records/DeviceInfo.h"
#include "serial/Speeds.h"
#include "sessionlog/LogFormat.h"

namespace quillon {

using moduletest::RunResult;
using records::Outcome;

namespace {

// The search is step 2 of the run (step 1 selects the speed, step 3 judges the search).
constexpr int kSearchStep = 2;

} // namespace

WindowRecords::WindowRecords(SerialComm &comm, ModuleTest &test, const QString &folder,
                             MessageSink &messages)
    : m_comm(comm), m_test(test), m_folder(folder),
      m_centralUrl(ReadIniSetting(QStringLiteral("Records"), QStringLiteral("Database"))),
      m_messages(messages)
{
    m_test.AddListener(this);
    m_comm.Activity().AddListener(this);
}

WindowRecords::~WindowRecords()
{
    m_comm.Activity().RemoveListener(this);
    m_test.RemoveListener(this);
}

void WindowRecords::WindowClosing() { CutShort(kWindowClosed); }

void WindowRecords::RunStarted()
{
    m_running = true;
    m_record = records::RunRecord::Begin();
    m_record.portEntry = m_portEntry;
    m_record.devicePath = m_devicePath;
    m_clock.start();
    m_step = 1;
    m_cutStep = 0;
    m_transcript.clear();
    m_formatter = std::make_unique<LogFormatter>();
}

void WindowRecords::AttemptStarted(int, int) { m_step = kSearchStep; }

void WindowRecords::StepStarted(int step, const QString &) { m_step = step; }

void WindowRecords::RunEnded(const RunResult &result)
{
    if (!m_running)
        return;
    m_running = false;
    m_formatter->Finish(m_transcript);

    records::RunRecord record = std::move(m_record);
    records::FillDeviceInfo(record, record.devicePath);
    record.answeredSpeed = result.answeredBaud;
    record.searchAttempts = result.attempts;
    record.SetImei(result.imei);
    record.identification = result.identification;
    record.transcript = QString::fromUtf8(m_transcript);
    record.durationMs = m_clock.elapsed();
    switch (result.outcome) {
    case RunResult::Outcome::Passed:
        record.Finish(Outcome::Passed, QString(), result.endedAtStep);
        break;
    case RunResult::Outcome::Failed:
        record.Finish(Outcome::Failed, result.diagnosis, result.endedAtStep);
        break;
    case RunResult::Outcome::CutShort:
        // The window runs out its remaining steps after a cut; where it was cut is what counts.
        record.Finish(Outcome::CutShort, result.cutReason, m_cutStep ? m_cutStep : result.endedAtStep);
        break;
    }
    Keep(record);
}

void WindowRecords::PortEventOccurred(const PortEvent &event)
{
    if (m_running)
        m_formatter->Add(event, m_transcript);
    switch (event.kind) {
    case PortEventKind::Opened:
        m_portEntry = PortEntryText(event.port);
        m_devicePath = event.device;
        break;
    case PortEventKind::Closed:
        CutShort(kPortClosed);
        break;
    case PortEventKind::Lost:
        CutShort(kDeviceLost);
        break;
    default:
        break;
    }
}

void WindowRecords::CutShort(const QString &reason)
{
    // The first cause counts: closing the window also closes the port.
    if (!m_running || m_cutStep != 0)
        return;
    m_cutStep = m_step;
    m_test.NoteCutShort(reason);
}

void WindowRecords::Keep(const records::RunRecord &record)
{
    if (!m_store)
        m_store = records::RecordStore::Open(m_folder, m_centralUrl);
    const records::StoreResult result = m_store->Store(record);
    if (!result.message.isEmpty())
        m_messages.Plain(result.message);
}

} // namespace quillon
