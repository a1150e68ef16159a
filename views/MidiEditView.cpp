#include "views/MidiEditView.h"

#include "app/MainWindow.h"
#include "model/TarvoModel.h"
#include "services/MidiEditTransmittionThread.h"
#include "views/IntParameterRecords.h"
#include "views/MidiEditGeneralView.h"
#include "views/MidiEditProgressView.h"
#include "views/MonitorLog.h"

#include <QCloseEvent>
#include <QStackedLayout>

namespace {

// Longer transmissions show the progress page; shorter ones finish before it
// would be seen.
const quint32 EnabledProgressBarBytes = 256;

const char* const TransmitFailedMessage = QT_TRANSLATE_NOOP("MidiEditView", "Failed to transmit message.");

// Record tag of the editor text in the project file.
const int TextParameterTag = 0;

} // namespace

MidiEditView::MidiEditView(QWidget* parent, TarvoModel* model, OpenMode mode, const QString& text)
    : QWidget(parent)
    , m_receivedMessageEnabled(mode == MidiInMonitor || mode == SystemExclusiveReceive)
    , m_isMonitor(mode == MidiInMonitor || mode == MidiOutMonitor)
    , m_pModel(model)
    , m_transmitting(false)
    , m_pStackedLayout(nullptr)
    , m_pTransmittionThread(nullptr)
{
    MainWindow::m_pInstance->addMessageView(this, mode == MidiOutMonitor);
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
    auto* general = new MidiEditGeneralView(this, model, mode);
    m_pStackedLayout->addWidget(general);
    m_pStackedLayout->addWidget(new MidiEditProgressView(this));
    m_pStackedLayout->setCurrentIndex(mode == SystemExclusiveReceive ? ProgressView : GeneralView);
    setLayout(m_pStackedLayout);

    general->setText(text);

    m_pTransmittionThread = new MidiEditTransmittionThread(this);
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
    MainWindow::m_pInstance->removeMessageView(this);
}

MidiEditGeneralView* MidiEditView::generalView() const
{
    return static_cast<MidiEditGeneralView*>(m_pStackedLayout->widget(GeneralView));
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

void MidiEditView::receivedMessage(const QString& text, unsigned int size, const QByteArray& systemExclusiveText)
{
    // A line of lost messages stands for no bytes but must still show.
    if (!m_receivedMessageEnabled || text.isEmpty()) {
        return;
    }
    MidiEditProgressView* progress = progressView();
    progress->setTotalCommunicationSize(size + progress->getTotalCommunicationSize());
    // Arriving data is not an edit; confirming it is (setReceivedMessageEnabled).
    m_pModel->lockParameterEditFlag();
    if (m_isMonitor) {
        generalView()->monitorLog()->append(text, systemExclusiveText);
    } else {
        generalView()->insertReceivedText(text);
    }
    m_pModel->unlockParameterEditFlag();
}

void MidiEditView::setText(const QString& text)
{
    if (m_isMonitor) {
        generalView()->monitorLog()->append(text, QByteArray());
    } else {
        generalView()->insertText(text);
    }
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
    if (m_isMonitor) {
        // Files from before the monitors had choices hold an empty block.
        m_pModel->lockParameterEditFlag();
        generalView()->monitorLog()->restore(readIntParameterRecords(*this, stream));
        m_pModel->unlockParameterEditFlag();
        return true;
    }
    QString text;
    if (getStringParameterFromStream(stream, TextParameterTag, text)) {
        m_pModel->lockParameterEditFlag();
        generalView()->setText(text);
        m_pModel->unlockParameterEditFlag();
    }
    return true;
}

bool MidiEditView::getDataStream(QDataStream& stream)
{
    if (m_isMonitor) {
        for (const auto& record : generalView()->monitorLog()->records()) {
            setIntParameterToStream(stream, record.first, record.second);
        }
        return true;
    }
    // Data still being received is not part of the project yet.
    if (m_receivedMessageEnabled) {
        return true;
    }
    QString text;
    generalView()->getText(text);
    // An empty editor writes a complete empty record, which reports false.
    setStringParameterToStream(stream, TextParameterTag, text);
    return true;
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
        progress->setErrorMessage(tr(TransmitFailedMessage) + QLatin1Char('\n') + MainWindow::m_pInstance->outputPortProblem());
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
