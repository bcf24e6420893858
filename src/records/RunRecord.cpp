#include "records/RunRecord.h"

namespace quillon::records {

namespace {

constexpr std::pair<Outcome, const char *> kOutcomeNames[] = {
    {Outcome::Passed, "pass"}, {Outcome::Failed, "fail"}, {Outcome::CutShort, "cut"}};

constexpr std::pair<ImeiCheck, const char *> kImeiCheckNames[] = {
    {ImeiCheck::None, "none"},
    {ImeiCheck::Valid, "valid"},
    {ImeiCheck::WrongCheckDigit, "wrong-check-digit"},
    {ImeiCheck::Malformed, "malformed"}};

template <typename Enum, std::size_t N>
QString NameOf(const std::pair<Enum, const char *> (&table)[N], Enum value)
{
    for (const auto &[v, name] : table)
        if (v == value)
            return QString::fromLatin1(name);
    return {};
}

template <typename Enum, std::size_t N>
bool ValueOf(const std::pair<Enum, const char *> (&table)[N], const QString &name, Enum *value)
{
    for (const auto &[v, text] : table) {
        if (name == QLatin1String(text)) {
            *value = v;
            return true;
        }
    }
    return false;
}

bool AllDigits(QStringView text)
{
    for (QChar c : text)
        if (c < u'0' || c > u'9')
            return false;
    return true;
}

// Sum of the Luhn weights where the rightmost digit of `digits` is doubled: the sum a check
// digit appended to `digits` has to complete to a multiple of ten.
int LuhnSum(QStringView digits, bool doubleRightmost)
{
    int sum = 0;
    bool doubled = doubleRightmost;
    for (qsizetype i = digits.size() - 1; i >= 0; --i) {
        int d = digits[i].unicode() - u'0';
        if (doubled) {
            d *= 2;
            if (d > 9)
                d -= 9;
        }
        sum += d;
        doubled = !doubled;
    }
    return sum;
}

} // namespace

QString OutcomeName(Outcome outcome) { return NameOf(kOutcomeNames, outcome); }
bool OutcomeFromName(const QString &name, Outcome *outcome)
{
    return ValueOf(kOutcomeNames, name, outcome);
}

QString ImeiCheckName(ImeiCheck check) { return NameOf(kImeiCheckNames, check); }
bool ImeiCheckFromName(const QString &name, ImeiCheck *check)
{
    return ValueOf(kImeiCheckNames, name, check);
}

int LuhnCheckDigit(QStringView digits)
{
    if (digits.isEmpty() || !AllDigits(digits))
        return -1;
    return (10 - LuhnSum(digits, true) % 10) % 10;
}

bool LuhnValid(QStringView digits)
{
    if (digits.size() < 2 || !AllDigits(digits))
        return false;
    return LuhnSum(digits, false) % 10 == 0;
}

ImeiCheck CheckImei(QStringView imei)
{
    if (imei.isEmpty())
        return ImeiCheck::None;
    if (imei.size() != 15 || !AllDigits(imei))
        return ImeiCheck::Malformed;
    return LuhnValid(imei) ? ImeiCheck::Valid : ImeiCheck::WrongCheckDigit;
}

QString ImeiWarning(QStringView imei, ImeiCheck check)
{
    switch (check) {
    case ImeiCheck::None:
    case ImeiCheck::Valid:
        return {};
    case ImeiCheck::WrongCheckDigit:
        return QStringLiteral("IMEI 校验位错误：%1 的最后一位应为 %2，请核对模块的出厂数据")
            .arg(imei.toString())
            .arg(LuhnCheckDigit(imei.first(14)));
    case ImeiCheck::Malformed:
        return QStringLiteral("IMEI 不是 15 位数字：\"%1\"").arg(imei.toString());
    }
    return {};
}

RunRecord RunRecord::Begin(const QDateTime &startedAt)
{
    RunRecord record;
    record.runId = QUuid::createUuid();
    record.startedAt = startedAt.toUTC();
    return record;
}

void RunRecord::SetImei(const QString &read)
{
    imei = read;
    imeiCheck = CheckImei(read);
    warning = ImeiWarning(read, imeiCheck);
}

void RunRecord::Finish(Outcome how, const QString &diagnosisText, int step,
                       const QDateTime &endedAtTime)
{
    outcome = how;
    diagnosis = diagnosisText;
    endStep = step;
    endedAt = endedAtTime.toUTC();
    if (durationMs <= 0 && startedAt.isValid())
        durationMs = startedAt.msecsTo(endedAt);
}

} // namespace quillon::records
