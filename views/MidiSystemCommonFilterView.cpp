#include "views/MidiSystemCommonFilterView.h"

#include "controls/CheckBox.h"
#include "model/TarvoParameters.h"
#include "views/FilterPage.h"

#include <QGroupBox>

namespace {
const QSize MinimumPageSize(300, 220);
const int CheckBoxX = 10;
const int FirstCheckBoxY = 23;
} // namespace

MidiSystemCommonFilterView::MidiSystemCommonFilterView(QWidget* parent)
    : QWidget(parent)
{
    setMinimumSize(MinimumPageSize);
    const QString title = QString::fromLatin1(FilterSystemCommonGroupBoxName);
    QGroupBox* groupBox = FilterPage::createGroupBox(this, title, FilterPage::GroupBoxGeometry);
    for (int i = 0; i < FilterSystemCommonCount; ++i) {
        const QPoint pos(CheckBoxX, FirstCheckBoxY + FilterPage::CheckBoxSpacing * i);
        const QString text = QString::fromLatin1(FilterSystemCommonNameList[i]);
        m_checkBoxes.append(FilterPage::createCheckBox(groupBox, text, SystemCommonFilterFirstId + i, pos));
    }
    FilterPage::addAllAndNoneButtons(groupBox, this);
}

void MidiSystemCommonFilterView::releasedAllButton()
{
    FilterPage::setParameterValues(m_checkBoxes, 1);
}

void MidiSystemCommonFilterView::releasedNoneButton()
{
    FilterPage::setParameterValues(m_checkBoxes, 0);
}
