#include "views/MidiKeyboardUpperView.h"

#include <QLabel>
#include <QRect>
#include <QSize>
#include <QSpinBox>

namespace {

const char* const ChannelText = "Channel";
const char* const VelocityText = "Velocity";

const QSize UpperViewSize(350, 40);
const QRect ChannelLabelRect(15, 10, 50, 23);
const QRect ChannelSpinBoxRect(75, 10, 70, 23);
const QRect VelocityLabelRect(155, 10, 50, 23);
const QRect VelocitySpinBoxRect(210, 10, 70, 23);

const int MinimumChannel = 1;
const int MaximumChannel = 16;
const int MinimumVelocity = 0;
const int MaximumVelocity = 127;
const int InitialVelocity = 100;

QSpinBox* createSpinBox(QWidget* parent, const QRect& rect, int minimum, int maximum, int value)
{
    auto* spinBox = new QSpinBox(parent);
    spinBox->setGeometry(rect);
    spinBox->setRange(minimum, maximum);
    spinBox->setValue(value);
    spinBox->setAlignment(Qt::AlignRight);
    spinBox->setAttribute(Qt::WA_MacShowFocusRect, false);
    return spinBox;
}

} // namespace

MidiKeyboardUpperView::MidiKeyboardUpperView(QWidget* parent)
    : QWidget(parent)
{
    setFixedSize(UpperViewSize);
    (new QLabel(tr(ChannelText), this))->setGeometry(ChannelLabelRect);
    m_pChannelSpinBox = createSpinBox(this, ChannelSpinBoxRect, MinimumChannel, MaximumChannel, MinimumChannel);
    (new QLabel(tr(VelocityText), this))->setGeometry(VelocityLabelRect);
    m_pVelocitySpinBox =
        createSpinBox(this, VelocitySpinBoxRect, MinimumVelocity, MaximumVelocity, InitialVelocity);
}

unsigned char MidiKeyboardUpperView::getChannel() const
{
    return static_cast<unsigned char>(m_pChannelSpinBox->value() - MinimumChannel);
}

unsigned char MidiKeyboardUpperView::getVelocity() const
{
    return static_cast<unsigned char>(m_pVelocitySpinBox->value());
}
