#include "controls/PushButton.h"

#include <QPainter>

PushButton::PushButton(QWidget* parent)
    : QPushButton(parent)
{
    connect(this, &QPushButton::clicked, this, &PushButton::updateButton);
}

void PushButton::updateParameter(unsigned int id)
{
    setChecked(getParameterValue(nullptr) != 0);
    ModelConnection::updateParameter(id);
}

void PushButton::setPixmap(const QPixmap& pixmap)
{
    m_pixmap = pixmap;
    update();
}

void PushButton::paintEvent(QPaintEvent* event)
{
    if (m_pixmap.isNull()) {
        QPushButton::paintEvent(event);
        return;
    }
    const int halfWidth = qRound(m_pixmap.width() * 0.5);
    const bool on = isCheckable() ? isChecked() : isDown();
    QPainter painter(this);
    painter.drawPixmap(QPoint(0, 0), m_pixmap, QRect(on ? halfWidth : 0, 0, halfWidth, m_pixmap.height()));
}

void PushButton::updateButton(bool checked)
{
    if (isConnected(nullptr)) {
        setParameterValue(checked ? 1 : 0);
    }
}
