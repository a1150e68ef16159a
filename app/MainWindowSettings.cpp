// The settings file: read once on the first show, the layout written on the
// first accepted close, the other settings when the main window goes.

#include "app/MainWindow.h"

#include "app/SettingsKeys.h"

#include "midi/MidiInputPort.h"
#include "midi/MidiOutputPort.h"
#include "model/TarvoModel.h"
#include "views/ControlChangeNameList.h"
#include "views/MidiFilterTexts.h"

#include <QGuiApplication>
#include <QMdiArea>
#include <QScreen>
#include <QSettings>

namespace {

const QChar WindowIdKeyDelimiter('-');
const int SequenceFieldWidth = 10;
const int OnScreenMinimumSize = 100;
const QPoint OffScreenRestorePosition(50, 50);

// Message-type filters that only open their detail pages have no key.
bool isKeptMessageFilter(int index)
{
    return index != 3 && index != 8 && index != 9;
}

// The "MidiFilter" keys with their parameters, in file order: channels,
// message types, system common, system realtime, controllers.
QList<QPair<QString, unsigned int>> filterSettings()
{
    QList<QPair<QString, unsigned int>> entries;
    for (unsigned int channel = 0; channel < ChannelFilterCount; ++channel)
        entries.append({QString::number(channel), ChannelFilterFirstId + channel});
    for (int index = 0; index < MIDIFilterCount; ++index) {
        if (isKeptMessageFilter(index))
            entries.append({QString::fromLatin1(MIDIFilterNameList[index]), MessageFilterFirstId + index});
    }
    for (int index = 0; index < FilterSystemCommonCount; ++index)
        entries.append({QString::fromLatin1(FilterSystemCommonNameList[index]), SystemCommonFilterFirstId + index});
    for (int index = 0; index < FilterSystemRealtimeCount; ++index)
        entries.append({QString::fromLatin1(FilterSystemRealtimeNameList[index]), SystemRealtimeFilterFirstId + index});
    for (int controller = 0; controller < ControlChangeCount; ++controller)
        entries.append({QString::fromLatin1(ControlChangeNameList[controller]), ControlChangeFilterFirstId + controller});
    return entries;
}

QString layoutKey(int sequence, int windowId, int instance)
{
    return QStringLiteral("%1%2%3%4%5")
        .arg(sequence, SequenceFieldWidth, 10, QLatin1Char('0'))
        .arg(WindowIdKeyDelimiter)
        .arg(windowId)
        .arg(WindowIdKeyDelimiter)
        .arg(instance);
}

QVariantList layoutValue(const QRect& rect, Qt::WindowStates state, bool stayOnTop, const QList<QVariant>& values)
{
    QVariantList value {rect, int(state), stayOnTop};
    value.append(values);
    return value;
}

bool isMultiInstance(int windowId)
{
    return windowId >= WindowRestorationInfo::WindowIdSystemExclusive
        && windowId <= WindowRestorationInfo::WindowIdProgramChange;
}

} // namespace

void MainWindow::restoreRegistory()
{
    setUpdatesEnabled(false);
    QSettings settings(getIniFilePath(), QSettings::IniFormat);

    settings.beginGroup(QLatin1String(FileWorkingDirectoryGroup));
    m_pModel->setModelStringValue(DumpFileWorkingDirectoryId,
                                  settings.value(QLatin1String(DumpFileWorkingDirectoryKey),
                                                 m_pModel->getModelStringValue(DumpFileWorkingDirectoryId))
                                      .toString());
    m_pModel->setModelStringValue(ProjectFileWorkingDirectoryId,
                                  settings.value(QLatin1String(ProjectFileWorkingDirectoryKey),
                                                 m_pModel->getModelStringValue(ProjectFileWorkingDirectoryId))
                                      .toString());
    settings.endGroup();

    m_pModel->lockParameterEditFlag();
    settings.beginGroup(QLatin1String(SavePositionGroup));
    const QStringList keys = settings.allKeys();
    if (keys.isEmpty())
        initializeSubWindows();
    for (const QString& key : keys) {
        QList<QVariant> values = settings.value(key).toList();
        const QRect rect = values.isEmpty() ? QRect() : values.takeFirst().toRect();
        const Qt::WindowStates state(values.isEmpty() ? 0 : values.takeFirst().toInt());
        const bool stayOnTop = values.isEmpty() ? false : values.takeFirst().toBool();
        const unsigned int windowId = key.section(WindowIdKeyDelimiter, 1, 1).toUInt();
        if (windowId != WindowRestorationInfo::WindowIdMainWindow) {
            // Unknown kinds are skipped before they are taken as a window id.
            if (windowId <= WindowRestorationInfo::WindowIdTimingClock)
                createSubWindowByWindowId(static_cast<WindowRestorationInfo::WindowId>(windowId), stayOnTop, rect,
                                          state, values);
            continue;
        }
        setWindowGeometry(this, getMainWindowRestorationRect(rect));
        if (!(state & (Qt::WindowMinimized | Qt::WindowFullScreen)))
            setWindowState(windowState() | state);
        if (stayOnTop)
            setStayOnTop();
    }
    settings.endGroup();
    m_pModel->unlockParameterEditFlag();

    settings.beginGroup(QLatin1String(MidiFilterGroup));
    for (const auto& entry : filterSettings())
        m_pModel->setModelIntValue(entry.second, settings.value(entry.first, 0).toInt());
    settings.endGroup();

    settings.beginGroup(QLatin1String(MidiThruGroup));
    m_pModel->setModelIntValue(BulkIntervalId, settings.value(QLatin1String(BulkIntervalKey),
                                                              m_pModel->getModelIntValue(BulkIntervalId))
                                                   .toInt());
    m_pModel->setModelIntValue(MidiThruId, settings.value(QLatin1String(MidiThruKey),
                                                          m_pModel->getModelIntValue(MidiThruId) != 0)
                                               .toBool());
    settings.endGroup();

    settings.beginGroup(QLatin1String(PortNameGroup));
    const QString inputPortName = settings.value(QLatin1String(InputPortNameKey)).toString();
    const QString outputPortName = settings.value(QLatin1String(OutputPortNameKey)).toString();
    if (!inputPortName.isEmpty() && inputPortName != QLatin1String(NoAssign))
        m_pMidiInputPort->openInputPort(inputPortName);
    if (!outputPortName.isEmpty() && outputPortName != QLatin1String(NoAssign))
        m_pMidiOutputPort->openOutputPort(outputPortName);
    settings.endGroup();

    settings.beginGroup(QLatin1String(PreferencesGroup));
    m_pModel->setModelIntValue(KnobModeId,
                               settings.value(QLatin1String(KnobModeKey), m_pModel->getModelIntValue(KnobModeId)).toInt());
    m_pModel->setModelIntValue(TimeStampId, settings.value(QLatin1String(TimeStampKey),
                                                           m_pModel->getModelIntValue(TimeStampId))
                                                .toInt());
    settings.endGroup();

    setUpdatesEnabled(true);
}

void MainWindow::storeWindowPosition()
{
    const QString path = getIniFilePath();
    if (path.isEmpty())
        return;
    QSettings settings(path, QSettings::IniFormat);
    settings.beginGroup(QLatin1String(SavePositionGroup));
    settings.remove(QString());
    writeMainWindowInfoToRegistry(settings);
    writeSubWindowInfoToRegistry(settings);
    settings.endGroup();
}

void MainWindow::writeMainWindowInfoToRegistry(QSettings& settings)
{
    const QRect rect = isNormalWindowState(this) ? geometry() : normalGeometry();
    settings.setValue(layoutKey(0, WindowRestorationInfo::WindowIdMainWindow, 0),
                      layoutValue(rect, windowState(), windowFlags() & Qt::WindowStaysOnTopHint, {}));
}

void MainWindow::writeSubWindowInfoToRegistry(QSettings& settings)
{
    QHash<int, int> instanceCounts;
    int sequence = 0;
    for (QMdiSubWindow* subWindow : getSubWindowList()) {
        auto* info = dynamic_cast<WindowRestorationInfo*>(subWindow->widget());
        if (!info)
            continue;
        const int instance = isMultiInstance(info->windowId) ? instanceCounts[info->windowId]++ : 0;
        const QRect rect = isNormalWindowState(subWindow) ? subWindow->geometry() : getNormalRect(subWindow);
        settings.setValue(layoutKey(++sequence, info->windowId, instance),
                          layoutValue(rect, subWindow->windowState(),
                                      subWindow->windowFlags() & Qt::WindowStaysOnTopHint, info->values));
    }
}

void MainWindow::storeSettings()
{
    QSettings settings(getIniFilePath(), QSettings::IniFormat);

    settings.beginGroup(QLatin1String(FileWorkingDirectoryGroup));
    settings.setValue(QLatin1String(DumpFileWorkingDirectoryKey),
                      m_pModel->getModelStringValue(DumpFileWorkingDirectoryId));
    settings.setValue(QLatin1String(ProjectFileWorkingDirectoryKey),
                      m_pModel->getModelStringValue(ProjectFileWorkingDirectoryId));
    settings.endGroup();

    settings.beginGroup(QLatin1String(MidiThruGroup));
    settings.setValue(QLatin1String(BulkIntervalKey), m_pModel->getModelIntValue(BulkIntervalId));
    settings.setValue(QLatin1String(MidiThruKey), m_pModel->getModelIntValue(MidiThruId));
    settings.endGroup();

    settings.beginGroup(QLatin1String(PreferencesGroup));
    settings.setValue(QLatin1String(KnobModeKey), m_pModel->getModelIntValue(KnobModeId));
    settings.setValue(QLatin1String(TimeStampKey), m_pModel->getModelIntValue(TimeStampId));
    settings.endGroup();

    settings.beginGroup(QLatin1String(MidiFilterGroup));
    for (const auto& entry : filterSettings())
        settings.setValue(entry.first, m_pModel->getModelIntValue(entry.second));
    settings.endGroup();
}

void MainWindow::setStayOnTop()
{
    // Changing a window's flags hides it; a shown main window stays shown.
    const bool wasVisible = isVisible();
    setWindowFlags(windowFlags() | Qt::WindowStaysOnTopHint);
    if (wasVisible)
        show();
}

QRect MainWindow::getMainWindowRestorationRect(const QRect& rect)
{
    for (QScreen* screen : QGuiApplication::screens()) {
        const QRect visible = rect.intersected(screen->availableGeometry());
        if (visible.width() >= OnScreenMinimumSize && visible.height() >= OnScreenMinimumSize)
            return rect;
    }
    QScreen* primary = QGuiApplication::primaryScreen();
    if (!primary)
        return rect;
    return QRect(primary->availableGeometry().topLeft() + OffScreenRestorePosition, rect.size());
}
