#pragma once
// How received bytes stand in the receive text: text display keeps bytes 10..255 as one
// character each (bytes 128..255 as the Latin-1 character of the same code, so positions stay
// byte-exact), NUL as "[EOF]" and bytes 1..9 bracketed in hex; hex display brackets every byte.

#include <QByteArray>
#include <QString>

namespace quillon {

/// Appends the rendering of `bytes` to `out`.
void AppendRendering(QString &out, const QByteArray &bytes, bool hex);

/// The rendering of `bytes`.
QString RenderBytes(const QByteArray &bytes, bool hex);

} // namespace quillon
