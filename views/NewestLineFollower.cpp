#include "views/NewestLineFollower.h"

#include <QPlainTextEdit>
#include <QScrollBar>

NewestLineFollower::NewestLineFollower(QPlainTextEdit* text)
    : QObject(text), m_pScrollBar(text->verticalScrollBar()), m_following(true), m_changes(0)
{
    connect(m_pScrollBar, &QScrollBar::rangeChanged, this, &NewestLineFollower::rangeChanged);
    connect(m_pScrollBar, &QScrollBar::valueChanged, this, &NewestLineFollower::valueChanged);
}

void NewestLineFollower::follow()
{
    m_following = true;
    m_pScrollBar->setValue(m_pScrollBar->maximum());
}

bool NewestLineFollower::isAtEnd() const
{
    return m_pScrollBar->value() >= m_pScrollBar->maximum();
}

void NewestLineFollower::rangeChanged()
{
    // The range changes before a value beyond it is clamped: a view that
    // followed goes to the new end instead of being left above it.
    if (m_following) {
        m_pScrollBar->setValue(m_pScrollBar->maximum());
    }
}

void NewestLineFollower::valueChanged()
{
    if (m_changes == 0) {
        m_following = isAtEnd();
    }
}

NewestLineFollower::Change::Change(NewestLineFollower* follower)
    : m_pFollower(follower)
{
    ++m_pFollower->m_changes;
}

NewestLineFollower::Change::~Change()
{
    if (--m_pFollower->m_changes > 0) {
        return;
    }
    if (m_pFollower->m_following) {
        m_pFollower->follow();
    } else {
        m_pFollower->m_following = m_pFollower->isAtEnd();
    }
}
