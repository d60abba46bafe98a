#include "app/AppDelegate.h"

#include "app/AppLook.h"
#include "app/Jobs.h"
#include "app/PreferencesWindow.h"
#include "app/Sheets.h"
#include "app/WindowDescription.h"
#include "batch/ImageOutput.h"
#include "batch/NamingWindows.h"
#include "batch/SidecarMerges.h"
#include "browser/CameraWindow.h"
#include "browser/MainWindowController.h"
#include "browser/PRButton.h"
#include "browser/core/DragRules.h"
#include "export/DuplicateWindow.h"
#include "export/MergeWindow.h"
#include "library/LibraryDatabase.h"
#include "library/LibraryPanels.h"
#include "library/LibraryWindows.h"
#include "library/core/LibraryStore.h"
#include "library/core/LibraryWriter.h"
#include "metadata/Clipboard.h"
#include "metadata/DateWindows.h"
#include "metadata/EditSheet.h"
#include "metadata/GpsWindow.h"
#include "metadata/LensWindow.h"
#include "metadata/MetadataMenus.h"
#include "platform/core/NotificationCenter.h"

#include "platform/ImageView.h"

#include <QApplication>
#include <QEvent>
#include <QGridLayout>
#include <QListView>
#include <QMainWindow>
#include <QTimer>
#include <QWidget>

namespace {
AppDelegate *sharedDelegate = nullptr;
}

AppDelegate::AppDelegate()
    : m_sheets(std::make_unique<Sheets>(*this)), m_jobs(std::make_unique<Jobs>(*this)),
      m_libraryDatabase(std::make_unique<LibraryDatabase>(*this)),
      m_libraryPanels(std::make_unique<LibraryPanels>(*this, *m_libraryDatabase)),
      m_mainWindow(std::make_unique<MainWindowController>(
          *this, *m_libraryDatabase, *m_libraryPanels, [this] { return macOsVer > 9; })),
      m_cameraWindow(std::make_unique<CameraWindow>(*this, *m_mainWindow,
                                                    [this] { return m_mainWindow->localMode(); })),
      m_editSheet(std::make_unique<EditSheet>(
          *this, *m_cameraWindow, *m_mainWindow, *m_libraryPanels,
          [this] { m_metadataMenus->ExportTemplateDataToPlist(); },
          [this] { return m_mainWindow->localMode(); })),
      m_libraryWindows(std::make_unique<LibraryWindows>(*this, *m_libraryPanels, *m_libraryDatabase,
                                                        *m_editSheet)),
      m_mergeWindow(std::make_unique<MergeWindow>(*this)),
      m_duplicateWindow(
          std::make_unique<DuplicateWindow>(*this, *m_libraryDatabase, *m_libraryWindows)),
      m_imageOutput(std::make_unique<ImageOutput>(*this)),
      m_gpsWindow(std::make_unique<GpsWindow>(*this, *m_cameraWindow, *m_mainWindow)),
      m_metadataMenus(
          std::make_unique<MetadataMenus>(*this, *m_cameraWindow, *m_gpsWindow, *m_mainWindow)),
      m_sidecarMerges(std::make_unique<SidecarMerges>(*this)),
      m_namingWindows(std::make_unique<NamingWindows>(
          *this, *m_libraryDatabase, [this] { return m_mainWindow->localMode(); })),
      m_preferencesWindow(std::make_unique<PreferencesWindow>(*this)),
      m_lensWindow(std::make_unique<LensWindow>(*this, *m_cameraWindow)),

      m_dateWindows(std::make_unique<DateWindows>(*this, *m_cameraWindow, *m_mainWindow,
                                                  *m_libraryDatabase, *m_libraryPanels,
                                                  [this] { return m_mainWindow->localMode(); })),
      m_clipboard(std::make_unique<Clipboard>(*this)) {
    connect(m_libraryPanels.get(), &LibraryPanels::originalValuesExportRequested, m_jobs.get(),
            [this] { m_libraryWindows->ApplyOriginalPhotoMetadataChangeAction(); });
    connect(m_mainWindow.get(), &MainWindowController::cellDoubleClicked, this,
            [this](QListView *browser, int index) {
                imageBrowser(browser, CellWasDoubleClicked{}, index);
            });
    connect(m_mainWindow.get(), &MainWindowController::updateCheckRequested, this,
            &AppDelegate::checkForUpdate);
    connect(m_mainWindow.get(), &MainWindowController::editSheetRequested, this,
            [this] { m_editSheet->StartEditViewAction(); });
    connect(m_mainWindow.get(), &MainWindowController::localValuesRemembered, this,
            [this] { m_editSheet->fillEditFieldsFromRememberedValues(); });
    connect(m_mainWindow.get(), &MainWindowController::mergeLibraryRequested, this,
            [this] { m_mergeWindow->ClickMergePhotoLibraryAction(); });
    connect(m_mainWindow.get(), &MainWindowController::modeChanged, this,
            &AppDelegate::showActionsForMode);
    m_sheets->setCameraCopyTest(
        [this](const QString &path) { return m_cameraWindow->isCameraCopy(path); });
    NotificationCenter &nc = NotificationCenter::defaultCenter();
    // The custom controls' notifications go to the main window's handlers.
    using C = MainWindowController;
    const std::pair<const char *, void (C::*)(QObject *)> observations[] = {
        {kMyClosebuttonMouseDown, &C::MyClosebuttonMouseDownHandle},
        {kMybuttonMouseDown, &C::MybuttonMouseDownHandle},
        {kPRbuttonMouseEntered, &C::PRbuttonMouseEnteredHandle},
        {kPRbuttonMouseExited, &C::PRbuttonMouseExitedHandle},
        {kNSDragOperationImageNote, &C::PRDragOperationImageNoteHandle},
        {kNSDragOperationImageViewNote, &C::NSDragOperationImageViewNoteHandle},
        {kNSDragOperationImageViewFolderNote, &C::NSDragOperationImageViewFolderNoteHandle},
    };
    for (const auto &[name, handler] : observations)
        nc.addObserver(this, QLatin1String(name), [this, handler = handler](QObject *sender) {
            (m_mainWindow.get()->*handler)(sender);
        });
    sharedDelegate = this;
    // Every flag, list and remembered field starts as its member initialiser says:
    // flags clear, lists empty, texts empty, local mode on, quality 0.9.
    selection().currentExifDictionary = QVariantMap();
    selection().currentChooseFilePath = QString();
    m_mainWindow->setLocalMode(true);
    const QString empty = QStringLiteral("");
    for (QString *s : {&selection().oldTitleStr,
                       &selection().oldArtistStr,
                       &selection().oldImageDescStr,
                       &selection().oldCopyrightStr,
                       &selection().oldCommentStr,
                       &selection().oldKeywordStr,
                       &selection().oldCameraMakeStr,
                       &selection().oldCameraModeStr,
                       &selection().oldCameraDateStr,
                       &selection().oldlensMakeStr,
                       &selection().oldlenModelStr,
                       &selection().oldlensSerialNumStr,
                       &selection().oldimageOrientationStr,
                       &selection().oldimageISOSpeedStr,
                       &selection().oldimageFNumberStr,
                       &selection().oldimageFlen35mmStr,
                       &selection().oldimageBrightStr,
                       &selection().oldimageApertureStr,
                       &selection().oldimageWhiteBalanceStr,
                       &selection().oldimageExpotimeStr,
                       &selection().oldGpsAitStr,
                       &selection().oldGpsLatiStr,
                       &selection().oldGpsLongtStr,
                       &selection().oldGpsDateStr,
                       &selection().oldGpsTimeStr,
                       &selection().currentLocationStr,
                       &library().currentPhotolibDatabasePath,
                       &library().originalPhotolibDatabasePath,
                       &library().currentPhotolibPath})
        *s = empty;
    preferences().currentCompressNum = 0.9f;
}

AppDelegate::~AppDelegate() {
    NotificationCenter::defaultCenter().removeObserver(this);
    for (QWidget *w : ownedWindows)
        delete w;
    ownedWindows.clear();
    if (sharedDelegate == this)
        sharedDelegate = nullptr;
}

AppDelegate *AppDelegate::GetAppDelegater() {
    return sharedDelegate;
}

void AppDelegate::launch() {
    applyApplicationLook();
    loadWindowDescription();
    awakeFromNib();
    applicationDidFinishLaunching();
    // Camera and iOS device import.
    m_cameraWindow->startDeviceBrowser();
}

void AppDelegate::loadWindowDescription() {
    window = m_mainWindow->buildWindow([this] { return windowShouldClose(); });
    ownedWindows << window;
    buildMainMenu(*this, window);
    buildPopupMenus(*this);
    m_preferencesWindow->build();
    m_cameraWindow->build();
    m_lensWindow->build();
    m_dateWindows->buildBatchWindow();
    // Date features.
    m_dateWindows->buildSingleWindow();
    m_namingWindows->build();
    m_sidecarMerges->build();
    m_libraryWindows->build();
    m_mergeWindow->build();
    m_duplicateWindow->build();
    m_mainWindow->buildAboutWindow();
    m_mainWindow->buildMapWindow();
    // Edit sheet and GPS window.
    m_editSheet->build();
    m_gpsWindow->build();
    // Update check and library comparison panels.
    buildUpdateController(*this);
    m_libraryPanels->build(m_mainWindow->libraryPanelHosts());
}

bool AppDelegate::windowShouldClose() {
    saveWindowGeometry();
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    return true;
}

Browsers &AppDelegate::browsers() {
    return *m_mainWindow;
}

const Browsers &AppDelegate::browsers() const {
    return *m_mainWindow;
}

QWidget *newAuxiliaryWindow(QList<QWidget *> &owner, const char *objectName, const QString &title) {
    auto *w = new QWidget(nullptr, Qt::Window);
    w->setObjectName(QLatin1String(objectName));
    w->setWindowTitle(title);
    w->setAutoFillBackground(true);
    owner << w;
    return w;
}

namespace {
class CloseWatcher : public QObject {
  public:
    CloseWatcher(std::function<void()> then, QObject *parent)
        : QObject(parent), m_then(std::move(then)) {}
    bool eventFilter(QObject *, QEvent *event) override {
        if (event->type() == QEvent::Close)
            m_then();
        return false;
    }

  private:
    std::function<void()> m_then;
};
} // namespace

void onWindowClose(QWidget *window, std::function<void()> then) {
    window->installEventFilter(new CloseWatcher(std::move(then), window));
}

QVBoxLayout *newColumnWindow(QList<QWidget *> &owner, QWidget *&window, const char *objectName,
                             const QString &title, PKImageView **background) {
    window = newAuxiliaryWindow(owner, objectName, title);
    auto *grid = new QGridLayout(window);
    if (background) {
        *background = new PKImageView(window);
        (*background)->setObjectName(QLatin1String(objectName) + QStringLiteral("Background"));
        grid->addWidget(*background, 0, 0);
    }
    auto *column = new QVBoxLayout;
    column->setContentsMargins(16, 16, 16, 16);
    grid->addLayout(column, 0, 0);
    return column;
}
