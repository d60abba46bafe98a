// The library browser's five sorts: the current filter's list, sorted into the shown list.
#include "app/AppServices.h"
#include "browser/MainWindowController.h"

#include "browser/PRButton.h"
#include "library/core/LibrarySort.h"

#include <QListView>

namespace {
void sortShownList(MainWindowController &w, LibrarySortOrder order, const char *image) {
    const QString filter = w.libraryFilterImage();
    // Copy first: the source may be the shown list itself.
    const QList<IKImageItemPtr> source = w.libraryListForFilter(filter);
    // The list it replaces goes first (clear() would keep its room): a million-photo
    // library's shown list is 16 MB.
    w.app.library().photoLibBroserArray = QList<IKImageItemPtr>();
    w.app.library().photoLibBroserArray = sortedLibraryItems(source, order);
    w.LoadImportedPhotoLibraryonMainThread();
    // The toolbar's layout places the button; only its mark changes.
    w.markLibrarySort(QLatin1String(image));
}
} // namespace

QList<IKImageItemPtr> &MainWindowController::libraryListForFilter(const QString &imageName) {
    LibraryState &l = app.library();
    switch (libraryListForFilterImage(imageName)) {
    case LibraryListId::All:
        return l.backupdifPhotoLibItemArray;
    case LibraryListId::LivePhotos:
        return l.livesPhotosItemArray;
    case LibraryListId::Jpeg:
        return l.jpgPhotosItemArray;
    case LibraryListId::Raw:
        return l.rawPhotosItemArray;
    case LibraryListId::Png:
        return l.pngPhotosItemArray;
    case LibraryListId::Videos:
        return l.videosItemArray;
    case LibraryListId::Favourites:
        return l.favPhotosItemArray;
    case LibraryListId::Edited:
        return l.editPhotosItemArray;
    case LibraryListId::NotDownloaded:
        return l.unDownloadPhotosItemArray;
    case LibraryListId::CurrentAlbum:
        return l.currentAlbumArray;
    case LibraryListId::Last24Hours:
        return l.twentyfourhoursItemArray;
    case LibraryListId::Last7Days:
        return l.sevendaysItemArray;
    case LibraryListId::Last30Days:
        return l.thirtydaysItemArray;
    case LibraryListId::Last90Days:
        return l.ninetydaysItemArray;
    case LibraryListId::LastYear:
        return l.oneyearsItemArray;
    case LibraryListId::NoTitle:
        return l.noTitlePhotosItemArray;
    case LibraryListId::NoCaption:
        return l.noCaptionPhotosItemArray;
    case LibraryListId::NoKeywords:
        return l.noKeywordsPhotosItemArray;
    case LibraryListId::NoLocation:
        return l.noLocationPhotosItemArray;
    case LibraryListId::NoAlbum:
        return l.noAlbumPhotosItemArray;
    case LibraryListId::Referenced:
        return l.referencePhotoItemArray;
    case LibraryListId::LostReferenced:
        return l.lostReferencePhotoItemArray;
    case LibraryListId::SameName:
    case LibraryListId::Shown:
        break;
    }
    return l.photoLibBroserArray;
}

void MainWindowController::SortAllPhotosLibraryByDateAction() {
    sortShownList(*this, LibrarySortOrder::NewestFirst, "sortphotobydate.png");
}
void MainWindowController::SortAllPhotosLibraryByOldToNewDateAction() {
    sortShownList(*this, LibrarySortOrder::OldestFirst, "sortbyolddate.png");
}
void MainWindowController::SortAllPhotosLibraryByTitleAction() {
    sortShownList(*this, LibrarySortOrder::Title, "sortbytitle.png");
}
void MainWindowController::SortAllPhotosLibraryByFileNameAction() {
    sortShownList(*this, LibrarySortOrder::FileName, "sortbyname.png");
}
void MainWindowController::SortAllPhotosLibraryByFileSizeAction() {
    sortShownList(*this, LibrarySortOrder::FileSize, "sortbyfilesize.png");
}
