#pragma once

// What the main window tests share: menu commands, dialog answers, and the
// kinds of the open tool windows.

#include "app/MainWindow.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QTimer>

#include <algorithm>

inline void initTarvoResources()
{
    Q_INIT_RESOURCE(tarvo);
}

// Closed windows wait for their deferred deletion; they must go while the
// main window whose lists they leave is still whole.
inline void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

inline QAction* menuAction(MainWindow& window, int menuIndex, int data)
{
    for (QAction* action : window.menuBar()->actions().at(menuIndex)->menu()->actions()) {
        if (!action->isSeparator() && action->data().toInt() == data)
            return action;
    }
    return nullptr;
}

// The kinds of the open tool windows, sorted.
inline QList<int> windowIds(MainWindow& window)
{
    QList<int> ids;
    for (QMdiSubWindow* subWindow : window.getSubWindowList()) {
        if (auto* info = dynamic_cast<WindowRestorationInfo*>(subWindow->widget()))
            ids.append(info->windowId);
    }
    std::sort(ids.begin(), ids.end());
    return ids;
}

// Answers the dialogs that open while it lives: message boxes with the given
// button (OK when the box has no such button), file dialogs by cancelling.
// Keeps the boxes' first lines and the files the dialogs proposed.
class DialogAnswerer
{
public:
    explicit DialogAnswerer(QMessageBox::StandardButton answer)
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this, answer]() {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                if (!widget->isVisible())
                    continue;
                if (auto* box = qobject_cast<QMessageBox*>(widget)) {
                    QAbstractButton* button = box->button(answer);
                    m_texts.append(box->text().section(QLatin1Char('\n'), 0, 0));
                    (button ? button : box->button(QMessageBox::Ok))->click();
                } else if (auto* dialog = qobject_cast<QFileDialog*>(widget)) {
                    m_fileDialogProposals.append(dialog->selectedFiles().value(0));
                    dialog->reject();
                }
            }
        });
        m_timer.start(5);
    }

    QStringList m_texts;
    QStringList m_fileDialogProposals;

private:
    QTimer m_timer;
};
