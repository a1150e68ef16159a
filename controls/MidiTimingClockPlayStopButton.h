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
    void setPixmap(const QPixmap& pixmap);
    // On-screen size of one frame, used to centre it.
    void setPixmapSize(const QSize& size);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap m_pixmap;
    QSize m_pixmapSize;
};
