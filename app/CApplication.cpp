#include "app/CApplication.h"

#include "app/MainWindow.h"
#include "app/StartUp.h"

#include <QFileOpenEvent>
#include <QIcon>

namespace {

// The installed launcher's name without ".desktop" (the build's application
// id): window managers and the desktop match the windows to the launcher and
// its icon through it.
const char* const DesktopFileName = TARVO_APP_ID;
const char* const WindowIconPathPattern = ":/icons/tarvo-%1.png";
const int WindowIconSizes[] = {16, 32, 48, 64, 128, 256};

} // namespace

CApplication::CApplication(int& argc, char** argv)
    : QApplication(argc, argv)
{
    // Every top-level window (the main window, message boxes, file dialogs)
    // takes this icon unless it sets its own.
    QIcon icon;
    for (int size : WindowIconSizes)
        icon.addFile(QString::fromLatin1(WindowIconPathPattern).arg(size), QSize(size, size));
    setWindowIcon(icon);
    setDesktopFileName(QString::fromLatin1(DesktopFileName));
}

CApplication::~CApplication() = default;

bool CApplication::event(QEvent* e)
{
    // A request that arrives while a modal dialog is open is dropped: opening a
    // project then would pull the windows out from under the dialog.
    if (e->type() == QEvent::FileOpen && !QApplication::activeModalWidget() && s_pMainWindow) {
        if (s_pMainWindow->isMinimized())
            s_pMainWindow->showNormal();
        s_pMainWindow->openFile(static_cast<QFileOpenEvent*>(e)->file());
    }
    return QApplication::event(e);
}
