#pragma once

#include <QColor>
#include <QList>
#include <QPair>
#include <QRect>
#include <QSizeF>
#include <QWidget>

// An on-screen piano keyboard of all 128 MIDI notes, played with the mouse.
// A plain press sounds a key while the button is held and a drag slides from
// key to key; with exactly the Ctrl modifier keys latch on and off. Every note
// on and off goes to the owner's callback.
class Keyboard : public QWidget
{
    Q_OBJECT

public:
    using NoteCallbackFunc = void (*)(void* context, unsigned char note, bool on);

    // Returned by noteNumber for a point on no key.
    static constexpr unsigned char NoNote = 255;
    static constexpr int NoteCount = 128;

    // A white key size of (0, 0) stands for 50 by 200.
    explicit Keyboard(QWidget* parent = nullptr, const QSizeF& whiteKeySize = QSizeF(0, 0));

    // Null removes the callback.
    void setNoteCallbackFunc(NoteCallbackFunc func, void* context);

    // Reports and marks the note, whether or not it already sounds.
    void noteOn(unsigned char note);
    void noteOff(unsigned char note);
    // Releases every sounding note, lowest first.
    void noteOnToOff();
    bool isAllNotOff() const;

    // The note under the point, black keys first since they lie on top;
    // isWhiteKey tells whether a white key was found. NoNote when none.
    unsigned char noteNumber(const QPoint& pos, bool& isWhiteKey) const;

    // Fill of a sounding key.
    void setOnColor(const QColor& color);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

    void buildKeys();
    void setNote(unsigned char note, bool on);

private:
    QColor m_onColor;
    QList<QPair<unsigned char, QRect>> m_whiteKeys;
    QList<QPair<unsigned char, QRect>> m_blackKeys;
    bool m_noteOn[NoteCount];
    NoteCallbackFunc m_noteCallback;
    void* m_pNoteCallbackContext;
    QSizeF m_whiteKeySize;
    // The last press or drag carried exactly the Ctrl modifier.
    bool m_holdMode;
};
