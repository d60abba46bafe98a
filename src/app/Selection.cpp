// The photos the user selected in the local browser.
#include "app/AppDelegate.h"

#include "browser/DropTargets.h"

#include <QItemSelectionModel>
#include <QListView>
#include <algorithm>

QList<IKImageItemPtr> AppDelegate::selectedLocalItems() const {
    QList<IKImageItemPtr> out;
    if (!mainWindow.localImageBrowserView || !mainWindow.localImageBrowserView->selectionModel())
        return out;
    QList<int> rows;
    for (const QModelIndex &index :
         mainWindow.localImageBrowserView->selectionModel()->selectedIndexes())
        rows << index.row();
    // In the order of the list, as the jobs walk it.
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    for (int row : rows)
        if (row >= 0 && row < localPhotoItemArray.size())
            out << localPhotoItemArray.at(row);
    return out;
}
