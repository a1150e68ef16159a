#include "views/MidiSettingsView.h"

#include "controls/CheckBox.h"
#include "controls/ComboBox.h"
#include "controls/SpinBox.h"
#include "model/TarvoModel.h"

#include <QGridLayout>
#include <QLabel>

namespace {

// The numeric settings, one row each, in order.
const unsigned int SpinBoxParameters[] = {BulkIntervalId, MaxSystemExclusiveId, PieceSizeId, RateLimitId};

} // namespace

MidiSettingsView::MidiSettingsView(QWidget* parent, TarvoModel* model)
    : QWidget(parent), CommonViewHelper(model)
{
    windowId = WindowIdMidiSettings;

    auto* layout = new QGridLayout;
    int row = 0;
    for (const unsigned int id : SpinBoxParameters) {
        layout->addWidget(new QLabel(model->getModelParameterName(id)), row, 0);
        auto* spinBox = new SpinBox;
        // The spin box takes no range of its own from its parameter.
        spinBox->setRange(model->getModelMinimumValue(id), model->getModelMaximumValue(id));
        spinBox->setParameterId(id);
        layout->addWidget(spinBox, row++, 1, Qt::AlignRight);
    }

    layout->addWidget(new QLabel(model->getModelParameterName(MidiSystemId)), row, 0);
    // Its items, the parameter's texts, are filled when the model connects it.
    auto* midiSystem = new ComboBox;
    midiSystem->setParameterId(MidiSystemId);
    layout->addWidget(midiSystem, row++, 1, Qt::AlignRight);

    auto* midiThru = new CheckBox;
    midiThru->setText(model->getModelParameterName(MidiThruId));
    midiThru->setParameterId(MidiThruId);
    layout->addWidget(midiThru, row, 0);

    setLayout(layout);
    connectModel(this);
}
