#pragma once
// A second, deliberately separate reading of SMS PDUs for the tests (3GPP TS 23.040 clause 9.2,
// TS 23.038 clause 4): it converts the hex text to octets first and walks them with a cursor,
// field by field, so it shares no code and no approach with the codec under test.

#include <QByteArray>
#include <QString>

#include <optional>

namespace quillon::testing {

struct TpduAddress {
    int digitCount = 0; ///< the address-length octet: useful semi-octets
    int type = 0;       ///< type-of-address octet
    QString digits;     ///< semi-octets in reading order, filler removed, above 9 as A to F
};

struct DecodedTpdu {
    std::optional<TpduAddress> serviceCentre; ///< absent when its length octet is 0
    int firstOctet = 0;
    int messageType = 0; ///< TP-MTI: 0 deliver, 1 submit
    bool userDataHeader = false;
    int messageReference = -1;          ///< submit only
    TpduAddress address;                ///< TP-DA (submit) or TP-OA (deliver)
    int protocolId = 0;
    int dataCoding = 0;
    std::optional<int> relativeValidity; ///< submit with TP-VPF = relative
    QString timeStamp;                  ///< deliver: "yy/MM/dd hh:mm:ss+zz", semi-octets as read
    int userDataLength = 0;             ///< septets for 7-bit, octets otherwise
    QByteArray header;                  ///< user-data header without its length octet
    QString text;                       ///< user data after the header, decoded by TP-DCS
    int tpduOctets = 0;                 ///< octets after the service-centre part
};

/// Decodes a whole PDU in hexadecimal (service-centre part first). Returns nothing when the
/// text is not hex, a field is missing, octets are left over, or the coding is not handled
/// (7-bit default alphabet is mapped only where it agrees with ASCII letters, digits and blank).
std::optional<DecodedTpdu> DecodeTpdu(const QString &hexPdu);

} // namespace quillon::testing
