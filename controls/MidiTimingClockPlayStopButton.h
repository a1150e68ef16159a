#pragma once

#include <QPixmap>
#include <QPushButton>
#include <QSize>

// The checkable play/stop button: the platform's button face with one of four
// frames centred on it.
class MidiTimingClockPlayStopButton : public QPushButton
{
    Q_OBJECT

public:
    explicit MidiTimingClockPlayStopButton(QWidget* parent = nullptr);

    // 0 play, 1 play pressed, 2 stop, 3 stop pressed.
    int getPixmapNumber() const;

    // Four equal frames, left to right, in the order of getPixmapNumber.
    QPixmap m_pixmap;
    // On-screen size of one frame, used to centre it.
    QSize m_pixmapSize;

protected:
    void paintEvent(QPaintEvent* event) override;
};
