#include "controls/ToolButton.h"

#include <QPainter>

ToolButton::ToolButton(QWidget* parent)
    : QToolButton(parent)
{
}

void ToolButton::setPixmap(const QPixmap& pixmap)
{
    m_pixmap = pixmap;
    update();
}

void ToolButton::paintEvent(QPaintEvent* event)
{
    QToolButton::paintEvent(event);
    if (m_pixmap.isNull()) {
        return;
    }
    const int halfWidth = qRound(m_pixmap.width() * 0.5);
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(QPoint(0, 0), m_pixmap, QRect(isEnabled() ? 0 : halfWidth, 0, halfWidth, m_pixmap.height()));
}
