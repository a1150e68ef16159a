// Feeds arbitrary bytes to the project file reader, through a file, with a
// real main window on the virtual MIDI platform: whatever the bytes claim,
// reading ends with a result code and never crashes, hangs or allocates what
// the file claims.

#include "VirtualMidiPlatform.h"
#include "app/MainWindow.h"
#include "model/TarvoModel.h"
#include "project/ProjectFileHelper.h"

#include <QApplication>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTimer>

#include <cstdint>
#include <cstdlib>

// The resources live in a static library, so the fuzzer registers them itself.
static void initTarvoResources()
{
    Q_INIT_RESOURCE(tarvo);
}

namespace {

// One application, main window and file for the whole run. They live until
// the process ends: libFuzzer leaves by exit() and tears nothing down.
struct Harness
{
    Harness()
    {
        // Settings go to a folder of the run's own, never to the user's.
        char configTemplate[] = "/tmp/fuzz_project-XXXXXX";
        const char* config = mkdtemp(configTemplate);
        if (!config)
            abort();
        qputenv("XDG_CONFIG_HOME", config);
        qputenv("QT_QPA_PLATFORM", "offscreen");
        m_path = QDir(QString::fromLocal8Bit(config)).filePath(QStringLiteral("input.tarvo"));

        static int argc = 1;
        static char name[] = "fuzz_project";
        static char* argv[] = {name, nullptr};
        m_pApplication = new QApplication(argc, argv);
        initTarvoResources();
        m_pPlatform = new VirtualMidiPlatform;
        m_pModel = new TarvoModel;
        m_pWindow = new MainWindow(nullptr, m_pModel);
        // Shown once, as the program is before it opens a project; never
        // painted, since a file may give it any size.
        m_pWindow->show();
        m_pWindow->setUpdatesEnabled(false);

        // The only dialog reading can raise is the too-many-windows warning,
        // modal: answer it from within its own event loop.
        m_pDialogCloser = new QTimer;
        QObject::connect(m_pDialogCloser, &QTimer::timeout, []() {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                box->done(QMessageBox::Ok);
        });
        m_pDialogCloser->start(0);
        settle();
    }

    int read(const uint8_t* data, size_t size)
    {
        QFile file(m_path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            abort();
        if (size > 0 && file.write(reinterpret_cast<const char*>(data), qint64(size)) != qint64(size))
            abort();
        file.close();
        const int result = ProjectFileHelper().readFile(m_path);
        if (result < 0 || result > 2)
            abort();
        settle();
        return result;
    }

    // An empty corpus folder starts from projects that the program itself
    // writes: one without tool windows, and one with a window of every kind.
    void seed(const QString& folder)
    {
        const QDir corpus(folder);
        if (!corpus.exists() || !corpus.isEmpty())
            return;
        if (ProjectFileHelper().writeFile(corpus.filePath(QStringLiteral("seed-empty.tarvo"))) != 0)
            abort();
        for (int id = WindowRestorationInfo::WindowIdMidiInMonitor; id <= WindowRestorationInfo::WindowIdTimingClock;
             ++id) {
            QMdiSubWindow* subWindow = m_pWindow->createSubWindowByWindowId(
                static_cast<WindowRestorationInfo::WindowId>(id), false, QRect(10 * id, 10 * id, 240, 200), {},
                {7, 0});
            if (!subWindow)
                abort();
            if (auto* text = subWindow->widget()->findChild<QPlainTextEdit*>(); text && !text->isReadOnly())
                text->setPlainText(QStringLiteral("F0 7E 7F 06 01 F7"));
        }
        if (ProjectFileHelper().writeFile(corpus.filePath(QStringLiteral("seed-every-kind.tarvo"))) != 0)
            abort();
        settle();
    }

    // The windows of this input go before the next one: clocks stop, views
    // and their threads are deleted, and nothing piles up in the event queue.
    void settle()
    {
        m_pWindow->closeAllSubWindows();
        QCoreApplication::sendPostedEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    QString m_path;
    QApplication* m_pApplication = nullptr;
    VirtualMidiPlatform* m_pPlatform = nullptr;
    TarvoModel* m_pModel = nullptr;
    MainWindow* m_pWindow = nullptr;
    QTimer* m_pDialogCloser = nullptr;
};

Harness* g_pHarness = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    g_pHarness = new Harness;
    // The first argument that is no option is the corpus folder (or an input
    // to run again, which is left alone).
    for (int index = 1; index < *argc; ++index) {
        if ((*argv)[index][0] != '-') {
            g_pHarness->seed(QString::fromLocal8Bit((*argv)[index]));
            break;
        }
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    g_pHarness->read(data, size);
    return 0;
}
