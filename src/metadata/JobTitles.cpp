// The menus' items that the menus of the application object still add by its methods: each
// goes through the jobs' own, which name a job by the item that started it.
#include "metadata/JobTitles.h"

#include "app/AppDelegate.h"
#include "app/Jobs.h"

QAction *addMenuItem(AppDelegate &d, QMenu *menu, const QString &text,
                     std::function<void()> handler) {
    return d.jobs().addMenuItem(menu, text, std::move(handler));
}

QAction *addMenuItem(AppDelegate &d, QMenu *menu, const QString &text,
                     void (AppDelegate::*action)()) {
    return addMenuItem(d, menu, text, [&d, action] { (d.*action)(); });
}
