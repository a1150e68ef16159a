#include "app/ToolWindowTable.h"

#include "app/MenuTables.h"
#include "project/WindowRestorationInfo.h"
#include "views/LatencyTestView.h"
#include "views/MidiControlChangeView.h"
#include "views/MidiEditView.h"
#include "views/MidiFilterView.h"
#include "views/MidiKeyboardView.h"
#include "views/MidiPlayerView.h"
#include "views/MidiProgramChangeView.h"
#include "views/MidiSettingsView.h"
#include "views/MidiTimingClockGeneratorView.h"
#include "views/PreferencesView.h"
#include "views/ViewContext.h"

#include <QMdiSubWindow>

namespace {

const int KeyboardViewWidth = 1875;
const int KeyboardViewMinimumWidth = 350;
const int KeyboardWidthMargin = 5;
const QSize ControlChangeViewSize(225, 250);
const QSize TimingClockViewSize(220, 250);
const int ProgramChangeViewWidth = 210;
const int NarrowFixedViewWidth = 200;

const char* const MidiEditViewObjectName = "MidiEditViewSubWindow";
const char* const KeyboardObjectName = "KeyboardSubWindow";
const char* const ControlChangeObjectName = "ControlChangeViewSubWindow";
const char* const TimingClockObjectName = "TimingClockViewSubWindow";
const char* const LatencyTestObjectName = "LatencyTestViewSubWindow";

template <MidiEditView::OpenMode Mode>
QWidget* createMidiEditView(const ViewContext& context, const QList<QVariant>&)
{
    return new MidiEditView(nullptr, context, Mode, QString());
}

QWidget* createControlChangeView(const ViewContext& context, const QList<QVariant>& values)
{
    return new MidiControlChangeView(nullptr, values.isEmpty() ? 0 : static_cast<unsigned char>(values.first().toUInt()),
                                     context);
}

template <typename View>
QWidget* createView(const ViewContext& context, const QList<QVariant>&)
{
    return new View(nullptr, context);
}

template <typename View>
QWidget* createSettingsView(const ViewContext& context, const QList<QVariant>&)
{
    return new View(nullptr, context.model);
}

void keepViewSize(QMdiSubWindow*, QWidget*)
{
}

void controlChangeSize(QMdiSubWindow* subWindow, QWidget*)
{
    subWindow->setGeometry(QRect(subWindow->pos(), ControlChangeViewSize));
}

void timingClockSize(QMdiSubWindow* subWindow, QWidget*)
{
    subWindow->setGeometry(QRect(subWindow->pos(), TimingClockViewSize));
}

void keyboardWidths(QMdiSubWindow* subWindow, QWidget*)
{
    subWindow->setFixedHeight(subWindow->height());
    subWindow->setMinimumWidth(KeyboardViewMinimumWidth);
    subWindow->setMaximumWidth(KeyboardViewWidth + KeyboardWidthMargin);
}

void programChangeSize(QMdiSubWindow* subWindow, QWidget*)
{
    subWindow->setFixedSize(ProgramChangeViewWidth, subWindow->height());
}

void fixedAsMade(QMdiSubWindow* subWindow, QWidget*)
{
    subWindow->setFixedSize(subWindow->size());
}

// As wide as its longest label needs.
void fixedToLabels(QMdiSubWindow* subWindow, QWidget*)
{
    subWindow->setFixedSize(qMax(NarrowFixedViewWidth, subWindow->sizeHint().width()), subWindow->height());
}

} // namespace

using Id = WindowRestorationInfo;
using Kind = ToolWindowKind;

const ToolWindowKind ToolWindowTable[] = {
    // id, menu entry, instances, limited by, fixed size, object name, view, first size
    {Id::WindowIdMidiInMonitor, &ViewsMenuTable[ViewsMenuMidiInMonitor], Kind::Single, Id::WindowIdSystemExclusive,
     false, MidiEditViewObjectName, createMidiEditView<MidiEditView::MidiInMonitor>, keepViewSize},
    {Id::WindowIdMidiOutMonitor, &ViewsMenuTable[ViewsMenuMidiOutMonitor], Kind::Single, Id::WindowIdSystemExclusive,
     false, MidiEditViewObjectName, createMidiEditView<MidiEditView::MidiOutMonitor>, keepViewSize},
    {Id::WindowIdKeyboard, &ViewsMenuTable[ViewsMenuKeyboard], Kind::Many, Id::WindowIdKeyboard, true,
     KeyboardObjectName, createView<MidiKeyboardView>, keyboardWidths},
    {Id::WindowIdControlChange, &ViewsMenuTable[ViewsMenuControlChange], Kind::Many, Id::WindowIdControlChange, false,
     ControlChangeObjectName, createControlChangeView, controlChangeSize},
    {Id::WindowIdProgramChange, &ViewsMenuTable[ViewsMenuProgramChange], Kind::Many, Id::WindowIdProgramChange, true,
     nullptr, createView<MidiProgramChangeView>, programChangeSize},
    {Id::WindowIdSystemExclusive, &ViewsMenuTable[ViewsMenuSystemExclusive], Kind::Many, Id::WindowIdSystemExclusive,
     false, MidiEditViewObjectName, createMidiEditView<MidiEditView::SystemExclusive>, keepViewSize},
    {Id::WindowIdTimingClock, &ViewsMenuTable[ViewsMenuTimingClock], Kind::Single, Id::WindowIdTimingClock, false,
     TimingClockObjectName, createView<MidiTimingClockGeneratorView>, timingClockSize},
    {Id::WindowIdFilter, &ViewsMenuTable[ViewsMenuFilter], Kind::Single, Id::WindowIdFilter, true, nullptr,
     createSettingsView<MidiFilterView>, fixedAsMade},
    {Id::WindowIdMidiSettings, &ViewsMenuTable[ViewsMenuMidiSettings], Kind::Single, Id::WindowIdMidiSettings, true,
     nullptr, createSettingsView<MidiSettingsView>, fixedToLabels},
    {Id::WindowIdPreferences, &FileMenuTable[FileMenuPreferences], Kind::Single, Id::WindowIdPreferences, true, nullptr,
     createSettingsView<PreferencesView>, fixedToLabels},
    {Id::WindowIdMidiPlayer, &ViewsMenuTable[ViewsMenuMidiPlayer], Kind::Single, Id::WindowIdMidiPlayer, true, nullptr,
     createView<MidiPlayerView>, fixedAsMade},
    {Id::WindowIdLatencyTest, &ViewsMenuTable[ViewsMenuLatencyTest], Kind::Single, Id::WindowIdLatencyTest, false,
     LatencyTestObjectName, createView<LatencyTestView>, keepViewSize},
};
const int ToolWindowCount = sizeof(ToolWindowTable) / sizeof(ToolWindowTable[0]);

const ToolWindowKind* findToolWindowKind(int windowId)
{
    for (const ToolWindowKind& kind : ToolWindowTable) {
        if (kind.windowId == windowId)
            return &kind;
    }
    return nullptr;
}

const ToolWindowKind* findToolWindowKindOfMenuItem(const MenuItem* menuItem)
{
    for (const ToolWindowKind& kind : ToolWindowTable) {
        if (kind.menuItem == menuItem)
            return &kind;
    }
    return nullptr;
}

bool isResizableToolWindow(const QObject* subWindow)
{
    const QString name = subWindow->objectName();
    for (const char* resizable : {MidiEditViewObjectName, KeyboardObjectName, ControlChangeObjectName,
                                  TimingClockObjectName, LatencyTestObjectName}) {
        if (name == QLatin1String(resizable))
            return true;
    }
    return false;
}

bool isKeyboardToolWindow(const QObject* subWindow)
{
    return subWindow->objectName() == QLatin1String(KeyboardObjectName);
}

bool usesEngine(const ToolWindowKind& kind)
{
    return kind.create != createSettingsView<MidiFilterView> && kind.create != createSettingsView<MidiSettingsView>
        && kind.create != createSettingsView<PreferencesView>;
}
