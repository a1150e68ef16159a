#pragma once

#include "services/LatencyProbe.h"
#include "views/ViewContext.h"

#include <QWidget>

class LatencyHistogram;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

// Measures the round trip from the output back to the input through a
// device that echoes (MIDI Thru, an echo mode) or a loopback cable: sends a
// probe at an interval, draws how the round-trip times spread, gives the
// shortest, median, 99th percentile and longest time and the probes lost,
// and saves the times as CSV.
class LatencyTestView : public QWidget
{
    Q_OBJECT

public:
    LatencyTestView(QWidget* parent, const ViewContext& context);
    ~LatencyTestView() override;

public slots:
    void startOrStop();
    void saveTimes();

private:
    void start();
    void showFigures();
    void finished();

    ViewContext m_context;
    LatencyProbe m_probe;
    QSpinBox* m_pCountBox;
    QSpinBox* m_pIntervalBox;
    QLineEdit* m_pProbeEdit;
    QPushButton* m_pStartButton;
    QPushButton* m_pSaveButton;
    LatencyHistogram* m_pHistogram;
    QLabel* m_pFiguresLabel;
    QLabel* m_pStatusLabel;
};
