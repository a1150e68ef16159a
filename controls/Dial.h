#pragma once

#include "model/ModelConnection.h"

#include <QColor>
#include <QDial>
#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QRectF>
#include <QSize>
#include <QString>

#include <memory>

class KnobModeFollower;
class LineEdit;
class TarvoModel;

// A rotary knob over a coloured meter ring, with its value written in the
// middle. It follows the mouse in the knob mode of the preference (see
// followKnobMode); a double click on the value opens an inline entry.
class Dial : public QDial, public ModelConnection
{
    Q_OBJECT

public:
    explicit Dial(QWidget* parent = nullptr);
    ~Dial() override;

    // Shows the parameter's value.
    void updateParameter(unsigned int id) override;

    QPoint getCenterPos() const;
    int getKnobRadius() const;
    // The knob square around the centre.
    QRect getRectangle() const;
    // The value text area, also the geometry of the inline entry.
    QRect getLineEditRect() const;
    // The knob square with m_arcMargin added.
    QRectF getMeterRectangle() const;

    // KnobModeCircle or KnobModeLinear.
    int knobMode() const;
    void setKnobMode(int knobMode);
    // Takes the model's knob mode now and whenever it changes.
    void followKnobMode(TarvoModel* model);
    // Written after the value.
    void setSuffix(const QString& suffix);
    // Size of the inline entry, centred on the dial.
    void setLineEditSize(const QSize& size);
    // Added to the knob square to give the meter ring's rectangle.
    void setArcMargin(const QMargins& margin);
    void setMeterStartColor(const QColor& color);
    void setMeterEndColor(const QColor& color);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

protected slots:
    void inputCompletion();

private:
    bool isEntryOpen() const;

    int m_knobMode;
    std::unique_ptr<KnobModeFollower> m_pKnobModeFollower;
    QString m_suffix;
    // The inline entry, created on the first double click on the value.
    LineEdit* m_pLineEdit;
    QSize m_lineEditSize;
    QMargins m_arcMargin;
    QColor m_meterStartColor;
    QColor m_meterEndColor;
    bool m_pressed;
    QPoint m_pressPos;
    int m_pressValue;
};
