// The browsers' data source and double-click: which list each browser shows.
#include "app/AppDelegate.h"
#include "browser/CameraWindow.h"
#include "browser/DropTargets.h"
#include "browser/MainWindowController.h"
#include "platform/core/Workspace.h"

#include <QListView>
#include <QUrl>

int AppDelegate::numberOfItemsInImageBrowser(QListView *browser) const {
    if (!browser)
        return 0;
    if (mainWindowController().isLocalBrowser(browser))
        return int(localLists().localPhotoItemArray.size());
    if (mainWindowController().isLibraryBrowser(browser))
        return int(library().photoLibBroserArray.size());
    if (browser == m_cameraWindow->photoBrowser())
        return int(m_cameraWindow->photos().size());
    return 0;
}

IKImageItemPtr AppDelegate::imageBrowser(QListView *browser, int index) const {
    const QList<IKImageItemPtr> *items = nullptr;
    if (!browser)
        return nullptr;
    if (mainWindowController().isLocalBrowser(browser))
        items = &localLists().localPhotoItemArray;
    else if (mainWindowController().isLibraryBrowser(browser))
        items = &library().photoLibBroserArray;
    else if (browser == m_cameraWindow->photoBrowser())
        items = &m_cameraWindow->photos();
    if (!items || index < 0 || index >= items->size())
        return nullptr;
    return items->at(index);
}

void AppDelegate::imageBrowser(QListView *browser, CellWasDoubleClicked, int index) {
    // The camera's files are not on disk: nothing to open.
    if (!browser || browser == m_cameraWindow->photoBrowser())
        return;
    const IKImageItemPtr item = imageBrowser(browser, index);
    if (item && !item->filePath.isEmpty())
        Workspace::openURL(QUrl::fromLocalFile(item->filePath));
}
