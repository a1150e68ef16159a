#pragma once

#include "project/FileStream.h"
#include "project/WindowRestorationInfo.h"
#include "views/ViewContext.h"

#include <QWidget>

class QCheckBox;
class QSpinBox;
class SevenSegment;
class TarvoModel;

// Selects a sound on an instrument: the ticked bank selects (controllers 0
// and 32) and then the program change, on "Transmit" or, with "Auto Transmit",
// on every change of a value.
class MidiProgramChangeView : public QWidget, public WindowRestorationInfo, public FileStream
{
    Q_OBJECT

public:
    MidiProgramChangeView(QWidget* parent, const ViewContext& context);

    // Sends the ticked bank selects and the program change; the result is
    // that of the program change.
    bool transmitProgramChangeMessage();

    bool setDataStream(QDataStream& stream) override;
    bool getDataStream(QDataStream& stream) override;

public slots:
    void updateChannel(int value);
    void updateMSB(int value);
    void updateLSB(int value);
    void updateProgramNumber(int value);
    void updateCheckbox(bool checked);
    void transmitButtonPressed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // A value changed: the project is edited and, with "Auto Transmit", sent.
    void valueChanged();

    QSpinBox* m_pMsbSpinBox;
    QCheckBox* m_pMsbCheckBox;
    QSpinBox* m_pLsbSpinBox;
    QCheckBox* m_pLsbCheckBox;
    SevenSegment* m_pProgramNumber;
    QSpinBox* m_pChannelSpinBox;
    QCheckBox* m_pAutoTransmitCheckBox;
    TarvoModel* m_pModel;
    MidiSenderIF* m_pSender;
};
