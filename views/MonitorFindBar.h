#pragma once

#include <QTextCursor>
#include <QWidget>

class NewestLineFollower;
class QLabel;
class QLineEdit;
class QPlainTextEdit;

// Finds text in a monitor's lines: every match in sight is highlighted, the
// current one more strongly, and the bar counts the matches. Only the lines
// in sight are looked at for highlighting, so long histories stay smooth.
// A match holds the view in place; a monitor that followed its newest line
// when the bar opened follows it again when the bar closes.
class MonitorFindBar : public QWidget
{
    Q_OBJECT

public:
    MonitorFindBar(QPlainTextEdit* text, NewestLineFollower* follower, QWidget* parent);

    // Shows the bar with its text selected for typing.
    void open();
    // The next and the previous match, wrapping around; open() without a text.
    void findNext();
    void findPrevious();
    // After the lines changed or moved.
    void refreshHighlights();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void step(bool backward);
    void termChanged();
    void close();
    // "3 of 12" for the current match. The matches are counted over every
    // line when the lines or the text changed, else steppedIndex, where a
    // step from the previous match leads, is the current one's number.
    void updateCount(int steppedIndex);

    QPlainTextEdit* m_pText;
    NewestLineFollower* m_pFollower;
    bool m_followedAtOpen;
    // Kept apart: while the text view is destroyed its viewport still sends
    // events, and the view may no longer be asked for it.
    QWidget* m_pViewport;
    QLineEdit* m_pEdit;
    QLabel* m_pCount;
    QTextCursor m_current;
    int m_matchCount;
    int m_matchIndex;
    // The document revision and text that m_matchCount counts; -1 for none.
    int m_countedRevision;
    QString m_countedTerm;
};
