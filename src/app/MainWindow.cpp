// The main window: the drop tip on the left, the local and library browsers in the
// middle, the preview column on the right, and the menus.
#include "app/AppDelegate.h"
#include "app/WindowDescription.h"

#include "browser/DropTargets.h"
#include "browser/LocalPhotoModel.h"
#include "browser/PRButton.h"
#include "platform/ImageView.h"
#include "platform/MapView.h"

#include <QAction>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QListView>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

// Closing the main window quits the program.
class PKMainWindow : public QMainWindow {
  public:
    explicit PKMainWindow(AppDelegate &d) : m_d(d) {}

  protected:
    void closeEvent(QCloseEvent *event) override {
        if (m_d.windowShouldClose())
            event->accept();
        else
            event->ignore();
    }

  private:
    AppDelegate &m_d;
};

template <typename T> T *named(T *w, const char *name) {
    w->setObjectName(QLatin1String(name));
    return w;
}

// A view whose background picture lies under its content.
QGridLayout *layered(QWidget *view, PKImageView *background) {
    auto *grid = new QGridLayout(view);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->addWidget(background, 0, 0);
    return grid;
}

// The local side: the browser, or while the list is empty the drop pane.
QWidget *buildLocalContent(AppDelegate &d, QWidget *parent) {
    d.leftContentView = named(new QWidget(parent), "leftContentView");
    auto *stack = new QGridLayout(d.leftContentView);
    stack->setContentsMargins(0, 0, 0, 0);
    d.leftphotoScrView = named(new QWidget(d.leftContentView), "leftphotoScrView");
    auto *scrollLayout = new QVBoxLayout(d.leftphotoScrView);
    scrollLayout->setContentsMargins(0, 0, 0, 0);
    d.localImageBrowserView =
        named(new NSDragImageBrowserView(d.leftphotoScrView), "localImageBrowserView");
    d.localPhotoModel = new LocalPhotoModel(&d.localPhotoItemArray, d.localImageBrowserView);
    d.localImageBrowserView->setModel(d.localPhotoModel);
    QObject::connect(d.localImageBrowserView->selectionModel(),
                     &QItemSelectionModel::selectionChanged, &d,
                     [&d] { d.imageBrowserSelectionDidChange(d.localImageBrowserView); });
    scrollLayout->addWidget(d.localImageBrowserView);
    d.leftTipView = named(new QWidget(d.leftContentView), "leftTipView");
    auto *tipLayout = new QGridLayout(d.leftTipView);
    tipLayout->setContentsMargins(0, 0, 0, 0);
    d.leftTipImageView = named(new PRDragImageView(d.leftTipView), "leftTipImageView");
    d.leftTipImageView->setScaledContents(false);
    d.leftTipImageView->setText(AppDelegate::tr("Drop photos, videos or folders here"));
    d.leftTipImageView->setAlignment(Qt::AlignCenter);
    d.leftTipImageView->setWordWrap(true);
    d.leftTipImageView->setStyleSheet(
        QStringLiteral("color: #bbb; border: 2px dashed #666; border-radius: 8px;"));
    tipLayout->addWidget(d.leftTipImageView, 0, 0);
    d.leftTipCameraImageView = named(new PKImageView(d.leftContentView), "leftTipCameraImageView");
    stack->addWidget(d.leftphotoScrView, 0, 0);
    stack->addWidget(d.leftTipView, 0, 0);
    stack->addWidget(d.leftTipCameraImageView, 0, 0);
    return d.leftContentView;
}

QWidget *buildLocalView(AppDelegate &d, QWidget *parent) {
    d.localphotoView = named(new QWidget(parent), "localphotoView");
    d.localPhotoViewImageView = named(new PKImageView(d.localphotoView), "localPhotoViewImageView");
    QGridLayout *grid = layered(d.localphotoView, d.localPhotoViewImageView);
    auto *content = new QVBoxLayout;
    content->setContentsMargins(8, 8, 8, 8);
    auto *bar = new QHBoxLayout;
    d.sortLocalPhotoBtn =
        named(new QPushButton(AppDelegate::tr("Sort"), d.localphotoView), "sortLocalPhotoBtn");
    auto *sortMenu = new QMenu(d.sortLocalPhotoBtn);
    QObject::connect(sortMenu->addAction(AppDelegate::tr("Sort by Date")), &QAction::triggered, &d,
                     &AppDelegate::ClickSortLocalPhotosByDate);
    QObject::connect(sortMenu->addAction(AppDelegate::tr("Sort by File Name")), &QAction::triggered,
                     &d, &AppDelegate::ClickSortLocalPhotosByName);
    d.sortLocalPhotoBtn->setMenu(sortMenu);
    d.taskProgressor = named(new QProgressBar(d.localphotoView), "taskProgressor");
    bar->addWidget(d.sortLocalPhotoBtn);
    bar->addStretch(1);
    bar->addWidget(d.taskProgressor);
    content->addLayout(bar);
    content->addWidget(buildLocalContent(d, d.localphotoView), 1);
    grid->addLayout(content, 0, 0);
    return d.localphotoView;
}

QWidget *buildLibraryView(AppDelegate &d, QWidget *parent) {
    d.photolibView = named(new QWidget(parent), "photolibView");
    d.photoLibraryImageView = named(new PKImageView(d.photolibView), "photoLibraryImageView");
    QGridLayout *grid = layered(d.photolibView, d.photoLibraryImageView);
    auto *content = new QVBoxLayout;
    content->setContentsMargins(8, 8, 8, 8);
    auto *bar = new QHBoxLayout;
    d.filterPhotolibBtn =
        named(new QPushButton(AppDelegate::tr("Filter"), d.photolibView), "filterPhotolibBtn");
    d.showPhotoTypelibBtn =
        named(new QPushButton(AppDelegate::tr("Show"), d.photolibView), "showPhotoTypelibBtn");
    d.scanProcesser = named(new QProgressBar(d.photolibView), "scanProcesser");
    d.scanProcesser->setRange(0, 0);
    d.scanninginfolab =
        named(new QLabel(AppDelegate::tr("Scanning."), d.photolibView), "scanninginfolab");
    bar->addWidget(d.filterPhotolibBtn);
    bar->addWidget(d.showPhotoTypelibBtn);
    bar->addStretch(1);
    bar->addWidget(d.scanninginfolab);
    bar->addWidget(d.scanProcesser);
    d.photoLibBrowserView = named(new QListView(d.photolibView), "photoLibBrowserView");
    d.photolibEditView = named(new QWidget(d.photolibView), "photolibEditView");
    d.photolibEiteBGImageView =
        named(new PKImageView(d.photolibEditView), "photolibEiteBGImageView");
    layered(d.photolibEditView, d.photolibEiteBGImageView);
    d.photoOriginalEditView = named(new QWidget(d.photolibView), "photoOriginalEditView");
    d.photoOrigEiteBGImageView =
        named(new PKImageView(d.photoOriginalEditView), "photoOrigEiteBGImageView");
    layered(d.photoOriginalEditView, d.photoOrigEiteBGImageView);
    content->addLayout(bar);
    content->addWidget(d.photoLibBrowserView, 1);
    content->addWidget(d.photolibEditView);
    content->addWidget(d.photoOriginalEditView);
    grid->addLayout(content, 0, 0);
    return d.photolibView;
}

QWidget *buildPreviewColumn(AppDelegate &d, QWidget *parent) {
    auto *column = named(new QWidget(parent), "previewColumn");
    column->setFixedWidth(320);
    d.editImageView = named(new PKImageView(column), "editImageView");
    QGridLayout *grid = layered(column, d.editImageView);
    auto *content = new QVBoxLayout;
    content->setContentsMargins(8, 8, 8, 8);
    d.previewContentView = named(new QWidget(column), "previewContentView");
    d.previewContentView->setFixedHeight(240);
    auto *previewStack = new QGridLayout(d.previewContentView);
    previewStack->setContentsMargins(0, 0, 0, 0);
    d.previewImageView = named(new PKImageView(d.previewContentView), "previewImageView");
    d.theplayerView = named(new QWidget(d.previewContentView), "theplayerView");
    previewStack->addWidget(d.previewImageView, 0, 0);
    previewStack->addWidget(d.theplayerView, 0, 0);
    d.previewProgressor = named(new QProgressBar(column), "previewProgressor");
    d.previewPhotolibinfolab = named(new QLabel(column), "previewPhotolibinfolab");
    d.previewOriginalphtoinfolab = named(new QLabel(column), "previewOriginalphtoinfolab");
    d.currentlocalMapView = named(new PKMapView(column), "currentlocalMapView");
    d.currentlocalMapView->setMinimumHeight(160);
    auto *info = new QVBoxLayout;
    info->setSpacing(2);
    for (auto [label, name] : std::initializer_list<std::pair<QLabel **, const char *>>{
             {&d.photoNamelab, "photoNamelab"},
             {&d.photoCreateDatelab, "photoCreateDatelab"},
             {&d.photoFileSizelab, "photoFileSizelab"},
             {&d.photoImageSizelab, "photoImageSizelab"},
             {&d.photoDPIlab, "photoDPIlab"},
             {&d.photoLensInfolab, "photoLensInfolab"},
             {&d.photoTitlelab, "photoTitlelab"},
             {&d.photoModDatelab, "photoModDatelab"},
             {&d.locationCitylab, "locationCitylab"}}) {
        *label = named(new QLabel(column), name);
        (*label)->setStyleSheet(QStringLiteral("color: #e6e6e6;"));
        (*label)->setTextInteractionFlags(Qt::TextSelectableByMouse);
        info->addWidget(*label);
    }
    d.localExifDataView = named(new QTreeWidget(column), "localExifDataView");
    d.localExifDataView->setHeaderLabels({AppDelegate::tr("Property"), AppDelegate::tr("Value")});
    d.localExifDataView->setStyleSheet(
        QStringLiteral("QTreeWidget { background: #3f3a39; color: white; }"));
    content->addWidget(d.previewContentView);
    content->addLayout(info);
    content->addWidget(d.previewProgressor);
    content->addWidget(d.previewPhotolibinfolab);
    content->addWidget(d.previewOriginalphtoinfolab);
    content->addWidget(d.currentlocalMapView);
    content->addWidget(d.localExifDataView, 1);
    grid->addLayout(content, 0, 0);
    return column;
}

void buildMenus(AppDelegate &d, QMainWindow *w) {
    QMenuBar *bar = w->menuBar();
    QMenu *app = bar->addMenu(AppDelegate::tr("Photo Kestry"));
    QAction *prefs = app->addAction(AppDelegate::tr("Preferences…"));
    prefs->setObjectName(QStringLiteral("ShowPreferenceSetting"));
    prefs->setShortcuts(
        {QKeySequence(QKeySequence::Preferences), QKeySequence(QStringLiteral("Ctrl+,"))});
    QObject::connect(prefs, &QAction::triggered, &d, &AppDelegate::ShowPreferenceSetting);
    app->addSeparator();
    QAction *addPhotos = app->addAction(AppDelegate::tr("Add Photos or Folders…"));
    addPhotos->setShortcut(QKeySequence::Open);
    QObject::connect(addPhotos, &QAction::triggered, &d, &AppDelegate::ClickImportPhotosAction);
    QAction *addFiles = app->addAction(AppDelegate::tr("Add Photo Files…"));
    QObject::connect(addFiles, &QAction::triggered, &d,
                     &AppDelegate::OpenComputerFoldertoImportAction);
    QAction *clearAdd = app->addAction(AppDelegate::tr("Clear and Add Photos…"));
    QObject::connect(clearAdd, &QAction::triggered, &d,
                     &AppDelegate::ClickClearandImportPhotosAction);
    // Update check.
    QAction *checkUpdate = app->addAction(AppDelegate::tr("Check for Updates…"));
    checkUpdate->setObjectName(QStringLiteral("CheckforUpdateAction"));
    QObject::connect(checkUpdate, &QAction::triggered, &d, &AppDelegate::CheckforUpdateAction);
    app->addSeparator();
    QAction *quit = app->addAction(AppDelegate::tr("Quit Photo Kestry"));
    quit->setShortcut(QKeySequence::Quit);
    QObject::connect(quit, &QAction::triggered, w, &QWidget::close);

    QMenu *edit = bar->addMenu(AppDelegate::tr("Edit"));
    d.pasteExifMenuItem = edit->addAction(AppDelegate::tr("Paste Exif Metadata"));
    d.pasteIPTCMenuItem = edit->addAction(AppDelegate::tr("Paste IPTC Metadata"));
    d.pasteTIFFMenuItem = edit->addAction(AppDelegate::tr("Paste TIFF Metadata"));
    d.pasteGPSMenuItem = edit->addAction(AppDelegate::tr("Paste GPS Metadata"));
    d.pasteAllPhotoMetaMenuItem = edit->addAction(AppDelegate::tr("Paste All Metadata"));

    QMenu *actions = bar->addMenu(AppDelegate::tr("Actions"));
    const std::pair<QString, void (AppDelegate::*)()> listActions[] = {
        {AppDelegate::tr("Sort by Date"), &AppDelegate::ClickSortLocalPhotosByDate},
        {AppDelegate::tr("Sort by File Name"), &AppDelegate::ClickSortLocalPhotosByName},
        {AppDelegate::tr("Remove Selected Photos from List"),
         &AppDelegate::ClearSelectedLeftPhotos},
        {AppDelegate::tr("Remove Photos without a Date from List"),
         &AppDelegate::ClearLeftPhotosWithoutExifDate},
        {AppDelegate::tr("Remove All Photos from List"), &AppDelegate::ClearLeftPhotos},
    };
    for (const auto &[title, action] : listActions)
        QObject::connect(actions->addAction(title), &QAction::triggered, &d, action);
    actions->addSeparator();
    QAction *lens = actions->addAction(AppDelegate::tr("Change Lens Make and Model…"));
    QObject::connect(lens, &QAction::triggered, &d, &AppDelegate::ShowCameLensModel);
    d.removeExifMenu = new QMenu(AppDelegate::tr("Remove Metadata"), w);
    d.importandExportMenu = new QMenu(AppDelegate::tr("Import and Export Metadata"), w);
    d.quickActionMenu = actions->addAction(AppDelegate::tr("Remove Metadata"));
    d.exportandimportActionMenu = actions->addAction(AppDelegate::tr("Import and Export Metadata"));

    QMenu *devices = bar->addMenu(AppDelegate::tr("Devices"));
    d.changtoiOSmodemenu = devices->addAction(AppDelegate::tr("Show iOS Devices"));
}

} // namespace

void buildMainWindow(AppDelegate &d) {
    auto *w = new PKMainWindow(d);
    w->setObjectName(QStringLiteral("window"));
    w->setWindowTitle(AppDelegate::tr("Photo Kestry"));
    w->resize(1200, 750);
    d.window = w;
    QPalette pal = w->palette();
    pal.setColor(QPalette::WindowText, QColor(230, 230, 230));
    w->setPalette(pal);
    w->menuBar()->setStyleSheet(QStringLiteral("QMenuBar { background: #2b2827; color: #e6e6e6; }"
                                               "QMenuBar::item:selected { background: #4a4544; }"));
    d.ownedWindows << w;

    auto *central = new QWidget(w);
    auto *row = new QHBoxLayout(central);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);

    // The window manager draws the real title bar here; these stand ready for the
    // close-button handler and stay out of sight.
    d.closedButton = named(new PRClosedButton(central), "closedButton");
    d.minButton = named(new QPushButton(central), "minButton");
    d.maxButton = named(new QPushButton(central), "maxButton");
    for (QPushButton *b :
         std::initializer_list<QPushButton *>{d.closedButton, d.minButton, d.maxButton})
        b->hide();

    d.MainView = named(new QWidget(central), "MainView");
    auto *mainStack = new QGridLayout(d.MainView);
    mainStack->setContentsMargins(0, 0, 0, 0);
    mainStack->addWidget(buildLocalView(d, d.MainView), 0, 0);
    mainStack->addWidget(buildLibraryView(d, d.MainView), 0, 0);
    row->addWidget(d.MainView, 1);
    row->addWidget(buildPreviewColumn(d, central));
    w->setCentralWidget(central);

    buildMenus(d, w);
}
