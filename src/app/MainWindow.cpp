// The main window: the drop tip on the left, the local and library browsers in the
// middle, the preview column on the right, and the menus.
#include "app/AppDelegate.h"
#include "app/WindowDescription.h"

#include "browser/DropTargets.h"
#include "browser/LocalInfoPanel.h"
#include "browser/LocalPhotoModel.h"
#include "browser/PRButton.h"
#include "platform/ImageView.h"
#include "platform/MapView.h"

#include <QAction>
#include <QCloseEvent>
#include <QFormLayout>
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

// The image buttons of the views' bars: they act through the click router.
PRButton *toolButton(QWidget *parent, const char *name, const QString &text) {
    auto *button = named(new PRButton(text, parent), name);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

// The two mode buttons; each view has its own pair.
void addModeButtons(QHBoxLayout *bar, QWidget *parent, PRButton **local, PRButton **library) {
    const bool onLibraryView = parent->objectName() == QLatin1String("photolibView");
    *local = toolButton(parent, onLibraryView ? "photoliblocalphotoBtn" : "localphotoBtn",
                        AppDelegate::tr("Local Photos"));
    *library = toolButton(parent, onLibraryView ? "photolibcameraphotoBtn" : "cameraphotoBtn",
                          AppDelegate::tr("Photo Library"));
    (*local)->setCheckable(true);
    (*library)->setCheckable(true);
    bar->addWidget(*local);
    bar->addWidget(*library);
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
    QObject::connect(d.localImageBrowserView, &QListView::doubleClicked, &d,
                     [&d](const QModelIndex &index) {
                         d.imageBrowser(d.localImageBrowserView,
                                        AppDelegate::CellWasDoubleClicked{}, index.row());
                     });
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
    d.importPhotobtn = toolButton(d.localphotoView, "importPhotobtn", AppDelegate::tr("Add"));
    d.localeditexifBtn =
        toolButton(d.localphotoView, "localeditexifBtn", AppDelegate::tr("Edit Metadata"));
    d.editMetaDataLocalBtn =
        toolButton(d.localphotoView, "editMetaDataLocalBtn", AppDelegate::tr("Edit"));
    d.remoMetaDataLocalBtn =
        toolButton(d.localphotoView, "remoMetaDataLocalBtn", AppDelegate::tr("Remove"));
    d.importandExportBtn =
        toolButton(d.localphotoView, "importandExportBtn", AppDelegate::tr("Import/Export"));
    d.sortLocalPhotoBtn =
        toolButton(d.localphotoView, "sortLocalPhotoBtn", AppDelegate::tr("Sort"));
    d.taskProgressor = named(new QProgressBar(d.localphotoView), "taskProgressor");
    for (PRButton *b : {d.importPhotobtn, d.localeditexifBtn, d.editMetaDataLocalBtn,
                        d.remoMetaDataLocalBtn, d.importandExportBtn, d.sortLocalPhotoBtn})
        bar->addWidget(b);
    bar->addStretch(1);
    bar->addWidget(d.taskProgressor);
    addModeButtons(bar, d.localphotoView, &d.localphotoBtn, &d.cameraphotoBtn);
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
        toolButton(d.photolibView, "filterPhotolibBtn", AppDelegate::tr("Filter"));
    d.showPhotoTypelibBtn =
        toolButton(d.photolibView, "showPhotoTypelibBtn", AppDelegate::tr("Show"));
    d.PhotolibQuickBtn = toolButton(d.photolibView, "PhotolibQuickBtn", AppDelegate::tr("Actions"));
    d.PhotolibEditExifBtn =
        toolButton(d.photolibView, "PhotolibEditExifBtn", AppDelegate::tr("Edit"));
    d.photolibMergeBtn = toolButton(d.photolibView, "photolibMergeBtn", AppDelegate::tr("Merge"));
    d.scanProcesser = named(new QProgressBar(d.photolibView), "scanProcesser");
    d.scanProcesser->setRange(0, 0);
    d.scanninginfolab =
        named(new QLabel(AppDelegate::tr("Scanning."), d.photolibView), "scanninginfolab");
    for (PRButton *b : {d.filterPhotolibBtn, d.showPhotoTypelibBtn, d.PhotolibQuickBtn,
                        d.PhotolibEditExifBtn, d.photolibMergeBtn})
        bar->addWidget(b);
    bar->addStretch(1);
    bar->addWidget(d.scanninginfolab);
    bar->addWidget(d.scanProcesser);
    addModeButtons(bar, d.photolibView, &d.photoliblocalphotoBtn, &d.photolibcameraphotoBtn);
    d.photoLibBrowserView = named(new QListView(d.photolibView), "photoLibBrowserView");
    d.photoLibBrowserView->setModel(
        new LocalPhotoModel(&d.library.photoLibBroserArray, d.photoLibBrowserView));
    QObject::connect(
        d.photoLibBrowserView, &QListView::doubleClicked, &d, [&d](const QModelIndex &index) {
            d.imageBrowser(d.photoLibBrowserView, AppDelegate::CellWasDoubleClicked{}, index.row());
        });
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
    QFormLayout *info = buildLocalInformationLines(d, column);
    QWidget *mapSlot = buildLocalMapSlot(d, column);
    d.localExifDataView = named(new QTreeWidget(column), "localExifDataView");
    d.localExifDataView->setHeaderLabels({AppDelegate::tr("Property"), AppDelegate::tr("Value")});
    d.localExifDataView->setStyleSheet(
        QStringLiteral("QTreeWidget { background: #3f3a39; color: white; }"));
    content->addWidget(d.previewContentView);
    content->addLayout(info);
    content->addWidget(d.previewProgressor);
    content->addWidget(d.previewPhotolibinfolab);
    content->addWidget(d.previewOriginalphtoinfolab);
    content->addWidget(mapSlot);
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
    // Date features.
    {
        QMenu *dates = actions->addMenu(AppDelegate::tr("Dates"));
        dates->setObjectName(QStringLiteral("changePhotoDateMenu"));
        const std::pair<QString, void (AppDelegate::*)()> dateActions[] = {
            {AppDelegate::tr("Change Date…"), &AppDelegate::ShowChangeDateWindow},
            {AppDelegate::tr("Batch Change Dates…"), &AppDelegate::ChangeDateExifFromPhoto},
            {AppDelegate::tr("Camera Date from File Name"),
             &AppDelegate::ClickSetCameraDateFromFileNameAction},
            {AppDelegate::tr("Copy Camera Date to File Dates"),
             &AppDelegate::ClickCopyExifDateToCreateDateAction},
            {AppDelegate::tr("Copy Creation Date to Camera Date"),
             &AppDelegate::ClickCopyCreatedDateToCameraDateAction},
            {AppDelegate::tr("Copy Creation Date to Modification Date"),
             &AppDelegate::ClickCopyCreatedDateToModifyDateAction},
            {AppDelegate::tr("Copy Modification Date to Creation Date"),
             &AppDelegate::ClickCopyModiyDateToCreateDateAction},
        };
        for (const auto &[title, action] : dateActions)
            QObject::connect(dates->addAction(title), &QAction::triggered, &d, action);
    }
    d.removeExifMenu = new QMenu(AppDelegate::tr("Remove Metadata"), w);
    d.importandExportMenu = new QMenu(AppDelegate::tr("Import and Export Metadata"), w);
    d.quickActionMenu = actions->addAction(AppDelegate::tr("Remove Metadata"));
    d.exportandimportActionMenu = actions->addAction(AppDelegate::tr("Import and Export Metadata"));
    // Metadata property lists.
    {
        QMenu *m = d.importandExportMenu;
        const std::pair<QString, void (AppDelegate::*)()> plistActions[] = {
            {AppDelegate::tr("Export TIFF Metadata to Plist"),
             &AppDelegate::ExportTIFFtoPlistAction},
            {AppDelegate::tr("Export Exif Metadata to Plist"),
             &AppDelegate::ExportExiftoPlistAction},
            {AppDelegate::tr("Export Exif and TIFF Metadata to Plist"),
             &AppDelegate::ExportExifAndIiFFDataToPlist},
            {AppDelegate::tr("Export Exif and GPS Metadata to Plist"),
             &AppDelegate::ExportExifAndGPSDataToPlist},
            {AppDelegate::tr("Export All Metadata to Plist"), &AppDelegate::WriteExifDataToPlist},
            {AppDelegate::tr("Export Shown Photo's Metadata to Plist"),
             &AppDelegate::WriteSelectedItemsExifDataToPlist},
            {AppDelegate::tr("Export Edit Sheet as Template"),
             &AppDelegate::ExportTemplateDataToPlist},
            {QString(), nullptr},
            {AppDelegate::tr("Import TIFF Metadata from Plist…"),
             &AppDelegate::ImportTIFFtoPlistAction},
            {AppDelegate::tr("Import Exif Metadata from Plist…"),
             &AppDelegate::ImportExiFtoPlistAction},
            {AppDelegate::tr("Import Exif and TIFF Metadata from Plist…"),
             &AppDelegate::ImportExiFAndTiffPlistAction},
            {AppDelegate::tr("Import Exif and GPS Metadata from Plist…"),
             &AppDelegate::ImportExiFAndGPSPlistAction},
            {AppDelegate::tr("Import All Metadata from Plist…"),
             &AppDelegate::ImportMetaDataPlistAction},
            {AppDelegate::tr("Apply Template…"), &AppDelegate::ImportTemplateDataPlistAction},
        };
        for (const auto &[title, action] : plistActions) {
            if (!action) {
                m->addSeparator();
                continue;
            }
            QAction *item = m->addAction(title);
            QObject::connect(item, &QAction::triggered, &d, action);
        }
        d.exportandimportActionMenu->setMenu(m);
    }

    // Edit sheet and GPS window.
    actions->addSeparator();
    QAction *editSheet = actions->addAction(AppDelegate::tr("Edit Photo Metadata…"));
    editSheet->setObjectName(QStringLiteral("ClickEditPhotoExifDataMenuAction"));
    editSheet->setShortcut(QKeySequence(QStringLiteral("Ctrl+E")));
    QObject::connect(editSheet, &QAction::triggered, &d,
                     &AppDelegate::ClickEditPhotoExifDataMenuAction);
    QAction *editGps = actions->addAction(AppDelegate::tr("Edit GPS Position…"));
    editGps->setObjectName(QStringLiteral("EditeGPSExifDataPhoto"));
    QObject::connect(editGps, &QAction::triggered, &d, &AppDelegate::EditeGPSExifDataPhoto);
    QAction *addGps = actions->addAction(AppDelegate::tr("Add GPS Position…"));
    addGps->setObjectName(QStringLiteral("AddGPSExifDataPhoto"));
    QObject::connect(addGps, &QAction::triggered, &d, &AppDelegate::AddGPSExifDataPhoto);

    // Sidecar merges.
    actions->addSeparator();
    QAction *mergeJson = actions->addAction(AppDelegate::tr("Merge Google Takeout Metadata…"));
    mergeJson->setObjectName(QStringLiteral("MergeJsonMetadataToPhotosAction"));
    QObject::connect(mergeJson, &QAction::triggered, &d,
                     &AppDelegate::MergeJsonMetadataToPhotosAction);
    QAction *mergeXmp = actions->addAction(AppDelegate::tr("Merge XMP Sidecar Files…"));
    mergeXmp->setObjectName(QStringLiteral("WriteXMPMetadataToPhotosAction"));
    QObject::connect(mergeXmp, &QAction::triggered, &d,
                     &AppDelegate::WriteXMPMetadataToPhotosAction);

    QMenu *devices = bar->addMenu(AppDelegate::tr("Devices"));
    d.changtoiOSmodemenu = devices->addAction(AppDelegate::tr("Show iOS Devices"));

    // Metadata removal, copy and paste of sections, tag-to-tag copies and renames.
    using Action = void (AppDelegate::*)();
    const auto addItems = [&d](QMenu *menu,
                               std::initializer_list<std::pair<QString, Action>> list) {
        for (const auto &[title, action] : list)
            QObject::connect(menu->addAction(title), &QAction::triggered, &d, action);
    };
    edit->addSeparator();
    addItems(edit, {{AppDelegate::tr("Copy Exif data from a selected photo"),
                     &AppDelegate::ClickCopyOnePhotoExifAction},
                    {AppDelegate::tr("Copy IPTC data from a selected photo"),
                     &AppDelegate::ClickCopyOnePhotoIPTCAction},
                    {AppDelegate::tr("Copy TIFF data from a selected photo"),
                     &AppDelegate::ClickCopyOnePhotoTIFFAction},
                    {AppDelegate::tr("Copy GPS data from a selected photo"),
                     &AppDelegate::ClickCopyOnePhotoGPSAction},
                    {AppDelegate::tr("Copy All Photo metadata from a selected photo"),
                     &AppDelegate::ClickCopyOneAllPhotoMetadataAction}});
    const std::pair<QAction *, Action> pastes[] = {
        {d.pasteExifMenuItem, &AppDelegate::ClickPasteExifDataAction},
        {d.pasteIPTCMenuItem, &AppDelegate::ClickPasteIPTCDataAction},
        {d.pasteTIFFMenuItem, &AppDelegate::ClickPasteTIFFDataAction},
        {d.pasteGPSMenuItem, &AppDelegate::ClickPasteGPSDataAction},
        {d.pasteAllPhotoMetaMenuItem, &AppDelegate::ClickPasteAllPhotoMetaAction}};
    for (const auto &[item, action] : pastes)
        QObject::connect(item, &QAction::triggered, &d, action);
    addItems(d.removeExifMenu,
             {{AppDelegate::tr("Remove Exif and GPS Data"), &AppDelegate::DeleteExifAndGPSData},
              {AppDelegate::tr("Remove All Metadata"), &AppDelegate::DeleteAllPhotoMetadataData},
              {AppDelegate::tr("Remove IPTC and TIFF Data"),
               &AppDelegate::RemoveIPTCandTIFFTagsDataFromPhoto},
              {AppDelegate::tr("Remove TIFF Data"), &AppDelegate::RemoveTIFFTagsDataFromPhoto},
              {AppDelegate::tr("Remove IPTC Data"), &AppDelegate::RemoveIPTCDataFromPhoto},
              {AppDelegate::tr("Remove Exif Data"), &AppDelegate::RemoveExifDataFromPhoto},
              {AppDelegate::tr("Remove GPS Data"), &AppDelegate::RemoveGPSDataFromPhoto}});
    QMenu *tags = actions->addMenu(AppDelegate::tr("Copy Tags"));
    tags->setObjectName(QStringLiteral("copyTagsMenu"));
    addItems(
        tags,
        {{AppDelegate::tr("TIFF Date to Exif Dates"),
          &AppDelegate::ClickCopyTIFFandIPTCtoExifAction},
         {AppDelegate::tr("Exif Date to TIFF Date"),
          &AppDelegate::ClickCopyExiftoTIFFandIPTCAction},
         {AppDelegate::tr("Title to Caption"), &AppDelegate::ClickCopyTitletoCaptionAction},
         {AppDelegate::tr("Keywords to Caption"), &AppDelegate::ClickCopyKeywordstoCaptionAction},
         {AppDelegate::tr("Caption to Title"), &AppDelegate::ClickCopyCaptionToTitleAction},
         {AppDelegate::tr("Add Persons Shown…"), &AppDelegate::ClickAddPersonShownAction},
         {AppDelegate::tr("Persons Shown to Keywords"),
          &AppDelegate::ClickCopyPersonShownToKeywordsAction},
         {AppDelegate::tr("Camera Date to Title"), &AppDelegate::ClickCopyCameraDateToTitleAction},
         {AppDelegate::tr("File Name to Title"), &AppDelegate::ClickCopyFileNameToTitleAction},
         {AppDelegate::tr("File Name to Comments"),
          &AppDelegate::ClickCopyFileNameToCommentsAction}});
    tags->addSeparator();
    addItems(tags, {{AppDelegate::tr("Name Copies after the Title"),
                     &AppDelegate::ClickCopyPhotoTitleToFilenameAction},
                    {AppDelegate::tr("Name Copies after the Place"),
                     &AppDelegate::ClickCopyPhotoGPSNameToFilenameAction}});
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
    useFittedCellTitles(d);

    buildMenus(d, w);
    buildPopupMenus(d);
}
