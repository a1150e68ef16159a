// The main window's MIDI engine: made for the chosen MIDI system, and made
// anew when the user chooses another one.

#include "app/MainWindow.h"

#include "app/MidiStatusLine.h"
#include "app/ToolWindowTable.h"
#include "engine/MidiEngine.h"
#include "engine/MonitorFeed.h"
#include "model/ParameterEditFlagLock.h"
#include "model/TarvoModel.h"
#include "project/FileStream.h"
#include "services/MidiEngineSettings.h"
#include "services/ProductInfo.h"

#include <QDataStream>
#include <QMdiArea>

namespace {

// How often the monitors are fed while records come in.
const int PollInterval = 100;
const char* const SystemUnusableFormat = "The MIDI system %1 cannot be used.\n\n%2";

// A tool window closed for a new engine, to be made again as it was.
struct ClosedToolWindow
{
    WindowRestorationInfo::WindowId id;
    bool isStayOnTop;
    QRect rect;
    Qt::WindowStates state;
    QList<QVariant> values;
    QByteArray content;
};

} // namespace

void MainWindow::makeEngine(MidiSystem system)
{
    m_pEngine = std::make_unique<MidiEngine>(QString::fromLatin1(ProductName), system);
    m_pEngineSettings = std::make_unique<MidiEngineSettings>(m_pModel, m_pEngine.get());
    m_pMonitorFeed = new MonitorFeed(&m_pEngine->analyzer(), PollInterval, this);
}

void MainWindow::dropEngine()
{
    delete m_pMonitorFeed;
    m_pMonitorFeed = nullptr;
    m_pEngineSettings.reset();
    m_pEngine.reset();
}

void MainWindow::switchMidiSystem()
{
    m_isSystemSwitchQueued = false;
    const auto system = static_cast<MidiSystem>(m_pModel->getModelIntValue(MidiSystemId));
    if (system == m_pEngine->system())
        return;

    QString inputName;
    QString outputName;
    m_pEngine->inputPort().getCurrentPortName(inputName);
    m_pEngine->outputPort().getCurrentPortName(outputName);

    // The windows that hold the engine go with it; the settings windows,
    // the one the choice was made in among them, stay.
    ParameterEditFlagLock editFlagLock(m_pModel);
    QList<ClosedToolWindow> closed;
    // Null once closed: a window made again is activated in its turn.
    const QPointer<QMdiSubWindow> active = m_pMdiArea->activeSubWindow();
    m_pEngine->bulkIntervalManager().setEnabledBulkInterval(false);
    for (QMdiSubWindow* subWindow : getSubWindowList()) {
        auto* restoration = dynamic_cast<WindowRestorationInfo*>(subWindow->widget());
        const ToolWindowKind* kind = restoration ? findToolWindowKind(restoration->windowId) : nullptr;
        if (!kind || !usesEngine(*kind))
            continue;
        ClosedToolWindow window{static_cast<WindowRestorationInfo::WindowId>(restoration->windowId),
                                bool(subWindow->windowFlags() & Qt::WindowStaysOnTopHint),
                                isNormalWindowState(subWindow) ? subWindow->geometry() : getNormalRect(subWindow),
                                subWindow->windowState(), restoration->values, QByteArray()};
        if (auto* content = dynamic_cast<FileStream*>(subWindow->widget())) {
            QDataStream stream(&window.content, QIODevice::WriteOnly);
            ProjectFileHelper::prepareStream(stream);
            if (!content->getDataStream(stream))
                window.content.clear();
        }
        closed.append(window);
        m_normalRectHash.remove(subWindow);
        // Deleted now: its threads end before the engine they send through.
        delete subWindow;
    }

    dropEngine();
    makeEngine(system);
    if (inputName != QLatin1String(NoAssign))
        m_pEngine->inputPort().openInputPort(inputName);
    if (outputName != QLatin1String(NoAssign))
        m_pEngine->outputPort().openOutputPort(outputName);

    // Made again oldest first, so that they stack as they did.
    for (auto window = closed.crbegin(); window != closed.crend(); ++window) {
        QMdiSubWindow* subWindow
            = createSubWindowByWindowId(window->id, window->isStayOnTop, window->rect, window->state, window->values);
        auto* content = subWindow ? dynamic_cast<FileStream*>(subWindow->widget()) : nullptr;
        if (!content || window->content.isEmpty())
            continue;
        QDataStream stream(window->content);
        ProjectFileHelper::prepareStream(stream);
        content->setDataStream(stream);
    }
    if (active)
        m_pMdiArea->setActiveSubWindow(active);
    refreshPorts();
    createInputPortMenu();
    createOutputPortMenu();
    reportMidiSystemProblem();
}

bool MainWindow::reportMidiSystemProblem()
{
    const QString problem = m_pEngine->serviceProblem();
    if (problem.isEmpty())
        return false;
    showErrorMessageBox(
        tr(SystemUnusableFormat).arg(getMidiSystemString(int(m_pEngine->system()), nullptr), problem));
    return true;
}
