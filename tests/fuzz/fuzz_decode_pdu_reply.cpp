// Any receive text (bytes as the receive area keeps them, 128..255 as Latin-1) through
// DecodePduReply: no crash, no read past the text, and results within what a PDU can carry.

#include "sms/SmsPdu.h"

#include <cstddef>
#include <cstdint>

using namespace quillon;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString receiveText =
        QString::fromLatin1(reinterpret_cast<const char *>(data), qsizetype(size));
    const PduDecodeResult decoded = DecodePduReply(receiveText);

    if (!receiveText.contains(QLatin1String("08916831")) && decoded.status != PduDecodeStatus::NotFound)
        __builtin_trap();
    if (decoded.status != PduDecodeStatus::Ok) {
        if (decoded.result != SmsReadResult{})
            __builtin_trap();
        return 0;
    }
    // "+" and 20 digits; "yy/MM/dd hh:mm:ss+zz"; 140 octets of UCS-2.
    if (decoded.result.Number.size() > 21 || decoded.result.Time.size() != 20
        || decoded.result.Content.size() > kMaxPduMessageUnits)
        __builtin_trap();
    // A complete PDU does not depend on what the module sends after it.
    const PduDecodeResult again = DecodePduReply(receiveText + QStringLiteral("\r\n\r\nOK\r\n"));
    if (again.status != PduDecodeStatus::Ok || again.result != decoded.result)
        __builtin_trap();
    ResultMessage(decoded.result);
    return 0;
}
