#include "views/MidiEditTextView.h"

#include "model/TarvoModel.h"

#include <QContextMenuEvent>
#include <QFont>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMenu>
#include <QScopedPointer>

namespace {

// Family of the message text. Systems without it fall back to an installed
// fixed-pitch font through the style hint.
const char* const TarvoFontFamily = "Monaco";

const char* const ClearMenuText = QT_TRANSLATE_NOOP("MidiEditTextView", "&Clear");
const char* const NewMenuText = QT_TRANSLATE_NOOP("MidiEditTextView", "&New");
const char* const OpenMenuText = QT_TRANSLATE_NOOP("MidiEditTextView", "&Open...");
const char* const SaveMenuText = QT_TRANSLATE_NOOP("MidiEditTextView", "&Save...");
const char* const TransmitMenuText = QT_TRANSLATE_NOOP("MidiEditTextView", "&Transmit");
const char* const ReceiveMenuText = QT_TRANSLATE_NOOP("MidiEditTextView", "&Receive");
const char* const TransmitAndReceiveMenuText = QT_TRANSLATE_NOOP("MidiEditTextView", "&Transmit and Receive");
const char* const TransmitKeyText = QT_TRANSLATE_NOOP("MidiEditTextView", "F5");
const char* const ReceiveKeyText = QT_TRANSLATE_NOOP("MidiEditTextView", "F6");
const char* const TransmitAndReceiveKeyText = QT_TRANSLATE_NOOP("MidiEditTextView", "F7");

} // namespace

MidiEditTextView::MidiEditTextView(QWidget* parent, TarvoModel* model)
    : QPlainTextEdit(parent), m_pModel(model)
{
    QFont tarvoFont(TarvoFontFamily);
    tarvoFont.setStyleHint(QFont::Monospace);
    setFont(tarvoFont);

    connect(this, SIGNAL(transmitShortcutKeyPressed()), parent, SLOT(transmitMenuSelected()));
    connect(this, SIGNAL(receiveShorcutKeyPressed()), parent, SLOT(receiveMenuSelected()));
    connect(this, SIGNAL(transmitAndReceiveShortcutKeyPressed()), parent, SLOT(transmitAndReceiveMenuSelected()));
    connect(this, &QPlainTextEdit::textChanged, this, &MidiEditTextView::editTextChanged);
}

void MidiEditTextView::updateParameter(unsigned int)
{
}

void MidiEditTextView::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_F5:
        emit transmitShortcutKeyPressed();
        break;
    case Qt::Key_F6:
        emit receiveShorcutKeyPressed();
        break;
    case Qt::Key_F7:
        emit transmitAndReceiveShortcutKeyPressed();
        break;
    default:
        QPlainTextEdit::keyPressEvent(event);
        break;
    }
}

void MidiEditTextView::contextMenuEvent(QContextMenuEvent* event)
{
    if (m_pModel->getModelIntValue(TransmissionStateId) == TransmissionRunning && !isReadOnly()) {
        return;
    }
    QScopedPointer<QMenu> menu(createStandardContextMenu());
    menu->setContextMenuPolicy(Qt::CustomContextMenu);
    if (isReadOnly()) {
        menu->addAction(tr(ClearMenuText), this, SLOT(clearText()));
    } else {
        QWidget* generalView = parentWidget();
        menu->addSeparator();
        menu->addAction(tr(NewMenuText), generalView, SLOT(newMenuSelected()));
        menu->addAction(tr(OpenMenuText), generalView, SLOT(openMenuSelected()));
        menu->addAction(tr(SaveMenuText), generalView, SLOT(saveMenuSelected()));
        menu->addSeparator();
        menu->addAction(tr(TransmitMenuText), generalView, SLOT(transmitMenuSelected()),
                        QKeySequence(tr(TransmitKeyText)));
        menu->addAction(tr(ReceiveMenuText), generalView, SLOT(receiveMenuSelected()),
                        QKeySequence(tr(ReceiveKeyText)));
        menu->addAction(tr(TransmitAndReceiveMenuText), generalView, SLOT(transmitAndReceiveMenuSelected()),
                        QKeySequence(tr(TransmitAndReceiveKeyText)));
    }
    menu->exec(event->globalPos());
}

void MidiEditTextView::clearText()
{
    setPlainText(QString());
}

void MidiEditTextView::editTextChanged()
{
    if (isReadOnly()) {
        return;
    }
    if (m_pModel->getParameterEditFlag() == ParameterNotEdited) {
        m_pModel->setParameterEditFlag(ParameterEdited);
    }
}
