#pragma once
// The key filter of the number and PIN boxes: digits and control codes (Backspace, Enter and
// the clipboard keys Ctrl+C/V/X) pass, every other printable character is discarded. Pasted
// text is not filtered.

#include <QtGlobal>

namespace quillon {

/// Returns `code`, or 0 to discard it. The comparison is on a signed 16-bit code.
inline int DigitFilter(int code)
{
    const auto c = static_cast<qint16>(code);
    if (c > 57)
        return 0;
    if (c < 48 && c > 31)
        return 0;
    return code;
}

} // namespace quillon
