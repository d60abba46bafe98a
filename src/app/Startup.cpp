// Start-up: what awakeFromNib and applicationDidFinishLaunching prepare, and the
// settings restored at launch.
#include "app/AppDelegate.h"
#include "app/AppLook.h"
#include "app/PreferencesWindow.h"
#include "app/Sheets.h"
#include "batch/NamingWindows.h"
#include "browser/CameraWindow.h"
#include "browser/MainWindowController.h"

#include "app/core/MakerSite.h"
#include "app/core/Settings.h"
#include "app/core/SystemVersion.h"
#include "base/Logging.h"
#include "browser/DropTargets.h"
#include "browser/PRButton.h"
#include "browser/core/LibraryLocation.h"
#include "library/core/LibraryWorkingCopy.h"
#include "metadata/Clipboard.h"
#include "metadata/DateWindows.h"
#include "metadata/GpsWindow.h"
#include "platform/AlertSheet.h"
#include "platform/Artwork.h"
#include "platform/ColorWell.h"
#include "platform/ImageView.h"
#include "platform/MapView.h"
#include "platform/core/PrivateFolder.h"
#include "platform/core/SafeWrite.h"
#include "platform/core/Workspace.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMainWindow>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>

void AppDelegate::awakeFromNib() {
    macOsVer = minorSystemVersion(systemVersionString());
    // "Version 13.0 (Build …)": the first number; texts without one keep 10.
    if (const int major = systemVersionString()
                              .section(QLatin1Char(' '), 1, 1)
                              .section(QLatin1Char('.'), 0, 0)
                              .toInt();
        major > 0)
        macOSmajor = major;

    m_cameraWindow->prepareControls();
    mainWindowController().prepareViews();
    MainWindowController::prepareBrowser(m_cameraWindow->photoBrowser());
    m_gpsWindow->restoreLaunchState();

    m_dateWindows->restoreLaunchState(optionFont());

    m_namingWindows->prepareControls();

    m_clipboard->forgetCopies();

    mainWindowController().restoreMetadataSubmenus();
    showActionsForMode(false);
}

void AppDelegate::applicationDidFinishLaunching() {
    m_mainWindow->forgetRawExifPicture();
    m_cameraWindow->clearPhotos();
    m_localLists.localPhotoItemArray.clear();
    m_localLists.localImportPhotoItemArray.clear();

    mainWindowController().showFirstView();

    restoreWindowGeometry();

    mainWindowController().showTitleBarPictures();

    mainWindowController().hideLocalMap();
    if (window) {
        window->show();
        window->raise();
        window->activateWindow();
    }

    restoreSettings();

    mainWindowController().hideUntilNeeded();
}

void AppDelegate::restoreSettings() {
    auto defaults = userDefaults();
    const LaunchSettings s = restoreLaunchSettings(*defaults);
    m_preferences = s.preferences;
    preferences().currentFontColor = Qt::white;
    m_preferencesWindow->showPreferencesInWindow();

    QString why;
    if (!createFolder(preferences().storagelocation, &why))
        m_sheets->reportFolderFailure(tr("The folder for changed photos could not be created."),
                                      preferences().storagelocation, why);
    // What a crashed run of ours left behind: its private temporary folder and the
    // unfinished writes in the storage folder.
    PrivateFolder::removeStale();
    SafeWrite::removeStaleTemporaries(preferences().storagelocation);
    SafeWrite::removeStaleTemporaries(applicationSupportFolder(),
                                      SafeWrite::EarlierCopies::Numbered);
    for (const QString &package : defaultPhotoLibraryCandidates(QDir::homePath()))
        for (const char *database :
             {"/database/Photos.sqlite", "/database/photos.db", "/Database/apdb/Library.apdb"})
            if (QFileInfo(package + QLatin1String(database)).isFile())
                removeLibraryLeftovers(package + QLatin1String(database));

    if (s.firstStart) {
        if (!createFolder(backupFolder(), &why))
            m_sheets->reportFolderFailure(tr("The backup folder could not be created."),
                                          backupFolder(), why);
        Workspace::openURL(welcomePageUrl());
    }
}
