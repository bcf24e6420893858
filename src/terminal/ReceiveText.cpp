#include "terminal/ReceiveText.h"

namespace quillon {

void ReceiveText::SetText(const QString &text)
{
    m_text = text;
    m_dropped = 0;
    ++m_generation;
}

void ReceiveText::Append(const QString &rendering)
{
    if (m_text.size() > kCutAbove) {
        const qsizetype cut = m_text.size() - kKeepAfterCut;
        m_text.remove(0, cut);
        m_dropped += cut;
    }
    m_text += rendering;
}

} // namespace quillon
