#pragma once
// The module test: a speed search followed by a fixed, unattended sequence of commands. The
// first failed check names the problem in a message box; a passing run appends the IMEI and
// "测试通过" to the receive area.

#include "terminal/OperationContext.h"

namespace quillon {

class PortConnection;

class ModuleTest {
public:
    static constexpr int kImeiLength = 15;

    ModuleTest(OperationContext &context, PortConnection &connection);

    void ComVersion_Click();

    /// "IMEI: " + the 15 characters after the echo "ATD*#06#" and the line ends that follow it
    /// (fewer when the text ends sooner); empty when the echo is missing.
    static QString ImeiTextFrom(const QString &receiveText);

private:
    /// Returns false when no speed answered (the message has been shown).
    bool SearchSpeed();

    OperationContext &m_context;
    PortConnection &m_connection;
};

} // namespace quillon
