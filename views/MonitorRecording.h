#pragma once

#include "services/MidiRecorder.h"
#include "views/ViewContext.h"

#include <QObject>
#include <QString>
#include <QTimer>

class MonitorStatusLine;
class QAction;
class QMenu;
class QWidget;

// Records what the MIDI In Monitor receives to a Standard MIDI File: "Record..."
// asks for the file, "Stop Recording" writes it whole; the monitor's foot
// shows the recording's length, its events and what it lost while it runs.
// A file that cannot be written keeps the recording, to be saved elsewhere
// or discarded. Closing the monitor ends a recording and saves it.
class MonitorRecording : public QObject
{
    Q_OBJECT

public:
    MonitorRecording(QWidget* view, const ViewContext& context, MonitorStatusLine* statusLine);

    bool isRecording() const { return m_recording; }
    // Whether a recording that could not be written waits to be saved.
    bool isKept() const { return m_kept; }
    // What arrived, whether or not the monitor shows it.
    void take(const MidiRecords& records);
    void addMenuEntries(QMenu* menu);

public slots:
    // Record... or Stop Recording, whichever applies.
    void toggle();
    void saveAs();
    void discard();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void start();
    void stop();
    // True when the file was written.
    bool save(const QString& path);
    QString chooseFile(const char* caption);
    void showState();

    QWidget* m_pView;
    ViewContext m_context;
    MonitorStatusLine* m_pStatusLine;
    MidiRecorder m_recorder;
    QString m_path;
    qint64 m_end;
    bool m_recording;
    bool m_kept;
    QTimer m_clock;
    QAction* m_pRecordAction;
    QAction* m_pSaveAction;
    QAction* m_pDiscardAction;
};
