#pragma once

#include "app/Browsers.h"
#include "browser/MainWindow.h"
#include "model/IKImageItem.h"
#include "platform/core/RawExifReader.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QKeySequence>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QtGlobal>
#include <functional>
#include <memory>

class AppServices;
class LibraryDatabase;
class LibraryPanels;
class QMessageBox;
struct LibraryLists;
struct LocalPhotoPanels;
enum class LocalSortOrder;
struct JobResult;
struct WriteRecipeReport;
class LibraryDatabase;
class LibraryLoadJob;
class LibraryPanels;
class LocalPhotoModel;
class NSDragImageBrowserView;
class PKImageView;
class PKMapView;
class PRButton;
class PRClosedButton;
class PRDragImageView;
class QAction;
class QFileDialog;
class QFormLayout;
class QLabel;
class QListView;
class QMainWindow;
class QMenu;
class QProgressBar;
class QPushButton;
class QTimer;
class QTreeWidget;
class QUrl;
class QWidget;
class ReverseGeocoder;

// The main window: its two views, the browsers, the right column's local panels, the
// toolbar buttons and menus, and the import state of the local list. What the other pieces
// ask of its browsers they ask through Browsers.
struct MainWindowController : QObject, Browsers, MainWindow {
    Q_OBJECT

  public:
    AppServices &app; // the shared state and services

    // `modernTitleBar` says which pictures the hidden title bar's buttons take.
    MainWindowController(AppServices &services, LibraryDatabase &database, LibraryPanels &panels,
                         std::function<bool()> modernTitleBar);
    ~MainWindowController() override;

    // The local list's mode (true) or the library's: whose photos the actions reach.
    bool localMode() const { return m_localMode; }
    void setLocalMode(bool local) { m_localMode = local; }

    // Builds the window's views, browsers and right column (browser/MainWindowWindow.cpp)
    // and returns the window; closing it asks `shouldClose` first.
    QMainWindow *buildWindow(std::function<bool()> shouldClose);
    // At launch: the views' and edit views' backgrounds, the progress bars and the scanning
    // label hidden, the browsers' look, Show iOS Devices off until a device is found.
    void prepareViews();
    // Then the local view with its drop pane, the preview empty.
    void showFirstView();
    // The hidden title bar's buttons take their pictures.
    void showTitleBarPictures();
    // The library's labels, panels and buttons, and the local sort button, wait hidden.
    void hideUntilNeeded();
    // The local column's map waits hidden until a photo with a position is selected.
    void hideLocalMap();
    // The Actions items of the two metadata submenus take them again, the import/export one
    // in sight.
    void restoreMetadataSubmenus();
    // The look of an image browser: icons in a grid, several selected at once.
    static void prepareBrowser(QListView *browser);
    // The least width of the window's `content` with the wider of the two views in place of
    // both; 0 before the views are built.
    int leastContentWidth(const QWidget *content) const;
    // Whether `browser` is the local list's or the library's.
    bool isLocalBrowser(const QListView *browser) const;
    bool isLibraryBrowser(const QListView *browser) const;
    // Select All in the browser in sight.
    void selectAllInShownBrowser();
    // The About window (browser/AboutWindow.cpp).
    void buildAboutWindow();

    // The window's own menu items (browser/MainWindowMenus.cpp). File: the imports and the
    // opening of a library; Actions: the local list's sorts and removals; Help.
    void addFileItems(QMenu *file);
    void addLocalListItems(QMenu *actions);
    void addHelpItems(QMenu *help);
    // The pop-up menus of the toolbar buttons: imports, the local list's sorts and removals,
    // the map, the library's sorts and selections, its filters with the album submenu.
    void addImportItems(QMenu *menu);
    void addLocalListPopupItems(QMenu *menu);
    void addShowMapItem(QMenu *menu);
    void addSortAndSelectItems(QMenu *menu);
    void addFilterItems(QMenu *menu);
    // The menus this window owns, made as children of `owner`; the other pieces add their
    // items through the accessors below. The local ones: imports, the local list's sorts and
    // removals, local edits; the library's: sorts and selections, filters, actions, edits.
    void buildLocalPopupMenus(QWidget *owner);
    void buildLibraryPopupMenus(QWidget *owner);
    // Actions' Remove Metadata and Import and Export Metadata submenus, made as children of
    // `owner`, then their items in `actions`; and Devices' Show iOS Devices.
    void buildMetadataSubmenus(QWidget *owner);
    void addMetadataSubmenuItems(QMenu *actions);
    void addDevicesItems(QMenu *devices);
    QMenu *localEditMenu() const { return editExifMenu; }
    QMenu *librarySortMenu() const { return issuePhotoMenu; }
    QMenu *libraryShowMenu() const { return showPhotoTypeMenu; }
    QMenu *libraryActionsMenu() const { return PhotolibQuickMenu; }
    QMenu *libraryEditMenu() const { return PhotolibEditExifMenu; }
    QMenu *metadataExchangeMenu() const { return importandExportMenu; }
    // The Actions item whose submenu follows the mode.
    QAction *modeActionsItem() const { return quickActionMenu; }

    // Browsers (browser/MainWindowBrowsers.cpp).
    QList<IKImageItemPtr> selectedLocalItems() const override;
    QList<IKImageItemPtr> selectedLibraryItems() const override;
    QList<int> selectedLibraryRows() const override;
    bool libraryInSight() const override;
    void showLocalSelection() override;
    void showLibrarySelection() override;
    void showEditedPhotos(const WriteRecipeReport &report) override;
    void showRewrittenPhotos(const QList<IKImageItemPtr> &items,
                             const QList<JobResult> &results) override;
    void refreshLocalCells() override;
    void refreshLibraryCells() override;
    void showLocalBrowser() override;
    void addLocalItem(const IKImageItemPtr &item) override;
    void reloadLocalBrowser() override;
    void reloadLibraryBrowser() override;
    void reloadLibraryBrowserKeepingSelection() override;
    bool loadLibrary(const QString &path) override;
    bool libraryShowsMissingFiles() const override;

    // Empties every panel of the local selection: information lines, tree, map, place and
    // the values the edit sheet is filled from.
    void clearLocalPanels();
    // What the other windows ask of the main window (MainWindow).
    void previewPosition(double latitude, double longitude) override;
    QString shownCreationDate() const override;
    QString importedFolder() const override;
    ReverseGeocoder &reverseGeocoder() override;
    QMenu *removalMenu() const override { return removeExifMenu; }
    QAction *cameraModeItem() const override { return changtoiOSmodemenu; }
    void showPreviewBusy(bool busy) override;
    void popUpButtonMenu(QMenu *menu, QWidget *button, qreal offset) override;
    // The right column's lines, property table and preview for `item` of the library or the
    // local list (null: an empty column); the local selection's values stay untouched.
    void showPhotoInColumn(const IKImageItemPtr &item, bool library);
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
    // Its library case (browser/LibrarySelection.cpp): the right column and the library panels.
    void libraryBrowserSelectionDidChange();
    // Where the library panels live (browser/LibrarySelection.cpp).
    struct LibraryPanelHosts libraryPanelHosts() const;
    void getCityInfowithlonglab(double longitude, double latitude, const IKImageItemPtr &item);
    // Notification handlers of the custom controls (registered by init).
    void MyClosebuttonMouseDownHandle(QObject *sender);
    void MybuttonMouseDownHandle(QObject *sender);
    void PRbuttonMouseEnteredHandle(QObject *sender);
    void PRbuttonMouseExitedHandle(QObject *sender);
    void PRDragOperationImageNoteHandle(QObject *sender);
    void NSDragOperationImageViewNoteHandle(QObject *sender);
    void NSDragOperationImageViewFolderNoteHandle(QObject *sender);
    // Click router, hover pictures, exit confirmation and window actions.
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
    // The library view shown, named on the Show button, whose picture says which list it is;
    // the sort button goes back to newest first.
    void markLibraryFilter(const QString &image, const QString &title);
    // The sort button's picture, the order of the list shown.
    void markLibrarySort(const QString &image);
    // The Show button's picture: which list the sorts sort.
    QString libraryFilterImage() const;
    // Shows one album's items (the album menu's action).
    void FilterSelectOneAlbumsAction(const QString &albumTitle);
    void ShowMapAction();
    void CheckforUpdateAction();
    void getSystemVersionMajor(int *major, int *minor, int *bugFix);
    // The raw EXIF reader's log lines (also written to the log).
    QStringList ReadExifDataFromPiture(const QString &path);
    // Whether the last file read held a thumbnail; forgetting drops its picture.
    bool rawExifHeldThumbnail() const { return rawExif.bhasThumImage; }
    void forgetRawExifPicture() { rawExif.theImageData.clear(); }
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
    // Appends one batch of the load on the main thread; the browser shows it at once, or
    // with the batches after it once a wait that grows with the list has passed.
    void appendLibraryBatch(const LibraryLists &batch);
    void showLibraryBatches();
    void showLibraryAlbumMenu();
    // The map window (browser/MapWindow.cpp).
    void buildMapWindow();

    // The load's clock for the date windows; tests set it.
    std::function<QDateTime()> libraryLoadClock;
    // The hand-backs of the current library load so far.
    int libraryHandBacks() const { return libraryReloadCount; }

  signals:
    // A cell of the local or library browser was double-clicked.
    void cellDoubleClicked(QListView *browser, int index);
    // The library view's Merge button.
    void mergeLibraryRequested();
    // One of the two views came up: the menu bar's Actions shows its items.
    void modeChanged(bool libraryMode);
    // Help's "Check for Updates…".
    void updateCheckRequested();
    // The local view's edit button: the edit sheet opens over the window.
    void editSheetRequested();
    // A local photo's values were remembered for the edits to compare with: the edit sheet's
    // fields take them.
    void localValuesRemembered();

  private:
    RawExifState rawExif; // what the raw EXIF reader keeps between files
    LibraryDatabase &libraryDatabase;
    LibraryPanels &libraryPanels;
    std::function<bool()> modernTitleBar;
    bool m_localMode = true;

    // The window's own widgets, menus and import state.
    QLabel *photoExposurelab = nullptr;
    QLabel *localMapPlaceholder = nullptr;
    bool bImportLocalFolder = false;
    QString bImportLocalPath;
    QWidget *MainView = nullptr;
    QWidget *localphotoView = nullptr;
    QWidget *photolibView = nullptr;
    QWidget *previewContentView = nullptr;
    PKImageView *previewImageView = nullptr;
    QWidget *theplayerView = nullptr;
    PKImageView *localPhotoViewImageView = nullptr;
    PKImageView *photoLibraryImageView = nullptr;
    NSDragImageBrowserView *localImageBrowserView = nullptr;
    QListView *photoLibBrowserView = nullptr;
    PRClosedButton *closedButton = nullptr;
    PKMapView *currentlocalMapView = nullptr;
    QLabel *photoNamelab = nullptr, *photoCreateDatelab = nullptr, *photoFileSizelab = nullptr,
           *photoImageSizelab = nullptr, *photoDPIlab = nullptr, *photoLensInfolab = nullptr,
           *photoTitlelab = nullptr, *photoModDatelab = nullptr, *locationCitylab = nullptr;
    QTreeWidget *localExifDataView = nullptr;
    bool bMapPreview = false;
    ReverseGeocoder *geocoder = nullptr;
    QMenu *editExifMenu = nullptr, *importPhotoMenu = nullptr, *issuePhotoMenu = nullptr,
          *showPhotoTypeMenu = nullptr, *sortLocalPhotoMenu = nullptr, *PhotolibQuickMenu = nullptr,
          *PhotolibEditExifMenu = nullptr;
    QWidget *aboutWindow = nullptr;
    QProgressBar *previewProgressor = nullptr;
    QAction *quickActionMenu = nullptr, *exportandimportActionMenu = nullptr;
    QMenu *removeExifMenu = nullptr, *importandExportMenu = nullptr;
    QAction *changtoiOSmodemenu = nullptr;
    QAction *albumsFolderMenuItem = nullptr; // the album submenu of showPhotoTypeMenu
    LocalPhotoModel *localPhotoModel = nullptr;

    // The local panel's information lines: each value after its caption, one line each, so
    // the panel's height never changes with what a photo holds (browser/LocalInfoPanel.cpp).
    QFormLayout *buildLocalInformationLines(QWidget *column);
    // The map's slot, always the same height: the map when the photo has a position, else a
    // plain "No position" in its place, so the property tree below never jumps.
    QWidget *buildLocalMapSlot(QWidget *column);
    // The local and library grids' cells, with titles shortened in the middle.
    void useFittedCellTitles();
    // The right column's lines, table and map for one description; only a local photo
    // (`item`) has its place looked up (browser/SelectionHandler.cpp).
    void showColumnLines(const LocalPhotoPanels &panels, const IKImageItemPtr &item);
    // Sets every local panel from one description; `item` gets the place name when one is
    // found.
    void showLocalPanels(const LocalPhotoPanels &panels, const IKImageItemPtr &item = nullptr);
    // The selected photo as it is now, made off the main thread.
    void showPreview(const IKImageItemPtr &item, bool library);
    // Dropped files join the local list, the first one selected.
    void importDroppedFiles(const QList<QUrl> &urls);
    // The import panel, remembered as the open one.
    QFileDialog *openImportPanel(bool foldersToo, const QString &message);
    // Sorts the local list on the runner and shows it sorted.
    void showSorted(LocalSortOrder order);
    // The library's view in place of the local one, and the panel choosing a library.
    void showLibraryView();
    void showOpenPanel();

    QWidget *leftphotoScrView = nullptr;
    QWidget *leftTipView = nullptr;
    PKImageView *leftTipCameraImageView = nullptr;
    PRButton *sortLocalPhotoBtn = nullptr;
    QLabel *previewOriginalphtoinfolab = nullptr;
    PRButton *filterPhotolibBtn = nullptr, *showPhotoTypelibBtn = nullptr;
    QPushButton *minButton = nullptr, *maxButton = nullptr;
    QProgressBar *taskProgressor = nullptr;
    QProgressBar *scanProcesser = nullptr;
    QLabel *scanninginfolab = nullptr;
    QLabel *previewPhotolibinfolab = nullptr;
    QWidget *photolibEditView = nullptr, *photoOriginalEditView = nullptr;
    PKImageView *photolibEiteBGImageView = nullptr, *photoOrigEiteBGImageView = nullptr;
    PKImageView *editImageView = nullptr;

    QWidget *leftContentView = nullptr;
    PRDragImageView *leftTipImageView = nullptr;
    PRButton *importPhotobtn = nullptr, *editMetaDataLocalBtn = nullptr,
             *remoMetaDataLocalBtn = nullptr, *importandExportBtn = nullptr,
             *localeditexifBtn = nullptr;
    // The mode buttons, one copy on each of the two views.
    PRButton *localphotoBtn = nullptr, *photoliblocalphotoBtn = nullptr, *cameraphotoBtn = nullptr,
             *photolibcameraphotoBtn = nullptr;
    PRButton *PhotolibQuickBtn = nullptr, *PhotolibEditExifBtn = nullptr;
    PKImageView *playerFrameView = nullptr; // the video's first picture, in theplayerView
    int libraryReloadCount = 0;             // hand-backs of the current load
    // Checks the mode buttons of `library`'s mode and shows their pictures.
    void showModeButtons(bool library);

    QWidget *buildLocalView(QWidget *parent);
    QWidget *buildLocalContent(QWidget *parent);
    QWidget *buildLibraryView(QWidget *parent);
    QWidget *buildPreviewColumn(QWidget *parent);
    QAction *addItem(QMenu *menu, const QString &title, void (MainWindowController::*action)(),
                     const QKeySequence &shortcut = {}, const char *name = nullptr);
    void addLocalSortItems(QMenu *menu);
    QAction *addLocalRemoveItems(QMenu *menu); // returns Remove Selected
    QList<QWidget *> ownWindows;               // the windows built here without a parent
    void startScanIndicator();

    quint64 currentGeocodeRequest = 0;
    QTimer *scanGifTimer = nullptr;
    // While a library loads, the browser catches up with its batches on this timer once
    // the wait since libraryShownClock has passed.
    QTimer *libraryShowTimer = nullptr;
    QElapsedTimer libraryShownClock;
    QAction *openPhotoLibraryMenuItem = nullptr;
    QWidget *dateRangeWindow = nullptr; // the custom date range's sheet
    class QDateTimeEdit *startDatePicker = nullptr, *endDatePicker = nullptr;
    QWidget *mapWindow = nullptr;
    PKMapView *currentMapView = nullptr;
    QString playerFilePath; // the video the player shows
    // The load running opened the default library, which the user did not choose: its end
    // says how to open another.
    bool loadOfDefaultLibrary = false;
    // The running library load, if any; its runner cancels and waits for it when the window
    // goes.
    std::shared_ptr<LibraryLoadJob> libraryLoad;
};
