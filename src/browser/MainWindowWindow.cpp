// The main window: the drop tip on the left, the local and library browsers in the
// middle, the preview column on the right. Its own menu items are in
// browser/MainWindowMenus.cpp.
#include "app/AppServices.h"
#include "app/core/WindowPlacement.h"
#include "browser/MainWindowController.h"

#include "browser/DropTargets.h"
#include "browser/LocalPhotoModel.h"
#include "browser/PRButton.h"
#include "platform/Artwork.h"
#include "platform/ImageView.h"
#include "platform/MapView.h"

#include <QAction>
#include <QCloseEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QListView>
#include <QMainWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

// The preview's height in the default window, and the least it keeps in a short one.
constexpr int kPreviewHeight = 240;
constexpr int kPreviewLeastHeight = 120;

// Closing the main window quits the program, once `shouldClose` agrees.
class PKMainWindow : public QMainWindow {
  public:
    explicit PKMainWindow(std::function<bool()> shouldClose)
        : m_shouldClose(std::move(shouldClose)) {}

  protected:
    void closeEvent(QCloseEvent *event) override {
        if (!m_shouldClose || m_shouldClose())
            event->accept();
        else
            event->ignore();
    }

  private:
    std::function<bool()> m_shouldClose;
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

// The image buttons of the views' bars: they act through the click router. Tab reaches
// them; a click leaves the focus where it was, in the browser.
PRButton *toolButton(QWidget *parent, const char *name, const QString &text) {
    auto *button = named(new PRButton(text, parent), name);
    button->setFocusPolicy(Qt::TabFocus);
    return button;
}

// The two mode buttons; each view has its own pair.
void addModeButtons(QHBoxLayout *bar, QWidget *parent, PRButton **local, PRButton **library) {
    const bool onLibraryView = parent->objectName() == QLatin1String("photolibView");
    *local = toolButton(parent, onLibraryView ? "photoliblocalphotoBtn" : "localphotoBtn",
                        MainWindowController::tr("Local Photos"));
    *library = toolButton(parent, onLibraryView ? "photolibcameraphotoBtn" : "cameraphotoBtn",
                          MainWindowController::tr("Photo Library"));
    (*local)->setCheckable(true);
    (*library)->setCheckable(true);
    bar->addWidget(*local);
    bar->addWidget(*library);
}

} // namespace

// The local side: the browser, or while the list is empty the drop pane.
QWidget *MainWindowController::buildLocalContent(QWidget *parent) {
    leftContentView = named(new QWidget(parent), "leftContentView");
    auto *stack = new QGridLayout(leftContentView);
    stack->setContentsMargins(0, 0, 0, 0);
    leftphotoScrView = named(new QWidget(leftContentView), "leftphotoScrView");
    auto *scrollLayout = new QVBoxLayout(leftphotoScrView);
    scrollLayout->setContentsMargins(0, 0, 0, 0);
    localImageBrowserView =
        named(new NSDragImageBrowserView(leftphotoScrView), "localImageBrowserView");
    localPhotoModel =
        new LocalPhotoModel(&app.localLists().localPhotoItemArray, localImageBrowserView);
    localImageBrowserView->setModel(localPhotoModel);
    QObject::connect(localImageBrowserView->selectionModel(),
                     &QItemSelectionModel::selectionChanged, this,
                     [this] { imageBrowserSelectionDidChange(localImageBrowserView); });
    QObject::connect(localImageBrowserView, &QListView::doubleClicked, this,
                     [this](const QModelIndex &index) {
                         emit cellDoubleClicked(localImageBrowserView, index.row());
                     });
    scrollLayout->addWidget(localImageBrowserView);
    leftTipView = named(new QWidget(leftContentView), "leftTipView");
    auto *tipLayout = new QGridLayout(leftTipView);
    tipLayout->setContentsMargins(0, 0, 0, 0);
    leftTipImageView = named(new PRDragImageView(leftTipView), "leftTipImageView");
    leftTipImageView->setScaledContents(false);
    leftTipImageView->setText(MainWindowController::tr("Drop photos, videos or folders here"));
    leftTipImageView->setAlignment(Qt::AlignCenter);
    leftTipImageView->setWordWrap(true);
    leftTipImageView->setStyleSheet(
        QStringLiteral("color: #bbb; border: 2px dashed #666; border-radius: 8px;"));
    tipLayout->addWidget(leftTipImageView, 0, 0);
    leftTipCameraImageView = named(new PKImageView(leftContentView), "leftTipCameraImageView");
    stack->addWidget(leftphotoScrView, 0, 0);
    stack->addWidget(leftTipView, 0, 0);
    stack->addWidget(leftTipCameraImageView, 0, 0);
    return leftContentView;
}

QWidget *MainWindowController::buildLocalView(QWidget *parent) {
    localphotoView = named(new QWidget(parent), "localphotoView");
    localPhotoViewImageView = named(new PKImageView(localphotoView), "localPhotoViewImageView");
    QGridLayout *grid = layered(localphotoView, localPhotoViewImageView);
    auto *content = new QVBoxLayout;
    content->setContentsMargins(8, 8, 8, 8);
    auto *bar = new QHBoxLayout;
    importPhotobtn = toolButton(localphotoView, "importPhotobtn", MainWindowController::tr("Add"));
    localeditexifBtn =
        toolButton(localphotoView, "localeditexifBtn", MainWindowController::tr("Edit Metadata"));
    editMetaDataLocalBtn =
        toolButton(localphotoView, "editMetaDataLocalBtn", MainWindowController::tr("Edit"));
    remoMetaDataLocalBtn =
        toolButton(localphotoView, "remoMetaDataLocalBtn", MainWindowController::tr("Remove"));
    importandExportBtn =
        toolButton(localphotoView, "importandExportBtn", MainWindowController::tr("Import/Export"));
    sortLocalPhotoBtn =
        toolButton(localphotoView, "sortLocalPhotoBtn", MainWindowController::tr("Sort"));
    taskProgressor = named(new QProgressBar(localphotoView), "taskProgressor");
    for (PRButton *b : {importPhotobtn, localeditexifBtn, editMetaDataLocalBtn,
                        remoMetaDataLocalBtn, importandExportBtn, sortLocalPhotoBtn})
        bar->addWidget(b);
    bar->addStretch(1);
    bar->addWidget(taskProgressor);
    addModeButtons(bar, localphotoView, &localphotoBtn, &cameraphotoBtn);
    content->addLayout(bar);
    content->addWidget(buildLocalContent(localphotoView), 1);
    grid->addLayout(content, 0, 0);
    return localphotoView;
}

QWidget *MainWindowController::buildLibraryView(QWidget *parent) {
    photolibView = named(new QWidget(parent), "photolibView");
    photoLibraryImageView = named(new PKImageView(photolibView), "photoLibraryImageView");
    QGridLayout *grid = layered(photolibView, photoLibraryImageView);
    auto *content = new QVBoxLayout;
    content->setContentsMargins(8, 8, 8, 8);
    auto *bar = new QHBoxLayout;
    filterPhotolibBtn =
        toolButton(photolibView, "filterPhotolibBtn", MainWindowController::tr("Filter"));
    showPhotoTypelibBtn =
        toolButton(photolibView, "showPhotoTypelibBtn", MainWindowController::tr("Show"));
    PhotolibQuickBtn =
        toolButton(photolibView, "PhotolibQuickBtn", MainWindowController::tr("Actions"));
    PhotolibEditExifBtn =
        toolButton(photolibView, "PhotolibEditExifBtn", MainWindowController::tr("Edit"));
    PRButton *mergeBtn =
        toolButton(photolibView, "photolibMergeBtn", MainWindowController::tr("Merge"));
    PRButton::whenPressed(mergeBtn, [this] { emit mergeLibraryRequested(); });
    scanProcesser = named(new QProgressBar(photolibView), "scanProcesser");
    scanProcesser->setRange(0, 0);
    scanninginfolab =
        named(new QLabel(MainWindowController::tr("Scanning."), photolibView), "scanninginfolab");
    for (PRButton *b :
         {filterPhotolibBtn, showPhotoTypelibBtn, PhotolibQuickBtn, PhotolibEditExifBtn, mergeBtn})
        bar->addWidget(b);
    bar->addStretch(1);
    bar->addWidget(scanninginfolab);
    bar->addWidget(scanProcesser);
    addModeButtons(bar, photolibView, &photoliblocalphotoBtn, &photolibcameraphotoBtn);
    photoLibBrowserView = named(new QListView(photolibView), "photoLibBrowserView");
    photoLibBrowserView->setModel(
        new LocalPhotoModel(&app.library().photoLibBroserArray, photoLibBrowserView));
    QObject::connect(photoLibBrowserView, &QListView::doubleClicked, this,
                     [this](const QModelIndex &index) {
                         emit cellDoubleClicked(photoLibBrowserView, index.row());
                     });
    photolibEditView = named(new QWidget(photolibView), "photolibEditView");
    photolibEiteBGImageView = named(new PKImageView(photolibEditView), "photolibEiteBGImageView");
    layered(photolibEditView, photolibEiteBGImageView);
    photoOriginalEditView = named(new QWidget(photolibView), "photoOriginalEditView");
    photoOrigEiteBGImageView =
        named(new PKImageView(photoOriginalEditView), "photoOrigEiteBGImageView");
    layered(photoOriginalEditView, photoOrigEiteBGImageView);
    content->addLayout(bar);
    content->addWidget(photoLibBrowserView, 1);
    content->addWidget(photolibEditView);
    content->addWidget(photoOriginalEditView);
    grid->addLayout(content, 0, 0);
    return photolibView;
}

namespace {

// The column's lines, map and properties: it asks for the room they need at least, so the
// preview above grows only into what they leave; in a shorter window they scroll instead of
// being drawn over each other.
class ColumnDetails : public QScrollArea {
  public:
    explicit ColumnDetails(QWidget *parent) : QScrollArea(parent) {}
    QSize sizeHint() const override {
        const int frame = 2 * frameWidth();
        return widget() ? widget()->minimumSizeHint() + QSize(frame, frame)
                        : QScrollArea::sizeHint();
    }

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        // A caption shown or hidden changes what the details need.
        if (watched == widget() && event->type() == QEvent::LayoutRequest)
            updateGeometry();
        return QScrollArea::eventFilter(watched, event);
    }
};

} // namespace

QWidget *MainWindowController::buildPreviewColumn(QWidget *parent) {
    auto *column = named(new QWidget(parent), "previewColumn");
    column->setFixedWidth(320);
    editImageView = named(new PKImageView(column), "editImageView");
    QGridLayout *grid = layered(column, editImageView);
    auto *content = new QVBoxLayout;
    content->setContentsMargins(8, 8, 8, 8);
    previewContentView = named(new QWidget(column), "previewContentView");
    // Whole in the default window, smaller in a short one, never under the lines below.
    previewContentView->setMinimumHeight(kPreviewLeastHeight);
    previewContentView->setMaximumHeight(kPreviewHeight);
    auto *previewStack = new QGridLayout(previewContentView);
    previewStack->setContentsMargins(0, 0, 0, 0);
    previewImageView = named(new PKImageView(previewContentView), "previewImageView");
    previewImageView->setKeepsProportions(true);
    theplayerView = named(new QWidget(previewContentView), "theplayerView");
    previewStack->addWidget(previewImageView, 0, 0);
    previewStack->addWidget(theplayerView, 0, 0);
    // A library video shows its first picture here.
    auto *playerLayout = new QVBoxLayout(theplayerView);
    playerLayout->setContentsMargins(0, 0, 0, 0);
    playerFrameView = named(new PKImageView(theplayerView), "playerFrameView");
    playerFrameView->setKeepsProportions(true);
    playerLayout->addWidget(playerFrameView);

    auto *details = named(new ColumnDetails(column), "previewDetailsScroll");
    details->setFrameShape(QFrame::NoFrame);
    details->setWidgetResizable(true);
    details->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The column's own background shows through.
    details->viewport()->setAutoFillBackground(false);
    auto *lines = named(new QWidget(details), "previewDetails");
    auto *detailsColumn = new QVBoxLayout(lines);
    detailsColumn->setContentsMargins(0, 0, 0, 0);
    detailsColumn->setSpacing(4);
    previewProgressor = named(new QProgressBar(lines), "previewProgressor");
    previewPhotolibinfolab =
        named(new QLabel(MainWindowController::tr("Photo metadata in the library"), lines),
              "previewPhotolibinfolab");
    previewOriginalphtoinfolab = named(new QLabel(lines), "previewOriginalphtoinfolab");
    QFormLayout *info = buildLocalInformationLines(lines);
    QWidget *mapSlot = buildLocalMapSlot(lines);
    localExifDataView = named(new QTreeWidget(lines), "localExifDataView");
    localExifDataView->setHeaderLabels(
        {MainWindowController::tr("Property"), MainWindowController::tr("Value")});
    // The column's other lines never squeeze the properties below a few readable rows.
    localExifDataView->setMinimumHeight(localExifDataView->header()->sizeHint().height() +
                                        6 * (localExifDataView->fontMetrics().height() + 4) +
                                        2 * localExifDataView->frameWidth());
    detailsColumn->addLayout(info);
    detailsColumn->addWidget(previewProgressor);
    detailsColumn->addWidget(previewPhotolibinfolab);
    detailsColumn->addWidget(previewOriginalphtoinfolab);
    detailsColumn->addWidget(mapSlot);
    detailsColumn->addWidget(localExifDataView, 1);
    details->setWidget(lines);
    lines->setAutoFillBackground(false);

    // The preview takes what the details leave, up to its whole height.
    content->addWidget(previewContentView, 1);
    content->addWidget(details);
    grid->addLayout(content, 0, 0);
    return column;
}

QMainWindow *MainWindowController::buildWindow(std::function<bool()> shouldClose) {
    auto *w = new PKMainWindow(std::move(shouldClose));
    w->setObjectName(QStringLiteral("window"));
    w->setWindowTitle(MainWindowController::tr("Photo Kestry"));
    w->resize(kMainWindowDefaultSize);

    auto *central = new QWidget(w);
    auto *row = new QHBoxLayout(central);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);

    // The window manager draws the real title bar here; these stand ready for the
    // close-button handler and stay out of sight.
    closedButton = named(new PRClosedButton(central), "closedButton");
    minButton = named(new QPushButton(central), "minButton");
    maxButton = named(new QPushButton(central), "maxButton");
    for (QPushButton *b : std::initializer_list<QPushButton *>{closedButton, minButton, maxButton})
        b->hide();

    MainView = named(new QWidget(central), "MainView");
    auto *mainStack = new QGridLayout(MainView);
    mainStack->setContentsMargins(0, 0, 0, 0);
    mainStack->addWidget(buildLocalView(MainView), 0, 0);
    mainStack->addWidget(buildLibraryView(MainView), 0, 0);
    row->addWidget(MainView, 1);
    row->addWidget(buildPreviewColumn(central));
    w->setCentralWidget(central);
    useFittedCellTitles();
    return w;
}

void MainWindowController::prepareViews() {
    for (PKImageView *v : {localPhotoViewImageView, photoLibraryImageView})
        if (v)
            v->setImage(namedImage(QStringLiteral("bgroud.png")));
    for (PKImageView *v : {editImageView, photolibEiteBGImageView, photoOrigEiteBGImageView})
        if (v)
            v->setImage(namedImage(QStringLiteral("editimageview.png")));
    if (taskProgressor) {
        taskProgressor->hide();
        taskProgressor->setValue(0);
    }
    if (scanProcesser)
        scanProcesser->hide();
    if (scanninginfolab)
        scanninginfolab->hide();
    prepareBrowser(localImageBrowserView);
    prepareBrowser(photoLibBrowserView);
    if (previewProgressor)
        previewProgressor->hide();
    if (changtoiOSmodemenu)
        changtoiOSmodemenu->setEnabled(false);
}

void MainWindowController::showFirstView() {
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
}

void MainWindowController::showTitleBarPictures() {
    const bool modern = modernTitleBar();
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
}

void MainWindowController::hideUntilNeeded() {
    for (QWidget *w : std::initializer_list<QWidget *>{
             previewPhotolibinfolab, previewOriginalphtoinfolab, filterPhotolibBtn,
             showPhotoTypelibBtn, photolibEditView, photoOriginalEditView, sortLocalPhotoBtn})
        if (w)
            w->hide();
}

void MainWindowController::hideLocalMap() {
    if (currentlocalMapView)
        currentlocalMapView->hide();
}

void MainWindowController::prepareBrowser(QListView *browser) {
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

int MainWindowController::leastContentWidth(const QWidget *content) const {
    if (!content || !MainView)
        return 0;
    int views = 0;
    for (QWidget *view : {localphotoView, photolibView})
        if (view && view->layout())
            views = std::max(views, view->layout()->minimumSize().width());
    return content->minimumSizeHint().width() - MainView->minimumSizeHint().width() + views;
}

bool MainWindowController::isLocalBrowser(const QListView *browser) const {
    return browser && browser == localImageBrowserView;
}

bool MainWindowController::isLibraryBrowser(const QListView *browser) const {
    return browser && browser == photoLibBrowserView;
}

void MainWindowController::selectAllInShownBrowser() {
    const bool library = photolibView && photolibView->isVisible();
    QListView *view = library ? photoLibBrowserView : localImageBrowserView;
    if (view)
        view->selectAll();
}
