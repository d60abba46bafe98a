#pragma once

#include <QPointer>
#include <QString>
#include <QtGlobal>

class JobRunner;
class LocalPhotoModel;
class NSDragImageBrowserView;
class PKImageView;
class PKMapView;
class PRButton;
class PRClosedButton;
class PRDragImageView;
class QAction;
class QFileDialog;
class QLabel;
class QListView;
class QMenu;
class QProgressBar;
class QPushButton;
class QTimer;
class QTreeWidget;
class QWidget;
class ReverseGeocoder;

// The main window: its two views, the browsers, the right column's local panels, the
// toolbar buttons and menus, and the import state of the local list.
struct MainWindowPart {
    QLabel *photoExposurelab = nullptr;
    QLabel *localMapPlaceholder = nullptr;
    bool bImportLocalFolder = false;
    QString bImportLocalPath;
    bool bPreivewFlag = false;
    QWidget *MainView = nullptr;
    QWidget *localphotoView = nullptr;
    QWidget *photolibView = nullptr;
    QWidget *leftContentView = nullptr;
    QWidget *leftphotoScrView = nullptr;
    QWidget *leftTipView = nullptr;
    PRDragImageView *leftTipImageView = nullptr;
    PKImageView *leftTipCameraImageView = nullptr;
    QWidget *previewContentView = nullptr;
    PKImageView *previewImageView = nullptr;
    QWidget *theplayerView = nullptr;
    PKImageView *localPhotoViewImageView = nullptr;
    PKImageView *photoLibraryImageView = nullptr;
    NSDragImageBrowserView *localImageBrowserView = nullptr;
    QListView *photoLibBrowserView = nullptr;
    PRClosedButton *closedButton = nullptr;
    QPushButton *minButton = nullptr, *maxButton = nullptr;
    PKMapView *currentlocalMapView = nullptr;
    QLabel *photoNamelab = nullptr, *photoCreateDatelab = nullptr, *photoFileSizelab = nullptr,
           *photoImageSizelab = nullptr, *photoDPIlab = nullptr, *photoLensInfolab = nullptr,
           *photoTitlelab = nullptr, *photoModDatelab = nullptr, *locationCitylab = nullptr;
    QTreeWidget *localExifDataView = nullptr;
    bool bMapPreview = false;
    ReverseGeocoder *geocoder = nullptr;
    quint64 currentGeocodeRequest = 0;
    PRButton *sortLocalPhotoBtn = nullptr;
    PRButton *importPhotobtn = nullptr, *editMetaDataLocalBtn = nullptr,
             *remoMetaDataLocalBtn = nullptr, *importandExportBtn = nullptr,
             *localeditexifBtn = nullptr;
    // The mode buttons, one copy on each of the two views.
    PRButton *localphotoBtn = nullptr, *photoliblocalphotoBtn = nullptr, *cameraphotoBtn = nullptr,
             *photolibcameraphotoBtn = nullptr;
    PRButton *PhotolibQuickBtn = nullptr, *PhotolibEditExifBtn = nullptr;
    QMenu *editExifMenu = nullptr, *importPhotoMenu = nullptr, *issuePhotoMenu = nullptr,
          *showPhotoTypeMenu = nullptr, *sortLocalPhotoMenu = nullptr, *PhotolibQuickMenu = nullptr,
          *PhotolibEditExifMenu = nullptr;
    QTimer *scanGifTimer = nullptr;
    QAction *albumsFolderMenuItem = nullptr; // the album submenu of showPhotoTypeMenu
    QAction *openPhotoLibraryMenuItem = nullptr;
    QWidget *aboutWindow = nullptr;
    QWidget *mapWindow = nullptr;
    PKMapView *currentMapView = nullptr;
    QProgressBar *taskProgressor = nullptr;
    QProgressBar *previewProgressor = nullptr;
    QProgressBar *scanProcesser = nullptr;
    QLabel *scanninginfolab = nullptr;
    QLabel *previewPhotolibinfolab = nullptr, *previewOriginalphtoinfolab = nullptr;
    PRButton *filterPhotolibBtn = nullptr, *showPhotoTypelibBtn = nullptr;
    QWidget *photolibEditView = nullptr, *photoOriginalEditView = nullptr;
    PKImageView *photolibEiteBGImageView = nullptr, *photoOrigEiteBGImageView = nullptr;
    PKImageView *editImageView = nullptr;
    QAction *quickActionMenu = nullptr, *exportandimportActionMenu = nullptr;
    QMenu *removeExifMenu = nullptr, *importandExportMenu = nullptr;
    QAction *pasteExifMenuItem = nullptr, *pasteIPTCMenuItem = nullptr,
            *pasteTIFFMenuItem = nullptr, *pasteGPSMenuItem = nullptr,
            *pasteAllPhotoMetaMenuItem = nullptr, *changtoiOSmodemenu = nullptr;
    QPointer<QFileDialog> theOpenPanel;
    LocalPhotoModel *localPhotoModel = nullptr;
    QPointer<JobRunner> localSortJob; // the sort still running; a newer one cancels it
    PKImageView *playerFrameView = nullptr; // the video's first picture, in theplayerView
    QString playerFilePath;                 // the video the player shows
};
