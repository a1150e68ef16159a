#pragma once

#include "project/FileStream.h"
#include "project/WindowRestorationInfo.h"
#include "views/ViewContext.h"

#include <QWidget>

class MidiTimingClockDial;
class QCheckBox;
class MidiTimingClockPlayStopButton;
class MidiTimingClockTransmittionThread;
class TarvoModel;

// Sends MIDI Timing Clock at the dial's tempo while the play button is down,
// with Start and Stop around it when chosen.
// Restoring its content acts like the user: a restored tempo reaches the
// clock thread, a restored playing state starts the clock.
class MidiTimingClockGeneratorView : public QWidget, public WindowRestorationInfo, public FileStream
{
    Q_OBJECT

public:
    MidiTimingClockGeneratorView(QWidget* parent, const ViewContext& context);
    ~MidiTimingClockGeneratorView() override;

    bool setDataStream(QDataStream& stream) override;
    bool getDataStream(QDataStream& stream) override;

protected:
    void closeEvent(QCloseEvent* event) override;

protected slots:
    void updatedKnobValue(int value);
    void updatedplayButton(bool checked);

private:
    MidiTimingClockTransmittionThread* m_pThread;
    MidiTimingClockPlayStopButton* m_pPlayButton;
    TarvoModel* m_pModel;
    MidiTimingClockDial* m_pDial;
    QCheckBox* m_pStartStop;
};
