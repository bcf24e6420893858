#pragma once
// A modem-line label: a caption on a coloured background, clickable for the output lines.

#include <QColor>
#include <QLabel>

namespace quillon {

inline const QColor kLineAsserted{0, 255, 0};
inline const QColor kLineNotAsserted{255, 128, 128};
inline const QColor kLineNeutral{255, 255, 192};

class LineLabel : public QLabel {
    Q_OBJECT
public:
    explicit LineLabel(QWidget *parent = nullptr);
    /// Sets caption, then background. Costs nothing when both are already shown.
    void SetLook(const QString &caption, const QColor &background);
    QColor Background() const { return m_background; }

Q_SIGNALS:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QColor m_background;
};

} // namespace quillon
