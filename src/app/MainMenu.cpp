// The main window's menu bar, in the order of the Linux desktops: File, Edit, Actions,
// Devices, Help. No menu carries the program's name; Preferences lives in Edit, Quit in
// File, About and the update check in Help.
#include "app/AppDelegate.h"
#include "app/Jobs.h"
#include "app/PreferencesWindow.h"
#include "app/WindowDescription.h"
#include "batch/SidecarMerges.h"
#include "browser/MainWindowController.h"

#include "browser/DropTargets.h"
#include "metadata/Clipboard.h"
#include "metadata/DateWindows.h"
#include "metadata/EditSheet.h"
#include "metadata/GpsWindow.h"
#include "metadata/LensWindow.h"
#include "metadata/MetadataMenus.h"

#include <QAction>
#include <QListView>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

namespace {

void buildFileMenu(AppDelegate &d, QMainWindow *w) {
    QMenu *file = w->menuBar()->addMenu(AppDelegate::tr("&File"));
    file->setObjectName(QStringLiteral("fileMenu"));
    d.mainWindowController().addFileItems(file);
    file->addSeparator();
    QAction *quit = file->addAction(AppDelegate::tr("&Quit"));
    quit->setObjectName(QStringLiteral("quitMenuItem"));
    // Spelt out: QKeySequence::Quit is empty where the platform theme knows no desktop.
    quit->setShortcut(QKeySequence(QStringLiteral("Ctrl+Q")));
    quit->setMenuRole(QAction::QuitRole);
    // Through the window's close, so the window's place is kept as on any other close.
    QObject::connect(quit, &QAction::triggered, w, &QWidget::close);
}

void buildEditMenu(AppDelegate &d, QMainWindow *w) {
    QMenu *edit = w->menuBar()->addMenu(AppDelegate::tr("&Edit"));
    edit->setObjectName(QStringLiteral("editMenu"));
    QAction *selectAll = edit->addAction(AppDelegate::tr("Select All"));
    selectAll->setObjectName(QStringLiteral("selectAllMenuItem"));
    selectAll->setShortcut(QKeySequence::SelectAll);
    QObject::connect(selectAll, &QAction::triggered, &d,
                     [&d] { d.mainWindowController().selectAllInShownBrowser(); });
    edit->addSeparator();
    // Metadata copy and paste of sections between photos.
    d.clipboard().addItems(edit);
    edit->addSeparator();
    QAction *prefs = d.preferencesWindow().addShowItem(edit);
    prefs->setMenuRole(QAction::PreferencesRole);
}

void buildDatesMenu(AppDelegate &d, QMenu *actions) {
    QMenu *dates = actions->addMenu(AppDelegate::tr("Dates"));
    dates->setObjectName(QStringLiteral("changePhotoDateMenu"));
    d.dateWindows().addDateItems(dates);
}

// Metadata property lists: exports, imports and templates.
void buildPlistMenu(AppDelegate &d, QMenu *m) {
    d.metadataMenus().addPropertyListItems(m);
}

void buildCopyTagsMenu(AppDelegate &d, QMenu *actions) {
    QMenu *tags = actions->addMenu(AppDelegate::tr("Copy Tags"));
    tags->setObjectName(QStringLiteral("copyTagsMenu"));
    d.metadataMenus().addTagCopyItems(tags);
}

void buildActionsMenu(AppDelegate &d, QMainWindow *w) {
    QMenu *actions = w->menuBar()->addMenu(AppDelegate::tr("&Actions"));
    actions->setObjectName(QStringLiteral("actionsMenu"));
    d.mainWindowController().addLocalListItems(actions);
    actions->addSeparator();
    d.lensWindow().addShowItem(actions);
    buildDatesMenu(d, actions);
    MainWindowController &main = d.mainWindowController();
    main.buildMetadataSubmenus(w);
    d.metadataMenus().addRemovalItems(main.removalMenu());
    buildPlistMenu(d, main.metadataExchangeMenu());
    main.addMetadataSubmenuItems(actions);

    // Edit sheet and GPS window.
    actions->addSeparator();
    d.editSheet().addActionsItem(actions);
    const auto [editGps, addGps] = d.gpsWindow().addEditItems(actions);
    editGps->setObjectName(QStringLiteral("EditeGPSExifDataPhoto"));
    addGps->setObjectName(QStringLiteral("AddGPSExifDataPhoto"));

    // Sidecar merges.
    actions->addSeparator();
    d.jobs()
        .addMenuItem(actions, AppDelegate::tr("Merge Google Takeout Metadata…"),
                     [&p = d.sidecarMerges()] { p.MergeJsonMetadataToPhotosAction(); })
        ->setObjectName(QStringLiteral("MergeJsonMetadataToPhotosAction"));
    d.jobs()
        .addMenuItem(actions, AppDelegate::tr("Merge XMP Sidecar Files…"),
                     [&p = d.sidecarMerges()] { p.WriteXMPMetadataToPhotosAction(); })
        ->setObjectName(QStringLiteral("WriteXMPMetadataToPhotosAction"));
    buildCopyTagsMenu(d, actions);
}

void buildHelpMenu(AppDelegate &d, QMainWindow *w) {
    QMenu *help = w->menuBar()->addMenu(AppDelegate::tr("&Help"));
    help->setObjectName(QStringLiteral("helpMenu"));
    d.mainWindowController().addHelpItems(help);
}

} // namespace

void buildMainMenu(AppDelegate &d, QMainWindow *w) {
    buildFileMenu(d, w);
    buildEditMenu(d, w);
    buildActionsMenu(d, w);
    QMenu *devices = w->menuBar()->addMenu(AppDelegate::tr("&Devices"));
    devices->setObjectName(QStringLiteral("devicesMenu"));
    d.mainWindowController().addDevicesItems(devices);
    buildHelpMenu(d, w);
}
