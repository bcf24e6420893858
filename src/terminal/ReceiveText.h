#pragma once
// The exact receive text: what the operations search. Every received byte stands as its
// rendering, CR and LF as themselves. The widget that shows it is only a view.

#include <QString>

namespace quillon {

class ReceiveText {
public:
    static constexpr int kCutAbove = 4000; ///< cut when more than this is held before an append
    static constexpr int kKeepAfterCut = 2000;

    const QString &Text() const { return m_text; }
    /// Replaces the whole text (the module test appends its result lines this way).
    void SetText(const QString &text);
    void Clear() { SetText(QString()); }
    /// Appends `rendering`; first cuts the text to its last 2000 characters if it holds more
    /// than 4000.
    void Append(const QString &rendering);

    /// Increases on every replacement or cut; a view redraws fully when it changes and
    /// otherwise shows only what was appended since it last looked.
    quint64 Generation() const { return m_generation; }

private:
    QString m_text;
    quint64 m_generation = 0;
};

} // namespace quillon
