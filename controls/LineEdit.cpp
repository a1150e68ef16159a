#include "controls/LineEdit.h"

#include <QApplication>
#include <QFocusEvent>
#include <QIntValidator>
#include <QKeyEvent>

LineEdit::LineEdit(const QString& text, QWidget* parent)
    : QLineEdit(text, parent), m_originalText(text)
{
    setAttribute(Qt::WA_MacShowFocusRect, false);
}

void LineEdit::decide()
{
    if (const auto* validator = qobject_cast<const QIntValidator*>(this->validator())) {
        bool isNumber = false;
        const int value = text().toInt(&isNumber, 10);
        if (!isNumber) {
            setText(m_originalText);
        } else if (value <= validator->bottom()) {
            setText(QString::number(validator->bottom(), 10));
        } else if (value >= validator->top()) {
            setText(QString::number(validator->top(), 10));
        }
    }
    if (!text().isEmpty()) {
        emit editingFinished();
    }
}

void LineEdit::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        decide();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void LineEdit::focusOutEvent(QFocusEvent* event)
{
    // Opening its own context menu does not end the entry.
    const QWidget* popup = QApplication::activePopupWidget();
    const bool ownPopup = event->reason() == Qt::PopupFocusReason && popup != nullptr
                          && popup->parentWidget() == this;
    if (!ownPopup) {
        decide();
    }
    QLineEdit::focusOutEvent(event);
}
