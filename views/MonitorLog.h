#pragma once

#include "model/ModelAssistant.h"
#include "services/MonitorHistory.h"
#include "services/MonitorLineDecoder.h"
#include "views/ViewContext.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QPair>

class MidiEditGeneralView;
class MidiEditTextView;
class MonitorFindBar;
class MonitorRecording;
class MonitorStatusLine;
class QAction;
class QMenu;
class QTimer;
class QVBoxLayout;
class TarvoModel;

// What a MIDI In or Out Monitor does with its lines: keeps a history of a
// preferred length, shows it as hex lines or decoded, pauses, finds, hides
// timing clock and active sensing (Out Monitor), counts the traffic, saves
// the log or the captured System Exclusive messages and records what
// arrives to a MIDI file (In Monitor).
class MonitorLog : public QObject, public ModelAssistant
{
    Q_OBJECT

public:
    // Records of the monitor's choices in its project content block.
    enum RecordTag {
        DecodedTag = 1,
        NoiseHiddenTag = 2,
    };

    // Adds the find bar and the status line below the text in layout.
    MonitorLog(MidiEditGeneralView* view, MidiEditTextView* text, const ViewContext& context, bool isInMonitor,
               QVBoxLayout* layout);
    ~MonitorLog() override;

    // What arrived (In Monitor) or left (Out Monitor) since the last call.
    void append(const MidiRecords& records);

    QList<QPair<int, int>> records() const;
    void restore(const QMap<int, int>& records);

    void updateParameter(unsigned int id) override;

protected:
    // The reader turning to the text makes it whole.
    bool eventFilter(QObject* watched, QEvent* event) override;

public slots:
    void setDecoded(bool decoded);
    void setPaused(bool paused);
    void setNoiseHidden(bool hidden);
    void saveLog();
    void saveSystemExclusive();
    void clear();
    // The monitor's entries at the end of its context menu.
    void addMenuEntries(QMenu* menu);

private:
    QAction* addAction(const char* text, const char* shortcut, bool checkable);
    // A user's choice changes the project; a restored one does not.
    void choiceChanged();
    // Whether lines that arrive may wait for the text's next flood refresh.
    enum class Refresh { Now, Paced };
    // Appends entries to the text, m_linesAtOnce at a time.
    void show(const QVector<MonitorEntry>& entries, Refresh refresh);
    // How long arrived lines wait before they go into the text.
    int refreshWait() const;
    void insertUnshown();
    // Under a flood, while the reader only watches the newest line, the text
    // holds just the lines in sight: the others would go at the next refresh
    // unseen.
    bool mayHoldOnlyLinesInSight();
    int linesInSight() const;
    // Puts the history's lines back above those in sight.
    void completeText();
    // Replaces the text with every shown line in the current view.
    void showAll();
    QString lineOf(const MonitorEntry& entry) const;
    // Timing clock and active sensing while the Out Monitor hides them.
    bool isHidden(const MonitorEntry& entry) const;
    // The history's lines that the text shows.
    int visibleHistoryCount();
    void save(const QString& caption, const QString& filter, const char* fileName, const QByteArray& bytes);

    MidiEditGeneralView* m_pView;
    MidiEditTextView* m_pText;
    TarvoModel* m_pModel;
    ToolWindowHostIF* m_pHost;
    bool m_isInMonitor;
    MonitorFindBar* m_pFindBar;
    MonitorStatusLine* m_pStatusLine;
    // In Monitor only.
    MonitorRecording* m_pRecording;
    MonitorHistory m_history;
    // Lines that go into the text in one piece, as many as the shortest
    // history holds; more wait for the next turn of the event loop.
    const int m_linesAtOnce;
    MonitorLineDecoder m_decoder;
    // Shown lines on their way into the text.
    std::deque<MonitorEntry> m_unshown;
    // Starts the next insert of m_unshown: at once for the rest of a long
    // piece, later under a flood.
    QTimer* m_pInsertTimer;
    QElapsedTimer m_sinceInsert;
    // The text holds only the newest lines of the history.
    bool m_onlyLinesInSight;
    bool m_decoded;
    bool m_noiseHidden;
    // False once the history is known to hold no timing clock or active
    // sensing: while hidden, none comes in.
    bool m_historyMayHoldNoise;
    QAction* m_pDecodedAction;
    QAction* m_pPauseAction;
    QAction* m_pFindAction;
    QAction* m_pFindNextAction;
    QAction* m_pFindPreviousAction;
    QAction* m_pNoiseAction;
    QAction* m_pSaveLogAction;
    QAction* m_pSaveSystemExclusiveAction;
};
