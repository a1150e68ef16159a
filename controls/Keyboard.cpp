#include "controls/Keyboard.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <iterator>

namespace {

const QSizeF DefaultWhiteKeySize(50.0, 200.0);
constexpr int WhiteKeyCount = 75;
constexpr int KeysPerOctave = 7;
constexpr int NotesPerOctave = 12;
// Offsets in the octave of the white keys C D E F G A B, and of the black key
// to the right of each (none after E and B).
constexpr int WhiteKeyOffsets[KeysPerOctave] = {0, 2, 4, 5, 7, 9, 11};
constexpr int NoBlackKey = -1;
constexpr int BlackKeyOffsets[KeysPerOctave] = {1, 3, NoBlackKey, 6, 8, 10, NoBlackKey};
// Black key size relative to the white key, in single precision (11/23, 19/30).
constexpr double BlackKeyWidthRatio = 0.47826087474823;
constexpr double BlackKeyHeightRatio = 0.6333333253860474;

// The octave label sits in the lower quarter of each C key.
const QString OctaveLabelNote = QStringLiteral("C");
constexpr int LowestOctave = -2;
constexpr double LabelTopRatio = 0.75;
constexpr int LabelHeight = 20;

// Press and drag with exactly this modifier latch keys.
constexpr Qt::KeyboardModifiers HoldModifiers = Qt::ControlModifier;

QPoint roundedPosition(const QMouseEvent* event)
{
    return event->localPos().toPoint();
}

} // namespace

Keyboard::Keyboard(QWidget* parent, const QSizeF& whiteKeySize)
    : QWidget(parent),
      m_onColor(Qt::transparent),
      m_noteOn{},
      m_noteCallback(nullptr),
      m_pNoteCallbackContext(nullptr),
      m_whiteKeySize(whiteKeySize.width() == 0.0 && whiteKeySize.height() == 0.0 ? DefaultWhiteKeySize
                                                                                  : whiteKeySize),
      m_holdMode(false)
{
    setAutoFillBackground(true);
    buildKeys();
}

void Keyboard::setNoteCallbackFunc(NoteCallbackFunc func, void* context)
{
    m_noteCallback = func;
    m_pNoteCallbackContext = context;
}

void Keyboard::setOnColor(const QColor& color)
{
    m_onColor = color;
    update();
}

void Keyboard::noteOn(unsigned char note)
{
    setNote(note, true);
}

void Keyboard::noteOff(unsigned char note)
{
    setNote(note, false);
}

void Keyboard::noteOnToOff()
{
    for (int note = 0; note < NoteCount; ++note) {
        if (m_noteOn[note]) {
            noteOff(static_cast<unsigned char>(note));
        }
    }
}

bool Keyboard::isAllNotOff() const
{
    return std::none_of(std::begin(m_noteOn), std::end(m_noteOn), [](bool on) { return on; });
}

unsigned char Keyboard::noteNumber(const QPoint& pos, bool& isWhiteKey) const
{
    isWhiteKey = false;
    for (const auto& key : m_blackKeys) {
        if (key.second.contains(pos)) {
            return key.first;
        }
    }
    for (const auto& key : m_whiteKeys) {
        if (key.second.contains(pos)) {
            isWhiteKey = true;
            return key.first;
        }
    }
    return NoNote;
}

void Keyboard::mousePressEvent(QMouseEvent* event)
{
    bool isWhiteKey = false;
    const unsigned char note = noteNumber(roundedPosition(event), isWhiteKey);
    if (note == NoNote) {
        event->ignore();
        return;
    }
    m_holdMode = event->modifiers() == HoldModifiers;
    if (m_holdMode) {
        setNote(note, !m_noteOn[note]);
    } else if (!isAllNotOff()) {
        // A plain press first silences what sounds; it plays nothing itself.
        noteOnToOff();
    } else {
        noteOn(note);
    }
    update();
    event->accept();
}

void Keyboard::mouseMoveEvent(QMouseEvent* event)
{
    bool isWhiteKey = false;
    const unsigned char note = noteNumber(roundedPosition(event), isWhiteKey);
    if (note == NoNote || m_noteOn[note]) {
        event->ignore();
        return;
    }
    m_holdMode = event->modifiers() == HoldModifiers;
    if (!m_holdMode && !isAllNotOff()) {
        // A glissando releases each key before the next one sounds, at the
        // following move.
        noteOnToOff();
    } else {
        noteOn(note);
    }
    event->accept();
}

void Keyboard::mouseReleaseEvent(QMouseEvent* event)
{
    if (!m_holdMode) {
        noteOnToOff();
    }
    event->accept();
}

void Keyboard::paintEvent(QPaintEvent*)
{
    const int whiteWidth = static_cast<int>(m_whiteKeySize.width());
    const int labelTop = static_cast<int>(m_whiteKeySize.height() * LabelTopRatio);
    QPainter painter(this);
    painter.setPen(Qt::black);
    for (int i = 0; i < m_whiteKeys.size(); ++i) {
        const auto& key = m_whiteKeys.at(i);
        painter.setBrush(m_noteOn[key.first] ? m_onColor : QColor(Qt::white));
        painter.drawRect(key.second);
        if (i % KeysPerOctave == 0) {
            const QRect labelRect(static_cast<int>(i * m_whiteKeySize.width()), labelTop, whiteWidth, LabelHeight);
            painter.drawText(labelRect, Qt::AlignCenter,
                             OctaveLabelNote + QString::number(i / KeysPerOctave + LowestOctave));
        }
    }
    for (const auto& key : m_blackKeys) {
        painter.setBrush(m_noteOn[key.first] ? m_onColor : QColor(Qt::black));
        painter.drawRect(key.second);
    }
}

void Keyboard::buildKeys()
{
    const double whiteWidth = m_whiteKeySize.width();
    const double whiteHeight = m_whiteKeySize.height();
    for (int i = 0; i < WhiteKeyCount; ++i) {
        const int note = (i / KeysPerOctave) * NotesPerOctave + WhiteKeyOffsets[i % KeysPerOctave];
        m_whiteKeys.append(qMakePair(static_cast<unsigned char>(note),
                                     QRect(static_cast<int>(i * whiteWidth), 0, static_cast<int>(whiteWidth),
                                           static_cast<int>(whiteHeight))));
    }
    // Each black key is centred on the boundary between white keys i and i + 1.
    const double blackWidth = whiteWidth * BlackKeyWidthRatio;
    const int blackHeight = static_cast<int>(whiteHeight * BlackKeyHeightRatio);
    for (int i = 0; i < WhiteKeyCount - 1; ++i) {
        const int offset = BlackKeyOffsets[i % KeysPerOctave];
        if (offset == NoBlackKey) {
            continue;
        }
        const int note = (i / KeysPerOctave) * NotesPerOctave + offset;
        m_blackKeys.append(qMakePair(static_cast<unsigned char>(note),
                                     QRect(static_cast<int>((i + 1) * whiteWidth - blackWidth * 0.5), 0,
                                           static_cast<int>(blackWidth), blackHeight)));
    }
}

void Keyboard::setNote(unsigned char note, bool on)
{
    // Only MIDI note numbers have a key; anything else is not ours to mark.
    if (note >= NoteCount) {
        return;
    }
    if (m_noteCallback != nullptr) {
        m_noteCallback(m_pNoteCallbackContext, note, on);
    }
    m_noteOn[note] = on;
    update();
}
