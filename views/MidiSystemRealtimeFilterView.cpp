#include "views/MidiSystemRealtimeFilterView.h"

#include "controls/CheckBox.h"
#include "model/TarvoParameters.h"
#include "views/FilterPage.h"

#include <QGroupBox>

namespace {
const QSize MinimumPageSize(300, 220);
const int CheckBoxX = 10;
const int FirstCheckBoxY = 23;
} // namespace

MidiSystemRealtimeFilterView::MidiSystemRealtimeFilterView(QWidget* parent)
    : QWidget(parent)
{
    setMinimumSize(MinimumPageSize);
    const QString title = QString::fromLatin1(FilterSystemRealtimeGroupBoxName);
    QGroupBox* groupBox = FilterPage::createGroupBox(this, title, FilterPage::GroupBoxGeometry);
    for (int i = 0; i < FilterSystemRealtimeCount; ++i) {
        const QPoint pos(CheckBoxX, FirstCheckBoxY + FilterPage::CheckBoxSpacing * i);
        const QString text = QString::fromLatin1(FilterSystemRealtimeNameList[i]);
        m_checkBoxes.append(FilterPage::createCheckBox(groupBox, text, SystemRealtimeFilterFirstId + i, pos));
    }
    FilterPage::addAllAndNoneButtons(groupBox, this);
}

void MidiSystemRealtimeFilterView::releasedAllButton()
{
    FilterPage::setParameterValues(m_checkBoxes, 1);
}

void MidiSystemRealtimeFilterView::releasedNoneButton()
{
    FilterPage::setParameterValues(m_checkBoxes, 0);
}
