#include "app/AppCommandLine.h"
#include "app/CApplication.h"
#include "app/MainWindow.h"
#include "app/NativeEventFilter.h"
#include "app/StartUp.h"
#include "services/TerminationSignalHandler.h"
#include "model/TarvoModel.h"

#include <QTimer>

#include <cstdio>

MainWindow* s_pMainWindow = nullptr;

namespace {

const int ExitRefused = 2;

QStringList rawArguments(int argc, char* argv[])
{
    QStringList arguments;
    for (int index = 0; index < argc; ++index)
        arguments.append(QString::fromLocal8Bit(argv[index]));
    return arguments;
}

} // namespace

int main(int argc, char* argv[])
{
    // Answered before the display is opened, so that they work without one.
    const AppOptions early = parseAppArguments(rawArguments(argc, argv));
    if (early.action == AppOptions::Action::Help || early.action == AppOptions::Action::Version) {
        const QString text = early.action == AppOptions::Action::Help ? appHelpText() : appVersionText();
        return fputs(text.toLocal8Bit().constData(), stdout) >= 0 && fflush(stdout) == 0 ? 0 : 1;
    }
    Q_INIT_RESOURCE(tarvo);
    skipOpenGlIntegration();
    int exitCode = 0;
    {
        TarvoModel model;
        {
            CApplication application(argc, argv);
            application.setApplicationName(QStringLiteral("tarvo"));
            NativeEventFilter aboutClickFilter;
            application.installEventFilter(&aboutClickFilter);
            // The application has taken its own options (-platform, -style...) out.
            const AppOptions options = parseAppArguments(QCoreApplication::arguments());
            if (options.action == AppOptions::Action::Refused) {
                fprintf(stderr, "%s\n", qPrintable(options.error));
                return ExitRefused;
            }
            {
                MainWindow mainWindow(nullptr, &model, options.system);
                s_pMainWindow = &mainWindow;

                TerminationSignalHandler terminationHandler;
                QObject::connect(&terminationHandler, &TerminationSignalHandler::terminationRequested, &mainWindow,
                                 &MainWindow::closeForSignal, Qt::QueuedConnection);

                mainWindow.show();
                // Opened inside the event loop, so that a signal during its
                // error box still ends the program.
                if (!options.file.isEmpty())
                    QTimer::singleShot(0, &mainWindow, [&mainWindow, &options]() { mainWindow.openFile(options.file); });

                exitCode = application.exec();
                s_pMainWindow = nullptr;
                Q_CLEANUP_RESOURCE(tarvo);
            }
        }
    }
    return exitCode;
}
