#pragma once
// The module test in the window: the speed search followed by the fixed, unattended sequence of
// the plan (gsm/plan), run through the window's command exchange. The first failed check names
// the problem in a message box; a passing run appends the IMEI and "测试通过" to the receive area.

#include "gsm/plan/ModuleTestPlan.h"
#include "terminal/OperationContext.h"

#include <vector>

namespace quillon {

class PortConnection;

class ModuleTest {
public:
    ModuleTest(OperationContext &context, PortConnection &connection);

    void ComVersion_Click();

    /// Listeners hear of every run (records, logs); none of them changes what the run does.
    void AddListener(moduletest::RunListener *listener) { m_listeners.push_back(listener); }
    void RemoveListener(moduletest::RunListener *listener);

    /// Why a run cannot go on as the technician meant, even though the window goes through its
    /// remaining steps: set by the window when the port closes, the device goes or it closes.
    void NoteCutShort(const QString &reason);
    bool Running() const { return m_running; }

private:
    /// Returns false when no speed answered (the message has been shown).
    bool SearchSpeed(moduletest::RunResult &result);
    /// Shows `diagnosis` and ends the run as failed at `step`.
    void Fail(moduletest::RunResult &result, int step, const QString &diagnosis);
    void Pause(moduletest::PauseKind kind, int ms);
    void End(moduletest::RunResult &result);

    OperationContext &m_context;
    PortConnection &m_connection;
    std::vector<moduletest::RunListener *> m_listeners;
    bool m_running = false;
    QString m_cutReason;
};

} // namespace quillon
