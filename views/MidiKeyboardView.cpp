#include "views/MidiKeyboardView.h"

#include "engine/MidiSenderIF.h"
#include "controls/Keyboard.h"
#include "model/TarvoModel.h"
#include "project/ContentBlock.h"
#include "views/MidiKeyboardUpperView.h"
#include "views/MidiKeyboardViewScrollArea.h"
#include "views/ViewStyle.h"

#include <QScrollBar>
#include <QSizeF>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

const QSizeF WhiteKeySize(25, 100);
const QRect KeyboardRect(0, 0, 1875, 101);
// The keyboard and the horizontal scroll bar below it.
const QRect ScrollAreaRect(0, 0, 1875, 121);

const unsigned char KeyboardNoteOnMessage = 0x90;
const unsigned char KeyboardNoteOffMessage = 0x80;
const unsigned char KeyboardNotteOffVelocity = 0;
const unsigned short NoteMessageSize = 3;

} // namespace

MidiKeyboardView::MidiKeyboardView(QWidget* parent, const ViewContext& context)
    : QWidget(parent),
      m_pUpperView(new MidiKeyboardUpperView(nullptr)),
      m_pScrollArea(new MidiKeyboardViewScrollArea(nullptr, context.model)),
      m_pKeyboard(new Keyboard(nullptr, WhiteKeySize)),
      m_channel(0),
      m_pModel(context.model),
      m_pSender(context.sender)
{
    windowId = WindowIdKeyboard;

    auto* layout = new QVBoxLayout;
    layout->addWidget(m_pUpperView);
    connect(m_pUpperView->m_pChannelSpinBox, QOverload<int>::of(&QSpinBox::valueChanged), this,
            &MidiKeyboardView::noteChannelChanged);
    connect(m_pUpperView->m_pVelocitySpinBox, QOverload<int>::of(&QSpinBox::valueChanged), this,
            &MidiKeyboardView::velocityChanged);

    m_pKeyboard->setGeometry(KeyboardRect);
    m_pKeyboard->setNoteCallbackFunc(&MidiKeyboardView::noteCallback, this);
    m_pKeyboard->setOnColor(KeyboardOnColor);

    m_pScrollArea->setGeometry(ScrollAreaRect);
    m_pScrollArea->setFixedHeight(ScrollAreaRect.height());
    m_pScrollArea->setWidget(m_pKeyboard);
    layout->addWidget(m_pScrollArea);
    layout->setSpacing(0);
    layout->setContentsMargins(0, 0, 0, 0);
    setLayout(layout);

    m_channel = m_pUpperView->getChannel();
    m_pModel->setParameterEditFlag(ParameterEdited);
}

void MidiKeyboardView::noteCallback(void* context, unsigned char note, bool on)
{
    static_cast<MidiKeyboardView*>(context)->transmitNoteMessage(note, on);
}

bool MidiKeyboardView::transmitNoteMessage(unsigned char note, bool on)
{
    const unsigned char message[NoteMessageSize] = {
        static_cast<unsigned char>((on ? KeyboardNoteOnMessage : KeyboardNoteOffMessage) | m_channel),
        note,
        on ? m_pUpperView->getVelocity() : KeyboardNotteOffVelocity,
    };
    return m_pSender->transmitMidi(message, NoteMessageSize);
}

void MidiKeyboardView::noteChannelChanged(int /*value*/)
{
    // Held keys are released on the channel they sound on.
    m_pKeyboard->noteOnToOff();
    m_channel = m_pUpperView->getChannel();
    m_pModel->setParameterEditFlag(ParameterEdited);
}

void MidiKeyboardView::velocityChanged(int /*value*/)
{
    m_pModel->setParameterEditFlag(ParameterEdited);
}

void MidiKeyboardView::showEvent(QShowEvent* event)
{
    // Every show brings the middle of the keyboard into view.
    QScrollBar* bar = m_pScrollArea->horizontalScrollBar();
    bar->setValue((bar->maximum() - bar->minimum()) / 2);
    QWidget::showEvent(event);
}

void MidiKeyboardView::closeEvent(QCloseEvent* event)
{
    m_pKeyboard->noteOnToOff();
    m_pModel->setParameterEditFlag(ParameterEdited);
    QWidget::closeEvent(event);
}

bool MidiKeyboardView::setDataStream(QDataStream& stream)
{
    ContentValues content;
    if (!ContentBlock::read(windowId, stream, content)) {
        return false;
    }
    const QMap<int, int>& records = content.integers;
    if (records.contains(ContentBlock::KeyboardScrollPosition)) {
        m_pScrollArea->horizontalScrollBar()->setValue(records.value(ContentBlock::KeyboardScrollPosition));
    }
    if (records.contains(ContentBlock::KeyboardChannel)) {
        m_pUpperView->m_pChannelSpinBox->setValue(records.value(ContentBlock::KeyboardChannel));
    }
    if (records.contains(ContentBlock::KeyboardVelocity)) {
        m_pUpperView->m_pVelocitySpinBox->setValue(records.value(ContentBlock::KeyboardVelocity));
    }
    return true;
}

bool MidiKeyboardView::getDataStream(QDataStream& stream)
{
    ContentValues content;
    content.integers = {{ContentBlock::KeyboardScrollPosition, m_pScrollArea->horizontalScrollBar()->value()},
                        {ContentBlock::KeyboardChannel, m_pUpperView->m_pChannelSpinBox->value()},
                        {ContentBlock::KeyboardVelocity, m_pUpperView->m_pVelocitySpinBox->value()}};
    return ContentBlock::write(windowId, content, stream);
}
