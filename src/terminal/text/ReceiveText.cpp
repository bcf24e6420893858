#include "terminal/ReceiveText.h"

namespace quillon {

namespace {
constexpr qsizetype kReleaseAbove = 65536;
} // namespace

void ReceiveText::SetText(const QString &text)
{
    m_text = text;
    m_dropped = 0;
    ++m_generation;
    Q_EMIT Changed();
}

void ReceiveText::Append(const QString &rendering)
{
    if (m_text.size() > kCutAbove) {
        const qsizetype cut = m_text.size() - kKeepAfterCut;
        m_text.remove(0, cut);
        m_dropped += cut;
    }
    m_text += rendering;
    // Once a very large append (a flood) has been cut away, its memory is given back rather than
    // kept for the rest of the run; at line speeds the text never comes near this.
    if (m_text.capacity() > kReleaseAbove && m_text.capacity() > 2 * m_text.size())
        m_text.squeeze();
    Q_EMIT Changed();
}

} // namespace quillon
