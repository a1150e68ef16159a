#include "app/NativeEventFilter.h"

#include "app/MainWindow.h"
#include "app/StartUp.h"

#include <QEvent>

NativeEventFilter::NativeEventFilter(QObject* parent)
    : QObject(parent)
{
}

bool NativeEventFilter::eventFilter(QObject* watched, QEvent* event)
{
    // The application object sees every press once per receiving widget as it
    // propagates; consuming the first one is enough.
    if ((event->type() == QEvent::MouseButtonPress || event->type() == QEvent::NonClientAreaMouseButtonPress)
        && s_pMainWindow)
        return s_pMainWindow->closeAboutDialog();
    return QObject::eventFilter(watched, event);
}
