#pragma once

#include "engine/MonitorSinkIF.h"
#include "project/FileStream.h"
#include "project/WindowRestorationInfo.h"
#include "views/ViewContext.h"

#include <QWidget>

class MidiEditGeneralView;
class MidiEditProgressView;
class MidiEditTransmittionThread;
class QStackedLayout;
class TarvoModel;

// The window of a MIDI In Monitor, a MIDI Out Monitor or a message editor:
// hexadecimal MIDI text on the general page, and the progress page that
// shows a long transmission, data being received or a failure. Monitors
// show the records of what came in or went out; an editor that receives
// takes the System Exclusive messages that came in.
class MidiEditView : public QWidget, public WindowRestorationInfo, public FileStream, public MonitorSinkIF
{
    Q_OBJECT

public:
    enum OpenMode {
        MidiInMonitor = 0,
        MidiOutMonitor = 1,
        SystemExclusive = 2,
        // An editor that collects the System Exclusive replies until confirmed.
        SystemExclusiveReceive = 3,
    };

    // Pages of the stacked layout.
    enum View {
        GeneralView = 0,
        ProgressView = 1,
    };

    MidiEditView(QWidget* parent, const ViewContext& context, OpenMode mode, const QString& text);
    ~MidiEditView() override;

    // Shows why a text cannot be sent, on the progress page.
    void showTextProblem(const QString& description);
    void transmitMessage(const QString& text);
    // Stops the running transmission between two pieces.
    void cancelTransmittion();
    // What arrived or left: a monitor shows every record, an editor that is
    // receiving takes the System Exclusive messages.
    void receivedMessage(const MidiRecords& records);
    void takeRecords(const MidiRecords& records) override { receivedMessage(records); }
    void setReceivedMessageEnabled(bool enabled);
    // Monitors get monitor lines, editors System Exclusive text.
    bool isMonitor() const { return m_isMonitor; }

    // An editor's file: the one it was opened from or last saved to; empty
    // for none. Its name is in the window title ("System Exclusive —
    // bank.syx"), marked while the text differs from what was opened, saved
    // or restored.
    QString documentPath() const;
    void setDocumentPath(const QString& path);
    // The file name of documentPath, for a question about it.
    QString documentName() const;
    // An editor whose text changed since it was opened, saved or restored.
    bool hasUnsavedChanges() const;
    // Writes the text to the editor's file, or to one the user chooses when
    // it has none; false when cancelled or not written (the failure is shown).
    bool saveDocument();

    bool setDataStream(QDataStream& stream) override;
    bool getDataStream(QDataStream& stream) override;

public slots:
    void startTransmittion(quint32 size);
    void transmittionProgress(quint32 size);
    void finishTransmittion(bool result);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    MidiEditGeneralView* generalView() const;
    void updateTitle();
    // Counts the bytes of what was shown or taken on the progress page.
    void addCommunicated(const MidiRecords& records);
    MidiEditProgressView* progressView() const;

    bool m_receivedMessageEnabled;
    bool m_isMonitor;
    ViewContext m_context;
    TarvoModel* m_pModel;
    bool m_transmitting;
    QStackedLayout* m_pStackedLayout;
    MidiEditTransmittionThread* m_pTransmittionThread;
};
