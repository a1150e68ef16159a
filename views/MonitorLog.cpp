#include "views/MonitorLog.h"

#include "model/TarvoModel.h"
#include "project/AtomicFile.h"
#include "views/FileDialog.h"
#include "services/MonitorLineFormat.h"
#include "views/MidiEditGeneralView.h"
#include "views/MidiEditTextView.h"
#include "views/MonitorFindBar.h"
#include "views/NewestLineFollower.h"
#include "views/MonitorRecording.h"
#include "views/MonitorStatusLine.h"
#include "views/ToolWindowHostIF.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const char* const DecodedMenuText = QT_TRANSLATE_NOOP("MonitorLog", "&Decoded");
const char* const DecodedShortcut = "Ctrl+D";
const char* const PauseMenuText = QT_TRANSLATE_NOOP("MonitorLog", "&Pause");
const char* const PauseShortcut = "Space";
const char* const FindMenuText = QT_TRANSLATE_NOOP("MonitorLog", "&Find...");
const char* const FindShortcut = "Ctrl+F";
const char* const FindNextMenuText = QT_TRANSLATE_NOOP("MonitorLog", "Find &Next");
const char* const FindNextShortcut = "F3";
const char* const FindPreviousMenuText = QT_TRANSLATE_NOOP("MonitorLog", "Find Pre&vious");
const char* const FindPreviousShortcut = "Shift+F3";
const char* const NoiseMenuText = QT_TRANSLATE_NOOP("MonitorLog", "&Hide Timing Clock and Active Sensing");
const char* const SaveLogMenuText = QT_TRANSLATE_NOOP("MonitorLog", "Save &Log As...");
const char* const SaveSystemExclusiveMenuText = QT_TRANSLATE_NOOP("MonitorLog", "Save System E&xclusive As...");
const char* const SaveLogCaption = QT_TRANSLATE_NOOP("MonitorLog", "Save Log");
const char* const SaveSystemExclusiveCaption = QT_TRANSLATE_NOOP("MonitorLog", "Save System Exclusive");
const char* const LogFileFilter = QT_TRANSLATE_NOOP("MonitorLog", "Text files (*.txt)");
const char* const SystemExclusiveFileFilter = QT_TRANSLATE_NOOP("MonitorLog", "System Exclusive files (*.syx)");
const char* const LogFileName = "monitor.txt";
const char* const SystemExclusiveFileName = "capture.syx";
const char* const DroppedWhilePausedText
    = QT_TRANSLATE_NOOP("MonitorLog", "-- %1 lines did not fit in the history while paused --");

// Lines that come faster than a screenful a poll scroll by unread, and each
// poll would lay out and paint them anew: the text then shows the newest lines
// at most this often.
const int FloodRefreshMs = 250;

// Lines kept beyond those in sight under a flood: a horizontal scroll bar that
// comes or goes gives or takes a row, and should not make the text whole.
const int SightMargin = 2;

const char TimingClock = char(0xF8);
const char ActiveSensing = char(0xFE);
const QChar LineBreak = QLatin1Char('\n');

bool isTimingClock(const MidiRecord& record)
{
    return record.isMessage() && record.bytes.size() == 1 && record.bytes.front() == TimingClock;
}

bool isNoise(const MidiRecord& record)
{
    return isTimingClock(record) || (record.isMessage() && record.bytes.size() == 1 && record.bytes.front() == ActiveSensing);
}

} // namespace

MonitorLog::MonitorLog(MidiEditGeneralView* view, MidiEditTextView* text, const ViewContext& context,
                       bool isInMonitor, QVBoxLayout* layout)
    : QObject(view)
    , m_pView(view)
    , m_pText(text)
    , m_pModel(context.model)
    , m_pHost(context.host)
    , m_isInMonitor(isInMonitor)
    , m_pFindBar(new MonitorFindBar(text, view->follower(), view))
    , m_pStatusLine(new MonitorStatusLine(view))
    , m_pRecording(isInMonitor ? new MonitorRecording(view, context, m_pStatusLine) : nullptr)
    , m_history(m_pModel->getModelIntValue(MonitorHistoryId))
    , m_linesAtOnce(m_pModel->getModelMinimumValue(MonitorHistoryId))
    , m_pInsertTimer(new QTimer(this))
    , m_onlyLinesInSight(false)
    , m_decoded(false)
    , m_noiseHidden(false)
    , m_historyMayHoldNoise(false)
    , m_pNoiseAction(nullptr)
    , m_pSaveSystemExclusiveAction(nullptr)
{
    m_history.setByteBudget(monitorMemoryBytes(m_pModel->getModelIntValue(MonitorMemoryId)));
    m_decoder.setMiddleCName(m_pModel->getModelIntValue(MiddleCNameId));
    m_pInsertTimer->setSingleShot(true);
    connect(m_pInsertTimer, &QTimer::timeout, this, &MonitorLog::insertUnshown);
    // Lines that arrive are no edits to take back.
    m_pText->setUndoRedoEnabled(false);
    layout->addWidget(m_pFindBar);
    layout->addWidget(m_pStatusLine);

    m_pDecodedAction = addAction(DecodedMenuText, DecodedShortcut, true);
    connect(m_pDecodedAction, &QAction::toggled, this, &MonitorLog::setDecoded);
    m_pPauseAction = addAction(PauseMenuText, PauseShortcut, true);
    connect(m_pPauseAction, &QAction::toggled, this, &MonitorLog::setPaused);
    // Finding searches the whole text.
    m_pFindAction = addAction(FindMenuText, FindShortcut, false);
    connect(m_pFindAction, &QAction::triggered, this, &MonitorLog::completeText);
    connect(m_pFindAction, &QAction::triggered, m_pFindBar, &MonitorFindBar::open);
    m_pFindNextAction = addAction(FindNextMenuText, FindNextShortcut, false);
    connect(m_pFindNextAction, &QAction::triggered, this, &MonitorLog::completeText);
    connect(m_pFindNextAction, &QAction::triggered, m_pFindBar, &MonitorFindBar::findNext);
    m_pFindPreviousAction = addAction(FindPreviousMenuText, FindPreviousShortcut, false);
    connect(m_pFindPreviousAction, &QAction::triggered, this, &MonitorLog::completeText);
    connect(m_pFindPreviousAction, &QAction::triggered, m_pFindBar, &MonitorFindBar::findPrevious);
    if (!m_isInMonitor) {
        m_pNoiseAction = addAction(NoiseMenuText, nullptr, true);
        connect(m_pNoiseAction, &QAction::toggled, this, &MonitorLog::setNoiseHidden);
    }
    m_pSaveLogAction = addAction(SaveLogMenuText, nullptr, false);
    connect(m_pSaveLogAction, &QAction::triggered, this, &MonitorLog::saveLog);
    if (m_isInMonitor) {
        m_pSaveSystemExclusiveAction = addAction(SaveSystemExclusiveMenuText, nullptr, false);
        connect(m_pSaveSystemExclusiveAction, &QAction::triggered, this, &MonitorLog::saveSystemExclusive);
    }
    connect(m_pText, &MidiEditTextView::cleared, this, &MonitorLog::clear);
    connect(m_pText, &MidiEditTextView::readOnlyMenuAboutToShow, this, &MonitorLog::addMenuEntries);
    for (QObject* reader : {static_cast<QObject*>(m_pText), static_cast<QObject*>(m_pText->viewport()),
                            static_cast<QObject*>(m_pText->verticalScrollBar())}) {
        reader->installEventFilter(this);
    }
    m_pModel->registerModelAssistant(this);
}

MonitorLog::~MonitorLog()
{
    m_pModel->unregisterModelAssistant(this);
}

QAction* MonitorLog::addAction(const char* text, const char* shortcut, bool checkable)
{
    auto* action = new QAction(tr(text), m_pView);
    if (shortcut != nullptr) {
        action->setShortcut(QKeySequence(QLatin1String(shortcut)));
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    }
    action->setCheckable(checkable);
    m_pView->addAction(action);
    return action;
}

void MonitorLog::append(const MidiRecords& records)
{
    // Everything that arrived, paused or not, shown or not.
    if (m_pRecording != nullptr) {
        m_pRecording->take(records);
    }
    MonitorStatistics& statistics = m_pStatusLine->statistics();
    for (const MidiRecord& record : records) {
        // A message dropped, cut short or not sent counts as lost.
        if (record.isMessage()) {
            statistics.addMessage(record.bytes.size(), isTimingClock(record), record.microseconds);
        } else if (record.kind == MidiRecord::Kind::Xrun) {
            statistics.addXruns(record.count);
        } else {
            statistics.addLost(record.kind == MidiRecord::Kind::Lost ? record.count : 1);
        }
    }
    // Hidden lines are not kept: they would push the others out of the history.
    const auto hidden = [this](const MidiRecord& record) { return m_noiseHidden && isNoise(record); };
    const int shownCount = int(std::count_if(records.begin(), records.end(), [&](const MidiRecord& r) { return !hidden(r); }));
    // Under a flood the history keeps only the newest lines of a batch: the
    // others are only taken in for the lines after them.
    int toPass = qMax(0, shownCount - m_history.limit());
    const bool stamped = m_pModel->getModelIntValue(TimeStampId) != 0;
    QVector<MonitorEntry> shown;
    for (const MidiRecord& record : records) {
        if (hidden(record)) {
            continue;
        }
        const MonitorLineDecoder::Context context = m_decoder.take(record);
        if (toPass > 0) {
            --toPass;
            m_history.passOver();
            continue;
        }
        MonitorEntry entry;
        entry.record = record;
        entry.stamped = stamped;
        entry.context = context;
        m_historyMayHoldNoise = m_historyMayHoldNoise || isNoise(record);
        if (m_history.append(entry)) {
            shown.append(entry);
        }
    }
    show(shown, Refresh::Paced);
    m_pStatusLine->trafficArrived();
    if (m_history.isPaused()) {
        m_pStatusLine->setWaiting(m_history.waitingCount());
    }
}

QString MonitorLog::lineOf(const MonitorEntry& entry) const
{
    if (!entry.note.isEmpty()) {
        return entry.note;
    }
    const QString body = MonitorLineFormat::body(entry.record);
    const bool bytes = entry.record.kind == MidiRecord::Kind::Message || entry.record.kind == MidiRecord::Kind::CutShort;
    const QString stamp = entry.stamped && bytes ? MonitorLineFormat::stamp(entry.record.microseconds) : QString();
    // Decoded only when shown so: under a flood most lines never are.
    return m_decoded ? m_decoder.decode(entry.record, entry.context, stamp, body) : stamp + body;
}

bool MonitorLog::isHidden(const MonitorEntry& entry) const
{
    return m_noiseHidden && entry.note.isEmpty() && isNoise(entry.record);
}

int MonitorLog::visibleHistoryCount()
{
    const std::deque<MonitorEntry>& shown = m_history.shown();
    if (!m_noiseHidden || !m_historyMayHoldNoise) {
        return int(shown.size());
    }
    // Lines hidden once they were in the history stay there until newer ones
    // push them out; none comes in while they are hidden.
    const int hidden = int(std::count_if(shown.begin(), shown.end(), [this](const MonitorEntry& entry) {
        return isHidden(entry);
    }));
    m_historyMayHoldNoise = hidden > 0;
    return int(shown.size()) - hidden;
}

void MonitorLog::show(const QVector<MonitorEntry>& entries, Refresh refresh)
{
    // The text keeps no more lines than the history: older ones would go at once.
    const int limit = m_history.limit();
    for (int index = qMax(0, entries.size() - limit); index < entries.size(); ++index) {
        if (!isHidden(entries[index])) {
            m_unshown.push_back(entries[index]);
        }
    }
    while (int(m_unshown.size()) > limit) {
        m_unshown.pop_front();
    }
    if (refresh == Refresh::Paced) {
        // An insert on its way takes these lines along.
        if (m_pInsertTimer->isActive()) {
            return;
        }
        const int wait = refreshWait();
        if (wait > 0) {
            m_pInsertTimer->start(wait);
            return;
        }
    }
    insertUnshown();
}

int MonitorLog::refreshWait() const
{
    // More lines than the text shows at once scroll by unread.
    if (!m_sinceInsert.isValid() || int(m_unshown.size()) <= linesInSight()) {
        return 0;
    }
    return qMax(0, FloodRefreshMs - int(m_sinceInsert.elapsed()));
}

void MonitorLog::insertUnshown()
{
    m_pInsertTimer->stop();
    if (m_unshown.empty()) {
        return;
    }
    const int visible = visibleHistoryCount();
    // A flood that replaces every line of the text.
    const int waiting = int(m_unshown.size());
    if (waiting >= m_linesAtOnce && waiting >= visible && mayHoldOnlyLinesInSight()) {
        const int kept = linesInSight() + SightMargin;
        while (int(m_unshown.size()) > kept) {
            m_unshown.pop_front();
        }
        m_onlyLinesInSight = true;
    } else if (m_onlyLinesInSight) {
        // The history holds the waiting lines as well.
        completeText();
        return;
    }
    QString piece;
    for (int count = 0; count < m_linesAtOnce && !m_unshown.empty(); ++count) {
        piece += LineBreak;
        piece += lineOf(m_unshown.front());
        m_unshown.pop_front();
    }
    m_pView->insertText(piece, m_onlyLinesInSight ? linesInSight() + SightMargin : visible);
    m_pFindBar->refreshHighlights();
    m_sinceInsert.start();
    // The rest after the events that wait: the text takes a line going out at
    // the top at a cost, and a long history sheds many at a time.
    if (!m_unshown.empty()) {
        m_pInsertTimer->start(0);
    }
}

bool MonitorLog::mayHoldOnlyLinesInSight()
{
    return m_pView->follower()->isFollowing() && !m_history.isPaused() && !m_pFindBar->isVisible()
           && !m_pText->textCursor().hasSelection();
}

int MonitorLog::linesInSight() const
{
    // A line takes a row at least; one more for a row cut by the edge.
    return m_pText->viewport()->height() / m_pText->fontMetrics().lineSpacing() + 1;
}

void MonitorLog::completeText()
{
    if (m_onlyLinesInSight) {
        showAll();
    }
}

bool MonitorLog::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::ContextMenu:
        completeText();
        break;
    case QEvent::Resize:
        if (linesInSight() > m_pText->document()->blockCount()) {
            completeText();
        }
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void MonitorLog::showAll()
{
    // The history holds the lines still to be inserted as well.
    m_unshown.clear();
    m_onlyLinesInSight = false;
    QScrollBar* scrollBar = m_pText->verticalScrollBar();
    const int top = scrollBar->value();
    const NewestLineFollower::Change change(m_pView->follower());
    QString all;
    for (const MonitorEntry& entry : m_history.shown()) {
        if (isHidden(entry)) {
            continue;
        }
        if (!all.isEmpty()) {
            all += LineBreak;
        }
        all += lineOf(entry);
    }
    m_pText->setPlainText(all);
    // Both views have a line for each line, so the same lines stay in sight.
    if (!m_pView->follower()->isFollowing()) {
        scrollBar->setValue(top);
    }
    m_pFindBar->refreshHighlights();
}

void MonitorLog::setDecoded(bool decoded)
{
    if (decoded == m_decoded) {
        return;
    }
    m_decoded = decoded;
    showAll();
    choiceChanged();
}

void MonitorLog::setPaused(bool paused)
{
    if (paused == m_history.isPaused()) {
        return;
    }
    if (paused) {
        // The reader stops the lines to read back through them.
        completeText();
        m_history.pause();
        m_pStatusLine->setWaiting(0);
        return;
    }
    show(m_history.resume(tr(DroppedWhilePausedText)), Refresh::Now);
    m_pStatusLine->setWaiting(-1);
}

void MonitorLog::setNoiseHidden(bool hidden)
{
    if (hidden != m_noiseHidden) {
        m_noiseHidden = hidden;
        // Also the lines shown already go, or come back.
        showAll();
        choiceChanged();
    }
}

void MonitorLog::choiceChanged()
{
    m_pModel->setParameterEditFlag(ParameterEdited);
}

void MonitorLog::clear()
{
    m_onlyLinesInSight = false;
    m_history.clear();
    m_historyMayHoldNoise = false;
    m_unshown.clear();
    if (m_history.isPaused()) {
        m_pStatusLine->setWaiting(0);
    }
}

void MonitorLog::addMenuEntries(QMenu* menu)
{
    menu->addSeparator();
    menu->addAction(m_pDecodedAction);
    menu->addAction(m_pPauseAction);
    if (m_pNoiseAction != nullptr) {
        menu->addAction(m_pNoiseAction);
    }
    menu->addSeparator();
    menu->addAction(m_pFindAction);
    menu->addAction(m_pFindNextAction);
    menu->addAction(m_pFindPreviousAction);
    menu->addSeparator();
    menu->addAction(m_pSaveLogAction);
    if (m_pSaveSystemExclusiveAction != nullptr) {
        m_pSaveSystemExclusiveAction->setEnabled(m_history.hasSystemExclusive());
        menu->addAction(m_pSaveSystemExclusiveAction);
    }
    if (m_pRecording != nullptr) {
        menu->addSeparator();
        m_pRecording->addMenuEntries(menu);
    }
}

void MonitorLog::saveLog()
{
    completeText();
    QString text = m_pText->toPlainText();
    if (!text.isEmpty()) {
        text += LineBreak;
    }
    save(tr(SaveLogCaption), tr(LogFileFilter), LogFileName, text.toUtf8());
}

void MonitorLog::saveSystemExclusive()
{
    save(tr(SaveSystemExclusiveCaption), tr(SystemExclusiveFileFilter), SystemExclusiveFileName,
         m_history.systemExclusiveBytes());
}

void MonitorLog::save(const QString& caption, const QString& filter, const char* fileName, const QByteArray& bytes)
{
    const QString path = FileDialog::showFileSaveDialog(
        m_pView->window(), caption,
        m_pModel->getModelStringValue(DumpFileWorkingDirectoryId) + QLatin1Char('/') + QLatin1String(fileName),
        filter, m_pModel->getModelDefaultStringValue(DumpFileWorkingDirectoryId));
    if (path.isEmpty()) {
        return;
    }
    m_pModel->setModelStringValue(DumpFileWorkingDirectoryId, QFileInfo(path).absolutePath());
    QString reason;
    if (!writeFileAtomically(path, bytes, &reason)) {
        m_pHost->showSaveFailedMessageBox(reason);
    }
}

QList<QPair<int, int>> MonitorLog::records() const
{
    QList<QPair<int, int>> records{{DecodedTag, m_decoded ? 1 : 0}};
    if (m_pNoiseAction != nullptr) {
        records.append({NoiseHiddenTag, m_noiseHidden ? 1 : 0});
    }
    return records;
}

void MonitorLog::restore(const QMap<int, int>& records)
{
    m_pDecodedAction->setChecked(records.value(DecodedTag) != 0);
    if (m_pNoiseAction != nullptr) {
        m_pNoiseAction->setChecked(records.value(NoiseHiddenTag) != 0);
    }
}

void MonitorLog::updateParameter(unsigned int id)
{
    if (id == MiddleCNameId) {
        m_decoder.setMiddleCName(m_pModel->getModelIntValue(id));
        // Lines are decoded as they are shown: those in sight follow at once.
        if (m_decoded) {
            showAll();
        }
    } else if (id == MonitorHistoryId) {
        m_history.setLimit(m_pModel->getModelIntValue(id));
        showAll();
    } else if (id == MonitorMemoryId) {
        m_history.setByteBudget(monitorMemoryBytes(m_pModel->getModelIntValue(id)));
        showAll();
    }
}
