#include "views/MidiSettingsView.h"

#include "controls/CheckBox.h"
#include "controls/SpinBox.h"
#include "model/TarvoModel.h"

#include <QGridLayout>
#include <QLabel>

MidiSettingsView::MidiSettingsView(QWidget* parent, TarvoModel* model)
    : QWidget(parent), CommonViewHelper(model)
{
    windowId = WindowIdMidiSettings;

    auto* layout = new QGridLayout;
    layout->addWidget(new QLabel(model->getModelParameterName(BulkIntervalId)), 0, 0);

    auto* bulkInterval = new SpinBox;
    // The spin box takes no range of its own from its parameter.
    bulkInterval->setRange(model->getModelMinimumValue(BulkIntervalId), model->getModelMaximumValue(BulkIntervalId));
    bulkInterval->setParameterId(BulkIntervalId);
    layout->addWidget(bulkInterval, 0, 1, Qt::AlignRight);

    auto* midiThru = new CheckBox;
    midiThru->setText(model->getModelParameterName(MidiThruId));
    midiThru->setParameterId(MidiThruId);
    layout->addWidget(midiThru, 1, 0);

    setLayout(layout);
    connectModel(this);
}
