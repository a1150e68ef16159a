#include "controls/Dial.h"

#include "controls/KnobModeFollower.h"
#include "controls/LineEdit.h"
#include "model/TarvoParameters.h"

#include <QConicalGradient>
#include <QIntValidator>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {

// The meter ring starts at the bottom and leaves a gap of 60 degrees there.
constexpr qreal MeterGradientStartAngle = 270.0;
constexpr int QtAngleUnitsPerDegree = 16;
constexpr int MeterStartAngle = -60 * QtAngleUnitsPerDegree;
constexpr int MeterSpanAngle = 300 * QtAngleUnitsPerDegree;

QPoint roundedPosition(const QMouseEvent* event)
{
    return event->localPos().toPoint();
}

} // namespace

Dial::Dial(QWidget* parent)
    : QDial(parent),
      m_knobMode(KnobModeCircle),
      m_pLineEdit(nullptr),
      m_lineEditSize(0, 0),
      m_arcMargin(0, 0, 0, 0),
      m_meterStartColor(Qt::black),
      m_meterEndColor(Qt::white),
      m_pressed(false),
      m_pressPos(0, 0),
      m_pressValue(0)
{
}

Dial::~Dial()
{
    // The entry loses its focus while QWidget tears the dial down; its
    // editingFinished must not reach a dial that is already gone.
    if (m_pLineEdit != nullptr) {
        disconnect(m_pLineEdit, &LineEdit::editingFinished, this, &Dial::inputCompletion);
    }
}

int Dial::knobMode() const
{
    return m_knobMode;
}

void Dial::setKnobMode(int knobMode)
{
    m_knobMode = knobMode;
}

void Dial::followKnobMode(TarvoModel* model)
{
    m_pKnobModeFollower = std::make_unique<KnobModeFollower>(model, this);
}

void Dial::setSuffix(const QString& suffix)
{
    m_suffix = suffix;
    update();
}

void Dial::setLineEditSize(const QSize& size)
{
    m_lineEditSize = size;
}

void Dial::setArcMargin(const QMargins& margin)
{
    m_arcMargin = margin;
    update();
}

void Dial::setMeterStartColor(const QColor& color)
{
    m_meterStartColor = color;
    update();
}

void Dial::setMeterEndColor(const QColor& color)
{
    m_meterEndColor = color;
    update();
}

void Dial::updateParameter(unsigned int id)
{
    setValue(getParameterValue(nullptr));
    ModelConnection::updateParameter(id);
}

QPoint Dial::getCenterPos() const
{
    return QPoint(qRound(width() * 0.5), qRound(height() * 0.5));
}

int Dial::getKnobRadius() const
{
    return qRound(std::min(width(), height()) * 0.5);
}

QRect Dial::getRectangle() const
{
    const QPoint centre = getCenterPos();
    const int radius = getKnobRadius();
    return QRect(centre.x() - radius, centre.y() - radius, 2 * radius, 2 * radius);
}

QRect Dial::getLineEditRect() const
{
    const QPoint centre = getCenterPos();
    return QRect(QPoint(centre.x() - m_lineEditSize.width() / 2, centre.y() - m_lineEditSize.height() / 2),
                 m_lineEditSize);
}

QRectF Dial::getMeterRectangle() const
{
    return QRectF(getRectangle()).marginsAdded(QMarginsF(m_arcMargin));
}

void Dial::mousePressEvent(QMouseEvent* event)
{
    const QPoint pos = roundedPosition(event);
    // In Circle mode a press on the value would turn the knob on the way to a double click.
    if (m_knobMode == KnobModeCircle && getLineEditRect().contains(pos)) {
        event->ignore();
        return;
    }
    const QPoint centre = getCenterPos();
    const int distance = qRound(std::hypot(centre.x() - pos.x(), centre.y() - pos.y()));
    if (distance > getKnobRadius()) {
        event->ignore();
        return;
    }
    m_pressed = true;
    if (m_knobMode == KnobModeCircle) {
        QDial::mousePressEvent(event);
    } else {
        m_pressPos = pos;
        m_pressValue = value();
        event->accept();
    }
}

void Dial::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_pressed) {
        event->ignore();
        return;
    }
    if (m_knobMode == KnobModeCircle) {
        QDial::mouseMoveEvent(event);
    } else {
        // One step per pixel, upward increases; the slider clamps to its range.
        setValue(m_pressValue + (m_pressPos.y() - roundedPosition(event).y()));
        event->accept();
    }
}

void Dial::mouseReleaseEvent(QMouseEvent* event)
{
    // QDial was told of the press only in Circle mode, and then holds the slider down.
    if (m_pressed && isSliderDown()) {
        QDial::mouseReleaseEvent(event);
    } else {
        event->accept();
    }
    m_pressed = false;
    m_pressPos = QPoint(0, 0);
    m_pressValue = 0;
}

void Dial::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (!getLineEditRect().contains(roundedPosition(event))) {
        event->accept();
        return;
    }
    if (m_pLineEdit != nullptr) {
        disconnect(m_pLineEdit, &LineEdit::editingFinished, this, &Dial::inputCompletion);
        delete m_pLineEdit;
    }
    m_pLineEdit = new LineEdit(QString::number(value(), 10), this);
    m_pLineEdit->setGeometry(getLineEditRect());
    m_pLineEdit->selectAll();
    m_pLineEdit->setValidator(new QIntValidator(minimum(), maximum(), m_pLineEdit));
    m_pLineEdit->setAlignment(Qt::AlignCenter);
    m_pLineEdit->show();
    m_pLineEdit->setFocus();
    connect(m_pLineEdit, &LineEdit::editingFinished, this, &Dial::inputCompletion);
    event->accept();
}

void Dial::wheelEvent(QWheelEvent* event)
{
    if (!isEntryOpen()) {
        QDial::wheelEvent(event);
    }
    event->accept();
}

void Dial::keyPressEvent(QKeyEvent* event)
{
    if (isEntryOpen()) {
        event->accept();
        return;
    }
    QDial::keyPressEvent(event);
}

void Dial::paintEvent(QPaintEvent* event)
{
    {
        QConicalGradient gradient(QPointF(getCenterPos()), MeterGradientStartAngle);
        gradient.setColorAt(0.0, m_meterStartColor);
        gradient.setColorAt(1.0, m_meterEndColor);
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(gradient);
        painter.drawPie(getMeterRectangle(), MeterStartAngle, MeterSpanAngle);
    }
    QDial::paintEvent(event);
    QPainter painter(this);
    painter.setPen(Qt::black);
    painter.setFont(font());
    painter.drawText(rect(), Qt::AlignCenter, QString::number(value(), 10) + m_suffix);
}

void Dial::inputCompletion()
{
    // Hiding the entry takes its focus, which settles it a second time; that
    // call finds the entry hidden and does nothing.
    if (m_pLineEdit == nullptr || m_pLineEdit->isHidden()) {
        return;
    }
    // Ended by a click elsewhere, the focus stays where the user clicked.
    const bool keepsFocus = m_pLineEdit->hasFocus();
    setValue(m_pLineEdit->text().toInt(nullptr, 10));
    m_pLineEdit->hide();
    if (keepsFocus) {
        setFocus();
    }
}

bool Dial::isEntryOpen() const
{
    return m_pLineEdit != nullptr && m_pLineEdit->isVisible();
}
