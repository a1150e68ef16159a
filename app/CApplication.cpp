#include "app/CApplication.h"

#include "app/MainWindow.h"
#include "app/StartUp.h"

#include <QFileOpenEvent>

CApplication::CApplication(int& argc, char** argv)
    : QApplication(argc, argv)
{
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
