#pragma once
// The simulated module's own short-message coding (3GPP TS 23.040, 23.038): enough to build the
// SMS-DELIVER PDUs it keeps in storage, to show them in text mode, and to check the SMS-SUBMIT
// PDUs a host sends with AT+CMGS. Deliberately independent of the tool's codec in src/sms, so
// that each can be tested against the other and against published vectors.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

namespace quillon::sim {

/// Upper-case hexadecimal, two characters per octet.
QByteArray ToHex(QByteArrayView octets);
/// Strict hexadecimal (either case, even length, nothing else). nullopt on any other character.
std::optional<QByteArray> FromHex(QByteArrayView hex);

/// A telephone number as the address fields carry it: `type` is the type-of-address octet
/// (0x91 international, 0x81 unknown, 0xA1 national...), `digits` the BCD digits (0-9 * # a b c).
struct PduAddress {
    quint8 type = 0x81;
    QByteArray digits;

    /// "+8613..." for international numbers, the digits alone otherwise.
    QString Text() const;
    /// "+861380..." gives type 0x91; anything else keeps the digits with type 0x81 (or `type`).
    static PduAddress FromText(const QString &number, quint8 nonInternationalType = 0x81);
};

/// Swapped semi-octets, "F" filling the last octet of an odd count: "8613800210500" gives
/// 68 31 08 20 01 05 F0.
QByteArray EncodeSemiOctets(QByteArrayView digits);
/// Reads `digitCount` semi-octets; an F filler is skipped. Characters 10..15 map to * # a b c.
QByteArray DecodeSemiOctets(QByteArrayView octets, int digitCount);

/// Service-centre address field: its length octet counts the type octet and the digit octets.
/// An empty address is the single octet 00.
QByteArray EncodeServiceCentre(const PduAddress &address);

/// Septet text in the GSM 7-bit default alphabet (ESC 0x1B prefixes the extension table).
/// Returns nullopt if a character has no GSM code.
std::optional<QByteArray> TextToGsm7(const QString &text);
QString Gsm7ToText(QByteArrayView septets);

/// Packs septets into octets, least significant bits first. `fillBits` (0..6) leading zero bits
/// align the text after a user-data header.
QByteArray PackSeptets(QByteArrayView septets, int fillBits = 0);
/// The inverse; reads `count` septets after `fillBits`. Stops early if the octets run out.
QByteArray UnpackSeptets(QByteArrayView octets, int count, int fillBits = 0);

enum class Alphabet { Gsm7, Eight, Ucs2 };
/// The alphabet a TP-DCS value selects (general data coding and message-class groups).
Alphabet AlphabetOf(quint8 dcs);

/// A service-centre time stamp, local time of the centre plus its offset in quarter hours.
struct PduTimestamp {
    int year = 0; ///< two digits, 0..99
    int month = 1, day = 1, hour = 0, minute = 0, second = 0;
    int zoneQuarters = 0; ///< signed, -79..79

    /// "yy/MM/dd,hh:mm:ss+zz" as text-mode replies and AT+CCLK show it.
    QByteArray Text() const;
};
QByteArray EncodeTimestamp(const PduTimestamp &t);
std::optional<PduTimestamp> DecodeTimestamp(QByteArrayView sevenOctets);

/// An SMS-DELIVER TPDU with the service centre in front, field for field.
struct DeliverPdu {
    PduAddress serviceCentre;     ///< empty digits: the 00 length octet alone
    quint8 firstOctet = 0x04;     ///< MTI 00, TP-MMS set (no more messages)
    PduAddress originator;
    quint8 protocolId = 0x00;
    quint8 dataCoding = 0x08;
    PduTimestamp timestamp;
    quint8 userDataLength = 0;    ///< septets for 7-bit data, octets otherwise
    QByteArray userData;          ///< the octets as sent (header included when TP-UDHI is set)

    bool HasHeader() const { return firstOctet & 0x40; }
};

/// Whole PDU octets (service centre included).
QByteArray EncodeDeliver(const DeliverPdu &pdu);
/// Reads a whole SMS-DELIVER PDU; nullopt when a field is cut short or the type is not DELIVER.
std::optional<DeliverPdu> DecodeDeliver(QByteArrayView octets);

/// Fills user data and its length from text: UCS-2 for dcs 0x08, GSM 7-bit for dcs 0x00.
/// `header` (without its length octet) is put in front and TP-UDHI set when non-empty.
/// Returns false if the text does not fit the alphabet or one message.
bool SetDeliverText(DeliverPdu &pdu, const QString &text, const QByteArray &header = {});

/// An SMS-SUBMIT TPDU with the service centre the host gave (often none).
struct SubmitPdu {
    PduAddress serviceCentre;
    quint8 firstOctet = 0x11;
    quint8 reference = 0;
    PduAddress destination;
    quint8 protocolId = 0;
    quint8 dataCoding = 0;
    QByteArray validity;          ///< 0, 1 or 7 octets as TP-VPF says
    quint8 userDataLength = 0;
    QByteArray userData;
};

/// Reads a whole SMS-SUBMIT PDU whose TPDU (everything after the service centre) must be exactly
/// `tpduLength` octets, as AT+CMGS announced. On failure returns nullopt and names the field
/// that could not be read or did not agree in `*error`.
std::optional<SubmitPdu> DecodeSubmit(QByteArrayView octets, int tpduLength, QString *error);

/// The text of user data, the header skipped: GSM 7-bit decoded, UCS-2 from big-endian units,
/// 8-bit data as Latin-1.
QString UserDataText(quint8 firstOctet, quint8 dataCoding, quint8 userDataLength,
                     const QByteArray &userData);

} // namespace quillon::sim
