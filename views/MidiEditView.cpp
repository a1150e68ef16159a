#include "views/MidiEditView.h"

#include "engine/HexText.h"
#include "engine/MonitorSourceIF.h"
#include "model/ParameterEditFlagLock.h"
#include "model/TarvoModel.h"
#include "project/ContentBlock.h"
#include "services/MidiEditTransmittionThread.h"
#include "views/MidiEditGeneralView.h"
#include "views/MidiEditProgressView.h"
#include "views/MonitorLog.h"
#include "views/ToolWindowHostIF.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QStackedLayout>
#include <QTextDocument>

namespace {

// Longer transmissions show the progress page; shorter ones finish before it
// would be seen.
const quint32 EnabledProgressBarBytes = 256;

const char* const TransmitFailedMessage = QT_TRANSLATE_NOOP("MidiEditView", "Failed to transmit message.");
// An editor's title; its file's name follows after the separator.
const char* const EditorTitle = QT_TRANSLATE_NOOP("MidiEditView", "System Exclusive");
const char* const FileNameSeparator = " \u2014 ";
const char* const ModifiedMark = "*";

// The monitor's choices are the records of its block.
static_assert(int(MonitorLog::DecodedTag) == ContentBlock::MonitorDecoded
                  && int(MonitorLog::NoiseHiddenTag) == ContentBlock::MonitorNoiseHidden,
              "a monitor's choices are stored under the tags of its content block");
const unsigned char StartOfExclusive = 0xF0;

} // namespace

MidiEditView::MidiEditView(QWidget* parent, const ViewContext& context, OpenMode mode, const QString& text)
    : QWidget(parent)
    , m_receivedMessageEnabled(mode == MidiInMonitor || mode == SystemExclusiveReceive)
    , m_isMonitor(mode == MidiInMonitor || mode == MidiOutMonitor)
    , m_context(context)
    , m_pModel(context.model)
    , m_transmitting(false)
    , m_pStackedLayout(nullptr)
    , m_pTransmittionThread(nullptr)
{
    m_context.monitors->addMonitor(this, mode == MidiOutMonitor ? MonitorSourceIF::Direction::Transmitted
                                                                : MonitorSourceIF::Direction::Received);
    switch (mode) {
    case MidiInMonitor:
        windowId = WindowIdMidiInMonitor;
        break;
    case MidiOutMonitor:
        windowId = WindowIdMidiOutMonitor;
        break;
    case SystemExclusive:
    case SystemExclusiveReceive:
        windowId = WindowIdSystemExclusive;
        m_pModel->setParameterEditFlag(ParameterEdited);
        break;
    }

    m_pStackedLayout = new QStackedLayout();
    auto* general = new MidiEditGeneralView(this, context, mode);
    m_pStackedLayout->addWidget(general);
    m_pStackedLayout->addWidget(new MidiEditProgressView(this));
    m_pStackedLayout->setCurrentIndex(mode == SystemExclusiveReceive ? ProgressView : GeneralView);
    setLayout(m_pStackedLayout);

    general->setText(text);
    if (!m_isMonitor) {
        connect(general->document(), &QTextDocument::modificationChanged, this, &MidiEditView::updateTitle);
        connect(general, &MidiEditGeneralView::documentPathChanged, this, &MidiEditView::updateTitle);
        updateTitle();
    }

    m_pTransmittionThread = new MidiEditTransmittionThread(this, m_context.sender);
    connect(m_pTransmittionThread, &MidiEditTransmittionThread::startTransmittion, this,
            &MidiEditView::startTransmittion);
    connect(m_pTransmittionThread, &MidiEditTransmittionThread::transmittionProgress, this,
            &MidiEditView::transmittionProgress);
    connect(m_pTransmittionThread, &MidiEditTransmittionThread::finishTransmittion, this,
            &MidiEditView::finishTransmittion);
    m_pTransmittionThread->start();
}

MidiEditView::~MidiEditView()
{
    m_context.monitors->removeMonitor(this);
}

MidiEditGeneralView* MidiEditView::generalView() const
{
    return static_cast<MidiEditGeneralView*>(m_pStackedLayout->widget(GeneralView));
}

QString MidiEditView::documentPath() const
{
    return generalView()->documentPath();
}

void MidiEditView::setDocumentPath(const QString& path)
{
    generalView()->setDocumentPath(path);
}

QString MidiEditView::documentName() const
{
    return QFileInfo(documentPath()).fileName();
}

bool MidiEditView::hasUnsavedChanges() const
{
    return !m_isMonitor && generalView()->document()->isModified();
}

bool MidiEditView::saveDocument()
{
    return generalView()->save(documentPath().isEmpty());
}

void MidiEditView::updateTitle()
{
    QString title = tr(EditorTitle);
    const QString name = documentName();
    if (!name.isEmpty()) {
        title += QString::fromUtf8(FileNameSeparator) + name;
    }
    if (hasUnsavedChanges()) {
        title += QLatin1String(ModifiedMark);
    }
    setWindowTitle(title);
}

MidiEditProgressView* MidiEditView::progressView() const
{
    return static_cast<MidiEditProgressView*>(m_pStackedLayout->widget(ProgressView));
}

void MidiEditView::transmitMessage(const QString& text)
{
    if (text.isEmpty()) {
        return;
    }
    if (m_pModel->getModelIntValue(TransmissionStateId) != TransmissionIdle) {
        return;
    }
    m_transmitting = true;
    m_pModel->setModelIntValue(TransmissionStateId, TransmissionRunning);
    m_pTransmittionThread->setTransmittionMessage(text, static_cast<unsigned int>(m_pModel->getModelIntValue(RateLimitId)));
}

void MidiEditView::showTextProblem(const QString& description)
{
    m_pStackedLayout->setCurrentIndex(ProgressView);
    progressView()->setErrorMessage(description);
}

void MidiEditView::receivedMessage(const MidiRecords& records)
{
    // Arriving data is not an edit; confirming it is (setReceivedMessageEnabled).
    ParameterEditFlagLock lock(m_pModel);
    if (m_isMonitor) {
        generalView()->monitorLog()->append(records);
        if (m_receivedMessageEnabled) {
            addCommunicated(records);
        }
        return;
    }
    if (!m_receivedMessageEnabled) {
        return;
    }
    QByteArray text;
    for (const MidiRecord& record : records) {
        if (record.isMessage() && record.bytes.startsWith(char(StartOfExclusive))) {
            HexText::appendBytes(text, reinterpret_cast<const unsigned char*>(record.bytes.constData()),
                                 std::size_t(record.bytes.size()), true);
        }
    }
    if (!text.isEmpty()) {
        addCommunicated(records);
        generalView()->insertReceivedText(QString::fromLatin1(text));
    }
}

void MidiEditView::addCommunicated(const MidiRecords& records)
{
    quint64 bytes = 0;
    for (const MidiRecord& record : records) {
        if (record.isMessage() && (m_isMonitor || record.bytes.startsWith(char(StartOfExclusive)))) {
            bytes += quint64(record.bytes.size());
        }
    }
    MidiEditProgressView* progress = progressView();
    progress->setTotalCommunicationSize(quint32(bytes) + progress->getTotalCommunicationSize());
}

void MidiEditView::setReceivedMessageEnabled(bool enabled)
{
    if (enabled != m_receivedMessageEnabled) {
        if (!enabled) {
            QString text;
            if (generalView()->getText(text)) {
                m_pModel->setParameterEditFlag(ParameterEdited);
            }
        } else {
            generalView()->minimalizeScrollAreaForMac();
        }
        m_receivedMessageEnabled = enabled;
    }
    m_pStackedLayout->setCurrentIndex(enabled ? ProgressView : GeneralView);
}

bool MidiEditView::setDataStream(QDataStream& stream)
{
    ContentValues content;
    if (!ContentBlock::read(windowId, stream, content)) {
        return false;
    }
    ParameterEditFlagLock lock(m_pModel);
    if (m_isMonitor) {
        // Files from before the monitors had choices hold an empty block.
        generalView()->monitorLog()->restore(content.integers);
    } else if (content.text.has_value()) {
        generalView()->setText(*content.text);
    }
    return true;
}

bool MidiEditView::getDataStream(QDataStream& stream)
{
    ContentValues content;
    if (m_isMonitor) {
        for (const auto& record : generalView()->monitorLog()->records()) {
            content.integers.insert(record.first, record.second);
        }
    } else if (m_receivedMessageEnabled) {
        // Data still being received is not part of the project yet.
        return true;
    } else {
        QString text;
        generalView()->getText(text);
        content.text = text;
    }
    return ContentBlock::write(windowId, content, stream);
}

void MidiEditView::startTransmittion(quint32 size)
{
    // A start still queued when the view was closed belongs to no transmission.
    if (size == 0 || !m_transmitting) {
        return;
    }
    MidiEditProgressView* progress = progressView();
    progress->setProgressBarValue(0);
    m_transmitting = true;
    m_pModel->setModelIntValue(TransmissionStateId, TransmissionRunning);
    if (size > EnabledProgressBarBytes) {
        m_pStackedLayout->setCurrentIndex(ProgressView);
    }
    progress->setProgressBarEnabled(true, 0, static_cast<int>(size));
}

void MidiEditView::transmittionProgress(quint32 size)
{
    MidiEditProgressView* progress = progressView();
    if (progress->getState() == MidiEditProgressView::ProgressStateIdle) {
        m_pTransmittionThread->stopTransmittion();
        return;
    }
    progress->setProgressBarValue(static_cast<int>(size));
}

void MidiEditView::cancelTransmittion()
{
    m_pTransmittionThread->stopTransmittion();
}

void MidiEditView::finishTransmittion(bool result)
{
    // A view closed during its transmission has given the state back already;
    // by now another editor may own it.
    if (m_transmitting) {
        m_transmitting = false;
        m_pModel->setModelIntValue(TransmissionStateId, TransmissionIdle);
    }
    MidiEditProgressView* progress = progressView();
    progress->setProgressBarEnabled(false, 0, 0);
    if (result) {
        m_pStackedLayout->setCurrentIndex(GeneralView);
    } else {
        m_pStackedLayout->setCurrentIndex(ProgressView);
        progress->setErrorMessage(tr(TransmitFailedMessage) + QLatin1Char('\n') + m_context.host->outputPortProblem());
    }
}

void MidiEditView::closeEvent(QCloseEvent* event)
{
    progressView()->setProgressBarEnabled(false, 0, 0);
    m_pTransmittionThread->stopTransmittion();
    if (m_transmitting) {
        m_transmitting = false;
        m_pModel->setModelIntValue(TransmissionStateId, TransmissionIdle);
    }
    if (windowId == WindowIdSystemExclusive) {
        m_pModel->setParameterEditFlag(ParameterEdited);
    }
    QWidget::closeEvent(event);
}
