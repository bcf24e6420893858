#pragma once
// The command lines a module test run sends, shared by the window and end-to-end tests.

#include <QStringList>

namespace quillon::testing {

/// The command lines of a run whose speed search answers at once, in order: the search's
/// "AT&F" and steps 4 to 14.
inline QStringList ModuleTestSequence()
{
    return {QStringLiteral("AT&F"),
            QStringLiteral("AT^SBC=0^SBC?"),
            QStringLiteral("AT^SNFD"),
            QStringLiteral("AT&D0X4^SNFS=4^SSYNC=1+CRC=0+CLIP=0+IPR=0"),
            QStringLiteral("AT+CCLK?"),
            QStringLiteral("AT+CPIN?"),
            QStringLiteral("AT+CREG?"),
            QStringLiteral("AT+CNMI=2,1"),
            QStringLiteral("ATD*#06#"),
            QStringLiteral("AT+CMGF=0"),
            QStringLiteral("AT&W"),
            QStringLiteral("ATI")};
}

} // namespace quillon::testing
