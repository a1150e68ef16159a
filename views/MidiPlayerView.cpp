#include "views/MidiPlayerView.h"

#include "model/TarvoModel.h"
#include "services/MidiFileReader.h"
#include "views/DurationText.h"
#include "views/FileDialog.h"
#include "views/ToolWindowHostIF.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QSlider>

namespace {

const char* const NoFileText = QT_TRANSLATE_NOOP("MidiPlayerView", "No file");
const char* const OpenText = QT_TRANSLATE_NOOP("MidiPlayerView", "Op&en...");
const char* const PlayText = QT_TRANSLATE_NOOP("MidiPlayerView", "&Play");
const char* const StopText = QT_TRANSLATE_NOOP("MidiPlayerView", "&Stop");
const char* const LoopText = QT_TRANSLATE_NOOP("MidiPlayerView", "&Loop");
const char* const OpenCaption = QT_TRANSLATE_NOOP("MidiPlayerView", "Play MIDI File");
const char* const MidiFileFilter = QT_TRANSLATE_NOOP("MidiPlayerView", "MIDI files (*.mid *.midi);;All files (*)");
const char* const PositionText = QT_TRANSLATE_NOOP("MidiPlayerView", "%1 / %2");
const char* const ContentText = QT_TRANSLATE_NOOP("MidiPlayerView", "%1 messages");
const char* const FailedText = QT_TRANSLATE_NOOP("MidiPlayerView", "%1 sends failed: %2");
const char* const RefusedText = QT_TRANSLATE_NOOP("MidiPlayerView", "%1: %2");
const int FileLabelWidth = 280;
const int PositionInterval = 50;
const qint64 MicrosecondsPerMillisecond = 1000;

} // namespace

MidiPlayerView::MidiPlayerView(QWidget* parent, const ViewContext& context)
    : QWidget(parent)
    , m_context(context)
    , m_player(context.sender)
    , m_messageCount(0)
    , m_pFileLabel(new QLabel(tr(NoFileText)))
    , m_pOpenButton(new QPushButton(tr(OpenText)))
    , m_pPlayButton(new QPushButton(tr(PlayText)))
    , m_pLoopBox(new QCheckBox(tr(LoopText)))
    , m_pPositionSlider(new QSlider(Qt::Horizontal))
    , m_pPositionLabel(new QLabel)
    , m_pStatusLabel(new QLabel)
{
    m_pFileLabel->setFixedWidth(FileLabelWidth);
    m_pStatusLabel->setWordWrap(true);
    m_pStatusLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* layout = new QGridLayout(this);
    layout->addWidget(m_pFileLabel, 0, 0, 1, 2);
    layout->addWidget(m_pOpenButton, 0, 2);
    layout->addWidget(m_pPositionSlider, 1, 0, 1, 2);
    layout->addWidget(m_pPositionLabel, 1, 2);
    layout->addWidget(m_pPlayButton, 2, 0);
    layout->addWidget(m_pLoopBox, 2, 1);
    layout->addWidget(m_pStatusLabel, 3, 0, 1, 3);

    connect(m_pOpenButton, &QPushButton::clicked, this, &MidiPlayerView::chooseFile);
    connect(m_pPlayButton, &QPushButton::clicked, this, &MidiPlayerView::playOrStop);
    connect(m_pLoopBox, &QCheckBox::toggled, &m_player, &MidiPlayer::setLoop);
    connect(m_pPositionSlider, &QSlider::valueChanged, this, &MidiPlayerView::positionMoved);
    connect(&m_player, &MidiPlayer::finished, this, &MidiPlayerView::playerFinished);
    m_positionTimer.setInterval(PositionInterval);
    connect(&m_positionTimer, &QTimer::timeout, this, &MidiPlayerView::showPosition);
    showState();
}

MidiPlayerView::~MidiPlayerView() = default;

bool MidiPlayerView::openFile(const QString& path)
{
    if (m_player.isPlaying())
        return false;
    MidiFileReader::Content content;
    QString reason;
    if (!MidiFileReader::load(path, &content, &reason)) {
        m_context.host->showOpenFailedMessageBox(tr(RefusedText).arg(QFileInfo(path).fileName(), reason));
        return false;
    }
    m_path = path;
    m_messageCount = content.messages.size();
    m_player.setMessages(content.messages, content.duration);
    m_pFileLabel->setText(m_pFileLabel->fontMetrics().elidedText(QFileInfo(path).fileName(), Qt::ElideMiddle,
                                                                  FileLabelWidth));
    m_pFileLabel->setToolTip(path);
    m_pStatusLabel->setText(tr(ContentText).arg(QLocale().toString(m_messageCount)));
    m_pPositionSlider->setRange(0, int(m_player.duration() / MicrosecondsPerMillisecond));
    m_pPositionSlider->setValue(0);
    showState();
    return true;
}

void MidiPlayerView::chooseFile()
{
    TarvoModel* model = m_context.model;
    const QString path = FileDialog::showFileOpenDialog(window(), tr(OpenCaption),
                                                        model->getModelStringValue(DumpFileWorkingDirectoryId),
                                                        tr(MidiFileFilter),
                                                        model->getModelDefaultStringValue(DumpFileWorkingDirectoryId));
    if (path.isEmpty())
        return;
    model->setModelStringValue(DumpFileWorkingDirectoryId, QFileInfo(path).absolutePath());
    openFile(path);
}

void MidiPlayerView::playOrStop()
{
    if (m_player.isPlaying()) {
        m_player.stop();
        // Until the player has silenced what it left on.
        m_pPlayButton->setEnabled(false);
        return;
    }
    const qint64 from = m_pPositionSlider->value() >= m_pPositionSlider->maximum()
        ? 0
        : m_pPositionSlider->value() * MicrosecondsPerMillisecond;
    if (m_path.isEmpty() || !m_player.play(from))
        return;
    m_pStatusLabel->setText(tr(ContentText).arg(QLocale().toString(m_messageCount)));
    m_positionTimer.start();
    showState();
}

void MidiPlayerView::playerFinished()
{
    m_positionTimer.stop();
    showPosition();
    showState();
}

void MidiPlayerView::positionMoved(int milliseconds)
{
    m_pPositionLabel->setText(tr(PositionText).arg(DurationText::of(milliseconds * MicrosecondsPerMillisecond),
                                                   DurationText::of(m_player.duration())));
}

void MidiPlayerView::showPosition()
{
    m_pPositionSlider->setValue(int(m_player.position() / MicrosecondsPerMillisecond));
    positionMoved(m_pPositionSlider->value());
    const quint64 failures = m_player.failureCount();
    if (failures > 0)
        m_pStatusLabel->setText(tr(FailedText).arg(QLocale().toString(failures), m_context.host->outputPortProblem()));
}

void MidiPlayerView::showState()
{
    const bool playing = m_player.isPlaying();
    m_pPlayButton->setText(tr(playing ? StopText : PlayText));
    m_pPlayButton->setEnabled(!m_path.isEmpty());
    m_pOpenButton->setEnabled(!playing);
    // While playing it shows where; while stopped it chooses where to start.
    m_pPositionSlider->setEnabled(!playing && !m_path.isEmpty());
    positionMoved(m_pPositionSlider->value());
}
