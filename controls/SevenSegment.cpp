#include "controls/SevenSegment.h"

#include "controls/LineEdit.h"
#include "controls/PushButton.h"

#include <QApplication>
#include <QIntValidator>
#include <QKeyEvent>
#include <QPainter>
#include <QWheelEvent>

#include <cmath>
#include <cstdlib>

namespace {

constexpr int DigitCount = 10;
constexpr int ShownDigits = 3;
constexpr double WheelDeltaPerStep = 120.0;

// The dominant direction's angle, as a wheel of one axis reports it.
int wheelDelta(const QWheelEvent* event)
{
    const QPoint angle = event->angleDelta();
    return std::abs(angle.x()) > std::abs(angle.y()) ? angle.x() : angle.y();
}

} // namespace

SevenSegment::SevenSegment(QWidget* parent)
    : QWidget(parent),
      m_minimum(0),
      m_maximum(127),
      m_pLineEdit(nullptr),
      m_value(0),
      m_pIncreaseButton(new PushButton(this)),
      m_pDecreaseButton(new PushButton(this)),
      m_wheelRemainder(0.0)
{
    setFocusPolicy(Qt::WheelFocus);
    for (PushButton* button : {m_pIncreaseButton, m_pDecreaseButton}) {
        button->setAutoRepeat(true);
        button->setFocusPolicy(Qt::NoFocus);
    }
    // pressed() comes again at every auto-repeat, so holding a button keeps stepping.
    connect(m_pIncreaseButton, &QAbstractButton::pressed, this, &SevenSegment::increase);
    connect(m_pDecreaseButton, &QAbstractButton::pressed, this, &SevenSegment::decrease);
}

SevenSegment::~SevenSegment()
{
    // The entry loses its focus while QWidget tears the display down; its
    // editingFinished must not reach a display that is already gone.
    if (m_pLineEdit != nullptr) {
        disconnect(m_pLineEdit, &LineEdit::editingFinished, this, &SevenSegment::inputCompletion);
    }
}

int SevenSegment::value() const
{
    return m_value;
}

void SevenSegment::setValue(int value)
{
    if (value != m_value) {
        changeValue(value);
    }
}

void SevenSegment::addStepToValue(int step)
{
    const int value = boundedValue(static_cast<double>(m_value) + step);
    if (value != m_value) {
        changeValue(value);
    }
}

void SevenSegment::setIncreaseButtonPixmap(const QPixmap& pixmap)
{
    m_pIncreaseButton->setPixmap(pixmap);
}

void SevenSegment::setDecreaseButtonPixmap(const QPixmap& pixmap)
{
    m_pDecreaseButton->setPixmap(pixmap);
}

void SevenSegment::setIncreaseButtonGeometry(const QRect& rect)
{
    m_pIncreaseButton->setGeometry(rect);
}

void SevenSegment::setDecreaseButtonGeometry(const QRect& rect)
{
    m_pDecreaseButton->setGeometry(rect);
}

const QPixmap& SevenSegment::digitPixmap() const
{
    return m_digitPixmap;
}

void SevenSegment::setDigitPixmap(const QPixmap& pixmap)
{
    m_digitPixmap = pixmap;
    update();
}

void SevenSegment::setRange(int minimum, int maximum)
{
    m_minimum = minimum;
    m_maximum = maximum;
}

bool SevenSegment::isVisibleLineEdit() const
{
    return m_pLineEdit != nullptr && m_pLineEdit->isVisible();
}

void SevenSegment::mouseDoubleClickEvent(QMouseEvent* event)
{
    openEntryWithValue();
    event->accept();
}

void SevenSegment::openEntryWithValue()
{
    openEntry(QString::number(m_value, 10));
    m_pLineEdit->selectAll();
}

void SevenSegment::openEntry(const QString& text)
{
    if (m_pLineEdit != nullptr) {
        disconnect(m_pLineEdit, &LineEdit::editingFinished, this, &SevenSegment::inputCompletion);
        delete m_pLineEdit;
    }
    m_pLineEdit = new LineEdit(QString::number(m_value, 10), this);
    // The digit area left of the buttons.
    m_pLineEdit->setGeometry(0, 0, width() - m_pIncreaseButton->width() - 1, height());
    m_pLineEdit->setValidator(new QIntValidator(m_minimum, m_maximum, m_pLineEdit));
    m_pLineEdit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // The text typed so far; the value before it comes back when it is no number.
    m_pLineEdit->setText(text);
    m_pLineEdit->show();
    m_pLineEdit->setFocus();
    connect(m_pLineEdit, &LineEdit::editingFinished, this, &SevenSegment::inputCompletion);
}

void SevenSegment::wheelEvent(QWheelEvent* event)
{
    event->accept();
    if (isVisibleLineEdit()) {
        return;
    }
    // One notch is one step, whatever the desktop scrolls text by: the
    // value is a choice among neighbours, not a page of lines.
    const double steps = wheelDelta(event) / WheelDeltaPerStep;
    // A turn the other way drops what was left over from this way.
    if (m_wheelRemainder != 0.0 && steps / m_wheelRemainder < 0.0) {
        m_wheelRemainder = 0.0;
    }
    const double total = steps + m_wheelRemainder;
    const int whole = static_cast<int>(std::trunc(total));
    m_wheelRemainder = total - whole;
    // A value at a time: an owner that sends each value sends every one passed.
    for (int step = 0; step < std::abs(whole); ++step) {
        addStepToValue(whole > 0 ? 1 : -1);
    }
}

void SevenSegment::keyPressEvent(QKeyEvent* event)
{
    // Every key stops here, also those that do nothing.
    event->accept();
    if (isVisibleLineEdit()) {
        return;
    }
    if (event->key() == Qt::Key_Up) {
        increase();
    } else if (event->key() == Qt::Key_Down) {
        decrease();
    } else if (event->key() >= Qt::Key_0 && event->key() <= Qt::Key_9) {
        // A digit typed on the display starts a number.
        openEntry(event->text());
    } else if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        openEntryWithValue();
    }
}

void SevenSegment::paintEvent(QPaintEvent*)
{
    if (m_digitPixmap.isNull()) {
        return;
    }
    const int digitWidth = m_digitPixmap.width() / DigitCount;
    const int digitHeight = m_digitPixmap.height();
    const int pitch = static_cast<int>(static_cast<float>(width() - m_pIncreaseButton->width()) / ShownDigits);
    const int hundreds = m_value / 100;
    const int tens = (m_value - hundreds * 100) / 10;
    const int ones = m_value - hundreds * 100 - tens * 10;
    const int digits[ShownDigits] = {hundreds, tens, ones};
    QPainter painter(this);
    for (int i = 0; i < ShownDigits; ++i) {
        painter.drawPixmap(QPointF(i * pitch, 0), m_digitPixmap,
                           QRectF(digits[i] * digitWidth, 0, digitWidth, digitHeight));
    }
}

void SevenSegment::inputCompletion()
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

void SevenSegment::increase()
{
    if (!isVisibleLineEdit()) {
        addStepToValue(1);
    }
}

void SevenSegment::decrease()
{
    if (!isVisibleLineEdit()) {
        addStepToValue(-1);
    }
}

int SevenSegment::boundedValue(double value) const
{
    if (value > m_maximum) {
        return m_maximum;
    }
    if (value < m_minimum) {
        return m_minimum;
    }
    return static_cast<int>(value);
}

void SevenSegment::changeValue(int value)
{
    m_value = value;
    update();
    emit valueChanged(value);
}
