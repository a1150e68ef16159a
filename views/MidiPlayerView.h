#pragma once

#include "services/MidiPlayer.h"
#include "views/ViewContext.h"

#include <QString>
#include <QTimer>
#include <QWidget>

class QCheckBox;
class QLabel;
class QPushButton;
class QSlider;

// Plays a Standard MIDI File to the output: the file, Play and Stop, where
// playing is (a place to start from while stopped) and a loop. A file the
// reader refuses is not taken: the reason, with the byte of the fault, is
// shown. Sends that fail are counted and shown with the port's problem.
class MidiPlayerView : public QWidget
{
    Q_OBJECT

public:
    MidiPlayerView(QWidget* parent, const ViewContext& context);
    ~MidiPlayerView() override;

    // False, once the reason is shown, when the file is refused; the file
    // loaded before stays.
    bool openFile(const QString& path);

public slots:
    void chooseFile();
    void playOrStop();

private:
    void playerFinished();
    void positionMoved(int milliseconds);
    void showPosition();
    void showState();

    ViewContext m_context;
    MidiPlayer m_player;
    QString m_path;
    int m_messageCount;
    QLabel* m_pFileLabel;
    QPushButton* m_pOpenButton;
    QPushButton* m_pPlayButton;
    QCheckBox* m_pLoopBox;
    QSlider* m_pPositionSlider;
    QLabel* m_pPositionLabel;
    QLabel* m_pStatusLabel;
    QTimer m_positionTimer;
};
