#include "views/MidiKeyboardUpperView.h"

#include <QLabel>
#include <QSize>
#include <QSpinBox>

#include <algorithm>

namespace {

const char* const ChannelText = "Channel";
const char* const VelocityText = "Velocity";

const QSize UpperViewSize(350, 40);
// The controls sit in one row, left to right, at these widths and gaps.
const int RowLeft = 15;
const int RowTop = 10;
const int RowHeight = 23;
const int LabelWidth = 50;
const int SpinBoxWidth = 70;
const int ChannelLabelGap = 10;
const int VelocityLabelGap = 10;
const int VelocitySpinBoxGap = 5;

const int MinimumChannel = 1;
const int MaximumChannel = 16;
const int MinimumVelocity = 0;
const int MaximumVelocity = 127;
const int InitialVelocity = 100;

// A label at least LabelWidth wide, wider where the font needs it; returns its right edge.
int placeLabel(QWidget* parent, const QString& text, int left)
{
    auto* label = new QLabel(text, parent);
    const int width = std::max(LabelWidth, label->sizeHint().width());
    label->setGeometry(left, RowTop, width, RowHeight);
    return left + width;
}

QSpinBox* createSpinBox(QWidget* parent, int left, int minimum, int maximum, int value)
{
    auto* spinBox = new QSpinBox(parent);
    spinBox->setGeometry(left, RowTop, SpinBoxWidth, RowHeight);
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
    int left = placeLabel(this, tr(ChannelText), RowLeft) + ChannelLabelGap;
    m_pChannelSpinBox = createSpinBox(this, left, MinimumChannel, MaximumChannel, MinimumChannel);
    left = placeLabel(this, tr(VelocityText), left + SpinBoxWidth + VelocityLabelGap) + VelocitySpinBoxGap;
    m_pVelocitySpinBox = createSpinBox(this, left, MinimumVelocity, MaximumVelocity, InitialVelocity);
}

unsigned char MidiKeyboardUpperView::getChannel() const
{
    return static_cast<unsigned char>(m_pChannelSpinBox->value() - MinimumChannel);
}

unsigned char MidiKeyboardUpperView::getVelocity() const
{
    return static_cast<unsigned char>(m_pVelocitySpinBox->value());
}
