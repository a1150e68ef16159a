#pragma once

#include "engine/MidiEngine.h"

#include <QLabel>

// The main window's status bar text: the MIDI system in use and, once
// anything went wrong, how many sends failed or were cut short and how many
// messages were lost on the way in, so that no loss goes unseen even with
// no monitor open.
class MidiStatusLine : public QLabel
{
    Q_OBJECT

public:
    explicit MidiStatusLine(QWidget* parent);

    void setSystem(const QString& system);
    void setProblems(const MidiEngine::Problems& problems);
    // With no port chosen yet (a first start), the line says where to choose one.
    void setNoPortChosen(bool noPortChosen);

    // The problems as the line words them; empty for none.
    static QString problemsText(const MidiEngine::Problems& problems);

private:
    void showText();

    QString m_system;
    MidiEngine::Problems m_problems;
    bool m_noPortChosen = false;
};
