// Start-up: what awakeFromNib and applicationDidFinishLaunching prepare, and the
// settings restored at launch.
#include "app/AppDelegate.h"

#include "app/core/MakerSite.h"
#include "app/core/Settings.h"
#include "app/core/SystemVersion.h"
#include "base/Logging.h"
#include "browser/DropTargets.h"
#include "browser/PRButton.h"
#include "browser/core/LibraryLocation.h"
#include "library/core/LibraryWorkingCopy.h"
#include "platform/AlertSheet.h"
#include "platform/Artwork.h"
#include "platform/ColorWell.h"
#include "platform/ImageView.h"
#include "platform/MapView.h"
#include "platform/core/PrivateFolder.h"
#include "platform/core/SafeWrite.h"
#include "platform/core/Workspace.h"

#include <QAction>
#include <QApplication>
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

namespace {

void setBackground(PKImageView *view, const char *name) {
    if (view)
        view->setImage(namedImage(QLatin1String(name)));
}

void prepareBrowser(QListView *browser) {
    if (!browser)
        return;
    browser->setViewMode(QListView::IconMode);
    browser->setIconSize(QSize(85, 85));
    browser->setGridSize(QSize(85 + 25, 85 + 35));
    browser->setWordWrap(true);
    browser->setResizeMode(QListView::Adjust);
    browser->setMovement(QListView::Static);
    browser->setSelectionMode(QAbstractItemView::ExtendedSelection);
    browser->setUniformItemSizes(true);
}

QFont systemFont12() {
    QFont f = QApplication::font();
    f.setPointSize(12);
    return f;
}

// The text colour comes from the application's palette, like every other control's.
void setTitle(QAbstractButton *b, const QString &title) {
    if (!b)
        return;
    b->setText(title);
    b->setFont(systemFont12());
}

void fillPopUp(QComboBox *popUp, const QStringList &items, const QString &selected) {
    if (!popUp)
        return;
    popUp->clear();
    popUp->addItems(items);
    popUp->setCurrentIndex(int(items.indexOf(selected)));
}

} // namespace

void AppDelegate::awakeFromNib() {
    macOsVer = minorSystemVersion(systemVersionString());
    // "Version 13.0 (Build …)": the first number; texts without one keep 10.
    if (const int major = systemVersionString()
                              .section(QLatin1Char(' '), 1, 1)
                              .section(QLatin1Char('.'), 0, 0)
                              .toInt();
        major > 0)
        macOSmajor = major;

    setBackground(deviceWindowImageView, "mainwindow.png");
    setBackground(devicebottomWindowImageView, "bottomwindow.png");
    for (PKImageView *v :
         {hasDeviceImageView, localPhotoViewImageView, photoLibraryImageView, dupGroudImageView})
        setBackground(v, "bgroud.png");
    for (PKImageView *v :
         {editImageView, photolibEiteBGImageView, photoOrigEiteBGImageView, renameActionImgView,
          writeXmpImgView, writeJsonImgView, fixReferencedNameImgView, downloadiCloudPhotosImgView})
        setBackground(v, "editimageview.png");

    for (QListView *b : std::initializer_list<QListView *>{imageBrowserView, localImageBrowserView,
                                                           photoLibBrowserView})
        prepareBrowser(b);

    for (QPushButton *b : {deletePhotoBtn, downloadPhotoBtn, viewExifBtn, removeExifBtn})
        if (b)
            b->setEnabled(false);
    if (taskProgressor) {
        taskProgressor->hide();
        taskProgressor->setValue(0);
    }
    if (previewProgressor)
        previewProgressor->hide();
    if (camerataskProgressor)
        camerataskProgressor->hide();
    if (changtoiOSmodemenu)
        changtoiOSmodemenu->setEnabled(false);
    bAddGPS = false;

    if (dateCustomView && dateChoosePhotoBtn && dateImageview) {
        dateChoosePhotoBtn->setParent(dateCustomView);
        dateImageview->setParent(dateCustomView);
        dateChoosePhotoBtn->show();
        dateImageview->hide();
    }

    setTitle(AddTimeBtn, tr("Add Time"));
    setTitle(RemoveTimeBtn, tr("Subtract Time"));

    const QString partHint =
        QStringLiteral(" part of the filename string (A string of filename separated by spaces "
                       "and '-' delimiters.)");
    const std::pair<QCheckBox *, QString> titles[] = {
        {keepFileNameBtn, QStringLiteral("Keep existing file name text")},
        {replaceInvaidStrBtn, QStringLiteral("Replace invalid characters with _")},
        {seqNumBtn, QStringLiteral("Start number at: 1")},
        {checkKeepLastFileName, QStringLiteral("Keep the last") + partHint},
        {checkKeepFirstFileName, QStringLiteral("Keep the first") + partHint},
        {checkRemoveFirstFileName, QStringLiteral("Remove the first") + partHint},
        {checkRemoveLastFileName, QStringLiteral("Remove the last") + partHint},
        {customerFileNameBtn,
         QStringLiteral("Rename photos by replacing filenames with custom text:")},
        {keepCurrentFileNameBtn,
         QStringLiteral("Rename photos by removing and keeping the current filename string")},
        {metaFileNameBtn, QStringLiteral("Rename photos with photo metadata tag(s):")},
        {copyPhotoLibFileNameBtn,
         QStringLiteral("Copy the filename from the referenced file in the photo library to the "
                        "original photo")},
        {copyOrigFileNameBtn,
         QStringLiteral("Copy the filename from the original photo to the referenced file in the "
                        "photo library")},
        {photolibDoNotImportDupBtn, QStringLiteral("Do not copy duplicates while merging")},
        {photolibKeepAblumBtn, QStringLiteral("Keep photo albums while merging")},
        {photolibKeepPhotoMetaBtn,
         QStringLiteral("Keep edited photo metadata tags(Title, Caption, keywords, GPS data) in "
                        "photo library")},
    };
    for (const auto &[box, title] : titles)
        setTitle(box, title);

    fillPopUp(renameDateFormatBtn,
              {QStringLiteral("Please Choose Date format"), QStringLiteral("MM:DD:YYYY HH:MM:ss"),
               QStringLiteral("DD:MM:YYYY HH:MM:ss"), QStringLiteral("YYYY:MM:DD HH:MM:ss"),
               QStringLiteral("YYYY_MM_DD HH.MM.ss"), QStringLiteral("MM_DD_YYYY HH.MM.ss"),
               QStringLiteral("DD_MM_YYYY HH.MM.ss"), QStringLiteral("YYYY_MM_DD"),
               QStringLiteral("YYYYMMDD"), QStringLiteral("YYYYMMDD HHMMss"),
               QStringLiteral("MMDDYYYY HHMMss"), QStringLiteral("DDMMYYYY HHMMss")},
              QStringLiteral("Please Choose Date format"));
    fillPopUp(tagpostionButton,
              {QStringLiteral("the beginning of filename"), QStringLiteral("the end of filename")},
              QStringLiteral("the beginning of filename"));
    fillPopUp(addTagsButton,
              {QStringLiteral("Title"), QStringLiteral("Artist"), QStringLiteral("Description"),
               QStringLiteral("Copyright"), QStringLiteral("Dimensions"),
               QStringLiteral("Keywords"), QStringLiteral("Comments"),
               QStringLiteral("Camera Make"), QStringLiteral("Camera Model"),
               QStringLiteral("Camera Date"), QStringLiteral("Insert photo metadata tag(s)")},
              QStringLiteral("Insert photo metadata tag(s)"));
    fillPopUp(AddDateUnitBtn,
              {QStringLiteral("Second"), QStringLiteral("Minute"), QStringLiteral("Hour")},
              QStringLiteral("Second"));
    fillPopUp(useFileNameAsTitlePopButton,
              {QStringLiteral("Use entire File Name as Photo Title"),
               QStringLiteral("Add some Text to File Name as Photo Title"),
               QStringLiteral("Replace some text of File Name as Photo Title")},
              QStringLiteral("Use entire File Name as Photo Title"));
    fillPopUp(changephotoTitle_addPhotoTagsPopButton,
              {QStringLiteral("File Name"), QStringLiteral("Artist"),
               QStringLiteral("Caption/Description"), QStringLiteral("Copyright"),
               QStringLiteral("Dimensions"), QStringLiteral("Keywords"), QStringLiteral("Comments"),
               QStringLiteral("Camera Make"), QStringLiteral("Camera Model"),
               QStringLiteral("Camera Date"), QStringLiteral("Add photo metadata tag(s)")},
              QStringLiteral("Add photo metadata tag(s)"));

    if (scanProcesser)
        scanProcesser->hide();
    if (scanninginfolab)
        scanninginfolab->hide();
    if (previewDupContentView && previewDupImageView && previewDupplayerView) {
        previewDupImageView->show();
        previewDupplayerView->hide();
    }

    for (QAction *item : {pasteExifMenuItem, pasteIPTCMenuItem, pasteTIFFMenuItem, pasteGPSMenuItem,
                          pasteAllPhotoMetaMenuItem})
        if (item)
            item->setEnabled(false);
    bCopyExifData = bCopyIPTCData = bCopyTIFFData = bCopyGPSData = bCopyAllPhotoMetaData = false;

    if (quickActionMenu && removeExifMenu)
        quickActionMenu->setMenu(removeExifMenu);
    showActionsForMode(false);
    if (exportandimportActionMenu && importandExportMenu) {
        exportandimportActionMenu->setMenu(importandExportMenu);
        exportandimportActionMenu->setVisible(true);
    }
}

void AppDelegate::applicationDidFinishLaunching() {
    if (writeXmpProcesser)
        writeXmpProcesser->hide();
    theImageData.clear();
    cameItemArray.clear();
    localPhotoItemArray.clear();
    localImportPhotoItemArray.clear();

    if (localphotoView && photolibView) {
        localphotoView->show();
        photolibView->hide();
    }
    if (leftphotoScrView && leftTipView && leftTipCameraImageView) {
        leftphotoScrView->hide();
        leftTipCameraImageView->hide();
        leftTipView->show();
    }
    if (previewImageView)
        previewImageView->hide();
    if (theplayerView)
        theplayerView->hide();

    restoreWindowGeometry();

    bNeedViewExif = false;
    bDownloadandimportToEdit = false;

    const bool modern = macOsVer > 9;
    const std::pair<QPushButton *, const char *> titleButtons[] = {
        {static_cast<QPushButton *>(closedButton), modern ? "Close_Nom.png" : "titlebarred.png"},
        {minButton, modern ? "Min_Nom.png" : "titlebaryellow.png"},
        {maxButton, modern ? "Resize_Nom.png" : "titlebargreen.png"},
    };
    for (const auto &[button, image] : titleButtons) {
        if (button) {
            button->setIcon(QIcon(namedImage(QLatin1String(image))));
            button->setObjectName(QLatin1String(image));
        }
    }

    if (currentlocalMapView)
        currentlocalMapView->hide();
    if (window) {
        window->show();
        window->raise();
        window->activateWindow();
    }

    restoreSettings();

    for (QWidget *w : std::initializer_list<QWidget *>{
             previewPhotolibinfolab, previewOriginalphtoinfolab, filterPhotolibBtn,
             showPhotoTypelibBtn, photolibEditView, photoOriginalEditView, scanDupProcesser,
             scanningDupinfolab, sortLocalPhotoBtn})
        if (w)
            w->hide();
    if (renameDateFormatBtn)
        renameDateFormatBtn->setEnabled(false);
}

void AppDelegate::restoreSettings() {
    auto defaults = userDefaults();
    const LaunchSettings s = restoreLaunchSettings(*defaults);
    preferences = s.preferences;
    preferences.currentFontColor = Qt::white;
    showPreferencesInWindow();

    QString why;
    if (!createFolder(preferences.storagelocation, &why))
        reportFolderFailure(tr("The folder for changed photos could not be created."),
                            preferences.storagelocation, why);
    // What a crashed run of ours left behind: its private temporary folder and the
    // unfinished writes in the storage folder.
    PrivateFolder::removeStale();
    SafeWrite::removeStaleTemporaries(preferences.storagelocation);
    removeStaleCopies(applicationSupportFolder());
    for (const QString &package : defaultPhotoLibraryCandidates(QDir::homePath()))
        for (const char *database :
             {"/database/Photos.sqlite", "/database/photos.db", "/Database/apdb/Library.apdb"})
            if (QFileInfo(package + QLatin1String(database)).isFile())
                removeLibraryLeftovers(package + QLatin1String(database));
    if (filenameFormatstrlab)
        filenameFormatstrlab->setText(QStringLiteral("{ExistingFileName}"));

    if (s.firstStart) {
        if (!createFolder(backupFolder(), &why))
            reportFolderFailure(tr("The backup folder could not be created."), backupFolder(), why);
        Workspace::openURL(welcomePageUrl());
    }
}

void AppDelegate::reportFolderFailure(const QString &what, const QString &path,
                                      const QString &why) {
    qCWarning(lcApp) << "createFolder failed==" << path << why;
    beginAlertSheet(window, what, tr("%1\n%2").arg(path, why), {tr(" Ok ")},
                    [this](QMessageBox *alert, int code) { savePanelDidEnd3(alert, code); });
}
