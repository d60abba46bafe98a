#pragma once

#include "app/Jobs.h"
#include <QString>
#include <functional>

class AppDelegate;
class QAction;
class QMenu;

// A menu item of the window's menus, added to `menu` with `text` through Jobs::addMenuItem,
// which names the jobs it starts by its words.
QAction *addMenuItem(AppDelegate &d, QMenu *menu, const QString &text,
                     std::function<void()> handler);
QAction *addMenuItem(AppDelegate &d, QMenu *menu, const QString &text,
                     void (AppDelegate::*action)());
