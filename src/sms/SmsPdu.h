#pragma once
// Short-message coding: the SMS-SUBMIT PDU we send (3GPP TS 23.040, user data in UCS-2), the
// checks a number and a message must pass before they are sent, and the two decoders of an
// AT+CMGR reply (PDU mode and text mode, 3GPP TS 27.005). Pure functions of their arguments,
// no widgets; the window turns their results into commands and message boxes.

#include <QChar>
#include <QString>

#include <optional>

namespace quillon {

/// Ends a message body for the module (and is therefore never allowed inside a text-mode body).
inline constexpr QChar kCtrlZ = QChar(0x1A);

/// Code units of UCS-2 user data that fit in one short message (140 octets).
inline constexpr int kMaxPduMessageUnits = 70;
/// Digits a national number may have: an address holds 20 digits, two of them the prefixed "86".
inline constexpr int kMaxPduNumberDigits = 18;
/// Digits any destination address may hold.
inline constexpr int kMaxAddressDigits = 20;

/// Message box shown when an AT+CMGR reply holds a PDU this program cannot decode.
inline const QString kPduCodingErrorText = QStringLiteral("编码出错，不是PDU格式");

/// An SMS-SUBMIT as sent: `pdu` is upper-case hexadecimal text starting with the service-centre
/// length octet "00"; `tpduLength` is the octet count without that octet (the AT+CMGS argument).
struct SubmitPdu {
    QString pdu;
    int tpduLength = 0;
};

/// Digits as swapped semi-octets: each pair is written low digit first, and an odd count gets
/// "F" as the filler of its last octet ("10086" -> "0180F6"). Characters are moved, not checked.
QString SwapSemiOctets(const QString &digits);

/// Builds the SMS-SUBMIT PDU for `number` (national digits; "86" is prefixed) and `message`
/// (UTF-16 code units, sent as UCS-2): no service centre, relative validity 24 hours, no header.
/// The address length and the TPDU length count what is actually written, so an 11-digit number
/// gives the classic "0011000D9168..." layout and AT+CMGS=19 for "Hi".
/// Precondition: CheckPduModeInput(number, message) accepted the input. Other input still gives
/// a result (never a crash) but not a valid PDU.
SubmitPdu BuildSubmitPdu(const QString &number, const QString &message);

/// Checks a PDU-mode send before anything goes out. Returns the message-box text naming the
/// problem (empty number, a character other than a digit, more than kMaxPduNumberDigits digits,
/// a message longer than kMaxPduMessageUnits code units), or nothing when the input is fine.
std::optional<QString> CheckPduModeInput(const QString &number, const QString &message);

/// Checks a text-mode send (number in double quotes on the command line, body as typed). Only
/// what would break the exchange is refused: a double quote, CR, LF, Ctrl-Z or ESC in the number
/// (they would end the command line or the message early), Ctrl-Z or ESC in the body, and any
/// character that cannot go out byte for byte (beyond Latin-1). Everything else goes to the
/// module as typed, which answers with its own error if it must (an empty number, a letter its
/// character set lacks).
/// Returns the message-box text, or nothing when the input is fine.
std::optional<QString> CheckTextModeInput(const QString &number, const QString &message);

/// Sender, time stamp and text of a message read from the module.
struct SmsReadResult {
    QString Number;
    QString Time;
    QString Content;

    friend bool operator==(const SmsReadResult &, const SmsReadResult &) = default;
};

enum class PduDecodeStatus {
    NotFound,    ///< no PDU with our service-centre prefix "08916831" in the text
    CodingError, ///< user data not UCS-2, or the PDU is cut short or not hexadecimal
    Ok,
};

struct PduDecodeResult {
    PduDecodeStatus status = PduDecodeStatus::NotFound;
    SmsReadResult result; ///< filled only when status is Ok
};

/// Decodes the SMS-DELIVER PDU in an AT+CMGR reply. The PDU is found by its service-centre
/// address "08916831" (8 octets, international, +86 13...). `Number` gets "+" for type "91",
/// `Time` is "yy/MM/dd hh:mm:ss+zz" (zone octet swapped, sign not interpreted), `Content` the
/// UCS-2 user data (a header, if any, is decoded as characters; an odd last octet is dropped).
/// Every field must be present and hexadecimal: a reply cut short or running into other text
/// before the end of the user data it announces is a CodingError, as is a TP-DCS whose second
/// digit is not "8", a sender of more than 20 digits or more than 140 octets of user data.
PduDecodeResult DecodePduReply(const QString &receiveText);

/// Decodes a text-mode AT+CMGR reply ("REC READ" or "REC UNREAD"). Positions are fixed from the
/// first "READ": the sender starts 7 characters after it and ends at the next double quote;
/// the time starts 3 characters after that quote and ends at the next one; the text starts 3
/// characters after the time's quote and ends before CR LF CR LF "OK", and at the latest
/// before the 140th character counted from the start of the time. A missing quote ends its field at the end of the text (later fields are then
/// empty); an empty message text gives an empty `Content`. Without "READ" all fields are empty.
SmsReadResult DecodeTextReply(const QString &receiveText);

/// The result message box text: "对方号码:" Number LF "时间:" Time LF "内容：" Content.
QString ResultMessage(const SmsReadResult &result);

} // namespace quillon
