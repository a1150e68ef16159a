#pragma once

#include "model/CommonViewHelper.h"
#include "project/WindowRestorationInfo.h"

#include <QList>
#include <QWidget>

class CheckBox;
class PushButton;
class QStackedWidget;
class TarvoModel;

// Chooses which received channels and kinds of message the MIDI In monitor
// hides: every control is bound to a filter parameter (1 hides). The detail
// stack shows one of the control change, system common and real-time pages.
class MidiFilterView : public QWidget, public CommonViewHelper, public WindowRestorationInfo
{
    Q_OBJECT

public:
    MidiFilterView(QWidget* parent, TarvoModel* model);

public slots:
    void releasedControlChangeButton();
    void releasedSystemCommonButton();
    void releasedSystemRealtimeButton();
    // "All" and "Clear" act on the channel buttons only.
    void releasedAllButton();
    void releasedNoneButton();

protected:
    void createChannelBox();
    // Returns how much wider than its fixed size the box had to be for the font.
    int createMessageBox();
    void createDetailStack(int widening);

    QList<PushButton*> m_channelButtons;
    QList<CheckBox*> m_messageCheckBoxes;
    QStackedWidget* m_pDetailStack;
};
