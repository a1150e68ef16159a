#ifndef PORTMENUS_H
#define PORTMENUS_H

#include "app/MainWindow.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

constexpr int InputPortMenu = 1;
constexpr int OutputPortMenu = 2;

// Opens a port menu as a user would (which rebuilds it) and closes it again;
// its entries.
inline QList<QAction*> openPortMenu(MainWindow& window, int menuIndex)
{
    QMenu* menu = window.menuBar()->actions().at(menuIndex)->menu();
    menu->popup(QPoint(0, 0));
    menu->hide();
    return menu->actions();
}

// The texts of a port menu's entries, the checked one first.
inline QStringList portMenuTexts(MainWindow& window, int menuIndex)
{
    QStringList texts;
    for (QAction* action : openPortMenu(window, menuIndex))
        action->isChecked() ? texts.prepend(action->text()) : texts.append(action->text());
    return texts;
}

inline bool choosePort(MainWindow& window, int menuIndex, const QString& text)
{
    for (QAction* action : openPortMenu(window, menuIndex)) {
        if (action->text() == text)
            action->trigger();
    }
    return portMenuTexts(window, menuIndex).first() == text;
}

#endif // PORTMENUS_H
