#pragma once

#include "project/FileStream.h"
#include "project/WindowRestorationInfo.h"
#include "views/ViewContext.h"

#include <QWidget>

class Keyboard;
class MidiKeyboardUpperView;
class MidiKeyboardViewScrollArea;
class TarvoModel;

// Plays notes with the mouse on a keyboard of all 128 notes: a key going down
// sends a note-on on the strip's channel with its velocity, a key coming up
// the matching note-off.
class MidiKeyboardView : public QWidget, public WindowRestorationInfo, public FileStream
{
    Q_OBJECT

public:
    MidiKeyboardView(QWidget* parent, const ViewContext& context);

    // The result is that of the main window's transmit.
    bool transmitNoteMessage(unsigned char note, bool on);

    bool setDataStream(QDataStream& stream) override;
    bool getDataStream(QDataStream& stream) override;

public slots:
    void noteChannelChanged(int value);
    void velocityChanged(int value);

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    static void noteCallback(void* context, unsigned char note, bool on);

    MidiKeyboardUpperView* m_pUpperView;
    MidiKeyboardViewScrollArea* m_pScrollArea;
    Keyboard* m_pKeyboard;
    // 0 to 15; changes only through noteChannelChanged, so that the note-offs
    // of held keys go out on the channel of their note-ons.
    unsigned char m_channel;
    TarvoModel* m_pModel;
    MidiSenderIF* m_pSender;
};
