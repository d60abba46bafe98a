// The menus' items that the menus still add by methods of their owner: each goes through the
// jobs' own, which name a job by the item that started it.
#include "metadata/JobTitles.h"

QAction *addMenuItem(AppServices &app, QMenu *menu, const QString &text,
                     std::function<void()> handler) {
    return app.jobs().addMenuItem(menu, text, std::move(handler));
}
