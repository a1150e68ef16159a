#pragma once

#include <QPixmap>
#include <QRect>
#include <QWidget>

class LineEdit;
class PushButton;

// A three-digit number drawn from a strip of digit images, with up and down
// buttons at its right edge, wheel (a notch a step) and arrow key stepping,
// and an inline entry that a digit typed, Enter or a double click opens. It
// is not bound to the model: owners listen to valueChanged.
class SevenSegment : public QWidget
{
    Q_OBJECT

public:
    explicit SevenSegment(QWidget* parent = nullptr);
    ~SevenSegment() override;

    int value() const;
    // Shows the value as given (bounds apply to stepping and entry only).
    void setValue(int value);
    // Adds the step, limited to m_minimum .. m_maximum.
    void addStepToValue(int step);

    void setIncreaseButtonPixmap(const QPixmap& pixmap);
    void setDecreaseButtonPixmap(const QPixmap& pixmap);
    void setIncreaseButtonGeometry(const QRect& rect);
    void setDecreaseButtonGeometry(const QRect& rect);

    bool isVisibleLineEdit() const;

    // Ten equal digit images, 0 to 9, side by side.
    const QPixmap& digitPixmap() const;
    void setDigitPixmap(const QPixmap& pixmap);
    // Bounds of stepping and of the inline entry.
    void setRange(int minimum, int maximum);

signals:
    void valueChanged(int value);

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

protected slots:
    void inputCompletion();
    void increase();
    void decrease();

private:
    // The inline entry over the digits, holding text.
    void openEntry(const QString& text);
    // The entry with the value, selected for typing over.
    void openEntryWithValue();
    int boundedValue(double value) const;
    // Stores, repaints and reports a value that differs from the shown one.
    void changeValue(int value);

    QPixmap m_digitPixmap;
    int m_minimum;
    int m_maximum;
    LineEdit* m_pLineEdit;
    int m_value;
    PushButton* m_pIncreaseButton;
    PushButton* m_pDecreaseButton;
    // Fraction of a wheel step carried to the next wheel event.
    double m_wheelRemainder;
};
