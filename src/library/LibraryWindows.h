#pragma once

#include "model/IKImageItem.h"

#include <QCoreApplication>
#include <QList>
#include <QPointer>
#include <QString>
#include <QtGlobal>

class AppServices;
class EditSheet;
class LibraryDatabase;
class LibraryPanels;
class PKImageView;
class QCheckBox;
class QFileDialog;
class QLabel;
class QMenu;
class QProgressBar;
class QWidget;
struct ExportEntry;
struct LibraryDeletionReport;
struct ReferenceRepairReport;

// The library's secondary windows and the commands of its actions menu: the exports of the
// selected photos, the iCloud download, the deletions, and the repairs of referenced photos
// with the renamed-file repair's sheet.
class LibraryWindows {
    Q_DECLARE_TR_FUNCTIONS(LibraryWindows)
  public:
    // The export with the library's values takes the altitude typed into the edit sheet.
    LibraryWindows(AppServices &app, LibraryPanels &panels, LibraryDatabase &database,
                   EditSheet &editSheet);
    ~LibraryWindows();

    // Builds the renamed-file repair's sheet and the iCloud download window.
    void build();
    // The items of the library's actions menu: the repairs, the deletion, the exports up to
    // the iCloud download, and the reveal of an original after the other pieces' items.
    void addRepairItems(QMenu *libraryActions);
    void addDeleteItem(QMenu *libraryActions);
    void addExportItems(QMenu *exports);
    void addShowOriginalItem(QMenu *exports);

    // Library exports (export/LibraryExports.cpp): copies of the selected library photos
    // into the storage folder, plain or with the library's values written in. None replaces
    // a file; the ending names each photo that did not go out, and why.
    void ExportphotosfromphotolibraryAction();
    void ExportEditedphotosfromphotolibraryAction();
    void ExportAllphotosfromphotolibrarywithAlbumsAction();
    void ExportphotosfromphotolibrarywithYearandMonthAction();
    void ExportEditedphotosfromphotolibrarywithYearandMonthAction();
    void ExportOriginalPhotoWithPhotoLibraryMetaAction();
    void ExportEditedPhotoWithPhotoLibraryMetaAction();
    void ExportOriginalPhotoWithPhotoLibraryTitleAction();
    void ExportOriginalPhotoWithPhotoLibraryMetaCreationDateAction();
    void ExportOriginalPhotoWithPhotoLibraryMetaCameraDateAction();
    void ExportOriginalPhotoWithPhotoLibraryMetaDescripAction();
    void ExportOriginalPhotoWithPhotoLibraryMetaKeyWordsAction();
    void ExportOriginalPhotoWithPhotoLibraryMetaGPSinfoAction();
    void ExportOriginalPhotoWithPhotoLibraryMetaByYearMonthAction();
    void ExportEditedPhotoWithPhotoLibraryMetaByYearMonthAction();
    void ExportOriginalPhotoWithPhotoLibraryMetaByYearMonthAndAblumAction();
    void ExportEditedPhotoWithPhotoLibraryMetaByYearMonthAndAblumAction();
    // The alert that some selected photos went out as thumbnails: their originals are only
    // in iCloud.
    void showDownloadiCLoudPHotosonMainThread();
    // Writes the original-photo panel's fields, where they differ from the file, into copies
    // of the selected photos.
    void ApplyOriginalPhotoMetadataChangeAction();
    // The originals' properties and the library's values of the selected photos, as one
    // property list each in the storage folder.
    void ExportOriginaPhotoLibraryMetaToPlistAction();
    void ExportPhotoLibraryMetaToPlistAction();
    // iCloud originals of the selected photos (export/ICloudDownload.cpp): local originals
    // are copied, the others fetched from the photo service, or, where it cannot give them,
    // saved as their thumbnails and named with the reason.
    void DownloadICloudsfromphotolibraryAction();
    void downloadAssetResourceonMainThread(int finished, int total);
    void ShowphotoinFinderAction();

    // Deleting photos from the library (library/LibraryDeleteActions.cpp). Every road checks
    // that no other program holds the library; the rows of all photos go in one transaction
    // and one copy back, and only then their files go to the Trash.
    void DeleteSelectedPhotosinPhotoLibraryAction(); // asks first; savePanelDidEnd9 deletes
    void savePanelDidEnd9(QWidget *sheet, int returnCode, void *contextInfo = nullptr);
    void DeletePhotoinPhotoLibraryAction(); // without asking, and without "_3.mov" companions
    // Deletes the photos' rows (`withCloud`: their cloud master too), copies back, trashes
    // their files (`companions`: and "_3.mov" halves) and drops them from every list.
    LibraryDeletionReport deleteLibraryPhotos(const QList<IKImageItemPtr> &items, bool withCloud,
                                              bool companions);
    void showLibraryDeletionResult(const LibraryDeletionReport &report, const QString &doneMessage);

    // Repairing referenced photos (library/ReferenceRepairActions.cpp): files moved under a
    // new root folder, or renamed in their own folder, are found and relinked; only lost
    // referenced photos are searched.
    void FixMovedReferencedPhotosAction(); // the root folder panel; openPanelDidEnd18 relinks
    void openPanelDidEnd18(QFileDialog *panel, int returnCode, void *contextInfo = nullptr);
    // The folder under `root` that now holds the record's file; empty with `why` when none.
    QString getcurrentphotolocationwithNewFolderPath(const QString &root,
                                                     const PRPicFileInfoPtr &node, QString *why);
    ReferenceRepairReport relinkMovedReferencedPhotos(const QString &root,
                                                      const QList<IKImageItemPtr> &items);
    void FixReferencedPhotosAction(); // fixReferencedNameWindow as a sheet
    void CheckCopyOrigFileNameReferenceFileAction();
    void CheckCopyPhotoLibFileNameReferenceFileAction();
    void StartCopyFileNameReferenceFileAction();
    // Finds the record's renamed file in `folder` by its size, then renames it back
    // (`renameFile`) or writes its name into the open edit (`*writeFailed` when that
    // failed). Returns the name without extension and the file's path now, or empty with
    // `why`.
    QString FindandChangeFinderPhotowithPath(const QString &folder, const PRPicFileInfoPtr &node,
                                             bool renameFile, QString *why, bool *writeFailed,
                                             QString *newPath);
    ReferenceRepairReport relinkRenamedReferencedPhotos(const QList<IKImageItemPtr> &items,
                                                        bool renameFiles);
    // `renamedRepair`: a renamed-photo repair that relinked none adds the hint to run the
    // moved-photo repair first.
    void showReferenceRepairResult(const ReferenceRepairReport &report, bool renamedRepair = false);
    // True, with the sheet saying so, when no library photo is selected.
    bool refuseRepairWithoutSelection();

  private:
    void buildFixReferencedNameWindow();
    void buildICloudDownloadWindow();
    // The iCloud download (export/ICloudDownload.cpp): its window's controls, its run and
    // its window's last words.
    void prepareDownloadWindow();
    void startCloudDownload(const QList<ExportEntry> &entries, bool withWindow);
    void endCloudDownloadWindow(int downloaded);
    // The record and item now point at `path`, which exists.
    void relinkItem(const IKImageItemPtr &item, const QString &path);

    AppServices &app;
    LibraryPanels &panels;
    LibraryDatabase &database;
    EditSheet &editSheet;
    QList<QWidget *> ownWindows; // the windows built without a parent

    QWidget *fixReferencedNameWindow = nullptr;
    PKImageView *fixReferencedNameImgView = nullptr;
    QCheckBox *copyPhotoLibFileNameBtn = nullptr, *copyOrigFileNameBtn = nullptr;
    QPointer<QFileDialog> openPanel; // the root folder panel of the moved-photo repair
    QWidget *downloadiCloudPhotosWindow = nullptr;
    PKImageView *downloadiCloudPhotosImgView = nullptr;
    QWidget *downloadPhotosWindow = nullptr; // the download window, shown as a sheet
    QProgressBar *downloadPhotosProgressor = nullptr;
    QLabel *downloadiCloudPhotoInfolab = nullptr, *downloadiCloudPhotoProcesslab = nullptr;
    int allDownloadiCloudNum = 0;
    quint64 allDownloadiCloudPhotoSize = 0;
};
