#pragma once

#include <QWidget>

class QSpinBox;

// The strip above the keyboard: the MIDI channel (shown 1 to 16) and the
// note-on velocity.
class MidiKeyboardUpperView : public QWidget
{
    Q_OBJECT

public:
    explicit MidiKeyboardUpperView(QWidget* parent);

    // 0 to 15.
    unsigned char getChannel() const;
    unsigned char getVelocity() const;

    QSpinBox* m_pChannelSpinBox;
    QSpinBox* m_pVelocitySpinBox;
};
