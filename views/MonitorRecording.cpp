#include "views/MonitorRecording.h"

#include "midi/platform/SteadyClock.h"
#include "model/TarvoModel.h"
#include "project/AtomicFile.h"
#include "views/DurationText.h"
#include "views/FileDialog.h"
#include "views/MonitorStatusLine.h"
#include "views/ToolWindowHostIF.h"

#include <QAction>
#include <QEvent>
#include <QFileInfo>
#include <QLocale>
#include <QMenu>
#include <QWidget>

namespace {

const char* const RecordMenuText = QT_TRANSLATE_NOOP("MonitorRecording", "&Record...");
const char* const StopMenuText = QT_TRANSLATE_NOOP("MonitorRecording", "Stop &Recording");
const char* const RecordShortcut = "Ctrl+R";
const char* const SaveMenuText = QT_TRANSLATE_NOOP("MonitorRecording", "Sa&ve Recording As...");
const char* const DiscardMenuText = QT_TRANSLATE_NOOP("MonitorRecording", "Discard Recordin&g");
const char* const RecordCaption = QT_TRANSLATE_NOOP("MonitorRecording", "Record to MIDI File");
const char* const SaveCaption = QT_TRANSLATE_NOOP("MonitorRecording", "Save Recording");
const char* const MidiFileFilter = QT_TRANSLATE_NOOP("MonitorRecording", "MIDI files (*.mid *.midi)");
const char* const RecordingFileName = "recording.mid";
const char* const RecordingText = QT_TRANSLATE_NOOP("MonitorRecording", "\u25CF REC %1, %2 events");
const char* const LostText = QT_TRANSLATE_NOOP("MonitorRecording", ", %1 lost");
const char* const NotSavedText = QT_TRANSLATE_NOOP("MonitorRecording", "Recording not saved: %1 events, %2");
const char* const SavedText = QT_TRANSLATE_NOOP("MonitorRecording", "Recorded %1: %2 events, %3");
const int ClockInterval = 200;
const int LengthDecimals = 1;

} // namespace

MonitorRecording::MonitorRecording(QWidget* view, const ViewContext& context, MonitorStatusLine* statusLine)
    : QObject(view)
    , m_pView(view)
    , m_context(context)
    , m_pStatusLine(statusLine)
    , m_end(0)
    , m_recording(false)
    , m_kept(false)
    , m_pRecordAction(new QAction(tr(RecordMenuText), view))
    , m_pSaveAction(new QAction(tr(SaveMenuText), view))
    , m_pDiscardAction(new QAction(tr(DiscardMenuText), view))
{
    m_pRecordAction->setShortcut(QKeySequence(QLatin1String(RecordShortcut)));
    m_pRecordAction->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    view->addAction(m_pRecordAction);
    connect(m_pRecordAction, &QAction::triggered, this, &MonitorRecording::toggle);
    connect(m_pSaveAction, &QAction::triggered, this, &MonitorRecording::saveAs);
    connect(m_pDiscardAction, &QAction::triggered, this, &MonitorRecording::discard);
    m_clock.setInterval(ClockInterval);
    connect(&m_clock, &QTimer::timeout, this, &MonitorRecording::showState);
    view->installEventFilter(this);
    showState();
}

void MonitorRecording::take(const MidiRecords& records)
{
    if (!m_recording)
        return;
    m_recorder.take(records);
    showState();
}

void MonitorRecording::addMenuEntries(QMenu* menu)
{
    menu->addAction(m_pRecordAction);
    if (m_kept) {
        menu->addAction(m_pSaveAction);
        menu->addAction(m_pDiscardAction);
    }
}

void MonitorRecording::toggle()
{
    if (m_recording)
        stop();
    else if (!m_kept)
        start();
}

void MonitorRecording::start()
{
    const QString path = chooseFile(RecordCaption);
    if (path.isEmpty())
        return;
    // Refused now rather than when the recording is done.
    QString reason;
    if (!canWriteFileAtomically(path, &reason)) {
        m_context.host->showSaveFailedMessageBox(reason);
        return;
    }
    m_path = path;
    m_recorder.start(steadyMicroseconds());
    m_recording = true;
    m_clock.start();
    showState();
}

void MonitorRecording::stop()
{
    m_end = steadyMicroseconds();
    m_recording = false;
    m_clock.stop();
    m_kept = !save(m_path);
    showState();
}

void MonitorRecording::saveAs()
{
    const QString path = chooseFile(SaveCaption);
    if (path.isEmpty())
        return;
    if (save(path)) {
        m_path = path;
        m_kept = false;
    }
    showState();
}

void MonitorRecording::discard()
{
    m_kept = false;
    m_path.clear();
    m_recorder.start(steadyMicroseconds());
    showState();
}

bool MonitorRecording::save(const QString& path)
{
    QByteArray file;
    QString reason;
    if (m_recorder.write(m_end, &file, &reason) && writeFileAtomically(path, file, &reason))
        return true;
    m_context.host->showSaveFailedMessageBox(reason);
    return false;
}

QString MonitorRecording::chooseFile(const char* caption)
{
    TarvoModel* model = m_context.model;
    const QString path = FileDialog::showFileSaveDialog(
        m_pView->window(), tr(caption),
        model->getModelStringValue(DumpFileWorkingDirectoryId) + QLatin1Char('/') + QLatin1String(RecordingFileName),
        tr(MidiFileFilter), model->getModelDefaultStringValue(DumpFileWorkingDirectoryId));
    if (!path.isEmpty())
        model->setModelStringValue(DumpFileWorkingDirectoryId, QFileInfo(path).absolutePath());
    return path;
}

void MonitorRecording::showState()
{
    m_pRecordAction->setText(tr(m_recording ? StopMenuText : RecordMenuText));
    m_pRecordAction->setEnabled(m_recording || !m_kept);
    m_pSaveAction->setEnabled(m_kept);
    m_pDiscardAction->setEnabled(m_kept);
    if (!m_recording && m_path.isEmpty()) {
        m_pStatusLine->setRecording(QString());
        return;
    }
    const QLocale locale;
    const QString events = locale.toString(m_recorder.eventCount());
    QString text;
    if (m_recording) {
        text = tr(RecordingText).arg(DurationText::of(m_recorder.length(steadyMicroseconds()), LengthDecimals), events);
    } else {
        const QString length = DurationText::of(m_recorder.length(m_end), LengthDecimals);
        text = m_kept ? tr(NotSavedText).arg(events, length)
                      : tr(SavedText).arg(QFileInfo(m_path).fileName(), events, length);
    }
    if (m_recorder.lostCount() > 0)
        text += tr(LostText).arg(locale.toString(m_recorder.lostCount()));
    m_pStatusLine->setRecording(text);
}

bool MonitorRecording::eventFilter(QObject* watched, QEvent* event)
{
    // A recording under way, or one still kept, gets written as the monitor goes.
    if (watched == m_pView && event->type() == QEvent::Close) {
        if (m_recording)
            stop();
        else if (m_kept)
            m_kept = !save(m_path);
    }
    return QObject::eventFilter(watched, event);
}
