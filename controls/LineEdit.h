#pragma once

#include <QLineEdit>
#include <QString>

// The line edit for typing a value into a dial or a display. On Enter or on
// leaving it, the text is settled against its integer validator and
// editingFinished() is emitted.
class LineEdit : public QLineEdit
{
    Q_OBJECT

public:
    explicit LineEdit(const QString& text, QWidget* parent = nullptr);

    // Clamps a number to the validator's range, puts the original text back
    // for anything else, then emits editingFinished() unless the text is empty.
    void decide();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

    QString m_originalText;
};
