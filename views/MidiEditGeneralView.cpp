#include "views/MidiEditGeneralView.h"

#include "controls/ToolButton.h"
#include "model/TarvoModel.h"
#include "project/Utility.h"
#include "services/DumpFile.h"
#include "services/HexTextChecker.h"
#include "views/FileDialog.h"
#include "views/MidiEditTextView.h"
#include "views/MonitorLog.h"
#include "views/NewestLineFollower.h"
#include "views/ToolWindowHostIF.h"
#include "views/ViewStyle.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>

#include <optional>

namespace {

const char* const OpenDialogCaption = QT_TRANSLATE_NOOP("MidiEditGeneralView", "Open");
const char* const SaveDialogCaption = QT_TRANSLATE_NOOP("MidiEditGeneralView", "Save");
const char* const SystemExclusiveFileFilter = QT_TRANSLATE_NOOP("MidiEditGeneralView", "System Exclusive files (*.syx)");
const char* const TextFileFilter = QT_TRANSLATE_NOOP("MidiEditGeneralView", "Text files (*.txt)");
const char* const FilterSeparator = ";;";
const char* const DragAndDropFormat = "text/uri-list";

QString dumpFileFilters()
{
    return QCoreApplication::translate("MidiEditGeneralView", SystemExclusiveFileFilter) + QLatin1String(FilterSeparator)
        + QCoreApplication::translate("MidiEditGeneralView", TextFileFilter);
}

const QSize ToolButtonSize(32, 32);
const int ToolBarHeight = 36;
const qreal PixmapDevicePixelRatio = 2.0;
// The tool bar has a separator in front of this button.
const int FirstTransmissionButton = 3;

struct ToolButtonItem {
    const char* pixmapPath;
    const char* menuText;
    void (MidiEditGeneralView::*slot)();
};

const ToolButtonItem ToolButtonTable[] = {
    {":/images/file.png", QT_TRANSLATE_NOOP("MidiEditGeneralView", "&New"), &MidiEditGeneralView::newMenuSelected},
    {":/images/open.png", QT_TRANSLATE_NOOP("MidiEditGeneralView", "&Open..."), &MidiEditGeneralView::openMenuSelected},
    {":/images/disk.png", QT_TRANSLATE_NOOP("MidiEditGeneralView", "&Save..."), &MidiEditGeneralView::saveMenuSelected},
    {":/images/tx.png", QT_TRANSLATE_NOOP("MidiEditGeneralView", "&Transmit"),
     &MidiEditGeneralView::transmitMenuSelected},
    {":/images/rx.png", QT_TRANSLATE_NOOP("MidiEditGeneralView", "&Receive"), &MidiEditGeneralView::receiveMenuSelected},
    {":/images/txrx.png", QT_TRANSLATE_NOOP("MidiEditGeneralView", "&Transmit and Receive"),
     &MidiEditGeneralView::transmitAndReceiveMenuSelected},
};
const int ToolButtonCount = sizeof(ToolButtonTable) / sizeof(ToolButtonTable[0]);

// The local file of the first URL of a drag, or an empty string.
QString firstDraggedFile(const QMimeData* data)
{
    const QList<QUrl> urls = data->urls();
    return urls.isEmpty() ? QString() : urls.first().toLocalFile();
}

} // namespace

MidiEditGeneralView::MidiEditGeneralView(MidiEditView* parent, const ViewContext& context,
                                         MidiEditView::OpenMode mode)
    : QWidget(parent)
    , m_pEditView(parent)
    , m_pHost(context.host)
    , m_pTextView(nullptr)
    , m_pFollower(nullptr)
    , m_pModel(context.model)
    , m_pToolBar(nullptr)
    , m_pMonitorLog(nullptr)
{
    auto* layout = new QVBoxLayout();
    const bool isEditor = mode >= MidiEditView::SystemExclusive;

    if (isEditor) {
        m_pToolBar = new QToolBar(this);
        m_pToolBar->setFixedHeight(ToolBarHeight);
        for (int i = 0; i < ToolButtonCount; ++i) {
            const ToolButtonItem& item = ToolButtonTable[i];
            auto* button = new ToolButton(m_pToolBar);
            button->setFixedSize(ToolButtonSize);
            QPixmap pixmap(QString::fromLatin1(item.pixmapPath));
            pixmap.setDevicePixelRatio(PixmapDevicePixelRatio);
            button->setPixmap(pixmap);
            button->setToolTip(Utility::removeMenuOfModifierCharacter(tr(item.menuText)));
            connect(button, &ToolButton::released, this, item.slot);
            if (i == FirstTransmissionButton) {
                m_pToolBar->addSeparator();
            }
            m_pToolBar->addWidget(button);
        }
        layout->addWidget(m_pToolBar);
    }

    m_pTextView = new MidiEditTextView(this, m_pModel);
    if (!isEditor) {
        m_pFollower = new NewestLineFollower(m_pTextView);
        m_pTextView->setReadOnly(true);
        m_pTextView->setLineWrapMode(QPlainTextEdit::NoWrap);
        m_pTextView->setBackgroundVisible(true);
        m_pTextView->setAutoFillBackground(true);
        QPalette monitorPalette = m_pTextView->palette();
        monitorPalette.setColor(QPalette::All, QPalette::Base, MonitorBackgroundColor);
        monitorPalette.setColor(QPalette::All, QPalette::Window, MonitorBackgroundColor);
        monitorPalette.setColor(QPalette::All, QPalette::Text, MonitorTextColor);
        m_pTextView->setPalette(monitorPalette);
        m_pTextView->setAcceptDrops(false);
    } else {
        m_pTextView->viewport()->installEventFilter(this);
    }
    layout->addWidget(m_pTextView);
    if (!isEditor) {
        m_pMonitorLog = new MonitorLog(this, m_pTextView, context, mode == MidiEditView::MidiInMonitor, layout);
    }
    layout->setSpacing(0);
    layout->setContentsMargins(0, 0, 0, 0);
    setLayout(layout);

    updateParameter(TransmissionStateId);
    m_pModel->registerModelAssistant(this);
}

MidiEditGeneralView::~MidiEditGeneralView()
{
    m_pModel->unregisterModelAssistant(this);
}

void MidiEditGeneralView::setText(const QString& text)
{
    m_pTextView->setPlainText(text);
    document()->setModified(false);
}

QTextDocument* MidiEditGeneralView::document() const
{
    return m_pTextView->document();
}

void MidiEditGeneralView::setDocumentPath(const QString& path)
{
    m_documentPath = path;
    document()->setModified(false);
    emit documentPathChanged();
}

void MidiEditGeneralView::insertText(const QString& text, int keptLines)
{
    QScrollBar* scrollBar = m_pTextView->verticalScrollBar();
    const int value = scrollBar->value();
    // An editor's text stays where its reader put it.
    std::optional<NewestLineFollower::Change> change;
    if (m_pFollower != nullptr) {
        change.emplace(m_pFollower);
    }

    QTextCursor cursor = m_pTextView->textCursor();
    // New lines in and old ones out as one change: the view lays out once.
    cursor.beginEditBlock();
    cursor.movePosition(QTextCursor::End);
    const bool wasEmpty = cursor.atStart();
    cursor.insertText(text);
    if (wasEmpty) {
        // The first line of an empty view loses the white space around it,
        // taken off in place: a dump's text is not copied once more for it.
        trimDocumentEnds();
    }
    const int removed = keptLines > 0 ? removeLinesAbove(keptLines) : 0;
    cursor.endEditBlock();

    if (removed > 0 && change && !m_pFollower->isFollowing()) {
        scrollBar->setValue(qMax(0, value - removed));
    }
}

int MidiEditGeneralView::removeLinesAbove(int keptLines)
{
    QTextDocument* document = m_pTextView->document();
    const int removed = document->blockCount() - keptLines;
    if (removed <= 0) {
        return 0;
    }
    // One selection removed in one edit: the document's own line limit walks
    // the cursor over every line it removes and lays each out first.
    QTextCursor cursor(document);
    cursor.beginEditBlock();
    cursor.setPosition(document->findBlockByNumber(removed).position(), QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    cursor.endEditBlock();
    return removed;
}

void MidiEditGeneralView::trimDocumentEnds()
{
    QTextDocument* document = m_pTextView->document();
    QTextCursor cursor(document);
    while (!cursor.atEnd() && document->characterAt(cursor.position()).isSpace())
        cursor.deleteChar();
    cursor.movePosition(QTextCursor::End);
    while (!cursor.atStart() && document->characterAt(cursor.position() - 1).isSpace())
        cursor.deletePreviousChar();
}

void MidiEditGeneralView::insertReceivedText(const QString& text)
{
    // Turning the history off clears it, so Ctrl+Z has nothing to take back.
    m_pTextView->setUndoRedoEnabled(false);
    insertText(text);
    m_pTextView->setUndoRedoEnabled(true);
}

bool MidiEditGeneralView::getText(QString& text)
{
    text = m_pTextView->toPlainText();
    return !text.isEmpty();
}

void MidiEditGeneralView::minimalizeScrollAreaForMac()
{
    if (m_pTextView->document()->isEmpty()) {
        setGeometry(0, 0, 100, 30);
    }
}

void MidiEditGeneralView::updateParameter(unsigned int id)
{
    if (id != TransmissionStateId || m_pToolBar == nullptr) {
        return;
    }
    m_pToolBar->setEnabled(m_pModel->getModelIntValue(TransmissionStateId) != TransmissionRunning);
}

bool MidiEditGeneralView::isCommandAvailable()
{
    return m_pToolBar != nullptr && m_pModel->getModelIntValue(TransmissionStateId) != TransmissionRunning;
}

void MidiEditGeneralView::transmitMidi(bool openReceiver)
{
    const QTextCursor cursor = m_pTextView->textCursor();
    const QString selection = cursor.selectedText();
    const QString text = selection.isEmpty() ? m_pTextView->toPlainText() : selection;
    HexTextChecker::Problem problem;
    const std::size_t maxSystemExclusive = systemExclusiveLimitBytes(m_pModel->getModelIntValue(MaxSystemExclusiveId));
    if (!HexTextChecker::check(text, nullptr, &problem, maxSystemExclusive)) {
        QTextCursor place(m_pTextView->document());
        place.setPosition((selection.isEmpty() ? 0 : cursor.selectionStart()) + problem.offset);
        m_pTextView->setTextCursor(place);
        m_pEditView->showTextProblem(
            HexTextChecker::describe(problem, place.blockNumber() + 1, place.positionInBlock() + 1));
        return;
    }
    // Transmits even when no window for the reply could be opened.
    if (openReceiver) {
        openReceivingEditor();
    }
    m_pEditView->transmitMessage(text);
}

bool MidiEditGeneralView::openReceivingEditor()
{
    return m_pHost->openMessageEditor(MidiEditView::SystemExclusiveReceive, QSize(), QString());
}

bool MidiEditGeneralView::placeLoadedText(const QString& text, const QSize& size)
{
    QString current;
    if (getText(current)) {
        m_pHost->openMessageEditor(MidiEditView::SystemExclusive, size, text);
        return false;
    }
    setText(text);
    return true;
}

void MidiEditGeneralView::setDumpFileWorkingDirectory(const QString& path)
{
    m_pModel->setModelStringValue(DumpFileWorkingDirectoryId, QFileInfo(path).absolutePath());
}

void MidiEditGeneralView::transmitMenuSelected()
{
    if (isCommandAvailable()) {
        transmitMidi();
    }
}

void MidiEditGeneralView::receiveMenuSelected()
{
    if (!isCommandAvailable()) {
        return;
    }
    QString current;
    if (getText(current)) {
        openReceivingEditor();
    } else {
        m_pEditView->setReceivedMessageEnabled(true);
    }
}

void MidiEditGeneralView::transmitAndReceiveMenuSelected()
{
    if (!isCommandAvailable()) {
        return;
    }
    transmitMidi(true);
}

void MidiEditGeneralView::newMenuSelected()
{
    if (isCommandAvailable()) {
        m_pHost->openMessageEditor(MidiEditView::SystemExclusive, size(), QString());
    }
}

void MidiEditGeneralView::openMenuSelected()
{
    if (!isCommandAvailable()) {
        return;
    }
    const QString path = FileDialog::showFileOpenDialog(
        window(), tr(OpenDialogCaption), m_pModel->getModelStringValue(DumpFileWorkingDirectoryId) + QLatin1Char('/'),
        dumpFileFilters(), m_pModel->getModelDefaultStringValue(DumpFileWorkingDirectoryId));
    if (path.isEmpty()) {
        return;
    }
    loadDumpFile(path, size());
}

void MidiEditGeneralView::loadDumpFile(const QString& path, const QSize& size)
{
    setDumpFileWorkingDirectory(path);
    QString text;
    QString reason;
    if (!DumpFile::load(path, &text, &reason)) {
        m_pHost->showOpenFailedMessageBox(reason);
        return;
    }
    if (placeLoadedText(text, size)) {
        setDocumentPath(path);
    }
}

void MidiEditGeneralView::saveMenuSelected()
{
    if (!isCommandAvailable()) {
        return;
    }
    save(true);
}

bool MidiEditGeneralView::save(bool askForName)
{
    QString path = m_documentPath;
    if (askForName) {
        const QString proposal = m_documentPath.isEmpty()
            ? m_pModel->getModelStringValue(DumpFileWorkingDirectoryId) + QLatin1Char('/')
            : m_documentPath;
        path = FileDialog::showFileSaveDialog(window(), tr(SaveDialogCaption), proposal, dumpFileFilters(),
                                              m_pModel->getModelDefaultStringValue(DumpFileWorkingDirectoryId));
        if (path.isEmpty()) {
            return false;
        }
        setDumpFileWorkingDirectory(path);
    }
    QString reason;
    if (!DumpFile::save(path, m_pTextView->toPlainText(), &reason)) {
        m_pHost->showSaveFailedMessageBox(reason);
        return false;
    }
    setDocumentPath(path);
    return true;
}

bool MidiEditGeneralView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_pTextView->viewport()) {
        return false;
    }
    switch (event->type()) {
    case QEvent::DragEnter: {
        auto* dragEvent = static_cast<QDragEnterEvent*>(event);
        const QMimeData* data = dragEvent->mimeData();
        const bool acceptable = QApplication::activeModalWidget() == nullptr
            && m_pModel->getModelIntValue(TransmissionStateId) != TransmissionRunning
            && data->hasFormat(QLatin1String(DragAndDropFormat))
            && DumpFile::isDroppableFile(firstDraggedFile(data));
        if (acceptable) {
            dragEvent->acceptProposedAction();
        } else {
            dragEvent->setDropAction(Qt::IgnoreAction);
            dragEvent->ignore();
        }
        return true;
    }
    case QEvent::DragMove:
        static_cast<QDragMoveEvent*>(event)->acceptProposedAction();
        return true;
    case QEvent::Drop: {
        auto* dropEvent = static_cast<QDropEvent*>(event);
        const QMimeData* data = dropEvent->mimeData();
        if (!data->hasFormat(QLatin1String(DragAndDropFormat))) {
            return false;
        }
        const QString path = firstDraggedFile(data);
        if (path.isEmpty()) {
            dropEvent->ignore();
            return true;
        }
        loadDumpFile(path, QSize());
        dropEvent->acceptProposedAction();
        return true;
    }
    default:
        return false;
    }
}
