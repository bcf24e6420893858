#include "connection/LineLabel.h"

#include <QMouseEvent>

namespace quillon {

LineLabel::LineLabel(QWidget *parent) : QLabel(parent)
{
    setAutoFillBackground(true);
}

void LineLabel::SetLook(const QString &caption, const QColor &background)
{
    if (text() != caption)
        setText(caption);
    if (background != m_background) {
        m_background = background;
        QPalette p = palette();
        p.setColor(QPalette::Window, background);
        setPalette(p);
    }
}

void LineLabel::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        Q_EMIT clicked();
    QLabel::mouseReleaseEvent(event);
}

} // namespace quillon
