#pragma once

#include "model/ModelAssistant.h"
#include "views/MidiEditView.h"

#include <QWidget>

class MidiEditTextView;
class QToolBar;
class TarvoModel;

// The first page of a message view: the editor's tool bar above the text.
// Monitors have no tool bar and keep at most MonitorViewLineLimit lines.
class MidiEditGeneralView : public QWidget, public ModelAssistant
{
    Q_OBJECT

public:
    MidiEditGeneralView(MidiEditView* parent, TarvoModel* model, MidiEditView::OpenMode mode);
    ~MidiEditGeneralView() override;

    // Replaces the whole text.
    void setText(const QString& text);
    // Appends text; a reader who scrolled back is not pulled to the end.
    void insertText(const QString& text);
    // False when the text is empty.
    bool getText(QString& text);
    void minimalizeScrollAreaForMac();
    void updateParameter(unsigned int id) override;
    // Transmits the selection, or the whole text when nothing is selected.
    void transmitMidi();

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
    // A monitor's text cut to the lines that its limit keeps.
    QString newestLines(const QString& text) const;
    bool openReceivingEditor();
    // Puts text into this editor when it is empty, else into a new editor.
    void placeLoadedText(const QString& text, const QSize& size);
    void setDumpFileWorkingDirectory(const QString& path);

    MidiEditView* m_pEditView;
    MidiEditTextView* m_pTextView;
    int m_maximumLineCount;
    TarvoModel* m_pModel;
    QToolBar* m_pToolBar;
};
