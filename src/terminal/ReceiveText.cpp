#include "terminal/ReceiveText.h"

namespace quillon {

void ReceiveText::SetText(const QString &text)
{
    m_text = text;
    ++m_generation;
}

void ReceiveText::Append(const QString &rendering)
{
    if (m_text.size() > kCutAbove) {
        m_text.remove(0, m_text.size() - kKeepAfterCut);
        ++m_generation;
    }
    m_text += rendering;
}

} // namespace quillon
