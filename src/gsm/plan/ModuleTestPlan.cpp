#include "gsm/plan/ModuleTestPlan.h"

namespace quillon::moduletest {

namespace {
const QString kImeiCommand = QStringLiteral("ATD*#06#");
} // namespace

const QList<Step> &Sequence()
{
    static const QList<Step> steps = {
        {4, QStringLiteral("AT^SBC=0^SBC?"), PauseKind::None, 0, Check::None, 0},
        {5, QStringLiteral("AT^SNFD"), PauseKind::None, 0, Check::None, 0},
        {6, QStringLiteral("AT&D0X4^SNFS=4^SSYNC=1+CRC=0+CLIP=0+IPR=0"), PauseKind::Delay, 50, Check::None, 0},
        {7, QStringLiteral("AT+CCLK?"), PauseKind::Delay, 10, Check::None, 0},
        {8, QStringLiteral("AT+CPIN?"), PauseKind::Delay, 100, Check::SimReady, 1},
        {9, QStringLiteral("AT+CREG?"), PauseKind::None, 0, Check::Registration, 0},
        {10, QStringLiteral("AT+CNMI=2,1"), PauseKind::None, 0, Check::None, 0},
        {11, kImeiCommand, PauseKind::None, 0, Check::Imei, 0},
        {12, QStringLiteral("AT+CMGF=0"), PauseKind::Sleep, 50, Check::None, 0},
        {13, QStringLiteral("AT&W"), PauseKind::Sleep, 50, Check::None, 0},
        {14, QStringLiteral("ATI"), PauseKind::None, 0, Check::None, 0},
    };
    return steps;
}

std::optional<QString> Judge(Check check, const QString &text)
{
    switch (check) {
    case Check::None:
        return std::nullopt;
    case Check::SimReady:
        if (text.contains(QStringLiteral("+CPIN: READY")))
            return std::nullopt;
        // A PIN request and silence are the same to the test: it never enters a PIN.
        return text.contains(QStringLiteral("ERROR")) ? kSimError : kNoTimelyReply;
    case Check::Registration:
        // Tested in this order: with two statuses in one reply the first listed here wins.
        if (text.contains(QStringLiteral("+CREG: 0,2")))
            return kRegistering;
        if (text.contains(QStringLiteral("+CREG: 0,3")))
            return kSuspended;
        if (text.contains(QStringLiteral("+CREG: 0,0")))
            return kRegistering;
        return std::nullopt;
    case Check::Imei:
        if (ImeiTextFrom(text).isEmpty())
            return kImeiError;
        return std::nullopt;
    }
    return std::nullopt;
}

QString ImeiTextFrom(const QString &text)
{
    const qsizetype p = text.indexOf(kImeiCommand);
    if (p < 0)
        return QString();
    // The cut lands on the IMEI's first digit whatever line ends the module puts after the echo.
    qsizetype start = p + kImeiCommand.size();
    while (start < text.size() && (text.at(start) == QLatin1Char('\r') || text.at(start) == QLatin1Char('\n')))
        ++start;
    return QStringLiteral("IMEI: ") + text.mid(start, kImeiLength);
}

QString IdentificationFrom(const QString &text)
{
    const qsizetype echo = text.indexOf(QStringLiteral("ATI"));
    if (echo < 0)
        return QString();
    QString reply = text.mid(echo + 3);
    const qsizetype ok = reply.lastIndexOf(QStringLiteral("OK"));
    if (ok >= 0)
        reply.truncate(ok);
    reply.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    reply.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return reply.trimmed();
}

} // namespace quillon::moduletest
