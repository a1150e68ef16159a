#pragma once

#include "model/ModelAssistant.h"
#include "views/MidiEditView.h"

#include <QWidget>

class MidiEditTextView;
class MonitorLog;
class NewestLineFollower;
class QTextDocument;
class QToolBar;
class TarvoModel;
class ToolWindowHostIF;

// The first page of a message view: the editor's tool bar above the text.
// Monitors have no tool bar; their log looks after their lines.
class MidiEditGeneralView : public QWidget, public ModelAssistant
{
    Q_OBJECT

public:
    MidiEditGeneralView(MidiEditView* parent, const ViewContext& context, MidiEditView::OpenMode mode);
    ~MidiEditGeneralView() override;

    // Replaces the whole text, which then counts as unchanged.
    void setText(const QString& text);
    QTextDocument* document() const;
    // The editor's file; see MidiEditView::documentPath.
    QString documentPath() const { return m_documentPath; }
    void setDocumentPath(const QString& path);
    // Writes the text to the editor's file, asking for one first when
    // askForName; true when written.
    bool save(bool askForName);
    // Appends text. A monitor that followed its newest line shows the new
    // one; a reader who scrolled back is not pulled to the end.
    // With keptLines, the lines above the last keptLines go, and a reader who
    // scrolled back keeps the same lines in sight.
    void insertText(const QString& text, int keptLines = 0);
    // Received data is no edit of the user's: it never enters the undo history.
    void insertReceivedText(const QString& text);
    // Keeps a monitor at its newest line; null in editors.
    NewestLineFollower* follower() const { return m_pFollower; }
    // The monitor's log; null in editors.
    MonitorLog* monitorLog() const { return m_pMonitorLog; }
    // False when the text is empty.
    bool getText(QString& text);
    void minimalizeScrollAreaForMac();
    void updateParameter(unsigned int id) override;
    // Transmits the selection, or the whole text when nothing is selected,
    // after checking all of it: at a problem nothing is sent, the problem is
    // shown and the cursor goes to its place. With openReceiver a receiving
    // editor opens first for the replies. The send runs on the editor's
    // transmission thread, which shows and counts its own outcome.
    void transmitMidi(bool openReceiver = false);

signals:
    void documentPathChanged();

public slots:
    void transmitMenuSelected();
    void receiveMenuSelected();
    void transmitAndReceiveMenuSelected();
    void newMenuSelected();
    void openMenuSelected();
    void saveMenuSelected();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The commands act in editors only, and not while any editor transmits.
    bool isCommandAvailable();
    void trimDocumentEnds();
    // Removes the lines above the last keptLines; returns how many went.
    int removeLinesAbove(int keptLines);
    bool openReceivingEditor();
    // Puts text into this editor when it is empty, else into a new editor;
    // true when it went here.
    bool placeLoadedText(const QString& text, const QSize& size);
    // Reads a .syx or text file into this editor, or into a new one when
    // this one holds text; a file that cannot be read is reported.
    void loadDumpFile(const QString& path, const QSize& size);
    void setDumpFileWorkingDirectory(const QString& path);

    MidiEditView* m_pEditView;
    ToolWindowHostIF* m_pHost;
    MidiEditTextView* m_pTextView;
    NewestLineFollower* m_pFollower;
    TarvoModel* m_pModel;
    QToolBar* m_pToolBar;
    MonitorLog* m_pMonitorLog;
    QString m_documentPath;
};
