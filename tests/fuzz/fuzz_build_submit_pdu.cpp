// Numbers and messages through the send checks and BuildSubmitPdu. Input layout: the first
// byte is the number's length in bytes, then the number (Latin-1, as pasted text may be), then
// the message as big-endian UTF-16 code units. Whatever the checks accept must give a PDU whose
// length fields agree with what is written and whose user data reads back as the message.

#include "sms/SmsPdu.h"

#include <cstddef>
#include <cstdint>

using namespace quillon;

namespace {
int HexField(const QString &pdu, qsizetype at, qsizetype digits)
{
    bool ok = false;
    const int value = pdu.mid(at, digits).toInt(&ok, 16);
    if (!ok)
        __builtin_trap();
    return value;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const size_t numberBytes = data[0] < size - 1 ? data[0] : size - 1;
    const QString number =
        QString::fromLatin1(reinterpret_cast<const char *>(data + 1), qsizetype(numberBytes));
    QString message;
    for (size_t i = 1 + numberBytes; i + 1 < size; i += 2)
        message += QChar(char16_t((data[i] << 8) | data[i + 1]));

    CheckTextModeInput(number, message);
    const bool accepted = !CheckPduModeInput(number, message);
    const SubmitPdu submit = BuildSubmitPdu(number, message);
    if (!accepted)
        return 0;

    const QString &pdu = submit.pdu;
    for (QChar c : pdu) {
        if (!((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F')))
            __builtin_trap();
    }
    if (pdu.size() % 2 != 0 || submit.tpduLength != pdu.size() / 2 - 1)
        __builtin_trap();
    const int addressDigits = HexField(pdu, 6, 2);
    if (addressDigits != number.size() + 2)
        __builtin_trap();
    const qsizetype userDataAt = 10 + (addressDigits + 1) / 2 * 2 + 6;
    if (HexField(pdu, userDataAt, 2) != 2 * message.size()
        || pdu.size() != userDataAt + 2 + 4 * message.size())
        __builtin_trap();
    for (qsizetype i = 0; i < message.size(); ++i) {
        if (HexField(pdu, userDataAt + 2 + 4 * i, 4) != message[i].unicode())
            __builtin_trap();
    }
    return 0;
}
