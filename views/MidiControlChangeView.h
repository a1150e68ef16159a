#pragma once

#include "project/FileStream.h"
#include "project/WindowRestorationInfo.h"
#include "views/ViewContext.h"

#include <QWidget>

class Dial;
class QComboBox;
class QSpinBox;
class TarvoModel;

// Sends one controller's value on a channel: turning the dial sends at once,
// "Transmit" sends the dial's value again. Several may be open at a time, one
// per controller the user picked; the restoration values hold the controller.
class MidiControlChangeView : public QWidget, public ControlChangeWindowRestorationInfo, public FileStream
{
    Q_OBJECT

public:
    MidiControlChangeView(QWidget* parent, unsigned char controlChangeNumber, const ViewContext& context);
    ~MidiControlChangeView() override;

    // Sends a control change with the given value on the shown channel and controller.
    void transmitControlChange(int value);

    bool setDataStream(QDataStream& stream) override;
    bool getDataStream(QDataStream& stream) override;

public slots:
    void updateControlChangeChannel(int value);
    void updateControlChangeValue(int value);
    void controlChangeNumberChanged(int controlChangeNumber);
    void transmitButtonPressed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    bool sendControlChange(int value);

    QSpinBox* m_pChannelSpinBox;
    QComboBox* m_pControlChangeComboBox;
    Dial* m_pDial;
    TarvoModel* m_pModel;
    MidiSenderIF* m_pSender;
    ToolWindowHostIF* m_pHost;
    // Set while a content block is applied: restored values are not sent.
    bool m_isRestoringState;
};
