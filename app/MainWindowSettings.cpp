// The settings file: read once on the first show, the layout written on the
// first accepted close, the other settings when the main window goes.

#include "app/MainWindow.h"

#include "app/SettingsKeys.h"
#include "app/ToolWindowQuota.h"
#include "app/WindowPlacement.h"
#include "project/PlainValue.h"
#include "project/SettingsFile.h"

#include "engine/MidiEngine.h"
#include "model/ParameterEditFlagLock.h"
#include "model/TarvoModel.h"
#include "services/ControlChangeNameList.h"
#include "views/MidiFilterTexts.h"

#include <QGuiApplication>
#include <QFileInfo>
#include <QMdiArea>
#include <QScreen>
#include <QSettings>

#include <algorithm>
#include <cstdio>

namespace {

const QChar WindowIdKeyDelimiter('-');
const int SequenceFieldWidth = 10;
const int OnScreenMinimumSize = 100;
const QPoint OffScreenRestorePosition(50, 50);
const char* const TrueText = "true";
const char* const FalseText = "false";
// How QSettings writes a value in Qt's binary stream format.
const char* const BinaryValueMarker = "@Variant(";
const char* const SettingsNotWrittenMessage = "The settings could not be written to %1: %2";
const char* const UnreadableLinesMessage
    = "The settings were written to %1 without its lines that could not be read.";

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

// The MIDI settings window's parameters with their keys.
QList<QPair<QString, unsigned int>> midiSettings()
{
    return {{QLatin1String(BulkIntervalKey), BulkIntervalId},
            {QLatin1String(MidiThruKey), MidiThruId},
            {QLatin1String(MaxSystemExclusiveKey), MaxSystemExclusiveId},
            {QLatin1String(PieceSizeKey), PieceSizeId},
            {QLatin1String(RateLimitKey), RateLimitId},
            {QLatin1String(MidiSystemKey), MidiSystemId}};
}

bool isPlainType(const QVariant& value)
{
    return isPlainValueType(value.userType());
}

// A value of the settings file, or fallback when it is not a plain value or
// a list of them.
QVariant plainValue(const QSettings& settings, const QString& key, const QVariant& fallback)
{
    const QVariant value = settings.value(key, fallback);
    if (value.userType() == QMetaType::QVariantList || value.userType() == QMetaType::QStringList) {
        const QVariantList items = value.toList();
        return std::all_of(items.begin(), items.end(), isPlainType) ? value : fallback;
    }
    return isPlainType(value) ? value : fallback;
}

// Settings are written while the program closes, when no box can be shown.
void reportWrite(SettingsFile::Result result, const QString& path, const QString& reason)
{
    if (result == SettingsFile::NotWritten)
        fprintf(stderr, "%s\n", qPrintable(QString::fromLatin1(SettingsNotWrittenMessage).arg(path, reason)));
    else if (result == SettingsFile::WrittenWithoutUnreadableLines)
        fprintf(stderr, "%s\n", qPrintable(QString::fromLatin1(UnreadableLinesMessage).arg(path)));
}

// QSettings decodes every value of the file when it first reads it, and a
// crafted binary value makes Qt reserve whatever count it claims. The
// program never writes such values, so their lines are dropped before the
// file is read.
void dropBinaryValues(const QString& path)
{
    if (!QFileInfo(path).isFile())
        return;
    const auto withoutBinaryValues = [](const QByteArray& bytes) {
        QList<QByteArray> lines = bytes.split('\n');
        lines.erase(std::remove_if(lines.begin(), lines.end(),
                                   [](const QByteArray& line) { return line.contains(BinaryValueMarker); }),
                    lines.end());
        return lines.join('\n');
    };
    QString reason;
    if (!SettingsFile::rewrite(path, withoutBinaryValues, &reason))
        reportWrite(SettingsFile::NotWritten, path, reason);
}

// An integer setting within its parameter's range; the current value when
// the key is missing or holds something else.
void restoreIntParameter(const QSettings& settings, const QString& key, ModelIF* model, unsigned int id)
{
    const QVariant stored = plainValue(settings, key, model->getModelIntValue(id));
    bool isNumber = false;
    int value = stored.toInt(&isNumber);
    if (!isNumber) {
        // Switches may be stored as words.
        const QString text = stored.toString();
        if (text != QLatin1String(TrueText) && text != QLatin1String(FalseText))
            return;
        value = text == QLatin1String(TrueText) ? 1 : 0;
    }
    model->setModelIntValue(id, std::clamp(value, model->getModelMinimumValue(id), model->getModelMaximumValue(id)));
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

// Everything but the layout and the port names.
void writeParameters(QSettings& settings, ModelIF* model)
{
    settings.beginGroup(QLatin1String(FileWorkingDirectoryGroup));
    settings.setValue(QLatin1String(DumpFileWorkingDirectoryKey),
                      model->getModelStringValue(DumpFileWorkingDirectoryId));
    settings.setValue(QLatin1String(ProjectFileWorkingDirectoryKey),
                      model->getModelStringValue(ProjectFileWorkingDirectoryId));
    settings.endGroup();

    settings.beginGroup(QLatin1String(MidiThruGroup));
    for (const auto& entry : midiSettings())
        settings.setValue(entry.first, model->getModelIntValue(entry.second));
    settings.endGroup();

    settings.beginGroup(QLatin1String(PreferencesGroup));
    settings.setValue(QLatin1String(KnobModeKey), model->getModelIntValue(KnobModeId));
    settings.setValue(QLatin1String(TimeStampKey), model->getModelIntValue(TimeStampId));
    settings.setValue(QLatin1String(MiddleCNameKey), model->getModelIntValue(MiddleCNameId));
    settings.setValue(QLatin1String(MonitorHistoryKey), model->getModelIntValue(MonitorHistoryId));
    settings.setValue(QLatin1String(MonitorMemoryKey), model->getModelIntValue(MonitorMemoryId));
    settings.endGroup();

    settings.beginGroup(QLatin1String(MidiFilterGroup));
    for (const auto& entry : filterSettings())
        settings.setValue(entry.first, model->getModelIntValue(entry.second));
    settings.endGroup();
}

} // namespace

MidiSystem MainWindow::storedMidiSystem()
{
    // The first read of the file: what Qt must not decode goes first.
    dropBinaryValues(getIniFilePath());
    QSettings settings(getIniFilePath(), QSettings::IniFormat);
    settings.beginGroup(QLatin1String(MidiThruGroup));
    restoreIntParameter(settings, QLatin1String(MidiSystemKey), m_pModel, MidiSystemId);
    settings.endGroup();
    m_chosenMidiSystem = m_pModel->getModelIntValue(MidiSystemId);
    return static_cast<MidiSystem>(m_chosenMidiSystem);
}

void MainWindow::restoreRegistory()
{
    setUpdatesEnabled(false);
    QSettings settings(getIniFilePath(), QSettings::IniFormat);

    settings.beginGroup(QLatin1String(FileWorkingDirectoryGroup));
    for (const auto& entry : {qMakePair(DumpFileWorkingDirectoryKey, DumpFileWorkingDirectoryId),
                              qMakePair(ProjectFileWorkingDirectoryKey, ProjectFileWorkingDirectoryId)})
        m_pModel->setModelStringValue(entry.second, plainValue(settings, QLatin1String(entry.first),
                                                               m_pModel->getModelStringValue(entry.second))
                                                        .toString());
    settings.endGroup();

    restoreWindowLayout(settings);

    settings.beginGroup(QLatin1String(MidiFilterGroup));
    for (const auto& entry : filterSettings())
        restoreIntParameter(settings, entry.first, m_pModel, entry.second);
    settings.endGroup();

    settings.beginGroup(QLatin1String(MidiThruGroup));
    for (const auto& entry : midiSettings())
        restoreIntParameter(settings, entry.first, m_pModel, entry.second);
    settings.endGroup();

    settings.beginGroup(QLatin1String(PortNameGroup));
    const QString inputPortName = plainValue(settings, QLatin1String(InputPortNameKey), QString()).toString();
    const QString outputPortName = plainValue(settings, QLatin1String(OutputPortNameKey), QString()).toString();
    if (!inputPortName.isEmpty() && inputPortName != QLatin1String(NoAssign))
        m_pEngine->inputPort().openInputPort(inputPortName);
    if (!outputPortName.isEmpty() && outputPortName != QLatin1String(NoAssign))
        m_pEngine->outputPort().openOutputPort(outputPortName);
    settings.endGroup();

    settings.beginGroup(QLatin1String(PreferencesGroup));
    restoreIntParameter(settings, QLatin1String(KnobModeKey), m_pModel, KnobModeId);
    restoreIntParameter(settings, QLatin1String(TimeStampKey), m_pModel, TimeStampId);
    restoreIntParameter(settings, QLatin1String(MiddleCNameKey), m_pModel, MiddleCNameId);
    restoreIntParameter(settings, QLatin1String(MonitorHistoryKey), m_pModel, MonitorHistoryId);
    restoreIntParameter(settings, QLatin1String(MonitorMemoryKey), m_pModel, MonitorMemoryId);
    settings.endGroup();

    setUpdatesEnabled(true);
}

void MainWindow::restoreWindowLayout(QSettings& settings)
{
    ParameterEditFlagLock editFlagLock(m_pModel);
    settings.beginGroup(QLatin1String(SavePositionGroup));
    const QStringList keys = settings.allKeys();
    if (keys.isEmpty())
        initializeSubWindows();
    ToolWindowQuota quota;
    for (const QString& key : keys) {
        const QVariant stored = plainValue(settings, key, QVariant());
        if (!stored.isValid())
            continue;
        QList<QVariant> values = stored.toList();
        const QRect rect = values.isEmpty() ? QRect() : values.takeFirst().toRect();
        const Qt::WindowStates state(values.isEmpty() ? 0 : values.takeFirst().toInt());
        const bool stayOnTop = values.isEmpty() ? false : values.takeFirst().toBool();
        const unsigned int windowId = key.section(WindowIdKeyDelimiter, 1, 1).toUInt();
        if (windowId != WindowRestorationInfo::WindowIdMainWindow) {
            // Unknown kinds are skipped before they are taken as a window id.
            if (windowId <= WindowRestorationInfo::WindowIdTimingClock && quota.take(int(windowId)))
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
}

void MainWindow::storeWindowPosition()
{
    const QString path = getIniFilePath();
    if (path.isEmpty())
        return;
    QString reason;
    const SettingsFile::Result result = SettingsFile::update(
        path,
        [this](QSettings& settings) {
            settings.beginGroup(QLatin1String(SavePositionGroup));
            // This layout replaces whatever layout the file holds now, whole.
            settings.remove(QString());
            writeMainWindowInfoToRegistry(settings);
            writeSubWindowInfoToRegistry(settings);
            settings.endGroup();
        },
        &reason);
    reportWrite(result, path, reason);
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
        const int instance = ToolWindowQuota::isMultiInstance(info->windowId) ? instanceCounts[info->windowId]++ : 0;
        const QRect rect = isNormalWindowState(subWindow) ? subWindow->geometry() : getNormalRect(subWindow);
        settings.setValue(layoutKey(++sequence, info->windowId, instance),
                          layoutValue(rect, subWindow->windowState(),
                                      subWindow->windowFlags() & Qt::WindowStaysOnTopHint, info->values));
    }
}

void MainWindow::storeSettings()
{
    const QString path = getIniFilePath();
    QString reason;
    const SettingsFile::Result result
        = SettingsFile::update(path, [this](QSettings& settings) { writeParameters(settings, m_pModel); }, &reason);
    reportWrite(result, path, reason);
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
    // The window stays on a screen it shows enough of, moved and shrunk so
    // that its frame lies within it; otherwise it comes back to the primary
    // screen.
    const QMargins frame(geometry().left() - frameGeometry().left(), geometry().top() - frameGeometry().top(),
                         frameGeometry().right() - geometry().right(), frameGeometry().bottom() - geometry().bottom());
    const auto fit = [&frame](const QRect& placed, const QRect& area) {
        return fitIntoArea(placed.marginsAdded(frame), area).marginsRemoved(frame);
    };
    for (QScreen* screen : QGuiApplication::screens()) {
        const QRect visible = rect.intersected(screen->availableGeometry());
        if (visible.width() >= OnScreenMinimumSize && visible.height() >= OnScreenMinimumSize)
            return fit(rect, screen->availableGeometry());
    }
    QScreen* primary = QGuiApplication::primaryScreen();
    if (!primary)
        return rect;
    return fit(QRect(primary->availableGeometry().topLeft() + OffScreenRestorePosition, rect.size()),
               primary->availableGeometry());
}
