#include "app/CApplication.h"
#include "app/MainWindow.h"
#include "app/NativeEventFilter.h"
#include "app/StartUp.h"
#include "services/TerminationSignalHandler.h"
#include "model/TarvoModel.h"

#include <QTimer>

MainWindow* s_pMainWindow = nullptr;

int main(int argc, char* argv[])
{
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
            {
                MainWindow mainWindow(nullptr, &model);
                s_pMainWindow = &mainWindow;

                TerminationSignalHandler terminationHandler;
                QObject::connect(&terminationHandler, &TerminationSignalHandler::terminationRequested, &mainWindow,
                                 &MainWindow::closeForSignal, Qt::QueuedConnection);

                const QStringList arguments = QCoreApplication::arguments();
                mainWindow.show();
                // Opened inside the event loop, so that a signal during its
                // error box still ends the program.
                if (arguments.size() >= 2)
                    QTimer::singleShot(0, &mainWindow, [&mainWindow, &arguments]() { mainWindow.openFile(arguments.at(1)); });

                exitCode = application.exec();
                s_pMainWindow = nullptr;
                Q_CLEANUP_RESOURCE(tarvo);
            }
        }
    }
    return exitCode;
}
