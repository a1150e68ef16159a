#include "views/MidiControlChangeFilterView.h"

#include "controls/CheckBox.h"
#include "model/TarvoParameters.h"
#include "services/ControlChangeNameList.h"
#include "views/FilterPage.h"

#include <QGroupBox>
#include <QPalette>
#include <QScrollArea>

static_assert(ControlChangeCount == static_cast<int>(ControlChangeFilterCount), "one parameter per controller");

namespace {
const QSize MinimumPageSize(300, 230);
const QRect ScrollAreaGeometry(0, 20, 210, 221);
const QSize ContentSize(190, 2820);
const int CheckBoxX = 10;
const int FirstCheckBoxY = 3;
} // namespace

MidiControlChangeFilterView::MidiControlChangeFilterView(QWidget* parent)
    : QWidget(parent)
{
    setMinimumSize(MinimumPageSize);
    QGroupBox* groupBox = FilterPage::createGroupBox(
        this, QString::fromLatin1(FilterControlChangeGroupBoxName), FilterPage::GroupBoxGeometry);

    auto* scrollArea = new QScrollArea(groupBox);
    scrollArea->setGeometry(ScrollAreaGeometry);
    scrollArea->setFrameStyle(0);
    // The group box shows through around the check boxes.
    QPalette palette = scrollArea->palette();
    palette.setColor(QPalette::All, QPalette::Window, QColor(0, 0, 0, 0));
    scrollArea->setPalette(palette);
    scrollArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    auto* content = new QWidget;
    content->resize(ContentSize);
    for (int i = 0; i < ControlChangeCount; ++i) {
        const QPoint pos(CheckBoxX, FirstCheckBoxY + FilterPage::CheckBoxSpacing * i);
        const QString text = QString::fromLatin1(ControlChangeNameList[i]);
        m_checkBoxes.append(FilterPage::createCheckBox(content, text, ControlChangeFilterFirstId + i, pos));
    }
    scrollArea->setWidget(content);

    FilterPage::addAllAndNoneButtons(groupBox, this);
}

void MidiControlChangeFilterView::releasedAllButton()
{
    FilterPage::setParameterValues(m_checkBoxes, 1);
}

void MidiControlChangeFilterView::releasedNoneButton()
{
    FilterPage::setParameterValues(m_checkBoxes, 0);
}
