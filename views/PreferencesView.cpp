#include "views/PreferencesView.h"

#include "controls/CheckBox.h"
#include "controls/ComboBox.h"
#include "controls/SpinBox.h"
#include "model/TarvoModel.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>

namespace {

// Rows of a parameter's name beside a combo box of its texts.
const unsigned int ComboBoxParameters[] = {KnobModeId, MiddleCNameId};
// Rows of a parameter's name beside a spin box of its range.
const unsigned int SpinBoxParameters[] = {MonitorHistoryId, MonitorMemoryId};

} // namespace

PreferencesView::PreferencesView(QWidget* parent, TarvoModel* model)
    : QWidget(parent), CommonViewHelper(model)
{
    auto* layout = new QFormLayout;

    for (const unsigned int id : ComboBoxParameters) {
        auto* row = new QHBoxLayout;
        row->addWidget(new QLabel(model->getModelParameterName(id)));
        // Its items, the parameter's texts, are filled when the model connects it.
        auto* comboBox = new ComboBox;
        comboBox->setParameterId(id);
        row->addWidget(comboBox);
        layout->addRow(row);
    }

    auto* timeStampRow = new QHBoxLayout;
    auto* timeStamp = new CheckBox;
    timeStamp->setText(model->getModelParameterName(TimeStampId));
    timeStamp->setParameterId(TimeStampId);
    timeStampRow->addWidget(timeStamp);
    layout->addRow(timeStampRow);

    for (const unsigned int id : SpinBoxParameters) {
        auto* row = new QHBoxLayout;
        row->addWidget(new QLabel(model->getModelParameterName(id)));
        auto* spinBox = new SpinBox;
        // The spin box takes no range of its own from its parameter.
        spinBox->setRange(model->getModelMinimumValue(id), model->getModelMaximumValue(id));
        // A typed number applies when it is complete, not digit by digit.
        spinBox->setKeyboardTracking(false);
        spinBox->setParameterId(id);
        row->addWidget(spinBox);
        layout->addRow(row);
    }

    setLayout(layout);
    connectModel(this);
}
