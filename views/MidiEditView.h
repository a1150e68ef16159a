#pragma once

#include "project/FileStream.h"
#include "views/WindowRestorationInfo.h"

#include <QWidget>

class MidiEditGeneralView;
class MidiEditProgressView;
class MidiEditTransmittionThread;
class QStackedLayout;
class TarvoModel;

// The window of a MIDI In Monitor, a MIDI Out Monitor or a message editor:
// hexadecimal MIDI text on the general page, and the progress page that
// shows a long transmission, data being received or a failure.
class MidiEditView : public QWidget, public WindowRestorationInfo, public FileStream
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

    MidiEditView(QWidget* parent, TarvoModel* model, OpenMode mode, const QString& text);
    ~MidiEditView() override;

    // Shows why a text cannot be sent, on the progress page.
    void showTextProblem(const QString& description);
    void transmitMessage(const QString& text);
    // Stops the running transmission between two pieces.
    void cancelTransmittion();
    // Data that arrived; size is the number of MIDI bytes the text stands for.
    // An In Monitor also takes the System Exclusive text of the same messages.
    void receivedMessage(const QString& text, unsigned int size,
                         const QByteArray& systemExclusiveText = QByteArray());
    // Appends text (the MIDI Out Monitor's lines).
    void setText(const QString& text);
    void setReceivedMessageEnabled(bool enabled);
    // Monitors get monitor lines, editors System Exclusive text.
    bool isMonitor() const { return m_isMonitor; }

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
    MidiEditProgressView* progressView() const;

    bool m_receivedMessageEnabled;
    bool m_isMonitor;
    TarvoModel* m_pModel;
    bool m_transmitting;
    QStackedLayout* m_pStackedLayout;
    MidiEditTransmittionThread* m_pTransmittionThread;
};
