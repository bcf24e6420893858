#include "gsm/ModuleTest.h"

#include "connection/PortConnection.h"
#include "serial/Speeds.h"

#include <algorithm>

namespace quillon {

using namespace moduletest;

ModuleTest::ModuleTest(OperationContext &context, PortConnection &connection)
    : m_context(context), m_connection(connection)
{
}

void ModuleTest::RemoveListener(RunListener *listener)
{
    m_listeners.erase(std::remove(m_listeners.begin(), m_listeners.end(), listener), m_listeners.end());
}

void ModuleTest::NoteCutShort(const QString &reason)
{
    if (m_running && m_cutReason.isEmpty())
        m_cutReason = reason;
}

void ModuleTest::Pause(PauseKind kind, int ms)
{
    if (kind == PauseKind::Delay)
        m_context.Delay(ms);
    else if (kind == PauseKind::Sleep)
        m_context.Sleep(ms);
}

bool ModuleTest::SearchSpeed(RunResult &result)
{
    m_connection.SelectSpeed(kModuleTestSpeedIndex);
    qint16 speedIndex = kModuleTestSpeedIndex;
    int baud = kSpeeds[kModuleTestSpeedIndex];

    const int attempts = m_connection.SpeedEntryCount();
    int attempt = 1;
    for (; attempt <= attempts; ++attempt) {
        for (RunListener *listener : m_listeners)
            listener->AttemptStarted(attempt, baud);
        m_context.SendCommand(kSearchCommand);
        m_context.Delay(kSearchPauseMs);
        if (m_context.ReceiveContains(kSearchAnswer))
            break;
        --speedIndex;
        // Below the first entry there is no speed: the port refuses it and the speed in force
        // stays for the remaining attempts.
        if (m_connection.SetPortSpeedOnly(speedIndex))
            baud = kSpeeds[size_t(speedIndex)];
    }
    result.attempts = std::min(attempt, attempts);

    m_connection.SelectSpeed(kModuleTestSpeedIndex);
    if (attempt == m_connection.SpeedEntryCount() + 1) {
        Fail(result, 3, kNoAnswer);
        return false;
    }
    result.answeredBaud = baud;
    return true;
}

void ModuleTest::Fail(RunResult &result, int step, const QString &diagnosis)
{
    result.outcome = RunResult::Outcome::Failed;
    result.endedAtStep = step;
    result.diagnosis = diagnosis;
    m_context.messages.Information(diagnosis);
}

void ModuleTest::End(RunResult &result)
{
    if (!m_cutReason.isEmpty()) {
        result.outcome = RunResult::Outcome::CutShort;
        result.cutReason = m_cutReason;
    }
    m_running = false;
    for (RunListener *listener : m_listeners)
        listener->RunEnded(result);
}

void ModuleTest::ComVersion_Click()
{
    if (!m_context.portIsOpen() || m_running)
        return;
    m_running = true;
    m_cutReason.clear();
    for (RunListener *listener : m_listeners)
        listener->RunStarted();

    RunResult result;
    if (!SearchSpeed(result)) {
        End(result);
        return;
    }

    QString imeiText;
    for (const Step &step : Sequence()) {
        for (RunListener *listener : m_listeners)
            listener->StepStarted(step.number, step.command);
        m_context.SendCommand(step.command);
        Pause(step.pause, step.pauseMs);
        if (const auto diagnosis = Judge(step.check, m_context.received.Text())) {
            Fail(result, step.number, *diagnosis);
            End(result);
            return;
        }
        if (step.check == Check::Imei)
            imeiText = ImeiTextFrom(m_context.received.Text());
        Pause(PauseKind::Delay, step.pauseAfterPassMs);
    }

    result.identification = IdentificationFrom(m_context.received.Text());
    result.imei = imeiText.mid(QStringLiteral("IMEI: ").size());
    m_context.received.SetText(m_context.received.Text() + imeiText);
    m_context.received.SetText(m_context.received.Text() + kPassedTail);
    result.outcome = RunResult::Outcome::Passed;
    result.endedAtStep = 15;
    End(result);
}

} // namespace quillon
