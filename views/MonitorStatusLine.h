#pragma once

#include "services/MonitorStatistics.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QTimer>

// The foot of a monitor, in short lines that fit its default width: a
// recording's state, how many lines wait while the monitor is paused, and
// its traffic figures, read about once a second while messages arrive and
// left alone while none do.
class MonitorStatusLine : public QLabel
{
    Q_OBJECT

public:
    explicit MonitorStatusLine(QWidget* parent);

    MonitorStatistics& statistics() { return m_statistics; }
    // Starts the readings after a delivery when they had stopped.
    void trafficArrived();
    // Lines waiting to be shown; negative while not paused.
    void setWaiting(int count);
    // What a recording does; empty when there is none.
    void setRecording(const QString& text);

private slots:
    void readFigures();

private:
    void showFigures();

    MonitorStatistics m_statistics;
    MonitorStatistics::Figures m_figures;
    QTimer m_timer;
    QElapsedTimer m_sinceReading;
    int m_waiting;
    QString m_recording;
};
