#include "views/MidiEditTextView.h"

#include "model/TarvoModel.h"

#include <QContextMenuEvent>
#include <QFont>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMenu>
#include <QScopedPointer>
#include <QScrollBar>

namespace {

// Family of the message text where it is installed.
const char* const TarvoFontFamily = "Monaco";
// What the message text is made of: hexadecimal pairs and spaces.
const char* const HexTextCharacters = "0123456789ABCDEF ";

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

// Whether hexadecimal pairs line up in columns. Measured rather than taken
// from QFontInfo::fixedPitch: the platform's fixed font can be its general
// one (offscreen), and fontconfig leaves the pitch of some monospaced faces
// (Noto Sans Mono) undeclared.
bool alignsHexColumns(const QFont& font)
{
    const QFontMetricsF metrics(font);
    const qreal advance = metrics.horizontalAdvance(QLatin1Char(HexTextCharacters[0]));
    for (const char* character = HexTextCharacters; *character != '\0'; ++character) {
        if (metrics.horizontalAdvance(QLatin1Char(*character)) != advance) {
            return false;
        }
    }
    return true;
}

QFont fixedFont(const QString& family)
{
    QFont font(family);
    font.setStyleHint(QFont::Monospace);
    return font;
}

// Monaco where it is installed, else the system's fixed font, else the first
// installed fixed-pitch family whose hexadecimal text lines up.
QFont messageTextFont()
{
    QFontDatabase database;
    const QStringList families = database.families();
    if (families.contains(QLatin1String(TarvoFontFamily))) {
        return fixedFont(QLatin1String(TarvoFontFamily));
    }
    const QFont systemFixed = fixedFont(QFontDatabase::systemFont(QFontDatabase::FixedFont).family());
    if (alignsHexColumns(systemFixed)) {
        return systemFixed;
    }
    for (const QString& family : families) {
        if (database.isFixedPitch(family) && alignsHexColumns(fixedFont(family))) {
            return fixedFont(family);
        }
    }
    return systemFixed;
}

} // namespace

MidiEditTextView::MidiEditTextView(QWidget* parent, TarvoModel* model)
    : QPlainTextEdit(parent), m_pModel(model)
{
    // Looked up once: the font database is slow to ask, and every monitor
    // and editor at start-up would ask it again.
    static const QFont textFont = messageTextFont();
    setFont(textFont);

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
    // A monitor has no cursor to move: its ends are where the lines are.
    if (isReadOnly() && (event == QKeySequence::MoveToEndOfDocument || event == QKeySequence::MoveToStartOfDocument)) {
        verticalScrollBar()->triggerAction(event == QKeySequence::MoveToEndOfDocument ? QAbstractSlider::SliderToMaximum
                                                                                       : QAbstractSlider::SliderToMinimum);
        return;
    }
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
        emit readOnlyMenuAboutToShow(menu.data());
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
    emit cleared();
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
