// The main window's size and place, kept in the user defaults across launches.
#include "app/AppDelegate.h"
#include "app/Sheets.h"
#include "app/WindowDescription.h"
#include "browser/MainWindowController.h"

#include "app/core/Settings.h"
#include "app/core/WindowPlacement.h"

#include <QGuiApplication>
#include <QLayout>
#include <QMainWindow>
#include <QScreen>

#include <algorithm>

namespace {
QRect availableArea(QWidget *w) {
    QScreen *screen = w->screen() ? w->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}
} // namespace

void AppDelegate::saveWindowGeometry() {
    if (window)
        storeMainWindowGeometry(*userDefaults(), window->saveGeometry());
}

void Sheets::showOverMainWindow(QWidget *secondary) {
    if (!secondary)
        return;
    secondary->adjustSize();
    const QSize size = secondary->size().expandedTo(secondary->minimumSizeHint());
    if (QMainWindow *window = app.mainWindow())
        secondary->setGeometry(
            centredOverOwner(window->frameGeometry(), size, availableArea(window)));
    secondary->show();
    secondary->raise();
    secondary->activateWindow();
}

void showCentredOnScreen(QWidget *window, QWidget *owner) {
    if (!window)
        return;
    if (!window->isVisible()) {
        // Placed before it shows: a move after the first show lands where the window
        // manager already put it, or is ignored.
        const QSize size = window->size().expandedTo(window->minimumSizeHint());
        window->setGeometry(centredWindowRect(availableArea(owner ? owner : window), size));
        window->show();
    }
    window->raise();
    window->activateWindow();
}

void AppDelegate::restoreWindowGeometry() {
    if (!window)
        return;
    const QRect area = availableArea(window);
    // Never narrower than the views' bars need: a squeezed bar cuts its mode buttons off.
    // Both views count, the hidden one too (called before the library view's buttons hide).
    QSize least = kMainWindowMinimumSize;
    least.setWidth(
        std::max(least.width(), mainWindowController().leastContentWidth(window->centralWidget())));
    window->setMinimumSize(minimumWindowSize(area, least));
    // restoreGeometry moves a window whose screen has gone onto one that is there.
    const QByteArray kept = storedMainWindowGeometry(*userDefaults());
    if (!kept.isEmpty() && window->restoreGeometry(kept))
        return;
    window->setGeometry(centredWindowRect(area, kMainWindowDefaultSize));
}
