// The main window: the drop tip on the left, the local and library browsers in the
// middle, the preview column on the right. Its menus are in MainMenu.cpp.
#include "app/AppDelegate.h"
#include "app/WindowDescription.h"
#include "app/core/WindowPlacement.h"

#include "browser/DropTargets.h"
#include "browser/LocalInfoPanel.h"
#include "browser/LocalPhotoModel.h"
#include "browser/PRButton.h"
#include "platform/ImageView.h"
#include "platform/MapView.h"

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
    // The column's other lines never squeeze the properties below a few readable rows.
    d.localExifDataView->setMinimumHeight(d.localExifDataView->header()->sizeHint().height() +
                                          6 * (d.localExifDataView->fontMetrics().height() + 4) +
                                          2 * d.localExifDataView->frameWidth());
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

} // namespace

void buildMainWindow(AppDelegate &d) {
    auto *w = new PKMainWindow(d);
    w->setObjectName(QStringLiteral("window"));
    w->setWindowTitle(AppDelegate::tr("Photo Kestry"));
    w->resize(kMainWindowDefaultSize);
    d.window = w;
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

    buildMainMenu(d, w);
    buildPopupMenus(d);
}
