// The menu words of the action that started a job, for the sheet at its end: the menu item
// being handled, else the one that opened the window whose button started the job, else the
// job whose ending started this one.
#include "metadata/JobTitles.h"

#include "app/AppDelegate.h"
#include "metadata/core/CompletionTexts.h"
#include "platform/core/JobRunner.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMessageBox>
#include <QSet>

#include <utility>

namespace {

constexpr char kWindowTitleProperty[] = "pkJobActionTitle";

QSet<QWidget *> shownWindows() {
    QSet<QWidget *> shown;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->isVisible())
            shown << w;
    return shown;
}

void runTitled(AppDelegate &d, const QString &words, const std::function<void()> &handler) {
    const QString outer = std::exchange(d.currentActionTitle, words);
    const QSet<QWidget *> before = shownWindows();
    handler();
    // A window the item opened starts the item's job from its buttons; its questions and
    // menus are no such window.
    for (QWidget *w : shownWindows())
        if (!before.contains(w) && !qobject_cast<QMenu *>(w) && !qobject_cast<QMessageBox *>(w))
            d.setJobActionTitle(w, words);
    d.currentActionTitle = outer;
}

} // namespace

QAction *addMenuItem(AppDelegate &d, QMenu *menu, const QString &text,
                     std::function<void()> handler) {
    QAction *item = menu->addAction(text);
    QObject::connect(item, &QAction::triggered, &d,
                     [&d, words = menuWords(text, menu->title()), handler = std::move(handler)] {
                         runTitled(d, words, handler);
                     });
    return item;
}

QAction *addMenuItem(AppDelegate &d, QMenu *menu, const QString &text,
                     void (AppDelegate::*action)()) {
    return addMenuItem(d, menu, text, [&d, action] { (d.*action)(); });
}

QString AppDelegate::jobActionTitle() {
    if (!currentActionTitle.isEmpty())
        return currentActionTitle;
    if (auto *widget = qobject_cast<QWidget *>(sender())) {
        const QString opened = widget->window()->property(kWindowTitleProperty).toString();
        if (!opened.isEmpty())
            return opened;
    }
    return endingJobTitle;
}

void AppDelegate::setJobActionTitle(QWidget *window, const QString &title) {
    if (window)
        window->setProperty(kWindowTitleProperty, title);
}

void AppDelegate::trackJobTitle(JobRunner *runner) {
    const QString title = jobActionTitle();
    // Connected before the job's own ending: the ending, and any job it starts, know it.
    connect(runner, &JobRunner::finished, this, [this, title] { endingJobTitle = title; });
    connect(
        runner, &JobRunner::finished, this, [this] { endingJobTitle.clear(); },
        Qt::QueuedConnection);
}
