#include "views/MidiControlChangeView.h"

#include "engine/MidiSenderIF.h"
#include "controls/Dial.h"
#include "model/TarvoModel.h"
#include "project/ContentBlock.h"
#include "views/ControlChangeInitialValueTable.h"
#include "views/ToolWindowHostIF.h"
#include "services/ControlChangeNameList.h"
#include "views/DialStyle.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const char* const ChannelText = "Channel";
const char* const TransmitText = "Transmit";

const int MinimumChannel = 1;
const int MaximumChannel = 16;
const int MinimumValue = 0;
const int MaximumValue = 127;
const int LastControlChangeNumber = ControlChangeCount - 1;

const unsigned char ControlChangeStatus = 0xB0;
const unsigned short ControlChangeMessageSize = 3;

// Index of the controller number in the restoration values.
const int ControlChangeNumberValueIndex = 0;

int boundedControlChangeNumber(int number)
{
    return std::clamp(number, 0, LastControlChangeNumber);
}

} // namespace

MidiControlChangeView::MidiControlChangeView(QWidget* parent, unsigned char controlChangeNumber,
                                             const ViewContext& context)
    : QWidget(parent),
      m_pChannelSpinBox(new QSpinBox),
      m_pControlChangeComboBox(new QComboBox),
      m_pDial(new Dial),
      m_pModel(context.model),
      m_pSender(context.sender),
      m_pHost(context.host),
      m_isRestoringState(false)
{
    const int controller = boundedControlChangeNumber(controlChangeNumber);
    windowId = WindowIdControlChange;
    values.append(controller);
    values.append(0);

    auto* layout = new QVBoxLayout;

    auto* channelRow = new QHBoxLayout;
    channelRow->addWidget(new QLabel(tr(ChannelText)));
    m_pChannelSpinBox->setRange(MinimumChannel, MaximumChannel);
    m_pChannelSpinBox->setAlignment(Qt::AlignRight);
    m_pChannelSpinBox->setAttribute(Qt::WA_MacShowFocusRect, false);
    channelRow->addWidget(m_pChannelSpinBox);
    layout->addLayout(channelRow);
    connect(m_pChannelSpinBox, QOverload<int>::of(&QSpinBox::valueChanged), this,
            &MidiControlChangeView::updateControlChangeChannel);

    for (const char* name : ControlChangeNameList) {
        m_pControlChangeComboBox->addItem(QString::fromUtf8(name));
    }
    m_pControlChangeComboBox->setCurrentIndex(controller);
    layout->addWidget(m_pControlChangeComboBox);
    connect(m_pControlChangeComboBox, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &MidiControlChangeView::controlChangeNumberChanged);

    m_pDial->setRange(MinimumValue, MaximumValue);
    m_pDial->setLineEditSize(LineEditSize);
    m_pDial->setArcMargin(ArcMargin);
    m_pDial->setValue(ControlChangeInitialValueTable[controller]);
    m_pDial->setMeterStartColor(StartGradientColorOfKnobMeter);
    m_pDial->setMeterEndColor(EndGradientColorOfKnobMeter);
    m_pDial->followKnobMode(m_pModel);
    layout->addWidget(m_pDial);
    connect(m_pDial, &QDial::valueChanged, this, &MidiControlChangeView::updateControlChangeValue);

    auto* transmitButton = new QPushButton(tr(TransmitText));
    layout->addWidget(transmitButton);
    connect(transmitButton, &QPushButton::released, this, &MidiControlChangeView::transmitButtonPressed);

    setLayout(layout);
    m_pModel->setParameterEditFlag(ParameterEdited);
}

MidiControlChangeView::~MidiControlChangeView()
{
}

bool MidiControlChangeView::sendControlChange(int value)
{
    // Values set while a project is being opened are restored, not played.
    if (m_isRestoringState || m_pHost->isOpeningProjectFile()) {
        return false;
    }
    const unsigned char message[ControlChangeMessageSize] = {
        static_cast<unsigned char>(ControlChangeStatus + (m_pChannelSpinBox->value() - MinimumChannel)),
        static_cast<unsigned char>(m_pControlChangeComboBox->currentIndex()),
        static_cast<unsigned char>(value),
    };
    return m_pSender->transmitMidi(message, ControlChangeMessageSize);
}

void MidiControlChangeView::transmitControlChange(int value)
{
    sendControlChange(value);
}

void MidiControlChangeView::updateControlChangeChannel(int /*value*/)
{
    m_pModel->setParameterEditFlag(ParameterEdited);
}

void MidiControlChangeView::updateControlChangeValue(int value)
{
    m_pModel->setParameterEditFlag(ParameterEdited);
    sendControlChange(value);
}

void MidiControlChangeView::controlChangeNumberChanged(int controlChangeNumber)
{
    m_pModel->setParameterEditFlag(ParameterEdited);
    if (!values.isEmpty()) {
        values[ControlChangeNumberValueIndex] = controlChangeNumber;
    }
}

void MidiControlChangeView::transmitButtonPressed()
{
    sendControlChange(m_pDial->value());
}

void MidiControlChangeView::closeEvent(QCloseEvent* event)
{
    m_pModel->setParameterEditFlag(ParameterEdited);
    QWidget::closeEvent(event);
}

bool MidiControlChangeView::setDataStream(QDataStream& stream)
{
    ContentValues content;
    if (!ContentBlock::read(windowId, stream, content)) {
        return false;
    }
    const QMap<int, int>& records = content.integers;
    m_isRestoringState = true;
    if (records.contains(ContentBlock::ControlChangeChannel)) {
        m_pChannelSpinBox->setValue(records.value(ContentBlock::ControlChangeChannel));
    }
    // A file from elsewhere may name no controller at all: keep one selected,
    // so that every message sent carries a valid data byte.
    if (records.contains(ContentBlock::ControlChangeNumber)) {
        m_pControlChangeComboBox->setCurrentIndex(
            boundedControlChangeNumber(records.value(ContentBlock::ControlChangeNumber)));
    }
    if (records.contains(ContentBlock::ControlChangeValue)) {
        m_pDial->setValue(records.value(ContentBlock::ControlChangeValue));
    }
    m_isRestoringState = false;
    return true;
}

bool MidiControlChangeView::getDataStream(QDataStream& stream)
{
    ContentValues content;
    content.integers = {{ContentBlock::ControlChangeChannel, m_pChannelSpinBox->value()},
                        {ContentBlock::ControlChangeNumber, m_pControlChangeComboBox->currentIndex()},
                        {ContentBlock::ControlChangeValue, m_pDial->value()},
                        {ContentBlock::ControlChangeReserved, 0}};
    return ContentBlock::write(windowId, content, stream);
}
