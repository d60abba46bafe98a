#pragma once

#include "app/PreferencesWindowPart.h"
#include "app/core/AppState.h"
#include "batch/ImageOutputPart.h"
#include "batch/NamingWindowsPart.h"
#include "batch/SidecarMergesPart.h"
#include "browser/CameraWindowPart.h"
#include "browser/MainWindowPart.h"
#include "export/DuplicateWindowPart.h"
#include "export/MergeWindowPart.h"
#include "library/LibraryPanelsPart.h"
#include "library/LibraryWindowsPart.h"
#include "metadata/ClipboardPart.h"
#include "metadata/DateWindowsPart.h"
#include "metadata/EditSheetPart.h"
#include "metadata/GpsWindowPart.h"
#include "metadata/LensWindowPart.h"
#include "model/IKImageItem.h"
#include "model/PRDuplicateNode.h"

#include <QCache>
#include <QColor>
#include <QDateTime>
#include <QFont>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <functional>
#include <memory>

struct DatabaseHolder;
class QAction;
class QCheckBox;
class QComboBox;
class QFileDialog;
class QFontDialog;
class QLabel;
class QLineEdit;
class QListView;
class QMainWindow;
class QMenu;
class QMessageBox;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QWidget;
class PKChoiceButtons;
class PKColorWell;
class PKMapView;
class QTreeWidget;
class ReverseGeocoder;
class LocalPhotoModel;
class NSDragImageBrowserView;
class PRClosedButton;
class PRDragImageView;
class PRButton;
class QTimer;
class PKImageView;
class JobRunner;
struct JobReport;
struct JobResult;
struct WriteRecipeOptions;
struct WriteRecipeReport;

// The application object: one for the program's lifetime. It owns every window, control,
// list, flag and setting; each feature is a method, implemented in the file of its
// feature. Controls are "outlets": members that the window builders fill in.
class AppDelegate : public QObject {
    Q_OBJECT
  public:
    // init: clears the state; the window description is loaded by launch().
    AppDelegate();
    ~AppDelegate() override;

    static AppDelegate *GetAppDelegater();

    // Builds the windows (our window description), then runs awakeFromNib and
    // applicationDidFinishLaunching, in that order.
    void launch();
    void awakeFromNib();
    void applicationDidFinishLaunching();

    // Main window delegate.
    bool windowShouldClose();
    // Common end of alerts and sheets: code 1 (the default button, or OK) closes the sheet.
    void savePanelDidEnd3(QWidget *sheet, int returnCode, void *contextInfo = nullptr);

    // Empties every panel of the local selection: information lines, tree, map, place and
    // the values the edit sheet is filled from.
    void clearLocalPanels();
    // The right column's lines, property table and preview for `item` of the library or the
    // local list (null: an empty column); the local selection's values stay untouched.
    void showPhotoInColumn(const IKImageItemPtr &item, bool library);
    // The menu bar's Actions shows the items of the local list or of the library browser.
    void showActionsForMode(bool libraryMode);
    // One sheet naming the files and folders an import could not take or read.
    void showImportProblems(const QStringList &problems);

    // Importing local photos.
    void OpenComputerFoldertoImportAction();
    void ClickClearandImportPhotosAction();
    void ClickImportPhotosAction();
    void openPanelDidEnd(QFileDialog *panel, int returnCode, void *contextInfo = nullptr);
    void openPanelDidEnd1(QFileDialog *panel, int returnCode, void *contextInfo = nullptr);
    // Walks the paths on a worker thread; each item reaches the lists on the main thread.
    void importPhotosItemThreader(const QStringList &paths);
    void LoadImportedPhotsonMainThread();
    void ClearLeftPhotos();
    // Appends one item to both local lists and shows it (main thread).
    void appendLocalItem(const IKImageItemPtr &item);
    void showLocalBrowserPane();

    // Sorting and clearing the local list.
    void ClickSortLocalPhotosByDate();
    void ClickSortLocalPhotosByName();
    void ClearSelectedLeftPhotos();
    void ClearLeftPhotosWithoutExifDate();
    void ClearLeftPhotosWithoutExifDateMainThread(const QList<IKImageItemPtr> &toRemove);

    // The selection handler: fills the panels from the first selected photo.
    void imageBrowserSelectionDidChange(QListView *browser);
    void getCityInfowithlonglab(double longitude, double latitude, const IKImageItemPtr &item);

    // Notification handlers of the custom controls (registered by init).
    void MyClosebuttonMouseDownHandle(QObject *sender);
    void MybuttonMouseDownHandle(QObject *sender);
    void PRbuttonMouseEnteredHandle(QObject *sender);
    void PRbuttonMouseExitedHandle(QObject *sender);
    void PRDragOperationImageNoteHandle(QObject *sender);
    void NSDragOperationImageViewNoteHandle(QObject *sender);
    void NSDragOperationImageViewFolderNoteHandle(QObject *sender);

    // Preferences window.
    void ShowPreferenceSetting();
    void CancelPreferenceSetting();
    void ChangeStoreLocation();
    void openPanelDidEnd5(QFileDialog *panel, int returnCode, void *contextInfo = nullptr);
    // Ticking "Overwrite original photos" asks once for a confirmation; Cancel unticks it.
    void ClickOverwritePhotosSetting();
    void ResetPreferenceSetting();
    // Shows `preferences` in the preferences window's controls.
    void showPreferencesInWindow();
    void ShowFontPanelAction();
    void changeFont(const QFont &font);

    // Completion sheet of a job: what was done, where the photos are, each photo of
    // `report.notWritten` (failed or skipped; told whatever the suppression setting) and a
    // button that reveals the result. False when the suppression setting kept it away.
    // `unshown`: the reveal found no file manager, so the sheet shows although suppressed,
    // names the folder and offers no reveal. `over`: the window the sheet opens on, when not
    // the main window.
    bool LocalPhotoMetadataChangedCompletedAlert(const JobReport &report, bool unshown = false,
                                                 QWidget *over = nullptr);
    void savePanelDidEnd112(QMessageBox *alert, int returnCode, void *contextInfo = nullptr);

    // The items selected in the local browser, in list order.
    QList<IKImageItemPtr> selectedLocalItems() const;

    // Click router, hover pictures, exit confirmation and window actions.
    void popUpButtonMenu(QMenu *menu, QWidget *button, qreal offset);
    void CloseTheMainWindow();
    void ClickAbout();
    void CLICkProductGuide();
    void ClickProductVideoGuide();
    void CLICkSupport();
    void ChangeToImportComputerPhoto();
    // The two modes of the main window and the opening of a library (library/LibraryOpen.cpp).
    void ChangeLocalPhotoMenuAction();
    void ChangePhotoLibraryMenuAction();
    void OpenPhotoLibraryAction();
    void openPanelDidEnd8(QFileDialog *panel, int returnCode, void *contextInfo = nullptr);
    void StartScanningGIFImageViewTimer();
    // Starts the load of the library (or folder) at `libraryPath` on a worker; false, with a
    // sheet saying so, while another load runs.
    bool LoadPhotosLibraryItemThreader(const QString &libraryPath);
    // The load's hand-backs, on the main thread.
    void LoadImportedPhotoLibraryonMainThread();
    void CompletedScanPhotoLibraryonMainThread();
    void savePanelDidEnd12(QMessageBox *alert, int returnCode, void *contextInfo = nullptr);
    // Library browser sorts (library/LibrarySortActions.cpp).
    void SortAllPhotosLibraryByDateAction();
    void SortAllPhotosLibraryByOldToNewDateAction();
    void SortAllPhotosLibraryByTitleAction();
    void SortAllPhotosLibraryByFileNameAction();
    void SortAllPhotosLibraryByFileSizeAction();
    // The list behind a filter image of showPhotoTypelibBtn.
    QList<IKImageItemPtr> &libraryListForFilter(const QString &imageName);
    // Shows one album's items (the album menu's action).
    void FilterSelectOneAlbumsAction(const QString &albumTitle);

    // Browser data source and delegate.
    struct CellWasDoubleClicked {};
    int numberOfItemsInImageBrowser(QListView *browser) const;
    IKImageItemPtr imageBrowser(QListView *browser, int index) const;
    void imageBrowser(QListView *browser, CellWasDoubleClicked, int index);
    void ShowMapAction();

    // Camera and lens window.
    void ShowCameLensModel();
    void CancleCameLensModel();
    void ChangeCameLensModel();

    // Edit sheet and GPS window.
    void StartEditViewAction();
    void HideEditViewAction();
    void ClickApplyChangeAction();
    void ClickEditPhotoExifDataMenuAction();
    // Text delegates of the edit fields: mark the edited group and preview typed positions.
    void controlTextDidChange(QObject *field);
    // Editing of a field begins (textShouldBeginEditing); always answers true.
    bool control(QObject *control);
    // Puts the values remembered for the selected photo into the edit sheet's fields.
    void fillEditFieldsFromRememberedValues();
    void EditeGPSExifDataPhoto();
    void AddGPSExifDataPhoto();
    void PreviewCurrentGPSInMap();
    void ClickCancleSaveGPSAction();
    void ClickSaveChangeGPSAction();
    // Reverse-geocodes currentCoords into the item's place name.
    void GetCityInfowithFileThreader(const IKImageItemPtr &item);
    // Duplicate photos of the open library (export/DuplicateScanFeature.cpp,
    // export/DuplicateTables.cpp, export/DuplicateWindow.cpp). The scan hashes a snapshot
    // of the browser's list on a worker; the window's two tables show the groups and the
    // files of one group, whose ticks the deletion reads.
    void FindDuplicatePhotosAction();
    void StartScanningDupGIFImageViewTimer();
    // The end of a scan, on the main thread.
    void ScanDuplicateFinishedHanderToMainThread(const struct DuplicateScanResult &result);
    bool duplicateScanRunning() const { return runningJob(OneAtATime::DuplicateScan); }
    // Stops a running scan; its groups are never shown.
    void stopDuplicateScan();
    // Data source and delegate of the window's tables (and of the merge list, whose rows
    // come with the merge window).
    int numberOfRowsInTableView(class QTableView *table) const;
    QWidget *tableView(QTableView *table, const QString &columnIdentifier, int row);
    void tableViewSelectionDidChange(QTableView *table);
    // Makes the cells of `table` again from its controller. Only rows in sight get theirs,
    // the others as they scroll in: thousands of groups must not each read a thumbnail
    // before the window answers.
    void reloadDuplicateTable(QTableView *table);
    void fillDuplicateCellsInSight(QTableView *table);
    // Shows `path` in the preview: a picture, a video's first frame, or the file's icon.
    void showDuplicatePreview(const QString &path);
    void AudoCheckAction();
    void CLickCancleDupAction();
    // The delete button: hands the ticked files, group by group in table order, to
    // onDeleteTickedDuplicates; without it a sheet says deletion is not available.
    void deleteTickedDuplicates();
    // Empties both tables of the duplicate window (after its ticked files went).
    void clearDuplicateTables();
    // End of duplicate photos.
    // Application look and menus (app/AppLook.cpp, app/MainMenu.cpp, app/WindowGeometry.cpp,
    // app/LaunchPaths.cpp).
    // The main window's size and place: kept at every close, put back at launch.
    void saveWindowGeometry();
    void restoreWindowGeometry();
    // Shows a secondary window centred over the main window, whole on its screen, in front.
    void showOverMainWindow(QWidget *secondary);
    // Adds the photos, videos and folders named on the command line to the local list.
    void openLaunchPaths(const QStringList &paths);
    // End of application look and menus.
    // Metadata property lists: export, import and templates.
    void ExportTIFFtoPlistAction();
    void ExportExiftoPlistAction();
    void ExportExifAndIiFFDataToPlist();
    void ExportExifAndGPSDataToPlist();
    void WriteExifDataToPlist();
    void ExportTemplateDataToPlist();
    void WriteSelectedItemsExifDataToPlist();
    void ImportTIFFtoPlistAction();
    void ImportExiFtoPlistAction();
    void ImportExiFAndTiffPlistAction();
    void ImportExiFAndGPSPlistAction();
    void ImportMetaDataPlistAction();
    void ImportTemplateDataPlistAction();
    void openPanelDidEnd10(QFileDialog *panel, int returnCode, void *contextInfo = nullptr);
    void openPanelDidEnd11(QFileDialog *panel, int returnCode, void *contextInfo = nullptr);
    void openPanelDidEnd12(QFileDialog *panel, int returnCode, void *contextInfo = nullptr);
    void openPanelDidEnd16(QFileDialog *panel, int returnCode, void *contextInfo = nullptr);
    void openPanelDidEnd14(QFileDialog *panel, int returnCode, void *contextInfo = nullptr);
    void openPanelDidEnd13(QFileDialog *panel, int returnCode, void *contextInfo = nullptr);
    // The text of an edit-sheet field, found by its outlet name; empty when there is none.
    QString editSheetFieldText(const char *outletName) const;
    // Metadata removal, copy and paste of sections, tag-to-tag copies and renames.
    void DeleteExifAndGPSData();
    void DeleteAllPhotoMetadataData();
    void RemoveIPTCandTIFFTagsDataFromPhoto();
    void RemoveTIFFTagsDataFromPhoto();
    void RemoveIPTCDataFromPhoto();
    void RemoveExifDataFromPhoto();
    void RemoveGPSDataFromPhoto();
    void ClickCopyOnePhotoExifAction();
    void ClickCopyOnePhotoIPTCAction();
    void ClickCopyOnePhotoTIFFAction();
    void ClickCopyOnePhotoGPSAction();
    void ClickCopyOneAllPhotoMetadataAction();
    void ClickPasteExifDataAction();
    void ClickPasteIPTCDataAction();
    void ClickPasteTIFFDataAction();
    void ClickPasteGPSDataAction();
    void ClickPasteAllPhotoMetaAction();
    void ClickCopyTIFFandIPTCtoExifAction();
    void ClickCopyExiftoTIFFandIPTCAction();
    void ClickCopyTitletoCaptionAction();
    void ClickCopyKeywordstoCaptionAction();
    void ClickCopyCaptionToTitleAction();
    void ClickAddPersonShownAction();
    void ClickCopyPersonShownToKeywordsAction();
    void ClickCopyCameraDateToTitleAction();
    void ClickCopyFileNameToTitleAction();
    void ClickCopyFileNameToCommentsAction();
    void ClickCopyPhotoTitleToFilenameAction();
    void ClickCopyPhotoGPSNameToFilenameAction();
    // Completion of the persons-shown question; writes `persons` into the selected photos.
    void addPersonsShownDidEnd(const QStringList &persons);

    // Image output (batch/ImageOutputFeature.cpp, batch/StampFeature.cpp): recompression,
    // resizing, conversion to JPEG and the date, copyright and place stamps. Each takes the
    // selection on the main thread, works on the job runner and ends in one message naming
    // the photos that gave no output (none when all went well) and one reveal.
    // `title` is the menu item's: "20%", "40%", "80%"; a resize size ("1920 x 1080", ...).
    void CompressPhotosWithOptions(const QString &title);
    void ResizePhotosWithOptions(const QString &title);
    void compressReSizePhotowithArrayThreader(const QList<IKImageItemPtr> &items,
                                              const QString &title);
    void ClickConvertHEICtoJPEGAction();
    void ConvertHEICtoJPEGThreader(const QList<IKImageItemPtr> &items, bool revealFirst);
    void AddDateStampsOnPhotoAction();
    void AddDateOnPhotoAction();
    void AddDateOnPhotoWithOutCompassAction();
    void AddCopyrightOnPhotoAction();
    void AddLocationPlaceOnPhotoAction();
    // How an image-output job shows its result: the storage folder, the first output, or the
    // output of the list's first item only.
    enum class OutputReveal { StorageFolder, FirstOutput, FirstOutputIfFirstItem };
    // `prepare` encodes on the workers; the outputs are written in list order, so that the
    // first photo of two with one output name keeps the name.
    using PrepareOutput = std::function<struct PreparedOutput(const IKImageItemPtr &item)>;
    void startImageOutputJob(const QList<IKImageItemPtr> &items, PrepareOutput prepare,
                             OutputReveal reveal, const QStringList &failedBefore = {},
                             const IKImageItemPtr &firstListItem = {});
    // End of image output.

    // Panel values and map (browser/LocalInfoPanel.cpp, browser/SelectionHandler.cpp): the
    // exposure line of the captioned information lines, and what the map's fixed slot shows
    // while the map is hidden.
    // End of panel values and map.

    // Camera and iOS device import.
    void OpenDeviceAction();
    void DownloadPhotoAction();
    void DownloadImportEditePhotoAction();
    void DeletePhotoAction();
    void ViewExifData();
    void ChangeToImportiOSDevicePhoto();
    // The device spinner: shows and animates `camerataskProgressor`; hides and stops it.
    void startProgreess();
    void endProgress();
    // The download road: asks the item's own camera to copy its file into the storage
    // folder as `saveAsName` (the camera's name when empty). The result reaches
    // didDownloadFile on the main thread; with `importToEdit` the copy joins the local list.
    // False, with nothing sent, when the item's camera has gone.
    bool requestCameraDownload(const IKImageItemPtr &item, const QString &saveAsName,
                               bool importToEdit = false);
    void didDownloadFile(const struct PKDownloadResult &result, bool importToEdit);
    // Whether any camera still has requests in hand.
    bool cameraRequestsPending() const;
    // Device browser and camera delegate calls (main thread).
    void deviceBrowserDidAddDevice(const std::shared_ptr<class PKCameraDevice> &device,
                                   bool moreComing);
    void deviceBrowserDidRemoveDevice(const std::shared_ptr<PKCameraDevice> &device,
                                      bool moreGoing);
    void cameraDeviceDidAddItem(PKCameraDevice *device, const std::shared_ptr<PKCameraFile> &file);
    void cameraDeviceDidRemoveItem(PKCameraDevice *device,
                                   const std::shared_ptr<PKCameraFile> &file);
    void deviceDidOpenSessionWithError(PKCameraDevice *device, const QString &error);
    void startDeviceBrowser();
    // The items selected in the camera browser, in list order.
    QList<IKImageItemPtr> selectedCameraItems() const;
  signals:
    void camerasChanged();

  public:
    // ---- Window parts: each owns its window's widgets and state ----
    EditSheetPart editSheet;
    GpsWindowPart gpsWindow;
    DateWindowsPart dateWindows;
    LensWindowPart lensWindow;
    ClipboardPart clipboard;
    MainWindowPart mainWindow;
    CameraWindowPart cameraWindow;
    PreferencesWindowPart preferencesWindow;
    NamingWindowsPart namingWindows;
    SidecarMergesPart sidecarMerges;
    ImageOutputPart imageOutput;
    LibraryPanelsPart libraryPanels;
    LibraryWindowsPart libraryWindows;
    DuplicateWindowPart duplicateWindow;
    MergeWindowPart mergeWindow;

    // ---- Shared properties ----
    QMainWindow *window = nullptr;
    Preferences preferences;
    SelectionState selection;
    LibraryState library;
    bool blocalMode = true;

    // ---- Plain fields ----
    QByteArray theImageData;
    QList<IKImageItemPtr> localPhotoItemArray;       // what the local browser shows
    QList<IKImageItemPtr> localImportPhotoItemArray; // every import, in import order
    bool bdifResultView = false;
    int macOsVer = 10, macOSmajor = 10;

    // ---- Outlets: main window ----

    // ---- Outlets: camera and lens window ----

    // ---- Outlets: camera window ----

    // ---- Outlets: preferences window ----

    // ---- Outlets: batch windows (renaming, titles, dates, sidecars) ----

    // ---- Outlets: library windows (referenced files, iCloud, merge, duplicates) ----

    // Takeout JSON and XMP sidecar merges (batch/SidecarMergeActions.cpp and the two merge
    // windows). Both write into the photos themselves; one run at a time, on a worker; the end
    // shows one summary sheet (merged, unpaired, not done and why) and one reveal.
    void MergeJsonMetadataToPhotosAction();
    void BatchWriteJsonFileToPhotos();
    void openPanelDidEnd19(QFileDialog *panel, int returnCode, void *contextInfo = nullptr);
    void CanelJsonMetadataToPhotosAction();
    void ScanJsonUpdatProgessItemToMainThread(int done, int total);
    void BatchScanJsonPhotosItemToMainThread(const struct SidecarMergeSummary &summary);
    void WriteXMPMetadataToPhotosAction();
    void BatchWriteXMPFileToFile();
    void CanelXMPMetadataToPhotosAction();
    void openPanelDidEnd9(QFileDialog *panel, int returnCode, void *contextInfo = nullptr);
    void BatchScanXmpPhotosItemToMainThread(const SidecarMergeSummary &summary);
    // The runs the panels start; false, with a sheet saying so, while a merge runs.
    bool startJsonMerge(const QStringList &folders);
    bool startXmpMerge(const QString &folder);
    // End of sidecar merges.

    // Update check, utility classes and library comparison panels.
    class PRUpdateController *updateController = nullptr;
    void CheckforUpdateAction();
    void getSystemVersionMajor(int *major, int *minor, int *bugFix);
    // The raw EXIF reader's log lines (also written to the log).
    QStringList ReadExifDataFromPiture(const QString &path);
    bool bhasThumImage = false;
    // The library case of the selection handler: both columns of the first selected photo.
    void libraryBrowserSelectionDidChange();
    // The label or field of the two library panels that is named `name`.
    QObject *libraryPanelOutlet(const QString &name);
    // Replaces the item's original record by one read from its file (any thread).
    void getOriginalMedataDataWithItem(const IKImageItemPtr &item);

    // Everything a window builder creates without a parent window is owned here.
    QList<QWidget *> ownedWindows;

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
    // End of library exports.

    // Date features.
    // Single date window and the opening of both date windows.
    void ShowChangeDateWindow();
    void ChangeDateExifFromPhoto();
    void ClickDateChangedSaveAction();
    void ClickCreatedDateChangedSaveAction();
    void ClickDateChangedCancelAction();
    // Batch date window.
    void ClickAddTimeAction();
    void ClickRemoveTimeAction();
    void ChoosePhotosAction();
    void openPanelDidEnd3(QFileDialog *panel, int returnCode, void *contextInfo = nullptr);
    void ClickMutiDateChangedCancelAction();
    void ClickMutiDateChangedSaveAction();
    void ClickMutiCreatedDateChangedSaveAction();
    // Dates from file names and date copies.
    void ClickSetCameraDateFromFileNameAction();
    void ClickCopyExifDateToCreateDateAction();
    // Returns whether the copy was written.
    bool CopyVideoExifdataWithItem(const IKImageItemPtr &item);
    void ClickCopyCreatedDateToCameraDateAction();
    void ClickCopyCreatedDateToModifyDateAction();
    void ClickCopyModiyDateToCreateDateAction();
    bool ChangeRawPhotoWithDate(const QString &dateText, const QString &path);
    bool runExifToolCommandWithArguments(const QStringList &arguments);
    // Puts the batch window's texts back to empty (the reference photo goes too).
    void resetMutiDateWindowTexts();
    // End of date features.
    // Sheets and preferences (app/, metadata/...).
    // The menu words of the action that started a job (metadata/JobTitles.cpp): the menu
    // item being handled, the one that opened the window whose button starts the job, or
    // the job whose ending starts this one. The menus hand it over (addMenuItem).
    QString jobActionTitle();
    // Gives the window's buttons `title` for their jobs until a menu item opens it again.
    void setJobActionTitle(QWidget *window, const QString &title);
    // Hands the title of a starting job to its ending.
    void trackJobTitle(JobRunner *runner);
    QString currentActionTitle; // while a triggered menu item is handled
    QString endingJobTitle;     // while a job's ending runs
    // The one ending of a job (metadata/CompletionSheet.cpp): the completion sheet when one
    // is due, whose button reveals the result; otherwise the reveal at once. The sheet opens
    // on `over` when the job belongs to a window of its own. Returns the sheet shown, if any.
    QMessageBox *showJobEnding(const JobReport &report, QWidget *over = nullptr);
    // The ending of a job whose `written` results need no sheet: `path` shown in the file
    // manager (under `root`), or, where none answers, the sheet naming what and where.
    void revealJobResult(int written, const QString &path, const QString &root);
    // End of sheets and preferences.

    // Camera roads of the editing features.
    // Whether the editing features work on the camera browser's selection: outside local
    // mode, or while the removal menu was opened from the camera window.
    bool cameraIsSource() const;
    // Copies the selected camera photos into the storage folder (a copy this session
    // already made and which is still there is used again), then calls `then` on the main
    // thread with one local item per copy, in list order, and "name: reason" for each
    // photo that did not arrive. False, with the no-selection sheet shown, when nothing
    // is selected.
    bool withCameraCopies(
        std::function<void(const QList<IKImageItemPtr> &copies, const QStringList &failures)> then);
    // The camera file of each copy made, and where it lies.
    QList<std::pair<std::weak_ptr<PKCameraFile>, QString>> cameraCopies;
    // Set while the removal menu popped from the camera window's button is open.
    bool removalMenuFromCamera = false;
    // End of camera roads.

    // Batch titles, captions and renames (batch/NamingJobs.cpp, batch/LibraryNamingJobs.cpp,
    // batch/BatchTitleWindow.cpp, batch/RenameWindow.cpp). Each job copies the window's
    // choices when it starts; its workers never touch a control or a list.
    void ChangePhotoTitleLocalPhotowithFileThreader();
    void ChangePhotoCaptionLocalPhotowithFileThreader();
    void ReNameLocalphotowithFileThreader();
    void ChangePhotoTitlePhotoLibrarywithFileThreader();
    void ChangePhotoCaptionPhotoLibrarywithFileThreader();
    void ReNamePhotoLibrarywithFileThreader();
    // "Applying changes..." and fourteen blanks before the progress text ("k/n").
    void RefreshRenamePhotoProcessToMainThread(const QString &progress);
    // The ends of the title and caption jobs and of the rename jobs: the progress sheet
    // goes, then the one sheet and reveal of `report` (library: the browser shows the
    // new records).
    void ChangePhotoTitlePhotoLibraryCompleteToMainThread(const JobReport &report);
    void RenamePhotoFinishedHanderToMainThread(const JobReport &report);
    // Shows the progress sheet over the main window.
    void showRenameActionWindow();
    // The batch title window.
    void BatchChangePhotoTitleAction();
    void BatchChangePhotoCaptionAction();
    void ClickChangePhotoTitleFromFileNameAction();
    void ClickChangePhotoTitleFromPhotoTagsAction();
    void ChangePhotoTitleFromFileNameAction();
    void KeepExistingPhotoTitleAction();
    void InsertPhotoTagsPhotoTitleAction();
    void ClickCancleChangePhotoTitleAction();
    void ClickSaveChangePhotoTitleAction();
    // The rename window.
    void ShowRenameWindowAction();
    void ClickRenamewithCustomtextAction();
    void ClickRenameCurrentFileNameAction();
    void ClickRenamewithMetadataAction();
    void KeepLastPartCurrentFileNameAction();
    void KeepFirstPartCurrentFileNameAction();
    void RemoveLastPartCurrentFileNameAction();
    void RemoveFirstPartCurrentFileNameAction();
    void KeepExistingFileNameAction();
    void InsertPhotoTagsFileNameAction();
    void CloseRenameWindowAction();
    void SaveChangesRenameWindowAction();
    // The library's " OK " alert when Photos holds the library; true when it was shown.
    bool alertWhilePhotosRuns();
    // End of batch titles, captions and renames.

    // Long jobs of the window (JobEnding.cpp). A job runs on the job runner's pool, shows
    // a progress bar with a cancel button in the status bar once it lasts, and ends in
    // finishJob: one sheet naming every photo not written and why, one reveal of its first
    // result.
    // The jobs of which one runs at a time.
    enum class OneAtATime { DuplicateScan, CloudDownload, LibraryMerge };
    // A runner for a new job, owned by the application object and gone after its end;
    // `finishJob` (or the caller's own ending) runs before runningJobCount drops. A job of
    // `kind` is the running one of its kind until its end.
    JobRunner *startJob();
    JobRunner *startJob(OneAtATime kind);
    // The running job of `kind`, if any.
    JobRunner *runningJob(OneAtATime kind) const { return jobsOfKind.value(int(kind)); }
    // Lets go of the running job of `kind` at once, returning it: its end is no longer the
    // kind's (a stopped scan whose last results must not show).
    JobRunner *forgetJob(OneAtATime kind) { return jobsOfKind.take(int(kind)); }
    // The write recipe as a job of the window; `then` runs on the main thread when it ends.
    void startRecipeJob(const QList<IKImageItemPtr> &items, bool overwrite,
                        const WriteRecipeOptions &options,
                        std::function<void(const WriteRecipeReport &, bool cancelled)> then);
    // One task per photo as a job of the window; a task's ok result names the file written.
    // The ending reveals the first one (in `revealRoot`, or its own folder when empty) and
    // names each photo not written, after those of `failedBefore`.
    void startPhotoJob(const QList<IKImageItemPtr> &items,
                       std::function<JobResult(qsizetype index)> task, const QString &revealRoot,
                       bool sheetOnSuccess, const QStringList &failedBefore = {});
    // After a recipe job: the photos written show their new state, in the grid and, for the
    // selected one, in the panels.
    void showEditedPhotos(const WriteRecipeReport &report);
    // The one ending of a job: the completion sheet with its reveal button, or, when no
    // sheet is due, one reveal without waiting for the file manager (showJobEnding). The
    // sheet opens on `over` when the job belongs to a window of its own; it is returned.
    QMessageBox *finishJob(const JobReport &report, QWidget *over = nullptr);
    int runningJobCount() const { return runningJobs; }
    // End of long jobs.

    // Library filters and selections (library/LibraryFilterActions.cpp). While a load runs
    // every one of them answers with the not-completed alert.
    bool libraryScanNotCompleted(); // true, with the alert shown, until the scan has ended
    void ShowAllItemsBtninPhotoLibraryAction();
    void ShowLivePhotoBtninPhotoLibraryAction();
    void ShowJPGPhotoBtninPhotoLibraryAction();
    void ShowUnDownloadediCloudPhotoLibraryAction();
    void ShowRAWPhotoBtninPhotoLibraryAction();
    void ShowPNGPhotoBtninPhotoLibraryAction();
    void ShowFavortePhotoBtninPhotoLibraryAction();
    void ShowEditedPhotoBtninPhotoLibraryAction();
    void ShowNoAlbumPhotoBtninPhotoLibraryAction();
    void ShowNoTitlePhotoBtninPhotoLibraryAction();
    void ShowNoCaptionPhotoBtninPhotoLibraryAction();
    void ShowNoLocationPhotoBtninPhotoLibraryAction();
    void ShowNoKeywordsPhotoBtninPhotoLibraryAction();
    void ShowTwentyfourHoursinPhotoLibraryAction();
    void ShowSevenDaysinPhotoLibraryAction();
    void ShowThirtyDaysinPhotoLibraryAction();
    void ShowNineDaysinPhotoLibraryAction();
    void ShowOneYearDaysinPhotoLibraryAction();
    void ShowVideosBtninPhotoLibraryAction();
    void ShowReferencePhotosinPhotoLibraryAction();
    void ShowLostReferencePhotosinPhotoLibraryAction();
    // The photos dated from startDatePicker to endDatePicker, both ends included.
    void ShowCustomRangePhotoLibraryAction();
    // The sheet holding the two pickers; its OK shows the range.
    void ShowCustomRangeWindow();
    void ensureDateRangePickers();
    void SelectAllPhotosLibraryAction();
    void SelectAllissuesPhotosAction();
    // Every photo whose file name another photo has too, grouped by name.
    void SelectSamePhotosNameAction();
    void FindSameFileNameinPhotoLibraryAction();
    // End of library filters and selections.
    // Deleting photos from the library (library/LibraryDeleteActions.cpp). Every road checks
    // that no other program holds the library; the rows of all photos go in one transaction
    // and one copy back, and only then their files go to the Trash.
    void DeleteSelectedPhotosinPhotoLibraryAction(); // asks first; savePanelDidEnd9 deletes
    void savePanelDidEnd9(QWidget *sheet, int returnCode, void *contextInfo = nullptr);
    void DeletePhotoinPhotoLibraryAction(); // without asking, and without "_3.mov" companions
    // The files ticked in the duplicate window's groups.
    void DeleteDuplicatePhotosinPhotoLibraryAction();
    // Deletes the photos' rows (`withCloud`: their cloud master too), copies back, trashes
    // their files (`companions`: and "_3.mov" halves) and drops them from every list.
    struct LibraryDeletionReport deleteLibraryPhotos(const QList<IKImageItemPtr> &items,
                                                     bool withCloud, bool companions);
    void showLibraryDeletionResult(const LibraryDeletionReport &report, const QString &doneMessage);
    // End of deleting photos.
    // Repairing referenced photos (library/ReferenceRepairActions.cpp): files moved under a
    // new root folder, or renamed in their own folder, are found and relinked; only lost
    // referenced photos are searched.
    void FixMovedReferencedPhotosAction(); // the root folder panel; openPanelDidEnd18 relinks
    void openPanelDidEnd18(QFileDialog *panel, int returnCode, void *contextInfo = nullptr);
    // The folder under `root` that now holds the record's file; empty with `why` when none.
    QString getcurrentphotolocationwithNewFolderPath(const QString &root,
                                                     const PRPicFileInfoPtr &node, QString *why);
    struct ReferenceRepairReport relinkMovedReferencedPhotos(const QString &root,
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
    // End of repairing referenced photos.

    // Library database: working copy, copy back, restore (library/LibraryDatabase.cpp).
    std::shared_ptr<class LibraryWorkingCopy> libraryWorkingCopy; // the open library's O and W
    QList<PRPicFileInfoPtr> photoLibraryItemArray;                // records of the last scan
    QString photolibReadOnlyReason; // empty while the open library may be written
    QList<qint64> photosHolderPids; // the processes the force-quit offer named
    // Makes an opened working copy the open library's (main thread, after the load).
    void useLibraryWorkingCopy(std::shared_ptr<class LibraryWorkingCopy> copy);
    // True while a process holds the open library's database.
    bool CheckPhotosApplicationRun();
    // The force-quit offer naming those processes when they are the photo application,
    // else a sheet asking the user to close them; its end is savePanelDidEnd5.
    void showQuitPhotosOffer();
    // "<holders> has the library "<package>" open. Close it and try again."
    QString libraryInUseText(const QList<DatabaseHolder> &held) const;
    // A reason from the working copy, naming the open library instead.
    QString libraryMessage(const QString &text) const;
    void savePanelDidEnd5(QWidget *sheet, int returnCode, void *contextInfo = nullptr);
    void CopyDatabasetoPhotoLibrary();
    // Whether the working copy replaced the library's database, and if not why.
    struct LibraryStepResult CopyDatabasetoPhotoLibraryWithoutAlert();
    void RestorePhotoLibraryDatabase();
    void savePanelDidEnd6(QWidget *sheet, int returnCode, void *contextInfo = nullptr);
    // End of library database.

    // Library SQL write layer (library/LibraryWriters.cpp). Every library edit is one
    // transaction on the working copy: beginLibraryEdit opens it (refused while the library
    // is read-only), the writers below write into it, and endLibraryEdit commits it, or rolls
    // it all back when a write failed, then copies the working copy back once.
    std::unique_ptr<class LibraryStore> libraryEdit; // the action's transaction, if one is open
    bool beginLibraryEdit(QString *why);
    // Commits and copies back; on failure nothing of the action stays in the working copy.
    struct LibraryStepResult endLibraryEdit();
    void abandonLibraryEdit();
    // The open library's writer, chosen from its schema when the library opens
    // (library/LibraryWriter.cpp): the features write a photo through it.
    class LibraryWriter &libraryWriter();
    void chooseLibrarySchema(bool currentSchema);
    std::unique_ptr<LibraryWriter> openLibraryWriter;
    // The 23 writers. Each writes into the open edit (or, called alone, into an edit of
    // its own, committed at once) and says whether the photo was written.
    struct LibraryWriteResult UpdatePhotoLibrayTitlewithTitleStr(const QString &title, int uidd);
    LibraryWriteResult UpdateOldPhotoLibrayTitlewithTitleStr(const QString &title, int uidd);
    LibraryWriteResult UpdatePhotoLibrayDescriptionwithDescription(const QString &caption,
                                                                   int uidd);
    LibraryWriteResult InsertPhotoLibrayDescriptionwithDescription(const QString &caption,
                                                                   int uidd);
    LibraryWriteResult UpdateOldPhotoLibrayDescriptionwithDescription(const QString &caption,
                                                                      int uidd);
    LibraryWriteResult UpdatePhotoLibrayKeywordswithKeyWords(const QString &keywords, int uidd);
    LibraryWriteResult InsertPhotoLibrayKeywordswithDescription(const QString &keywords, int uidd);
    LibraryWriteResult UpdateOldPhotoLibrayKeywordswithKeyWords(const QString &keywords, int uidd);
    LibraryWriteResult InsertOldPhotoLibrayKeywordswithDescription(const QString &keywords,
                                                                   int uidd);
    LibraryWriteResult UpdatePhotoLibrayFileNamewithStr(const QString &name,
                                                        const QString &oldFileName, int uidd);
    LibraryWriteResult UpdateOldPhotoLibrayFileNamewithStr(const QString &name,
                                                           const QString &oldFileName, int uidd);
    LibraryWriteResult UpdatePhotoLibrayCameraDatewithDateNum(double seconds, int uidd);
    LibraryWriteResult UpdateOldPhotoLibrayCameraDatewithDateNum(double seconds, int uidd);
    LibraryWriteResult UpdatePhotoLibrayAddedDatewithUIDD(int uidd);
    LibraryWriteResult UpdateOldPhotoLibrayAddedDatewithUIDD(int uidd);
    // Empty texts remove the position; text that is no position is refused.
    LibraryWriteResult UpdatePhotoLibrayGPSwithLatitude(const QString &latitude,
                                                        const QString &longitude, int uidd);
    LibraryWriteResult UpdateOldPhotoLibrayGPSwithLatitude(const QString &latitude,
                                                           const QString &longitude, int uidd);
    LibraryWriteResult UpdatePhotoLibrayCameraInfowithCameraMake(const QString &make,
                                                                 const QString &model,
                                                                 const QString &lensModel,
                                                                 int photoAsset);
    LibraryWriteResult UpdatePhotoLibrayDictorywithStr(const QString &folder,
                                                       const QString &oldFolder, int uidd);
    LibraryWriteResult UpdateOldPhotoLibrayImagePathwithStr(const QString &folder,
                                                            const QString &fileName, int uidd);
    LibraryWriteResult DeletePhotofromNewPhotoLibraywithUIDD(int uidd, int assetID, int iCloudID);
    LibraryWriteResult DeletePhotofromNewPhotoLibraywithUIDD(int uidd, int assetID);
    LibraryWriteResult DeletePhotofromOldPhotoLibraywithUIDD(int uidd);
    // End of library SQL write layer.

    // Library edit panels, batch edits between library fields and metadata from the
    // originals (library/LibraryEditPanels.cpp, LibraryPanelApply.cpp, LibraryBatchDates.cpp,
    // LibraryFieldCopies.cpp, LibraryFromOriginal.cpp). Each action is one library edit: the
    // read-only and in-use checks, one transaction over the selected photos, one copy back
    // and one sheet; records change only once the library holds the new values.
    // The items selected in the library browser, in list order.
    QList<IKImageItemPtr> selectedLibraryItems() const;
    // The library panel's half of controlTextDidChange; false for a field not of that panel.
    bool libraryControlTextDidChange(QObject *field);
    void clearLibraryChangeFlags();
    void StartPhotoLibEditViewAction();
    void StartPhotoOriginalEditViewAction();
    void HidePhotoLibEditViewAction();
    void HidePhotoOriginalEditViewAction();
    void ApplyPhotoLibMetadataChangeAction();
    // Shows the records again in the browser, keeps its selection and refills the panels.
    void reloadLibraryBrowserAndPanels();
    void ChangePhotoLibraryPhotoDateAction();
    void ClickMutiDateChangedSavePhotoLibAction();
    void CopyOriginalCameraDatetoPhotoLibraryCameraDateAction();
    void CopyCameraDatetoPhotoLibraryAddedDateAction();
    void CopyCameraDatetoPhotoLibraryTileAction();
    void CopyFileNametoPhotoLibraryTileAction();
    void CopyFileTitletoPhotoLibraryFileNameAction();
    void CopyFileTitletoPhotoLibraryCaptionAction();
    void CopyFileNametoPhotoLibraryCaptionAction();
    void CopyFileCaptiontoPhotoLibraryTitleAction();
    void ReplacePhotoLibrarytitleWithOriginalPhototitleAction();
    void ReplacePhotoLibraryGPSInfoWithOriginalPhotoGPSInfoAction();
    void ReplacePhotoLibraryKeyWordsWithOriginalPhotoKeyWordsAction();
    void ReplacePhotoLibraryDescriWithOriginalPhotoDescriAction();
    void ReplacePhotoLibraryCameraandLensInfoWithOriginalPhotoCameraLensAction();
    // End of library edits.

    // Library merge (export/LibraryMerge.cpp, export/LibraryMergeWindow.cpp and
    // export/LibraryMergeProcessWindow.cpp).
    void ClickMergePhotoLibraryAction();
    void AddPhotoLibraryintoTableView();
    void openPanelDidEnd28(QFileDialog *panel, int returnCode, void *contextInfo = nullptr);
    // Lists the paths that are existing library packages; the rest are left out.
    void importPhotoLibraryintoTableViewThreader(const QStringList &paths);
    void importPhotoLibraryintoTableViewMainThreader();
    void RemovePhotoLibraryFromTableView();
    void ClickStartMergePhotoLibraryAction();
    void savePanelDidEnd36(QMessageBox *alert, int returnCode, void *contextInfo = nullptr);
    void StartMergePhotoLibraryThreader();
    void MergePhotoLibraryProcessInMainThread(const QString &text);
    void StartMergePhotoLibraryFinshMainThreader(const struct LibraryMergeReport &report);

    // Library load (library/LibraryLoad.cpp).
    std::shared_ptr<class LibraryLoadJob> libraryLoad; // the running load, if any
    // The load's clock for the date windows; tests set it.
    std::function<QDateTime()> libraryLoadClock;
    int libraryReloadCount = 0; // hand-backs of the current load
    QString libraryLoadNote;    // what the last load could not show, and why
    // Appends one batch of the load on the main thread and reloads the browser once.
    void appendLibraryBatch(const LibraryLists &batch);
    void showLibraryAlbumMenu();

  private:
    // Whether jobs run is recorded here alone: how many, and the one of each kind.
    int runningJobs = 0;
    QHash<int, JobRunner *> jobsOfKind;
    void loadWindowDescription();
    void restoreSettings();
    void reportFolderFailure(const QString &what, const QString &path, const QString &why);
};
