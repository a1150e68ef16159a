#pragma once

#include "model/ModelAssistant.h"

#include <QPlainTextEdit>

class QMenu;
class TarvoModel;

// The text area of the message editors and the monitors. The parent is the
// editor's general view: the function keys and the context menu reach its
// command slots (transmitMenuSelected, receiveMenuSelected,
// transmitAndReceiveMenuSelected, newMenuSelected, openMenuSelected,
// saveMenuSelected). A read-only view is a monitor.
class MidiEditTextView : public QPlainTextEdit, public ModelAssistant
{
    Q_OBJECT

public:
    MidiEditTextView(QWidget* parent, TarvoModel* model);

    // Never registered with the model; the commands check the model themselves.
    void updateParameter(unsigned int id) override;

signals:
    void transmitShortcutKeyPressed();
    void receiveShorcutKeyPressed();
    void transmitAndReceiveShortcutKeyPressed();
    // A monitor's menu, before it opens, for the monitor's own entries.
    void readOnlyMenuAboutToShow(QMenu* menu);
    void cleared();

public slots:
    void clearText();
    void editTextChanged();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    TarvoModel* m_pModel;
};
