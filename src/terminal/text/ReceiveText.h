#pragma once
// The exact receive text: what the operations search. Every received byte stands as its
// rendering, CR and LF as themselves. The widget that shows it is only a view.

#include <QObject>
#include <QString>

namespace quillon {

class ReceiveText : public QObject {
    Q_OBJECT
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

    /// Increases on every replacement (SetText, Clear); a view redraws fully when it changes.
    quint64 Generation() const { return m_generation; }
    /// Characters cut from the front since the last replacement. With it a view follows cuts
    /// and appends without redrawing: the text always covers the positions
    /// [Dropped(), Dropped() + Text().size()) of everything appended since the replacement.
    qint64 Dropped() const { return m_dropped; }

Q_SIGNALS:
    /// After every change; the view follows it.
    void Changed();

private:
    QString m_text;
    quint64 m_generation = 0;
    qint64 m_dropped = 0;
};

} // namespace quillon
