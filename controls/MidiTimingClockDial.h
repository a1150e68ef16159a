#pragma once

#include "controls/Dial.h"

#include <QColor>

// The tempo dial, with a beat LED in the gap at the bottom of its meter ring.
class MidiTimingClockDial : public Dial
{
    Q_OBJECT

public:
    explicit MidiTimingClockDial(QWidget* parent = nullptr);

    void setLedOnColor(const QColor& color);
    void setLedOffColor(const QColor& color);

public slots:
    // Lights the LED for m_ledOnTime; a call during a blink does not prolong it.
    void ledOn();
    void ledOff();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_ledOnColor;
    QColor m_ledOffColor;
    bool m_ledOn;
    // Milliseconds that one blink lasts.
    int m_ledOnTime;
};
