// Any receive text (bytes as the receive area keeps them, 128..255 as Latin-1) through
// DecodeTextReply: no crash, no read past the text, fields no longer than their windows.

#include "sms/SmsPdu.h"

#include <cstddef>
#include <cstdint>

using namespace quillon;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString receiveText =
        QString::fromLatin1(reinterpret_cast<const char *>(data), qsizetype(size));
    const SmsReadResult decoded = DecodeTextReply(receiveText);

    if (!receiveText.contains(QLatin1String("READ")) && decoded != SmsReadResult{})
        __builtin_trap();
    if (decoded.Number.size() > 200 || decoded.Time.size() > 200 || decoded.Content.size() > 139)
        __builtin_trap();
    if (decoded.Content.contains(QLatin1String("\r\n\r\nOK")))
        __builtin_trap();
    ResultMessage(decoded);
    return 0;
}
