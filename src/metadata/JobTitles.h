#pragma once

#include "app/AppServices.h"
#include "app/Jobs.h"
#include <QString>
#include <functional>

class QAction;
class QMenu;

// A menu item of the window's menus, added to `menu` with `text` through Jobs::addMenuItem,
// which names the jobs it starts by its words.
QAction *addMenuItem(AppServices &app, QMenu *menu, const QString &text,
                     std::function<void()> handler);
// The same for a method of `owner`, which has the window's jobs (the application object,
// whose menus still add items by its methods).
template <class Owner>
QAction *addMenuItem(Owner &owner, QMenu *menu, const QString &text, void (Owner::*action)()) {
    return owner.jobs().addMenuItem(menu, text, [&owner, action] { (owner.*action)(); });
}
