#include "views/MidiEditProgressView.h"

#include "views/MidiEditView.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QtMath>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const char* const OkButtonText = QT_TRANSLATE_NOOP("MidiEditProgressView", "OK");
const char* const CancelButtonText = QT_TRANSLATE_NOOP("MidiEditProgressView", "Cancel");
const char* const ByteUnitText = "Byte";
const char* const BytesUnitText = "Bytes";
const char* const ProgressText = QT_TRANSLATE_NOOP("MidiEditProgressView", "%1 of %2 bytes, %3 %, %4 s left");
const int PercentFull = 100;

// Black at half opacity: the page darkens what lies behind it.
const QColor SystemExclusiveProgressBarBackgroundColor(0, 0, 0, 128);

} // namespace

MidiEditProgressView::MidiEditProgressView(MidiEditView* parent)
    : QWidget(parent)
    , m_pEditView(parent)
    , m_pLayout(new QVBoxLayout())
    , m_pProgressBar(nullptr)
    , m_pLabel(new QLabel(this))
    , m_progressValue(0)
    , m_totalCommunicationSize(0)
    , m_state(ProgressStateInitial)
    , m_pButton(new QPushButton(tr(OkButtonText), this))
{
    setAutoFillBackground(true);
    QPalette backgroundPalette = palette();
    backgroundPalette.setColor(QPalette::All, QPalette::Window, SystemExclusiveProgressBarBackgroundColor);
    setPalette(backgroundPalette);

    m_pLabel->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    setTotalCommunicationSize(0);
    connect(m_pButton, &QPushButton::released, this, &MidiEditProgressView::releasedButton);

    m_pLayout->addWidget(m_pLabel);
    m_pLayout->addWidget(m_pButton);
    m_pLayout->setSpacing(0);
    m_pLayout->setContentsMargins(0, 0, 0, 0);
    setLayout(m_pLayout);
}

void MidiEditProgressView::setProgressBarValue(int value)
{
    m_progressValue = value;
    if (m_pProgressBar != nullptr) {
        // Running status makes the sent count outgrow the announced size;
        // the bar then stays full instead of freezing below its end.
        const int total = m_pProgressBar->maximum();
        const int shown = qMin(value, total);
        m_pProgressBar->setValue(shown);
        m_pProgressBar->repaint();
        if (shown > 0) {
            const double secondsLeft = m_elapsed.elapsed() / 1000.0 * (total - shown) / shown;
            const QLocale locale;
            m_pLabel->setText(tr(ProgressText)
                                  .arg(locale.toString(shown), locale.toString(total),
                                       QString::number(qint64(shown) * PercentFull / total),
                                       QString::number(qCeil(secondsLeft))));
        }
    }
}

void MidiEditProgressView::setTotalCommunicationSize(unsigned int size)
{
    m_totalCommunicationSize = size;
    m_pLabel->setText(QString::number(size) + QLatin1String(size == 1 ? ByteUnitText : BytesUnitText));
}

void MidiEditProgressView::setProgressBarEnabled(bool enabled, int minimum, int maximum)
{
    if (enabled) {
        if (m_pProgressBar == nullptr && minimum < maximum) {
            m_pProgressBar = new QProgressBar(this);
            m_pProgressBar->setTextVisible(false);
            m_pLayout->insertWidget(0, m_pProgressBar);
            m_pProgressBar->setRange(minimum, maximum);
            m_pProgressBar->setValue(minimum);
            m_pProgressBar->show();
        }
        m_elapsed.start();
        m_state = ProgressStateRunning;
        m_pButton->setText(tr(CancelButtonText));
    } else {
        if (m_pProgressBar != nullptr) {
            m_pLayout->removeWidget(m_pProgressBar);
            delete m_pProgressBar;
            m_pProgressBar = nullptr;
        }
        m_state = ProgressStateIdle;
        m_pButton->setText(tr(OkButtonText));
    }
    setProgressBarValue(0);
    setTotalCommunicationSize(0);
}

void MidiEditProgressView::setErrorMessage(const QString& message)
{
    m_state = ProgressStateError;
    m_pLabel->setText(message);
    m_pButton->setText(tr(OkButtonText));
}

void MidiEditProgressView::releasedButton()
{
    if (m_state == ProgressStateRunning)
        m_pEditView->cancelTransmittion();
    setProgressBarEnabled(false, 0, 0);
    m_pEditView->setReceivedMessageEnabled(false);
}

void MidiEditProgressView::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        releasedButton();
        return;
    }
    event->ignore();
}

void MidiEditProgressView::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    m_pButton->setFocus(Qt::OtherFocusReason);
}
