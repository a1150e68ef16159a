#include "views/MidiTimingClockGeneratorView.h"

#include "controls/MidiTimingClockDial.h"
#include "controls/MidiTimingClockPlayStopButton.h"
#include "model/TarvoModel.h"
#include "project/ContentBlock.h"
#include "services/MidiTimingClockTransmittionThread.h"
#include "views/DialStyle.h"
#include "views/ViewStyle.h"

#include <QCheckBox>
#include <QColor>
#include <QVBoxLayout>

namespace {

const int MinimumTempo = 5;
const int MaximumTempo = 300;
const int InitialTempo = 90;
// The thread counts the tempo in tenths of a beat per minute.
const int TempoScale = 10;
const char* const TempoUnitText = "BPM";
const char* const StartStopText = "Send Start/Stop";
const char* const StartStopToolTip = "Start (FA) before the first clock of Play, Stop (FC) after the last";

const QColor TempoLedOnColor(Qt::yellow);
const QColor TempoLedOffColor(27, 27, 0);

const char* const PlayStopPixmapPath = ":/images/playstop.png";
const QSize PlayStopFrameSize(15, 15);

} // namespace

MidiTimingClockGeneratorView::MidiTimingClockGeneratorView(QWidget* parent, const ViewContext& context)
    : QWidget(parent),
      m_pThread(nullptr),
      m_pPlayButton(new MidiTimingClockPlayStopButton),
      m_pModel(context.model),
      m_pDial(new MidiTimingClockDial),
      m_pStartStop(new QCheckBox(tr(StartStopText)))
{
    windowId = WindowIdTimingClock;

    auto* layout = new QVBoxLayout;

    m_pDial->setRange(MinimumTempo, MaximumTempo);
    m_pDial->setValue(InitialTempo);
    m_pDial->setSuffix(QLatin1Char(' ') + QLatin1String(TempoUnitText));
    m_pDial->setLineEditSize(LineEditSize);
    m_pDial->setLedOnColor(TempoLedOnColor);
    m_pDial->setLedOffColor(TempoLedOffColor);
    m_pDial->setArcMargin(ArcMargin);
    m_pDial->setMeterStartColor(StartGradientColorOfKnobMeter);
    m_pDial->setMeterEndColor(EndGradientColorOfKnobMeter);
    m_pDial->followKnobMode(m_pModel);
    connect(m_pDial, &QDial::valueChanged, this, &MidiTimingClockGeneratorView::updatedKnobValue);
    layout->addWidget(m_pDial);

    m_pThread = new MidiTimingClockTransmittionThread(this, context.sender, context.clock);
    m_pThread->setTempo(m_pDial->value() * TempoScale);
    m_pThread->setPlayTimingClockFlag(false);
    // Emitted on the clock thread, so the dial hears of it through its event loop.
    connect(m_pThread, &MidiTimingClockTransmittionThread::blinkLed, m_pDial, &MidiTimingClockDial::ledOn);

    m_pPlayButton->setAutoFillBackground(true);
    m_pPlayButton->setCheckable(true);
    m_pPlayButton->setChecked(false);
    m_pPlayButton->setPixmapSize(PlayStopFrameSize);
    QPixmap playStop(QString::fromLatin1(PlayStopPixmapPath));
    playStop.setDevicePixelRatio(DevicePixelRatio);
    m_pPlayButton->setPixmap(playStop);
    connect(m_pPlayButton, &QPushButton::toggled, this, &MidiTimingClockGeneratorView::updatedplayButton);
    layout->addWidget(m_pPlayButton);

    // Off by default: the clock alone, as receivers that start on their own expect.
    m_pStartStop->setToolTip(tr(StartStopToolTip));
    connect(m_pStartStop, &QCheckBox::toggled, this, [this](bool checked) {
        m_pModel->setParameterEditFlag(ParameterEdited);
        m_pThread->setStartStopEnabled(checked);
    });
    layout->addWidget(m_pStartStop, 0, Qt::AlignHCenter);
    setLayout(layout);

    m_pModel->setParameterEditFlag(ParameterEdited);
}

MidiTimingClockGeneratorView::~MidiTimingClockGeneratorView()
{
    // Ends the clock thread before the dial it blinks goes.
    delete m_pThread;
    m_pThread = nullptr;
}

void MidiTimingClockGeneratorView::closeEvent(QCloseEvent* event)
{
    m_pThread->setPlayTimingClockFlag(false);
    m_pModel->setParameterEditFlag(ParameterEdited);
    QWidget::closeEvent(event);
}

void MidiTimingClockGeneratorView::updatedKnobValue(int value)
{
    m_pModel->setParameterEditFlag(ParameterEdited);
    m_pThread->setTempo(value * TempoScale);
}

void MidiTimingClockGeneratorView::updatedplayButton(bool /*checked*/)
{
    m_pModel->setParameterEditFlag(ParameterEdited);
    m_pThread->setPlayTimingClockFlag(m_pPlayButton->isChecked());
}

bool MidiTimingClockGeneratorView::setDataStream(QDataStream& stream)
{
    ContentValues content;
    if (!ContentBlock::read(windowId, stream, content)) {
        return false;
    }
    const QMap<int, int>& records = content.integers;
    // Before a restored Play, which sends Start when it is on.
    if (records.contains(ContentBlock::TimingClockStartStop)) {
        m_pStartStop->setChecked(records.value(ContentBlock::TimingClockStartStop) >= 1);
    }
    if (records.contains(ContentBlock::TimingClockTempo)) {
        m_pDial->setValue(records.value(ContentBlock::TimingClockTempo));
    }
    if (records.contains(ContentBlock::TimingClockPlaying)) {
        m_pPlayButton->setChecked(records.value(ContentBlock::TimingClockPlaying) >= 1);
    }
    return true;
}

bool MidiTimingClockGeneratorView::getDataStream(QDataStream& stream)
{
    ContentValues content;
    content.integers = {{ContentBlock::TimingClockTempo, m_pDial->value()},
                        {ContentBlock::TimingClockPlaying, m_pPlayButton->isChecked() ? 1 : 0},
                        {ContentBlock::TimingClockStartStop, m_pStartStop->isChecked() ? 1 : 0}};
    return ContentBlock::write(windowId, content, stream);
}
