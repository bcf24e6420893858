#include "sim/SimPdu.h"

#include <array>

namespace quillon::sim {

namespace {

// 3GPP TS 23.038 default alphabet, indexed by septet value.
constexpr std::array<char16_t, 128> kGsmDefault = {
    u'@', u'£', u'$', u'¥', u'è', u'é', u'ù', u'ì', u'ò', u'Ç', u'\n', u'Ø', u'ø', u'\r', u'Å', u'å',
    u'Δ', u'_', u'Φ', u'Γ', u'Λ', u'Ω', u'Π', u'Ψ', u'Σ', u'Θ', u'Ξ', 0x1B, u'Æ', u'æ', u'ß', u'É',
    u' ', u'!', u'"', u'#', u'¤', u'%', u'&', u'\'', u'(', u')', u'*', u'+', u',', u'-', u'.', u'/',
    u'0', u'1', u'2', u'3', u'4', u'5', u'6', u'7', u'8', u'9', u':', u';', u'<', u'=', u'>', u'?',
    u'¡', u'A', u'B', u'C', u'D', u'E', u'F', u'G', u'H', u'I', u'J', u'K', u'L', u'M', u'N', u'O',
    u'P', u'Q', u'R', u'S', u'T', u'U', u'V', u'W', u'X', u'Y', u'Z', u'Ä', u'Ö', u'Ñ', u'Ü', u'§',
    u'¿', u'a', u'b', u'c', u'd', u'e', u'f', u'g', u'h', u'i', u'j', u'k', u'l', u'm', u'n', u'o',
    u'p', u'q', u'r', u's', u't', u'u', u'v', u'w', u'x', u'y', u'z', u'ä', u'ö', u'ñ', u'ü', u'à',
};

struct Extension {
    quint8 septet;
    char16_t ch;
};
// Characters reached through ESC (0x1B) in the default extension table.
constexpr std::array<Extension, 10> kGsmExtension = {{
    {0x0A, u'\f'}, {0x14, u'^'}, {0x28, u'{'}, {0x29, u'}'}, {0x2F, u'\\'},
    {0x3C, u'['}, {0x3D, u'~'}, {0x3E, u']'}, {0x40, u'|'}, {0x65, u'€'},
}};

constexpr char kSemiOctetDigits[] = "0123456789*#abc";

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

int SemiOctetValue(char c)
{
    for (int i = 0; kSemiOctetDigits[i]; ++i) {
        if (kSemiOctetDigits[i] == c || (c >= 'A' && c <= 'C' && kSemiOctetDigits[i] == c + 32))
            return i;
    }
    return -1;
}

int UserDataOctets(Alphabet alphabet, int length)
{
    return alphabet == Alphabet::Gsm7 ? (length * 7 + 7) / 8 : length;
}

// A read cursor over PDU octets; every read checks what is left first.
class Reader {
public:
    explicit Reader(QByteArrayView data) : m_data(data) {}

    bool Octet(quint8 &out)
    {
        if (m_pos >= m_data.size())
            return false;
        out = quint8(m_data[m_pos++]);
        return true;
    }
    bool Octets(qsizetype count, QByteArray &out)
    {
        if (count < 0 || m_data.size() - m_pos < count)
            return false;
        out = m_data.sliced(m_pos, count).toByteArray();
        m_pos += count;
        return true;
    }
    qsizetype Left() const { return m_data.size() - m_pos; }

private:
    QByteArrayView m_data;
    qsizetype m_pos = 0;
};

bool ReadServiceCentre(Reader &r, PduAddress &out)
{
    quint8 length = 0;
    if (!r.Octet(length))
        return false;
    if (length == 0) {
        out = {};
        return true;
    }
    // Type octet plus at most 10 octets of digits (TS 24.011 RP address).
    if (length > 11 || !r.Octet(out.type))
        return false;
    QByteArray digits;
    if (!r.Octets(length - 1, digits))
        return false;
    out.digits = DecodeSemiOctets(digits, (length - 1) * 2);
    return true;
}

// TP-OA / TP-DA: the length counts useful semi-octets, not octets.
bool ReadAddress(Reader &r, PduAddress &out)
{
    quint8 digitCount = 0;
    if (!r.Octet(digitCount) || digitCount > 20 || !r.Octet(out.type))
        return false;
    QByteArray octets;
    if (!r.Octets((digitCount + 1) / 2, octets))
        return false;
    if ((out.type & 0x70) == 0x50) // alphanumeric, GSM 7-bit packed
        out.digits = Gsm7ToText(UnpackSeptets(octets, digitCount * 4 / 7)).toLatin1();
    else
        out.digits = DecodeSemiOctets(octets, digitCount);
    return true;
}

QByteArray EncodeAddress(const PduAddress &a)
{
    QByteArray out;
    out.append(char(a.digits.size()));
    out.append(char(a.type));
    out.append(EncodeSemiOctets(a.digits));
    return out;
}

} // namespace

QByteArray ToHex(QByteArrayView octets)
{
    return octets.toByteArray().toHex().toUpper();
}

std::optional<QByteArray> FromHex(QByteArrayView hex)
{
    if (hex.size() % 2)
        return std::nullopt;
    QByteArray out;
    out.reserve(hex.size() / 2);
    for (qsizetype i = 0; i < hex.size(); i += 2) {
        const int hi = HexValue(hex[i]);
        const int lo = HexValue(hex[i + 1]);
        if (hi < 0 || lo < 0)
            return std::nullopt;
        out.append(char(hi << 4 | lo));
    }
    return out;
}

QString PduAddress::Text() const
{
    const QString digitsText = QString::fromLatin1(digits);
    return (type & 0x70) == 0x10 ? QLatin1Char('+') + digitsText : digitsText;
}

PduAddress PduAddress::FromText(const QString &number, quint8 nonInternationalType)
{
    PduAddress a;
    if (number.startsWith(QLatin1Char('+'))) {
        a.type = 0x91;
        a.digits = number.mid(1).toLatin1();
    } else {
        a.type = nonInternationalType;
        a.digits = number.toLatin1();
    }
    return a;
}

QByteArray EncodeSemiOctets(QByteArrayView digits)
{
    QByteArray out;
    for (qsizetype i = 0; i < digits.size(); i += 2) {
        const int low = qMax(0, SemiOctetValue(digits[i]));
        const int high = i + 1 < digits.size() ? qMax(0, SemiOctetValue(digits[i + 1])) : 0xF;
        out.append(char(high << 4 | low));
    }
    return out;
}

QByteArray DecodeSemiOctets(QByteArrayView octets, int digitCount)
{
    QByteArray out;
    for (int i = 0; i < digitCount && i / 2 < octets.size(); ++i) {
        const quint8 octet = quint8(octets[i / 2]);
        const int value = (i % 2) ? octet >> 4 : octet & 0x0F;
        if (value == 0xF)
            continue;
        out.append(kSemiOctetDigits[value]);
    }
    return out;
}

QByteArray EncodeServiceCentre(const PduAddress &address)
{
    if (address.digits.isEmpty())
        return QByteArray(1, '\0');
    const QByteArray digits = EncodeSemiOctets(address.digits);
    QByteArray out;
    out.append(char(digits.size() + 1));
    out.append(char(address.type));
    out.append(digits);
    return out;
}

std::optional<QByteArray> TextToGsm7(const QString &text)
{
    QByteArray out;
    for (QChar qc : text) {
        const char16_t ch = qc.unicode();
        bool found = false;
        for (int i = 0; i < 128 && !found; ++i) {
            if (i != 0x1B && kGsmDefault[i] == ch) {
                out.append(char(i));
                found = true;
            }
        }
        for (const Extension &e : kGsmExtension) {
            if (!found && e.ch == ch) {
                out.append(char(0x1B));
                out.append(char(e.septet));
                found = true;
            }
        }
        if (!found)
            return std::nullopt;
    }
    return out;
}

QString Gsm7ToText(QByteArrayView septets)
{
    QString out;
    for (qsizetype i = 0; i < septets.size(); ++i) {
        const quint8 s = quint8(septets[i]) & 0x7F;
        if (s != 0x1B) {
            out.append(QChar(kGsmDefault[s]));
            continue;
        }
        if (i + 1 >= septets.size())
            break;
        const quint8 next = quint8(septets[++i]) & 0x7F;
        char16_t ch = u' '; // TS 23.038: an unknown extension shows as a space
        for (const Extension &e : kGsmExtension) {
            if (e.septet == next)
                ch = e.ch;
        }
        out.append(QChar(ch));
    }
    return out;
}

QByteArray PackSeptets(QByteArrayView septets, int fillBits)
{
    const qsizetype bits = fillBits + 7 * septets.size();
    QByteArray out((bits + 7) / 8, '\0');
    for (qsizetype i = 0; i < septets.size(); ++i) {
        const qsizetype pos = fillBits + 7 * i;
        const unsigned value = quint8(septets[i]) & 0x7F;
        const int shift = int(pos % 8);
        out[pos / 8] = char(quint8(out[pos / 8]) | ((value << shift) & 0xFF));
        if (shift > 1)
            out[pos / 8 + 1] = char(quint8(out[pos / 8 + 1]) | (value >> (8 - shift)));
    }
    return out;
}

QByteArray UnpackSeptets(QByteArrayView octets, int count, int fillBits)
{
    QByteArray out;
    for (int i = 0; i < count; ++i) {
        const qsizetype pos = fillBits + 7 * qsizetype(i);
        const qsizetype index = pos / 8;
        const int shift = int(pos % 8);
        if (index >= octets.size())
            break;
        unsigned value = quint8(octets[index]) >> shift;
        if (shift > 1) {
            if (index + 1 >= octets.size())
                break;
            value |= unsigned(quint8(octets[index + 1])) << (8 - shift);
        }
        out.append(char(value & 0x7F));
    }
    return out;
}

Alphabet AlphabetOf(quint8 dcs)
{
    const int group = dcs >> 4;
    if (group <= 0x7) { // general data coding, compressed or not, with or without class
        switch ((dcs >> 2) & 0x3) {
        case 0: return Alphabet::Gsm7;
        case 2: return Alphabet::Ucs2;
        default: return Alphabet::Eight;
        }
    }
    if (group == 0xC || group == 0xD) // message waiting, store or discard, default alphabet
        return Alphabet::Gsm7;
    if (group == 0xE)
        return Alphabet::Ucs2;
    if (group == 0xF)
        return (dcs & 0x04) ? Alphabet::Eight : Alphabet::Gsm7;
    return Alphabet::Eight; // reserved groups: treat the octets as opaque
}

QByteArray PduTimestamp::Text() const
{
    return QStringLiteral("%1/%2/%3,%4:%5:%6%7%8")
        .arg(year, 2, 10, QLatin1Char('0'))
        .arg(month, 2, 10, QLatin1Char('0'))
        .arg(day, 2, 10, QLatin1Char('0'))
        .arg(hour, 2, 10, QLatin1Char('0'))
        .arg(minute, 2, 10, QLatin1Char('0'))
        .arg(second, 2, 10, QLatin1Char('0'))
        .arg(zoneQuarters < 0 ? QLatin1Char('-') : QLatin1Char('+'))
        .arg(qAbs(zoneQuarters), 2, 10, QLatin1Char('0'))
        .toLatin1();
}

QByteArray EncodeTimestamp(const PduTimestamp &t)
{
    auto swapped = [](int value) { return char((value % 10) << 4 | (value / 10 % 10)); };
    QByteArray out;
    for (int value : {t.year, t.month, t.day, t.hour, t.minute, t.second})
        out.append(swapped(value));
    // The sign of the zone is bit 3 of the first (tens) semi-octet.
    const int zone = qAbs(t.zoneQuarters);
    out.append(char((zone % 10) << 4 | (zone / 10 % 10) | (t.zoneQuarters < 0 ? 0x08 : 0)));
    return out;
}

std::optional<PduTimestamp> DecodeTimestamp(QByteArrayView o)
{
    if (o.size() != 7)
        return std::nullopt;
    int values[7];
    for (int i = 0; i < 7; ++i) {
        const quint8 octet = quint8(o[i]);
        const int tens = i == 6 ? (octet & 0x07) : (octet & 0x0F);
        const int units = octet >> 4;
        if (tens > 9 || units > 9)
            return std::nullopt;
        values[i] = tens * 10 + units;
    }
    PduTimestamp t;
    t.year = values[0];
    t.month = values[1];
    t.day = values[2];
    t.hour = values[3];
    t.minute = values[4];
    t.second = values[5];
    t.zoneQuarters = (quint8(o[6]) & 0x08) ? -values[6] : values[6];
    return t;
}

QByteArray EncodeDeliver(const DeliverPdu &pdu)
{
    QByteArray out = EncodeServiceCentre(pdu.serviceCentre);
    out.append(char(pdu.firstOctet));
    out.append(EncodeAddress(pdu.originator));
    out.append(char(pdu.protocolId));
    out.append(char(pdu.dataCoding));
    out.append(EncodeTimestamp(pdu.timestamp));
    out.append(char(pdu.userDataLength));
    out.append(pdu.userData);
    return out;
}

std::optional<DeliverPdu> DecodeDeliver(QByteArrayView octets)
{
    Reader r(octets);
    DeliverPdu pdu;
    QByteArray timestamp;
    if (!ReadServiceCentre(r, pdu.serviceCentre) || !r.Octet(pdu.firstOctet)
        || (pdu.firstOctet & 0x03) != 0x00 || !ReadAddress(r, pdu.originator)
        || !r.Octet(pdu.protocolId) || !r.Octet(pdu.dataCoding) || !r.Octets(7, timestamp)
        || !r.Octet(pdu.userDataLength))
        return std::nullopt;
    const auto ts = DecodeTimestamp(timestamp);
    if (!ts)
        return std::nullopt;
    pdu.timestamp = *ts;
    if (!r.Octets(UserDataOctets(AlphabetOf(pdu.dataCoding), pdu.userDataLength), pdu.userData))
        return std::nullopt;
    return pdu;
}

bool SetDeliverText(DeliverPdu &pdu, const QString &text, const QByteArray &header)
{
    QByteArray headerField;
    if (!header.isEmpty()) {
        headerField.append(char(header.size()));
        headerField.append(header);
    }
    pdu.firstOctet = header.isEmpty() ? (pdu.firstOctet & ~0x40) : (pdu.firstOctet | 0x40);
    if (AlphabetOf(pdu.dataCoding) == Alphabet::Gsm7) {
        const auto septets = TextToGsm7(text);
        if (!septets)
            return false;
        // The header occupies whole septets: fill bits pad it to the next septet boundary.
        const int headerSeptets = int((headerField.size() * 8 + 6) / 7);
        const int fillBits = headerSeptets * 7 - int(headerField.size()) * 8;
        const int length = headerSeptets + int(septets->size());
        if (length > 160)
            return false;
        pdu.userDataLength = quint8(length);
        pdu.userData = headerField + PackSeptets(*septets, fillBits);
        return true;
    }
    QByteArray units;
    for (QChar c : text) {
        units.append(char(c.unicode() >> 8));
        units.append(char(c.unicode() & 0xFF));
    }
    if (headerField.size() + units.size() > 140)
        return false;
    pdu.userData = headerField + units;
    pdu.userDataLength = quint8(pdu.userData.size());
    return true;
}

std::optional<SubmitPdu> DecodeSubmit(QByteArrayView octets, int tpduLength, QString *error)
{
    auto fail = [error](const QString &what) {
        if (error)
            *error = what;
        return std::nullopt;
    };
    Reader r(octets);
    SubmitPdu pdu;
    if (!ReadServiceCentre(r, pdu.serviceCentre))
        return fail(QStringLiteral("service-centre address"));
    if (r.Left() != tpduLength)
        return fail(QStringLiteral("length: %1 octets announced, %2 received")
                        .arg(tpduLength)
                        .arg(r.Left()));
    if (!r.Octet(pdu.firstOctet))
        return fail(QStringLiteral("first octet"));
    if ((pdu.firstOctet & 0x03) != 0x01)
        return fail(QStringLiteral("first octet: not an SMS-SUBMIT"));
    if (!r.Octet(pdu.reference))
        return fail(QStringLiteral("TP-MR"));
    if (!ReadAddress(r, pdu.destination))
        return fail(QStringLiteral("TP-DA"));
    if (!r.Octet(pdu.protocolId))
        return fail(QStringLiteral("TP-PID"));
    if (!r.Octet(pdu.dataCoding))
        return fail(QStringLiteral("TP-DCS"));
    static constexpr int kValidityOctets[4] = {0, 7, 1, 7}; // TP-VPF: none, enhanced, relative, absolute
    if (!r.Octets(kValidityOctets[(pdu.firstOctet >> 3) & 0x03], pdu.validity))
        return fail(QStringLiteral("TP-VP"));
    if (!r.Octet(pdu.userDataLength))
        return fail(QStringLiteral("TP-UDL"));
    const Alphabet alphabet = AlphabetOf(pdu.dataCoding);
    if (pdu.userDataLength > (alphabet == Alphabet::Gsm7 ? 160 : 140))
        return fail(QStringLiteral("TP-UDL: more than one message holds"));
    const int udOctets = UserDataOctets(alphabet, pdu.userDataLength);
    if (r.Left() != udOctets)
        return fail(QStringLiteral("TP-UD: %1 octets for TP-UDL %2, %3 received")
                        .arg(udOctets)
                        .arg(pdu.userDataLength)
                        .arg(r.Left()));
    r.Octets(udOctets, pdu.userData);
    if ((pdu.firstOctet & 0x40) && (pdu.userData.isEmpty() || quint8(pdu.userData[0]) + 1 > udOctets))
        return fail(QStringLiteral("TP-UD: user-data header longer than the user data"));
    return pdu;
}

QString UserDataText(quint8 firstOctet, quint8 dataCoding, quint8 userDataLength,
                     const QByteArray &userData)
{
    const bool hasHeader = (firstOctet & 0x40) && !userData.isEmpty();
    const int headerOctets = hasHeader ? qMin<int>(quint8(userData[0]) + 1, userData.size()) : 0;
    switch (AlphabetOf(dataCoding)) {
    case Alphabet::Gsm7: {
        const int headerSeptets = (headerOctets * 8 + 6) / 7;
        return Gsm7ToText(UnpackSeptets(userData, userDataLength).mid(headerSeptets));
    }
    case Alphabet::Ucs2: {
        QString text;
        for (qsizetype i = headerOctets; i + 1 < userData.size(); i += 2)
            text.append(QChar(char16_t(quint8(userData[i]) << 8 | quint8(userData[i + 1]))));
        return text;
    }
    case Alphabet::Eight:
        break;
    }
    return QString::fromLatin1(userData.mid(headerOctets));
}

} // namespace quillon::sim
