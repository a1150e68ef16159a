#include "views/LatencyTestView.h"

#include "engine/MonitorSourceIF.h"
#include "model/TarvoModel.h"
#include "project/AtomicFile.h"
#include "services/HexTextChecker.h"
#include "views/FileDialog.h"
#include "views/LatencyHistogram.h"
#include "views/ToolWindowHostIF.h"

#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

const char* const CountText = QT_TRANSLATE_NOOP("LatencyTestView", "Probes");
const char* const IntervalText = QT_TRANSLATE_NOOP("LatencyTestView", "Interval (ms)");
const char* const ProbeText = QT_TRANSLATE_NOOP("LatencyTestView", "Probe");
const char* const ProbePlaceholderText = QT_TRANSLATE_NOOP("LatencyTestView", "Note On and Off (or hex, e.g. C0 05)");
const char* const StartText = QT_TRANSLATE_NOOP("LatencyTestView", "&Start");
const char* const StopText = QT_TRANSLATE_NOOP("LatencyTestView", "S&top");
const char* const SaveText = QT_TRANSLATE_NOOP("LatencyTestView", "Save &CSV...");
const char* const SaveCaption = QT_TRANSLATE_NOOP("LatencyTestView", "Save Round Trips");
const char* const CsvFilter = QT_TRANSLATE_NOOP("LatencyTestView", "CSV files (*.csv)");
const char* const CsvFileName = "latency.csv";
const char* const FiguresText = QT_TRANSLATE_NOOP("LatencyTestView",
                                                  "Round trip (ms)\n\nmin\t%1\nmedian\t%2\np99\t%3\nmax\t%4\n\n"
                                                  "back\t%5\nlost\t%6");
const char* const ProgressText = QT_TRANSLATE_NOOP("LatencyTestView", "%1 of %2 back, %3 lost");
const char* const FailedText = QT_TRANSLATE_NOOP("LatencyTestView", "%1 sends failed: %2");
const char* const ThruText = QT_TRANSLATE_NOOP(
    "LatencyTestView", "MIDI Thru is on: every echo would be sent back out. Turn it off in MIDI Settings first.");
const char* const ProbeProblemText = QT_TRANSLATE_NOOP("LatencyTestView", "Probe: %1");
const int LargestCount = 100000;
const int LargestIntervalMs = 60000;
const int MillisecondDecimals = 3;

} // namespace

LatencyTestView::LatencyTestView(QWidget* parent, const ViewContext& context)
    : QWidget(parent)
    , m_context(context)
    , m_probe(context.sender)
    , m_pCountBox(new QSpinBox)
    , m_pIntervalBox(new QSpinBox)
    , m_pProbeEdit(new QLineEdit)
    , m_pStartButton(new QPushButton(tr(StartText)))
    , m_pSaveButton(new QPushButton(tr(SaveText)))
    , m_pHistogram(new LatencyHistogram)
    , m_pFiguresLabel(new QLabel)
    , m_pStatusLabel(new QLabel)
{
    m_pCountBox->setRange(1, LargestCount);
    m_pCountBox->setValue(LatencyProbe::DefaultCount);
    m_pIntervalBox->setRange(1, LargestIntervalMs);
    m_pIntervalBox->setValue(LatencyProbe::DefaultIntervalMilliseconds);
    m_pProbeEdit->setPlaceholderText(tr(ProbePlaceholderText));
    m_pFiguresLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_pStatusLabel->setWordWrap(true);
    m_pSaveButton->setEnabled(false);

    auto* settings = new QFormLayout;
    settings->addRow(tr(CountText), m_pCountBox);
    settings->addRow(tr(IntervalText), m_pIntervalBox);
    settings->addRow(tr(ProbeText), m_pProbeEdit);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_pStartButton);
    buttons->addWidget(m_pSaveButton);
    buttons->addStretch();
    auto* results = new QHBoxLayout;
    results->addWidget(m_pHistogram, 1);
    results->addWidget(m_pFiguresLabel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(settings);
    layout->addLayout(buttons);
    layout->addLayout(results, 1);
    layout->addWidget(m_pStatusLabel);

    connect(m_pStartButton, &QPushButton::clicked, this, &LatencyTestView::startOrStop);
    connect(m_pSaveButton, &QPushButton::clicked, this, &LatencyTestView::saveTimes);
    connect(&m_probe, &LatencyProbe::progressed, this, &LatencyTestView::showFigures);
    connect(&m_probe, &LatencyProbe::finished, this, &LatencyTestView::finished);
    showFigures();
}

LatencyTestView::~LatencyTestView()
{
    m_context.monitors->removeMonitor(&m_probe);
}

void LatencyTestView::startOrStop()
{
    if (m_probe.isRunning())
        m_probe.stop();
    else
        start();
}

void LatencyTestView::start()
{
    // The device's echo would come back again and again.
    if (m_context.model->getModelIntValue(MidiThruId) != 0) {
        m_pStatusLabel->setText(tr(ThruText));
        return;
    }
    QByteArray probe;
    HexTextChecker::Problem problem;
    QString reason;
    const QString text = m_pProbeEdit->text();
    if (!HexTextChecker::check(text, &probe, &problem)) {
        m_pStatusLabel->setText(tr(ProbeProblemText).arg(HexTextChecker::describe(text, problem)));
        return;
    }
    if (!probe.isEmpty() && !LatencyProbe::isProbe(probe, &reason)) {
        m_pStatusLabel->setText(tr(ProbeProblemText).arg(reason));
        return;
    }
    m_context.monitors->addMonitor(&m_probe, MonitorSourceIF::Direction::Received);
    m_probe.start(probe, m_pCountBox->value(), m_pIntervalBox->value());
    m_pStartButton->setText(tr(StopText));
    m_pSaveButton->setEnabled(false);
    showFigures();
}

void LatencyTestView::finished()
{
    m_context.monitors->removeMonitor(&m_probe);
    m_pStartButton->setText(tr(StartText));
    m_pSaveButton->setEnabled(m_probe.answered() > 0);
    showFigures();
}

void LatencyTestView::showFigures()
{
    const LatencyStatistics statistics = m_probe.statistics();
    const QLocale locale;
    const auto ms = [&locale](double value) { return locale.toString(value, 'f', MillisecondDecimals); };
    m_pHistogram->setStatistics(statistics);
    m_pFiguresLabel->setText(tr(FiguresText)
                                 .arg(ms(statistics.minimum()), ms(statistics.median()), ms(statistics.percentile99()),
                                      ms(statistics.maximum()), locale.toString(m_probe.answered()),
                                      locale.toString(m_probe.lost())));
    if (m_probe.failureCount() > 0) {
        m_pStatusLabel->setText(tr(FailedText).arg(locale.toString(m_probe.failureCount()),
                                                   m_context.host->outputPortProblem()));
    } else if (m_probe.count() > 0) {
        m_pStatusLabel->setText(tr(ProgressText).arg(locale.toString(m_probe.answered()),
                                                     locale.toString(m_probe.count()),
                                                     locale.toString(m_probe.lost())));
    }
}

void LatencyTestView::saveTimes()
{
    TarvoModel* model = m_context.model;
    const QString path = FileDialog::showFileSaveDialog(
        window(), tr(SaveCaption),
        model->getModelStringValue(DumpFileWorkingDirectoryId) + QLatin1Char('/') + QLatin1String(CsvFileName),
        tr(CsvFilter), model->getModelDefaultStringValue(DumpFileWorkingDirectoryId));
    if (path.isEmpty())
        return;
    model->setModelStringValue(DumpFileWorkingDirectoryId, QFileInfo(path).absolutePath());
    QString reason;
    if (!writeFileAtomically(path, m_probe.statistics().csv().toUtf8(), &reason))
        m_context.host->showSaveFailedMessageBox(reason);
}
