#pragma once

#include <QString>
#include <functional>

class AppDelegate;
class QAction;
class QMenu;

// A menu item of the window's menus, added to `menu` with `text`. While its handler runs,
// a job it starts is named by the item's words, and so are the jobs started later from the
// buttons of a window it opened.
QAction *addMenuItem(AppDelegate &d, QMenu *menu, const QString &text,
                     std::function<void()> handler);
QAction *addMenuItem(AppDelegate &d, QMenu *menu, const QString &text,
                     void (AppDelegate::*action)());
