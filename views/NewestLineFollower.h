#pragma once

#include <QObject>

class QPlainTextEdit;
class QScrollBar;

// Keeps a text view at its newest line for as long as the reader leaves it
// there. Whether it follows is decided when the view scrolls, not when lines
// arrive: a resize, a tiled or cascaded window or a find bar changes the
// scroll bar's range without the reader moving, and a view that was at the
// end stays at the end through it.
class NewestLineFollower : public QObject
{
    Q_OBJECT

public:
    explicit NewestLineFollower(QPlainTextEdit* text);

    bool isFollowing() const { return m_following; }
    // Goes to the newest line and follows from there on.
    void follow();
    // Stays where the view is, for a line the reader was shown.
    void stay() { m_following = false; }

    // While the owner itself changes the text: the scroll bar's moves in the
    // meantime are nobody's choice. A view that followed is at the newest
    // line afterwards; one that did not follows again only when the owner
    // left it at the end.
    class Change
    {
    public:
        explicit Change(NewestLineFollower* follower);
        ~Change();
        Change(const Change&) = delete;
        Change& operator=(const Change&) = delete;

    private:
        NewestLineFollower* m_pFollower;
    };

private:
    void rangeChanged();
    void valueChanged();
    bool isAtEnd() const;

    QScrollBar* m_pScrollBar;
    bool m_following;
    int m_changes;
};
