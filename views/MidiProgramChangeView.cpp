#include "views/MidiProgramChangeView.h"

#include "engine/MidiSenderIF.h"
#include "controls/SevenSegment.h"
#include "model/TarvoModel.h"
#include "project/ContentBlock.h"
#include "views/ViewStyle.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const char* const ChannelText = "Channel";
const char* const BankText = "Bank";
const char* const MsbText = "MSB";
const char* const LsbText = "LSB";
const char* const ProgramNumberText = "Program Number";
const char* const AutoTransmitText = "Auto Transmit";
const char* const TransmitText = "Transmit";

const char* const DigitPixmapPath = ":/images/7seg.png";
const char* const UpArrowPixmapPath = ":/images/up_arrow_button.png";
const char* const DownArrowPixmapPath = ":/images/down_arrow_button.png";

const int OuterLayoutSpacing = 7;
const int InnerLayoutSpacing = 0;

const int MinimumChannel = 1;
const int MaximumChannel = 16;
const int MinimumBank = 0;
const int MaximumBank = 127;
const int MinimumProgramNumber = 1;
const int MaximumProgramNumber = 128;

const QSize ProgramNumberSize(128, 48);
const QRect IncreaseButtonRect(114, 0, 14, 24);
const QRect DecreaseButtonRect(114, 24, 14, 24);

const unsigned char ControlChangeStatus = 0xB0;
const unsigned char ProgramChangeStatus = 0xC0;
const unsigned char BankSelectMsbController = 0x00;
const unsigned char BankSelectLsbController = 0x20;
const unsigned short ControlChangeMessageSize = 3;
const unsigned short ProgramChangeMessageSize = 2;

QSpinBox* createSpinBox(int minimum, int maximum)
{
    auto* spinBox = new QSpinBox;
    spinBox->setRange(minimum, maximum);
    spinBox->setAlignment(Qt::AlignRight);
    spinBox->setAttribute(Qt::WA_MacShowFocusRect, false);
    return spinBox;
}

QPixmap loadPixmap(const char* path)
{
    QPixmap pixmap(QString::fromLatin1(path));
    pixmap.setDevicePixelRatio(DevicePixelRatio);
    return pixmap;
}

} // namespace

MidiProgramChangeView::MidiProgramChangeView(QWidget* parent, const ViewContext& context)
    : QWidget(parent),
      m_pMsbSpinBox(createSpinBox(MinimumBank, MaximumBank)),
      m_pMsbCheckBox(new QCheckBox(tr(MsbText))),
      m_pLsbSpinBox(createSpinBox(MinimumBank, MaximumBank)),
      m_pLsbCheckBox(new QCheckBox(tr(LsbText))),
      m_pProgramNumber(new SevenSegment),
      m_pChannelSpinBox(createSpinBox(MinimumChannel, MaximumChannel)),
      m_pAutoTransmitCheckBox(new QCheckBox(tr(AutoTransmitText))),
      m_pModel(context.model),
      m_pSender(context.sender)
{
    windowId = WindowIdProgramChange;

    auto* outerLayout = new QFormLayout;
    outerLayout->setSpacing(OuterLayoutSpacing);
    auto* innerLayout = new QFormLayout;
    innerLayout->setSpacing(InnerLayoutSpacing);

    auto* channelRow = new QHBoxLayout;
    channelRow->addWidget(new QLabel(tr(ChannelText)));
    channelRow->addWidget(m_pChannelSpinBox);
    innerLayout->addRow(channelRow);
    innerLayout->addRow(new QLabel(tr(BankText)));
    auto* msbRow = new QHBoxLayout;
    msbRow->addWidget(m_pMsbCheckBox);
    msbRow->addWidget(m_pMsbSpinBox);
    innerLayout->addRow(msbRow);
    auto* lsbRow = new QHBoxLayout;
    lsbRow->addWidget(m_pLsbCheckBox);
    lsbRow->addWidget(m_pLsbSpinBox);
    innerLayout->addRow(lsbRow);
    outerLayout->addRow(innerLayout);

    auto* programNumberColumn = new QVBoxLayout;
    programNumberColumn->addWidget(new QLabel(tr(ProgramNumberText)));
    m_pProgramNumber->setRange(MinimumProgramNumber, MaximumProgramNumber);
    m_pProgramNumber->setValue(MinimumProgramNumber);
    m_pProgramNumber->setFixedSize(ProgramNumberSize);
    m_pProgramNumber->setDigitPixmap(loadPixmap(DigitPixmapPath));
    m_pProgramNumber->setIncreaseButtonGeometry(IncreaseButtonRect);
    m_pProgramNumber->setIncreaseButtonPixmap(loadPixmap(UpArrowPixmapPath));
    m_pProgramNumber->setDecreaseButtonGeometry(DecreaseButtonRect);
    m_pProgramNumber->setDecreaseButtonPixmap(loadPixmap(DownArrowPixmapPath));
    programNumberColumn->addWidget(m_pProgramNumber, 0, Qt::AlignRight);
    outerLayout->addRow(programNumberColumn);

    outerLayout->addRow(m_pAutoTransmitCheckBox);
    auto* transmitButton = new QPushButton(tr(TransmitText));
    outerLayout->addRow(transmitButton);
    setLayout(outerLayout);

    connect(m_pChannelSpinBox, QOverload<int>::of(&QSpinBox::valueChanged), this,
            &MidiProgramChangeView::updateChannel);
    connect(m_pMsbSpinBox, QOverload<int>::of(&QSpinBox::valueChanged), this, &MidiProgramChangeView::updateMSB);
    connect(m_pLsbSpinBox, QOverload<int>::of(&QSpinBox::valueChanged), this, &MidiProgramChangeView::updateLSB);
    connect(m_pProgramNumber, &SevenSegment::valueChanged, this, &MidiProgramChangeView::updateProgramNumber);
    for (QCheckBox* checkBox : {m_pMsbCheckBox, m_pLsbCheckBox, m_pAutoTransmitCheckBox}) {
        connect(checkBox, &QCheckBox::toggled, this, &MidiProgramChangeView::updateCheckbox);
    }
    // Sent on press: the message leaves before the mouse button comes up.
    connect(transmitButton, &QPushButton::pressed, this, &MidiProgramChangeView::transmitButtonPressed);

    m_pModel->setParameterEditFlag(ParameterEdited);
}

bool MidiProgramChangeView::transmitProgramChangeMessage()
{
    // A bank select that failed (counted and shown by the engine) ends the
    // send: the program change would select a program of the wrong bank.
    const unsigned char channel = static_cast<unsigned char>(m_pChannelSpinBox->value() - MinimumChannel);
    if (m_pMsbCheckBox->isChecked()) {
        const unsigned char message[ControlChangeMessageSize] = {
            static_cast<unsigned char>(ControlChangeStatus + channel), BankSelectMsbController,
            static_cast<unsigned char>(m_pMsbSpinBox->value())};
        if (!m_pSender->transmitMidi(message, ControlChangeMessageSize))
            return false;
    }
    if (m_pLsbCheckBox->isChecked()) {
        const unsigned char message[ControlChangeMessageSize] = {
            static_cast<unsigned char>(ControlChangeStatus + channel), BankSelectLsbController,
            static_cast<unsigned char>(m_pLsbSpinBox->value())};
        if (!m_pSender->transmitMidi(message, ControlChangeMessageSize))
            return false;
    }
    const unsigned char message[ProgramChangeMessageSize] = {
        static_cast<unsigned char>(ProgramChangeStatus + channel),
        static_cast<unsigned char>(m_pProgramNumber->value() - MinimumProgramNumber)};
    return m_pSender->transmitMidi(message, ProgramChangeMessageSize);
}

void MidiProgramChangeView::valueChanged()
{
    m_pModel->setParameterEditFlag(ParameterEdited);
    if (m_pAutoTransmitCheckBox->isChecked()) {
        transmitProgramChangeMessage();
    }
}

void MidiProgramChangeView::updateChannel(int /*value*/)
{
    valueChanged();
}

void MidiProgramChangeView::updateMSB(int /*value*/)
{
    valueChanged();
}

void MidiProgramChangeView::updateLSB(int /*value*/)
{
    valueChanged();
}

void MidiProgramChangeView::updateProgramNumber(int /*value*/)
{
    valueChanged();
}

void MidiProgramChangeView::updateCheckbox(bool /*checked*/)
{
    m_pModel->setParameterEditFlag(ParameterEdited);
}

void MidiProgramChangeView::transmitButtonPressed()
{
    transmitProgramChangeMessage();
}

void MidiProgramChangeView::closeEvent(QCloseEvent* event)
{
    m_pModel->setParameterEditFlag(ParameterEdited);
    QWidget::closeEvent(event);
}

bool MidiProgramChangeView::setDataStream(QDataStream& stream)
{
    ContentValues content;
    if (!ContentBlock::read(windowId, stream, content)) {
        return false;
    }
    const QMap<int, int>& records = content.integers;
    if (records.contains(ContentBlock::ProgramChangeChannel)) {
        m_pChannelSpinBox->setValue(records.value(ContentBlock::ProgramChangeChannel));
    }
    if (records.contains(ContentBlock::ProgramChangeMsbCheck)) {
        m_pMsbCheckBox->setChecked(records.value(ContentBlock::ProgramChangeMsbCheck) >= 1);
    }
    if (records.contains(ContentBlock::ProgramChangeMsbValue)) {
        m_pMsbSpinBox->setValue(records.value(ContentBlock::ProgramChangeMsbValue));
    }
    if (records.contains(ContentBlock::ProgramChangeLsbCheck)) {
        m_pLsbCheckBox->setChecked(records.value(ContentBlock::ProgramChangeLsbCheck) >= 1);
    }
    if (records.contains(ContentBlock::ProgramChangeLsbValue)) {
        m_pLsbSpinBox->setValue(records.value(ContentBlock::ProgramChangeLsbValue));
    }
    // The display shows whatever it is given; a program number from a file
    // must stay within 1 to 128 so that the program change byte stays below 0x80.
    if (records.contains(ContentBlock::ProgramChangeNumber)) {
        m_pProgramNumber->setValue(
            std::clamp(records.value(ContentBlock::ProgramChangeNumber), MinimumProgramNumber, MaximumProgramNumber));
    }
    // Restored last: a new view is not auto-transmitting, so nothing above sent.
    if (records.contains(ContentBlock::ProgramChangeAutoTransmit)) {
        m_pAutoTransmitCheckBox->setChecked(records.value(ContentBlock::ProgramChangeAutoTransmit) >= 1);
    }
    return true;
}

bool MidiProgramChangeView::getDataStream(QDataStream& stream)
{
    ContentValues content;
    content.integers = {{ContentBlock::ProgramChangeChannel, m_pChannelSpinBox->value()},
                        {ContentBlock::ProgramChangeMsbCheck, m_pMsbCheckBox->isChecked() ? 1 : 0},
                        {ContentBlock::ProgramChangeMsbValue, m_pMsbSpinBox->value()},
                        {ContentBlock::ProgramChangeLsbCheck, m_pLsbCheckBox->isChecked() ? 1 : 0},
                        {ContentBlock::ProgramChangeLsbValue, m_pLsbSpinBox->value()},
                        {ContentBlock::ProgramChangeNumber, m_pProgramNumber->value()},
                        {ContentBlock::ProgramChangeAutoTransmit, m_pAutoTransmitCheckBox->isChecked() ? 1 : 0}};
    return ContentBlock::write(windowId, content, stream);
}
