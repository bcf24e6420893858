#include "sms/SmsPdu.h"

#include <QStringView>

namespace quillon {

namespace {

// First octet 11 (SMS-SUBMIT, relative validity period), TP-MR 00.
const QString kSubmitHead = QStringLiteral("001100");
// International number, ISDN numbering plan; "68" is the country code 86 as semi-octets.
const QString kDestinationType = QStringLiteral("91");
const QString kCountryCode = QStringLiteral("68");
// TP-PID plain message, TP-DCS UCS-2, TP-VP A7 = 24 hours.
const QString kPidDcsVp = QStringLiteral("0008A7");

// The service-centre length "08", type "91" and the digits 8, 6, 1, 3 of +8613...
const QString kServiceCentreMarker = QStringLiteral("08916831");
// Service-centre part (length octet, type and 7 digit octets) plus the first octet.
constexpr qsizetype kServiceCentreAndFirstOctet = 20;
constexpr int kTimeStampOctets = 7;
constexpr int kMaxUcs2UserDataOctets = 140;

// Where the text-mode body ends: the empty line and the final result code.
const QString kTextReplyEnd = QStringLiteral("\r\n\r\nOK");
// The body scan stops before this position of the text that starts at the time stamp.
constexpr qsizetype kTextBodyLimit = 139;
constexpr qsizetype kTextFieldWindow = 200;

QString HexOctet(int value)
{
    return QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0')).toUpper();
}

bool IsAsciiDigit(QChar c) { return c >= u'0' && c <= u'9'; }

int HexValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    return -1;
}

// Reads hexadecimal fields front to back. Every read checks that the characters are there and
// are hex digits; a failed read leaves the cursor where it was.
class HexCursor {
public:
    explicit HexCursor(QStringView text) : m_text(text) {}

    bool Take(qsizetype count, QStringView *field)
    {
        if (count > m_text.size() - m_pos)
            return false;
        const QStringView candidate = m_text.mid(m_pos, count);
        for (QChar c : candidate) {
            if (HexValue(c) < 0)
                return false;
        }
        *field = candidate;
        m_pos += count;
        return true;
    }

    bool TakeOctet(int *value)
    {
        QStringView field;
        if (!Take(2, &field))
            return false;
        *value = HexValue(field[0]) * 16 + HexValue(field[1]);
        return true;
    }

private:
    QStringView m_text;
    qsizetype m_pos = 0;
};

// Address digits as the module writes them: swapped semi-octets, "F" fills an odd last octet.
QString UnswapSemiOctets(QStringView field)
{
    QString digits;
    for (qsizetype i = 0; i + 1 < field.size(); i += 2) {
        const QChar high = field[i];
        const QChar low = field[i + 1];
        digits += low;
        if (high.toUpper() != u'F')
            digits += high;
    }
    return digits;
}

// yy/MM/dd hh:mm:ss+zz from 7 swapped octets; the zone's sign bit and unit are left as they are.
QString TimeStampText(QStringView field)
{
    static constexpr char16_t kSeparators[kTimeStampOctets] = {u'/', u'/', u' ', u':', u':', u'+', 0};
    QString time;
    for (int octet = 0; octet < kTimeStampOctets; ++octet) {
        time += field[2 * octet + 1];
        time += field[2 * octet];
        if (kSeparators[octet])
            time += QChar(kSeparators[octet]);
    }
    return time;
}

QString Ucs2Text(QStringView field)
{
    QString text;
    for (qsizetype i = 0; i + 4 <= field.size(); i += 4) {
        char16_t unit = 0;
        for (qsizetype k = 0; k < 4; ++k)
            unit = char16_t(unit * 16 + HexValue(field[i + k]));
        text += QChar(unit);
    }
    return text;
}

bool StartsAt(QStringView text, qsizetype pos, QStringView what)
{
    return pos >= 0 && pos <= text.size() && text.mid(pos).startsWith(what);
}

// The characters before the first double quote at index 1 or later; the whole text when there
// is none. `end` receives the quote's index (or the text's size).
QString UpToQuote(QStringView text, qsizetype *end)
{
    qsizetype quote = text.size() > 1 ? text.indexOf(u'"', 1) : -1;
    if (quote < 0)
        quote = text.size();
    *end = quote;
    return text.left(quote).toString();
}

QStringView Window(QStringView text, qsizetype from, qsizetype length)
{
    if (from >= text.size())
        return {};
    return text.mid(from, length);
}

} // namespace

QString SwapSemiOctets(const QString &digits)
{
    QString swapped;
    swapped.reserve(digits.size() + 1);
    for (qsizetype i = 0; i < digits.size(); i += 2) {
        swapped += i + 1 < digits.size() ? digits[i + 1] : QChar(u'F');
        swapped += digits[i];
    }
    return swapped;
}

SubmitPdu BuildSubmitPdu(const QString &number, const QString &message)
{
    const qsizetype addressDigits = kCountryCode.size() + number.size();
    const QString addressValue = kCountryCode + SwapSemiOctets(number);
    const qsizetype userDataOctets = 2 * message.size();

    QString userData;
    userData.reserve(4 * message.size());
    for (QChar unit : message)
        userData += QStringLiteral("%1").arg(unit.unicode(), 4, 16, QLatin1Char('0')).toUpper();

    SubmitPdu submit;
    submit.pdu = kSubmitHead + HexOctet(int(addressDigits)) + kDestinationType + addressValue
               + kPidDcsVp + HexOctet(int(userDataOctets)) + userData;
    // First octet, TP-MR, address length, type, digits, TP-PID, TP-DCS, TP-VP, TP-UDL, TP-UD.
    submit.tpduLength = int(4 + addressValue.size() / 2 + 4 + userDataOctets);
    return submit;
}

std::optional<QString> CheckPduModeInput(const QString &number, const QString &message)
{
    if (number.isEmpty())
        return QStringLiteral("号码为空，请输入对方号码");
    for (QChar c : number) {
        if (!IsAsciiDigit(c))
            return QStringLiteral("号码只能包含数字");
    }
    if (number.size() > kMaxPduNumberDigits)
        return QStringLiteral("号码过长，最多%1位数字").arg(kMaxPduNumberDigits);
    if (message.size() > kMaxPduMessageUnits)
        return QStringLiteral("短信过长，最多%1个字").arg(kMaxPduMessageUnits);
    return std::nullopt;
}

std::optional<QString> CheckTextModeInput(const QString &number, const QString &message)
{
    const auto beyondLatin1 = [](QChar c) { return c.unicode() > 0xFF; };
    for (QChar c : number) {
        if (c == u'"' || c == u'\r' || c == u'\n' || c == kCtrlZ || c == QChar(0x1B))
            return QStringLiteral("号码不能包含双引号、回车、换行、Ctrl-Z或ESC");
        if (beyondLatin1(c))
            return QStringLiteral("号码只能包含单字节（Latin-1）字符，请删去其他字符");
    }
    for (QChar c : message) {
        if (c == kCtrlZ || c == QChar(0x1B))
            return QStringLiteral("短信不能包含Ctrl-Z或ESC控制字符");
    }
    for (QChar c : message) {
        if (beyondLatin1(c))
            return QStringLiteral("英文短信只能包含单字节（Latin-1）字符，中文请用中文短信（取消“英文短信”）发送");
    }
    return std::nullopt;
}

PduDecodeResult DecodePduReply(const QString &receiveText)
{
    PduDecodeResult decoded;
    const qsizetype marker = receiveText.indexOf(kServiceCentreMarker);
    if (marker < 0)
        return decoded;
    decoded.status = PduDecodeStatus::CodingError;

    HexCursor cursor(QStringView(receiveText).mid(marker));
    QStringView serviceCentreAndFirstOctet;
    int senderDigits = 0;
    QStringView senderType;
    if (!cursor.Take(kServiceCentreAndFirstOctet, &serviceCentreAndFirstOctet)
        || !cursor.TakeOctet(&senderDigits) || senderDigits > kMaxAddressDigits
        || !cursor.Take(2, &senderType))
        return decoded;

    QStringView senderValue, protocolId, dataCoding;
    if (!cursor.Take(senderDigits + senderDigits % 2, &senderValue)
        || !cursor.Take(2, &protocolId) || !cursor.Take(2, &dataCoding))
        return decoded;
    if (dataCoding[1] != u'8')
        return decoded;

    QStringView timeStamp, userData;
    int userDataOctets = 0;
    if (!cursor.Take(2 * kTimeStampOctets, &timeStamp) || !cursor.TakeOctet(&userDataOctets)
        || userDataOctets > kMaxUcs2UserDataOctets || !cursor.Take(2 * userDataOctets, &userData))
        return decoded;

    decoded.status = PduDecodeStatus::Ok;
    decoded.result.Number = (senderType == u"91" ? QStringLiteral("+") : QString())
                          + UnswapSemiOctets(senderValue);
    decoded.result.Time = TimeStampText(timeStamp);
    decoded.result.Content = Ucs2Text(userData);
    return decoded;
}

SmsReadResult DecodeTextReply(const QString &receiveText)
{
    SmsReadResult decoded;
    const qsizetype read = receiveText.indexOf(u"READ");
    if (read < 0)
        return decoded;

    // READ, the status's closing quote, a comma and the sender's opening quote come first.
    const QStringView sender = Window(receiveText, read + 7, kTextFieldWindow);
    qsizetype senderEnd = 0;
    decoded.Number = UpToQuote(sender, &senderEnd);

    // After the sender's quote: a comma and the time's opening quote, when no alpha field sits
    // between them.
    const QStringView rest = Window(sender, senderEnd + 3, kTextFieldWindow);
    qsizetype timeEnd = 0;
    decoded.Time = UpToQuote(rest, &timeEnd);

    // After the time's quote: CR LF, then the body.
    qsizetype pos = timeEnd + 3;
    if (StartsAt(rest, pos, kTextReplyEnd))
        return decoded;
    do {
        if (pos < rest.size())
            decoded.Content += rest[pos];
        ++pos;
    } while (pos < kTextBodyLimit && pos < rest.size() && !StartsAt(rest, pos, kTextReplyEnd));
    return decoded;
}

QString ResultMessage(const SmsReadResult &result)
{
    return QStringLiteral("对方号码:") + result.Number + QLatin1Char('\n') + QStringLiteral("时间:")
         + result.Time + QLatin1Char('\n') + QStringLiteral("内容：") + result.Content;
}

} // namespace quillon
