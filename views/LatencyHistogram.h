#pragma once

#include <QVector>
#include <QWidget>

class LatencyStatistics;

// Draws how round-trip times are spread: bars of equal width from the
// shortest time to the longest, each as high as the times in it, with both
// ends and the highest count written beside the axes.
class LatencyHistogram : public QWidget
{
    Q_OBJECT

public:
    explicit LatencyHistogram(QWidget* parent = nullptr);

    void setStatistics(const LatencyStatistics& statistics);
    const QVector<int>& bins() const { return m_bins; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QVector<int> m_bins;
    double m_minimum;
    double m_maximum;
};
