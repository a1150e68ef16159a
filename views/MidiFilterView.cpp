#include "views/MidiFilterView.h"

#include "controls/CheckBox.h"
#include "controls/PushButton.h"
#include "model/TarvoModel.h"
#include "views/FilterPage.h"
#include "views/MidiControlChangeFilterView.h"
#include "views/MidiFilterTexts.h"
#include "views/MidiSystemCommonFilterView.h"
#include "views/MidiSystemRealtimeFilterView.h"
#include "views/UnstyledCheckBox.h"

#include <QGroupBox>
#include <QLabel>
#include <QStackedWidget>

namespace {

const QSize ViewSize(650, 268);

const QRect ChannelBoxGeometry(10, 10, 120, 245);
const QSize ChannelButtonSize(50, 23);
const int ChannelButtonsPerColumn = 8;
const int ChannelColumnX[] = {10, 60};
const int FirstChannelButtonY = 20;
const int ChannelButtonSpacing = 24;
const QRect ChannelAllButtonGeometry(8, 214, 55, 23);
const QRect ChannelNoneButtonGeometry(58, 214, 55, 23);

const QRect MessageBoxGeometry(150, 10, 180, 245);
const int MessageCheckBoxX = 10;
const int FirstMessageCheckBoxY = 23;

const QRect DetailStackGeometry(350, 10, 330, 245);
// The hint below the boxes.
const int HintTop = 258;
const int HintMargin = 10;
// Room between the longest detail label and its ">" button.
const int DetailButtonGap = 4;
enum DetailPage {
    ControlChangePage = 0,
    SystemCommonPage = 1,
    SystemRealtimePage = 2,
};

// The message entries that stand for a detail page: a label with a ">"
// button that shows the page.
struct DetailEntry {
    int messageIndex;
    QRect buttonGeometry;
    void (MidiFilterView::*slot)();
};
const DetailEntry DetailEntries[] = {
    {3, QRect(130, 85, 50, 23), &MidiFilterView::releasedControlChangeButton},
    {8, QRect(130, 195, 50, 23), &MidiFilterView::releasedSystemCommonButton},
    {9, QRect(130, 217, 50, 23), &MidiFilterView::releasedSystemRealtimeButton},
};

} // namespace

MidiFilterView::MidiFilterView(QWidget* parent, TarvoModel* model)
    : QWidget(parent), CommonViewHelper(model), m_pDetailStack(nullptr)
{
    windowId = WindowIdFilter;
    createChannelBox();
    const int widening = createMessageBox();
    createDetailStack(widening);
    const int width = ViewSize.width() + widening;
    auto* hint = new QLabel(QString::fromLatin1(FilterHintText), this);
    hint->setWordWrap(true);
    const int hintWidth = width - 2 * HintMargin;
    hint->setGeometry(HintMargin, HintTop, hintWidth, hint->heightForWidth(hintWidth));
    setFixedSize(width, qMax(ViewSize.height(), hint->geometry().bottom() + 1 + HintMargin));
    connectModel(this);
}

void MidiFilterView::createChannelBox()
{
    QGroupBox* box = FilterPage::createGroupBox(this, QString::fromLatin1(FilterChannelText), ChannelBoxGeometry);
    for (int n = 0; n < static_cast<int>(ChannelFilterCount); ++n) {
        auto* button = new PushButton(box);
        button->setText(QString::number(n + 1));
        button->setCheckable(true);
        button->setGeometry(QRect(QPoint(ChannelColumnX[n / ChannelButtonsPerColumn],
                                         FirstChannelButtonY + ChannelButtonSpacing * (n % ChannelButtonsPerColumn)),
                                  ChannelButtonSize));
        button->setParameterId(ChannelFilterFirstId + n);
        m_channelButtons.append(button);
    }
    QPushButton* all = FilterPage::createButton(box, QString::fromLatin1(FilterAllText), ChannelAllButtonGeometry);
    connect(all, &QPushButton::released, this, &MidiFilterView::releasedAllButton);
    QPushButton* none = FilterPage::createButton(box, QString::fromLatin1(FilterNoneText), ChannelNoneButtonGeometry);
    connect(none, &QPushButton::released, this, &MidiFilterView::releasedNoneButton);
}

int MidiFilterView::createMessageBox()
{
    QGroupBox* box = FilterPage::createGroupBox(this, QString::fromLatin1(FilterMessageText), MessageBoxGeometry);
    for (int i = 0; i < MIDIFilterCount; ++i) {
        const QPoint pos(MessageCheckBoxX, FirstMessageCheckBoxY + FilterPage::CheckBoxSpacing * i);
        const QString text = QString::fromLatin1(MIDIFilterNameList[i]);
        m_messageCheckBoxes.append(FilterPage::createCheckBox(box, text, MessageFilterFirstId + i, pos));
    }
    // A font wider than the one the layout was drawn for moves the ">" buttons
    // right of the longest label, and the box and what follows it with them.
    int widening = 0;
    for (const DetailEntry& entry : DetailEntries) {
        const CheckBox* label = m_messageCheckBoxes.at(entry.messageIndex);
        widening = qMax(widening, label->geometry().right() + DetailButtonGap - entry.buttonGeometry.left());
    }
    box->setMinimumWidth(MessageBoxGeometry.width() + widening);
    box->resize(box->minimumSize());
    for (const DetailEntry& entry : DetailEntries) {
        CheckBox* label = m_messageCheckBoxes.at(entry.messageIndex);
        // The check box owns its style, so the style outlives every use by it.
        auto* style = new UnstyledCheckBox;
        style->setParent(label);
        label->setStyle(style);
        label->setFocusPolicy(Qt::NoFocus);
        const QString arrow = QString::fromLatin1(FilterRightArrow);
        QPushButton* button = FilterPage::createButton(box, arrow, entry.buttonGeometry.translated(widening, 0));
        connect(button, &QPushButton::released, this, entry.slot);
    }
    return widening;
}

void MidiFilterView::createDetailStack(int widening)
{
    m_pDetailStack = new QStackedWidget(this);
    m_pDetailStack->setGeometry(DetailStackGeometry.translated(widening, 0));
    m_pDetailStack->addWidget(new MidiControlChangeFilterView(m_pDetailStack));
    m_pDetailStack->addWidget(new MidiSystemCommonFilterView(m_pDetailStack));
    m_pDetailStack->addWidget(new MidiSystemRealtimeFilterView(m_pDetailStack));
    m_pDetailStack->setCurrentIndex(ControlChangePage);
}

void MidiFilterView::releasedControlChangeButton()
{
    m_pDetailStack->setCurrentIndex(ControlChangePage);
}

void MidiFilterView::releasedSystemCommonButton()
{
    m_pDetailStack->setCurrentIndex(SystemCommonPage);
}

void MidiFilterView::releasedSystemRealtimeButton()
{
    m_pDetailStack->setCurrentIndex(SystemRealtimePage);
}

void MidiFilterView::releasedAllButton()
{
    FilterPage::setParameterValues(m_channelButtons, 1);
}

void MidiFilterView::releasedNoneButton()
{
    FilterPage::setParameterValues(m_channelButtons, 0);
}
