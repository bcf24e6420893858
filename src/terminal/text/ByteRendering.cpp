#include "terminal/ByteRendering.h"

namespace quillon {

namespace {
constexpr char kHexDigits[] = "0123456789ABCDEF";

void AppendBracketedHex(QString &out, unsigned char b)
{
    out += QLatin1Char('[');
    out += QLatin1Char(kHexDigits[b >> 4]);
    out += QLatin1Char(kHexDigits[b & 0x0F]);
    out += QLatin1Char(']');
}
} // namespace

void AppendRendering(QString &out, const QByteArray &bytes, bool hex)
{
    out.reserve(out.size() + bytes.size() * (hex ? 4 : 1));
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (hex || (b >= 1 && b <= 9))
            AppendBracketedHex(out, b);
        else if (b == 0)
            out += QLatin1String("[EOF]");
        else
            out += QChar(b);
    }
}

QString RenderBytes(const QByteArray &bytes, bool hex)
{
    QString out;
    AppendRendering(out, bytes, hex);
    return out;
}

} // namespace quillon
