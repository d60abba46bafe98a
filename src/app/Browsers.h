#pragma once

#include "model/IKImageItem.h"

#include <QList>
#include <QString>

struct JobResult;
struct WriteRecipeReport;

// What the pieces ask of the main window's two browsers (the local list and the library):
// what is selected, showing an item again after a write, reloading a browser. The main
// window's controller implements it; no piece reads the browsers' widgets.
class Browsers {
  public:
    virtual ~Browsers() = default;

    // The items selected in the local browser, or in the library browser, in list order.
    virtual QList<IKImageItemPtr> selectedLocalItems() const = 0;
    virtual QList<IKImageItemPtr> selectedLibraryItems() const = 0;
    // The rows selected in the library browser, in list order.
    virtual QList<int> selectedLibraryRows() const = 0;
    // Whether the library view is the one the main window shows.
    virtual bool libraryInSight() const = 0;

    // The right column and the panels show the first selected photo of the local browser,
    // or of the library browser, anew.
    virtual void showLocalSelection() = 0;
    virtual void showLibrarySelection() = 0;
    // After a recipe job: the photos written show their new state, in the grid and, for the
    // selected one, in the panels.
    virtual void showEditedPhotos(const WriteRecipeReport &report) = 0;
    // After a job of tasks: a photo whose shown file was rewritten where it is (its edited
    // copy, or its own file) shows its new state the same way.
    virtual void showRewrittenPhotos(const QList<IKImageItemPtr> &items,
                                     const QList<JobResult> &results) = 0;

    // Every cell of the local browser, or of the library browser, is drawn again from its item.
    virtual void refreshLocalCells() = 0;
    virtual void refreshLibraryCells() = 0;

    // The local browser is the one in sight in the local view, in place of its hint.
    virtual void showLocalBrowser() = 0;
    // Appends an item to the local lists; the browser shows it at its next reload.
    virtual void addLocalItem(const IKImageItemPtr &item) = 0;
    // The local browser shows its list again.
    virtual void reloadLocalBrowser() = 0;
    // The library browser shows its lists again; the selection goes, and the column lets go
    // of the photo it showed.
    virtual void reloadLibraryBrowser() = 0;
    // The same, keeping the selected photos selected and the column and panels showing them.
    virtual void reloadLibraryBrowserKeepingSelection() = 0;
    // Loads the library (or folder) at `path` into the library browser; false, with a sheet
    // saying so, while another load runs.
    virtual bool loadLibrary(const QString &path) = 0;
    // Whether the library browser shows only the referenced photos whose file is missing.
    virtual bool libraryShowsMissingFiles() const = 0;
};
