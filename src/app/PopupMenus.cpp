// The pop-up menus of the views' image buttons.
// A menu item runs its feature's action; the buttons only pop the menus (click router).
#include "app/AppDelegate.h"
#include "app/WindowDescription.h"
#include "batch/ImageOutput.h"
#include "browser/MainWindowController.h"
#include "export/DuplicateWindow.h"
#include "export/MergeWindow.h"
#include "library/LibraryDatabase.h"
#include "library/LibraryPanels.h"
#include "library/LibraryWindows.h"
#include "metadata/DateWindows.h"
#include "metadata/EditSheet.h"
#include "metadata/GpsWindow.h"
#include "metadata/LensWindow.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>

void buildPopupMenus(AppDelegate &d) {
    QWidget *owner = d.window;
    MainWindowController &main = d.mainWindowController();
    main.buildLocalPopupMenus(owner);

    // The editing features of local photos.
    QMenu *localEdits = main.localEditMenu();
    d.editSheet().addEditItem(localEdits);
    d.gpsWindow().addEditItems(localEdits);
    main.addShowMapItem(localEdits);
    d.lensWindow().addShowItem(localEdits);
    // The dates and tag copies of the main menu, as submenus here too.
    if (d.window) {
        localEdits->addSeparator();
        for (const char *name : {"changePhotoDateMenu", "copyTagsMenu"})
            if (auto *sub = d.window->findChild<QMenu *>(QLatin1String(name)))
                localEdits->addMenu(sub);
    }

    // Image output: recompression, resizing, conversion and stamps, a submenu of the
    // local edit menu.
    localEdits->addSeparator();
    localEdits->addMenu(d.imageOutput().buildMenu(owner));

    // The library's menus; their items come with the library features.
    main.buildLibraryPopupMenus(owner);
    QMenu *quick = main.libraryActionsMenu();
    d.libraryDatabase().addMenuItems(quick);
    quick->addSeparator();
    d.libraryWindows().addRepairItems(quick);
    quick->addSeparator();
    d.libraryWindows().addDeleteItem(quick);
    quick->addSeparator();
    // Duplicate photos of the open library.
    d.duplicateWindow().addFindItem(quick);
    quick->addSeparator();
    {
        // Library exports: copies of the selected photos into the storage folder.
        QMenu *exports = quick->addMenu(AppDelegate::tr("Export"));
        exports->setObjectName(QStringLiteral("libraryExportMenu"));
        d.libraryWindows().addExportItems(exports);
        d.mergeWindow().addMergeItem(exports);
        d.libraryWindows().addShowOriginalItem(exports);
    }
    // Library edits: each item changes the selected library photos at once.
    QMenu *edits = main.libraryEditMenu();
    d.libraryPanels().addFieldItems(edits);
    d.dateWindows().addLibraryDateItem(edits);
    d.libraryPanels().addCopyItems(edits);

    // The main menu's item whose submenu follows the mode, and the import/export item.
    main.restoreMetadataSubmenus();

    // The menu bar's Actions follows the mode: the local list's items with Image Output, or
    // the library browser's menus.
    QMenu *actions =
        d.window ? d.window->findChild<QMenu *>(QStringLiteral("actionsMenu")) : nullptr;
    if (!actions)
        return;
    QAction *modeItem = main.modeActionsItem();
    if (d.imageOutput().menu())
        actions->insertMenu(modeItem, d.imageOutput().menu());
    for (QAction *a : actions->actions())
        if (a != modeItem)
            a->setProperty("pkMode", QStringLiteral("local"));
    const std::pair<QMenu *, const char *> library[] = {
        {main.librarySortMenu(), QT_TRANSLATE_NOOP("AppDelegate", "Sort and Select")},
        {main.libraryShowMenu(), QT_TRANSLATE_NOOP("AppDelegate", "Show")},
        {main.libraryEditMenu(), QT_TRANSLATE_NOOP("AppDelegate", "Edit Library Metadata")}};
    for (const auto &[menu, title] : library) {
        if (!menu)
            continue;
        menu->setTitle(AppDelegate::tr(title));
        QAction *item = actions->insertMenu(modeItem, menu);
        item->setProperty("pkMode", QStringLiteral("library"));
        item->setVisible(false);
    }
}

void AppDelegate::showActionsForMode(bool libraryMode) {
    QMenu *actions = window ? window->findChild<QMenu *>(QStringLiteral("actionsMenu")) : nullptr;
    if (!actions)
        return;
    const QString mode = libraryMode ? QStringLiteral("library") : QStringLiteral("local");
    for (QAction *a : actions->actions()) {
        const QString its = a->property("pkMode").toString();
        if (!its.isEmpty())
            a->setVisible(its == mode);
    }
    if (QAction *modeItem = mainWindowController().modeActionsItem())
        modeItem->setText(libraryMode ? tr("Library Actions") : tr("Remove Metadata"));
    // The edit shortcut belongs to the edit item in sight: the edit sheet's, hidden in the
    // library mode and so deaf to its key, or the library fields'. Never both at once, or
    // the key would be ambiguous and do nothing.
    const QKeySequence editKey(QStringLiteral("Ctrl+E"));
    if (auto *sheet =
            window->findChild<QAction *>(QStringLiteral("ClickEditPhotoExifDataMenuAction")))
        sheet->setShortcut(libraryMode ? QKeySequence() : editKey);
    if (auto *library = window->findChild<QAction *>(QStringLiteral("StartPhotoLibEditViewAction")))
        library->setShortcut(libraryMode ? editKey : QKeySequence());
}
