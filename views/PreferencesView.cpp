#include "views/PreferencesView.h"

#include "controls/CheckBox.h"
#include "controls/ComboBox.h"
#include "model/TarvoModel.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>

PreferencesView::PreferencesView(QWidget* parent, TarvoModel* model)
    : QWidget(parent), CommonViewHelper(model)
{
    auto* layout = new QFormLayout;

    auto* knobModeRow = new QHBoxLayout;
    knobModeRow->addWidget(new QLabel(model->getModelParameterName(KnobModeId)));
    // Its items, the parameter's texts, are filled when the model connects it.
    auto* knobMode = new ComboBox;
    knobMode->setParameterId(KnobModeId);
    knobModeRow->addWidget(knobMode);
    layout->addRow(knobModeRow);

    auto* timeStampRow = new QHBoxLayout;
    auto* timeStamp = new CheckBox;
    timeStamp->setText(model->getModelParameterName(TimeStampId));
    timeStamp->setParameterId(TimeStampId);
    timeStampRow->addWidget(timeStamp);
    layout->addRow(timeStampRow);

    setLayout(layout);
    connectModel(this);
}
