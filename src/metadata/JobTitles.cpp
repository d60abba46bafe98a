// The menu words of the action that started a job, for the sheet at its end: the menu item
// being handled, else the one that opened the window whose button started the job, else the
// job whose ending started this one.
#include "app/AppDelegate.h"

#include "metadata/core/CompletionTexts.h"
#include "platform/core/JobRunner.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QMainWindow>
#include <QMenu>
#include <QMessageBox>
#include <QSet>
#include <QTimer>

namespace {

constexpr char kWindowTitleProperty[] = "pkJobActionTitle";

QString wordsOf(const QAction *action) {
    const auto *menu = qobject_cast<const QMenu *>(action->parent());
    return menuWords(action->text(), menu ? menu->title() : QString());
}

// A window shown while a menu item is handled was opened by it: its buttons start that
// item's job.
class OpenedWindowWatcher : public QObject {
  public:
    OpenedWindowWatcher(AppDelegate &d, QObject *parent) : QObject(parent), m_d(d) {}
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() != QEvent::Show || m_d.currentActionTitle.isEmpty())
            return false;
        auto *w = qobject_cast<QWidget *>(watched);
        if (w && w->isWindow() && !qobject_cast<QMenu *>(w) && !qobject_cast<QMessageBox *>(w))
            w->setProperty(kWindowTitleProperty, m_d.currentActionTitle);
        return false;
    }

  private:
    AppDelegate &m_d;
};

} // namespace

void AppDelegate::watchMenuActions() {
    QSet<QMenu *> menus;
    if (window)
        for (QMenu *m : window->findChildren<QMenu *>())
            menus << m;
    for (QWidget *w : std::as_const(ownedWindows))
        for (QMenu *m : w->findChildren<QMenu *>())
            menus << m;
    for (QMenu *menu : std::as_const(menus))
        // A menu hears of its item before the item's feature runs.
        connect(menu, &QMenu::triggered, this, [this](QAction *action) {
            currentActionTitle = wordsOf(action);
            QTimer::singleShot(0, this, [this] { currentActionTitle.clear(); });
        });
    qApp->installEventFilter(new OpenedWindowWatcher(*this, this));
}

QString AppDelegate::jobActionTitle() {
    QObject *from = sender();
    if (auto *action = qobject_cast<QAction *>(from))
        return wordsOf(action);
    if (!currentActionTitle.isEmpty())
        return currentActionTitle;
    if (auto *widget = qobject_cast<QWidget *>(from)) {
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
