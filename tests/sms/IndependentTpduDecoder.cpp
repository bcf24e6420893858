#include "IndependentTpduDecoder.h"

namespace quillon::testing {

namespace {

class OctetCursor {
public:
    explicit OctetCursor(const QByteArray &octets) : m_octets(octets) {}

    bool next(int *value)
    {
        if (m_pos >= m_octets.size())
            return false;
        *value = quint8(m_octets[m_pos++]);
        return true;
    }

    bool next(int count, QByteArray *value)
    {
        if (count < 0 || count > m_octets.size() - m_pos)
            return false;
        *value = m_octets.mid(m_pos, count);
        m_pos += count;
        return true;
    }

    qsizetype position() const { return m_pos; }
    bool atEnd() const { return m_pos == m_octets.size(); }

private:
    QByteArray m_octets;
    qsizetype m_pos = 0;
};

QChar NibbleChar(int nibble) { return QChar(nibble < 10 ? '0' + nibble : 'A' + nibble - 10); }

// Semi-octets, low nibble first; a 0xF high nibble of the last octet is filler.
QString BcdDigits(const QByteArray &octets, int digitCount)
{
    QString digits;
    for (int i = 0; i < digitCount; ++i) {
        const int octet = quint8(octets[i / 2]);
        digits += NibbleChar(i % 2 == 0 ? octet & 0x0F : octet >> 4);
    }
    return digits;
}

bool ReadAddress(OctetCursor &cursor, TpduAddress *address)
{
    QByteArray value;
    if (!cursor.next(&address->digitCount) || !cursor.next(&address->type)
        || !cursor.next((address->digitCount + 1) / 2, &value))
        return false;
    address->digits = BcdDigits(value, address->digitCount);
    return true;
}

// The service centre's length counts octets (type included), not digits.
bool ReadServiceCentre(OctetCursor &cursor, std::optional<TpduAddress> *serviceCentre)
{
    int octets = 0;
    if (!cursor.next(&octets))
        return false;
    if (octets == 0)
        return true;
    TpduAddress address;
    QByteArray value;
    if (!cursor.next(&address.type) || !cursor.next(octets - 1, &value))
        return false;
    int digits = 2 * (octets - 1);
    if ((quint8(value.back()) >> 4) == 0x0F)
        --digits;
    address.digitCount = digits;
    address.digits = BcdDigits(value, digits);
    *serviceCentre = address;
    return true;
}

QString UnpackSeptets(const QByteArray &octets, int skipBits, int septets)
{
    QString text;
    for (int i = 0; i < septets; ++i) {
        const int bit = skipBits + 7 * i;
        const int low = quint8(octets[bit / 8]);
        const int high = bit / 8 + 1 < octets.size() ? quint8(octets[bit / 8 + 1]) : 0;
        const int septet = ((low | (high << 8)) >> (bit % 8)) & 0x7F;
        const bool asciiAlike = (septet >= '0' && septet <= '9') || (septet >= 'A' && septet <= 'Z')
                             || (septet >= 'a' && septet <= 'z') || septet == ' ';
        text += asciiAlike ? QChar(septet) : QChar(0xFFFD);
    }
    return text;
}

enum class Alphabet { Gsm7, Octet, Ucs2 };

Alphabet AlphabetOf(int dcs)
{
    if ((dcs & 0xF0) == 0xF0)
        return (dcs & 0x04) ? Alphabet::Octet : Alphabet::Gsm7;
    switch ((dcs >> 2) & 0x03) {
    case 1:
        return Alphabet::Octet;
    case 2:
        return Alphabet::Ucs2;
    default:
        return Alphabet::Gsm7;
    }
}

bool ReadUserData(OctetCursor &cursor, DecodedTpdu *tpdu)
{
    if (!cursor.next(&tpdu->userDataLength))
        return false;
    const Alphabet alphabet = AlphabetOf(tpdu->dataCoding);
    const int octetCount = alphabet == Alphabet::Gsm7 ? (tpdu->userDataLength * 7 + 7) / 8
                                                      : tpdu->userDataLength;
    QByteArray userData;
    if (!cursor.next(octetCount, &userData))
        return false;

    int headerOctets = 0;
    if (tpdu->userDataHeader && !userData.isEmpty()) {
        headerOctets = 1 + quint8(userData[0]);
        if (headerOctets > userData.size())
            return false;
        tpdu->header = userData.mid(1, headerOctets - 1);
    }

    switch (alphabet) {
    case Alphabet::Gsm7: {
        // The header is padded to a septet boundary.
        const int headerSeptets = (headerOctets * 8 + 6) / 7;
        tpdu->text = UnpackSeptets(userData, headerSeptets * 7, tpdu->userDataLength - headerSeptets);
        break;
    }
    case Alphabet::Octet:
        tpdu->text = QString::fromLatin1(userData.mid(headerOctets));
        break;
    case Alphabet::Ucs2:
        if ((userData.size() - headerOctets) % 2 != 0)
            return false;
        for (qsizetype i = headerOctets; i + 1 < userData.size(); i += 2)
            tpdu->text += QChar(char16_t((quint8(userData[i]) << 8) | quint8(userData[i + 1])));
        break;
    }
    return true;
}

QString TimeStamp(const QByteArray &octets)
{
    static const char *const kSeparators[] = {"/", "/", " ", ":", ":", "+", ""};
    QString time;
    for (int i = 0; i < 7; ++i) {
        const int octet = quint8(octets[i]);
        time += NibbleChar(octet & 0x0F);
        time += NibbleChar(octet >> 4);
        time += QLatin1String(kSeparators[i]);
    }
    return time;
}

} // namespace

std::optional<DecodedTpdu> DecodeTpdu(const QString &hexPdu)
{
    for (QChar c : hexPdu) {
        if (!c.isDigit() && !QStringLiteral("ABCDEFabcdef").contains(c))
            return std::nullopt;
    }
    if (hexPdu.size() % 2 != 0)
        return std::nullopt;
    OctetCursor cursor(QByteArray::fromHex(hexPdu.toLatin1()));

    DecodedTpdu tpdu;
    if (!ReadServiceCentre(cursor, &tpdu.serviceCentre))
        return std::nullopt;
    const qsizetype tpduStart = cursor.position();
    if (!cursor.next(&tpdu.firstOctet))
        return std::nullopt;
    tpdu.messageType = tpdu.firstOctet & 0x03;
    tpdu.userDataHeader = (tpdu.firstOctet & 0x40) != 0;

    if (tpdu.messageType == 1) {
        if (!cursor.next(&tpdu.messageReference) || !ReadAddress(cursor, &tpdu.address)
            || !cursor.next(&tpdu.protocolId) || !cursor.next(&tpdu.dataCoding))
            return std::nullopt;
        const int validityFormat = (tpdu.firstOctet >> 3) & 0x03;
        if (validityFormat == 2) {
            int validity = 0;
            if (!cursor.next(&validity))
                return std::nullopt;
            tpdu.relativeValidity = validity;
        } else if (validityFormat != 0) {
            QByteArray sevenOctets;
            if (!cursor.next(7, &sevenOctets))
                return std::nullopt;
        }
    } else if (tpdu.messageType == 0) {
        QByteArray timeStamp;
        if (!ReadAddress(cursor, &tpdu.address) || !cursor.next(&tpdu.protocolId)
            || !cursor.next(&tpdu.dataCoding) || !cursor.next(7, &timeStamp))
            return std::nullopt;
        tpdu.timeStamp = TimeStamp(timeStamp);
    } else {
        return std::nullopt;
    }

    if (!ReadUserData(cursor, &tpdu) || !cursor.atEnd())
        return std::nullopt;
    tpdu.tpduOctets = int(cursor.position() - tpduStart);
    return tpdu;
}

} // namespace quillon::testing
