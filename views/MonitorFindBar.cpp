#include "views/MonitorFindBar.h"

#include "views/NewestLineFollower.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>

namespace {

const char* const FindPlaceholderText = QT_TRANSLATE_NOOP("MonitorFindBar", "Find");
const char* const CountText = QT_TRANSLATE_NOOP("MonitorFindBar", "%1 of %2");
const char* const NoMatchText = QT_TRANSLATE_NOOP("MonitorFindBar", "no match");
const QColor MatchBackground(255, 214, 10);
const QColor CurrentMatchBackground(255, 120, 30);
const QColor MatchForeground(Qt::black);

} // namespace

MonitorFindBar::MonitorFindBar(QPlainTextEdit* text, NewestLineFollower* follower, QWidget* parent)
    : QWidget(parent)
    , m_pText(text)
    , m_pFollower(follower)
    , m_followedAtOpen(false)
    , m_pViewport(text->viewport())
    , m_pEdit(new QLineEdit(this))
    , m_pCount(new QLabel(this))
    , m_matchCount(0)
    , m_matchIndex(0)
    , m_countedRevision(-1)
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_pEdit->setPlaceholderText(tr(FindPlaceholderText));
    m_pEdit->setClearButtonEnabled(true);
    m_pEdit->installEventFilter(this);
    layout->addWidget(m_pEdit, 1);
    layout->addWidget(m_pCount);
    connect(m_pEdit, &QLineEdit::textChanged, this, &MonitorFindBar::termChanged);
    connect(m_pText->verticalScrollBar(), &QScrollBar::valueChanged, this, &MonitorFindBar::refreshHighlights);
    m_pViewport->installEventFilter(this);
    hide();
}

void MonitorFindBar::open()
{
    if (isHidden()) {
        m_followedAtOpen = m_pFollower->isFollowing();
    }
    show();
    m_pEdit->setFocus(Qt::ShortcutFocusReason);
    m_pEdit->selectAll();
    refreshHighlights();
}

void MonitorFindBar::close()
{
    hide();
    m_pText->setFocus(Qt::OtherFocusReason);
    if (m_followedAtOpen) {
        m_pFollower->follow();
    }
    refreshHighlights();
}

void MonitorFindBar::findNext()
{
    step(false);
}

void MonitorFindBar::findPrevious()
{
    step(true);
}

void MonitorFindBar::termChanged()
{
    // A new text is looked for from where the current match begins.
    if (!m_current.isNull()) {
        m_current.setPosition(m_current.selectionStart());
    }
    if (m_pEdit->text().isEmpty()) {
        m_current = QTextCursor();
        m_pCount->clear();
        refreshHighlights();
        return;
    }
    step(false);
}

void MonitorFindBar::step(bool backward)
{
    const QString term = m_pEdit->text();
    if (isHidden() || term.isEmpty()) {
        open();
        return;
    }
    QTextDocument* document = m_pText->document();
    const QTextDocument::FindFlags flags = backward ? QTextDocument::FindBackward : QTextDocument::FindFlags();
    QTextCursor from = m_current.isNull() ? m_pText->textCursor() : m_current;
    if (backward && from.hasSelection()) {
        from.setPosition(from.selectionStart());
    }
    QTextCursor found = document->find(term, from, flags);
    if (found.isNull()) {
        QTextCursor wrap(document);
        wrap.movePosition(backward ? QTextCursor::End : QTextCursor::Start);
        found = document->find(term, wrap, flags);
    }
    const bool wrapped = !m_current.isNull() && !found.isNull()
        && (backward ? found.selectionStart() >= m_current.selectionStart()
                     : found.selectionStart() <= m_current.selectionStart());
    const bool stepped = !m_current.isNull() && !found.isNull() && found.selectionStart() != m_current.selectionStart();
    m_current = found;
    if (!found.isNull()) {
        m_pFollower->stay();
        QTextCursor place(found);
        place.setPosition(found.selectionStart());
        m_pText->setTextCursor(place);
        m_pText->ensureCursorVisible();
    }
    updateCount(!stepped ? m_matchIndex : wrapped ? (backward ? m_matchCount : 1) : m_matchIndex + (backward ? -1 : 1));
    refreshHighlights();
}

void MonitorFindBar::updateCount(int steppedIndex)
{
    const QString term = m_pEdit->text();
    QTextDocument* document = m_pText->document();
    if (document->revision() == m_countedRevision && term == m_countedTerm) {
        m_matchIndex = steppedIndex;
    } else {
        // Positions in the plain text are positions in the document.
        const QString text = document->toPlainText();
        const int current = m_current.isNull() ? -1 : m_current.selectionStart();
        m_matchCount = 0;
        m_matchIndex = 0;
        for (int at = text.indexOf(term, 0, Qt::CaseInsensitive); at >= 0;
             at = text.indexOf(term, at + term.size(), Qt::CaseInsensitive)) {
            ++m_matchCount;
            if (at <= current) {
                m_matchIndex = m_matchCount;
            }
        }
        m_countedRevision = document->revision();
        m_countedTerm = term;
    }
    m_pCount->setText(m_matchCount == 0 ? tr(NoMatchText) : tr(CountText).arg(m_matchIndex).arg(m_matchCount));
}

void MonitorFindBar::refreshHighlights()
{
    QList<QTextEdit::ExtraSelection> selections;
    const QString term = m_pEdit->text();
    if (isVisible() && !term.isEmpty()) {
        QTextCharFormat match;
        match.setBackground(MatchBackground);
        match.setForeground(MatchForeground);
        QTextCharFormat current(match);
        current.setBackground(CurrentMatchBackground);
        const int currentStart = m_current.isNull() ? -1 : m_current.selectionStart();
        const QTextBlock last = m_pText->cursorForPosition(QPoint(0, m_pText->viewport()->height())).block();
        for (QTextBlock block = m_pText->cursorForPosition(QPoint(0, 0)).block(); block.isValid();
             block = block.next()) {
            const QString text = block.text();
            for (int at = text.indexOf(term, 0, Qt::CaseInsensitive); at >= 0;
                 at = text.indexOf(term, at + term.size(), Qt::CaseInsensitive)) {
                QTextEdit::ExtraSelection selection;
                selection.cursor = QTextCursor(block);
                selection.cursor.setPosition(block.position() + at);
                selection.cursor.setPosition(block.position() + at + term.size(), QTextCursor::KeepAnchor);
                selection.format = block.position() + at == currentStart ? current : match;
                selections.append(selection);
            }
            if (block == last) {
                break;
            }
        }
    }
    if (!selections.isEmpty() || !m_pText->extraSelections().isEmpty()) {
        m_pText->setExtraSelections(selections);
    }
}

bool MonitorFindBar::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_pViewport) {
        if (event->type() == QEvent::Resize) {
            refreshHighlights();
        }
        return false;
    }
    if (watched == m_pEdit && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        switch (key->key()) {
        case Qt::Key_Escape:
            close();
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            step(key->modifiers() & Qt::ShiftModifier);
            return true;
        default:
            break;
        }
    }
    return false;
}
