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
#include <QScrollArea>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

// The preview's height in the default window, and the least it keeps in a short one.
constexpr int kPreviewHeight = 240;
constexpr int kPreviewLeastHeight = 120;

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
    d.mainWindow.leftContentView = named(new QWidget(parent), "leftContentView");
    auto *stack = new QGridLayout(d.mainWindow.leftContentView);
    stack->setContentsMargins(0, 0, 0, 0);
    d.mainWindow.leftphotoScrView =
        named(new QWidget(d.mainWindow.leftContentView), "leftphotoScrView");
    auto *scrollLayout = new QVBoxLayout(d.mainWindow.leftphotoScrView);
    scrollLayout->setContentsMargins(0, 0, 0, 0);
    d.mainWindow.localImageBrowserView =
        named(new NSDragImageBrowserView(d.mainWindow.leftphotoScrView), "localImageBrowserView");
    d.mainWindow.localPhotoModel =
        new LocalPhotoModel(&d.localPhotoItemArray, d.mainWindow.localImageBrowserView);
    d.mainWindow.localImageBrowserView->setModel(d.mainWindow.localPhotoModel);
    QObject::connect(
        d.mainWindow.localImageBrowserView->selectionModel(),
        &QItemSelectionModel::selectionChanged, &d,
        [&d] { d.mainWindow.imageBrowserSelectionDidChange(d.mainWindow.localImageBrowserView); });
    QObject::connect(d.mainWindow.localImageBrowserView, &QListView::doubleClicked, &d,
                     [&d](const QModelIndex &index) {
                         d.imageBrowser(d.mainWindow.localImageBrowserView,
                                        AppDelegate::CellWasDoubleClicked{}, index.row());
                     });
    scrollLayout->addWidget(d.mainWindow.localImageBrowserView);
    d.mainWindow.leftTipView = named(new QWidget(d.mainWindow.leftContentView), "leftTipView");
    auto *tipLayout = new QGridLayout(d.mainWindow.leftTipView);
    tipLayout->setContentsMargins(0, 0, 0, 0);
    d.mainWindow.leftTipImageView =
        named(new PRDragImageView(d.mainWindow.leftTipView), "leftTipImageView");
    d.mainWindow.leftTipImageView->setScaledContents(false);
    d.mainWindow.leftTipImageView->setText(AppDelegate::tr("Drop photos, videos or folders here"));
    d.mainWindow.leftTipImageView->setAlignment(Qt::AlignCenter);
    d.mainWindow.leftTipImageView->setWordWrap(true);
    d.mainWindow.leftTipImageView->setStyleSheet(
        QStringLiteral("color: #bbb; border: 2px dashed #666; border-radius: 8px;"));
    tipLayout->addWidget(d.mainWindow.leftTipImageView, 0, 0);
    d.mainWindow.leftTipCameraImageView =
        named(new PKImageView(d.mainWindow.leftContentView), "leftTipCameraImageView");
    stack->addWidget(d.mainWindow.leftphotoScrView, 0, 0);
    stack->addWidget(d.mainWindow.leftTipView, 0, 0);
    stack->addWidget(d.mainWindow.leftTipCameraImageView, 0, 0);
    return d.mainWindow.leftContentView;
}

QWidget *buildLocalView(AppDelegate &d, QWidget *parent) {
    d.mainWindow.localphotoView = named(new QWidget(parent), "localphotoView");
    d.mainWindow.localPhotoViewImageView =
        named(new PKImageView(d.mainWindow.localphotoView), "localPhotoViewImageView");
    QGridLayout *grid = layered(d.mainWindow.localphotoView, d.mainWindow.localPhotoViewImageView);
    auto *content = new QVBoxLayout;
    content->setContentsMargins(8, 8, 8, 8);
    auto *bar = new QHBoxLayout;
    d.mainWindow.importPhotobtn =
        toolButton(d.mainWindow.localphotoView, "importPhotobtn", AppDelegate::tr("Add"));
    d.mainWindow.localeditexifBtn = toolButton(d.mainWindow.localphotoView, "localeditexifBtn",
                                               AppDelegate::tr("Edit Metadata"));
    d.mainWindow.editMetaDataLocalBtn =
        toolButton(d.mainWindow.localphotoView, "editMetaDataLocalBtn", AppDelegate::tr("Edit"));
    d.mainWindow.remoMetaDataLocalBtn =
        toolButton(d.mainWindow.localphotoView, "remoMetaDataLocalBtn", AppDelegate::tr("Remove"));
    d.mainWindow.importandExportBtn = toolButton(d.mainWindow.localphotoView, "importandExportBtn",
                                                 AppDelegate::tr("Import/Export"));
    d.mainWindow.sortLocalPhotoBtn =
        toolButton(d.mainWindow.localphotoView, "sortLocalPhotoBtn", AppDelegate::tr("Sort"));
    d.mainWindow.taskProgressor =
        named(new QProgressBar(d.mainWindow.localphotoView), "taskProgressor");
    for (PRButton *b : {d.mainWindow.importPhotobtn, d.mainWindow.localeditexifBtn,
                        d.mainWindow.editMetaDataLocalBtn, d.mainWindow.remoMetaDataLocalBtn,
                        d.mainWindow.importandExportBtn, d.mainWindow.sortLocalPhotoBtn})
        bar->addWidget(b);
    bar->addStretch(1);
    bar->addWidget(d.mainWindow.taskProgressor);
    addModeButtons(bar, d.mainWindow.localphotoView, &d.mainWindow.localphotoBtn,
                   &d.mainWindow.cameraphotoBtn);
    content->addLayout(bar);
    content->addWidget(buildLocalContent(d, d.mainWindow.localphotoView), 1);
    grid->addLayout(content, 0, 0);
    return d.mainWindow.localphotoView;
}

QWidget *buildLibraryView(AppDelegate &d, QWidget *parent) {
    d.mainWindow.photolibView = named(new QWidget(parent), "photolibView");
    d.mainWindow.photoLibraryImageView =
        named(new PKImageView(d.mainWindow.photolibView), "photoLibraryImageView");
    QGridLayout *grid = layered(d.mainWindow.photolibView, d.mainWindow.photoLibraryImageView);
    auto *content = new QVBoxLayout;
    content->setContentsMargins(8, 8, 8, 8);
    auto *bar = new QHBoxLayout;
    d.mainWindow.filterPhotolibBtn =
        toolButton(d.mainWindow.photolibView, "filterPhotolibBtn", AppDelegate::tr("Filter"));
    d.mainWindow.showPhotoTypelibBtn =
        toolButton(d.mainWindow.photolibView, "showPhotoTypelibBtn", AppDelegate::tr("Show"));
    d.mainWindow.PhotolibQuickBtn =
        toolButton(d.mainWindow.photolibView, "PhotolibQuickBtn", AppDelegate::tr("Actions"));
    d.mainWindow.PhotolibEditExifBtn =
        toolButton(d.mainWindow.photolibView, "PhotolibEditExifBtn", AppDelegate::tr("Edit"));
    d.mergeWindow.photolibMergeBtn =
        toolButton(d.mainWindow.photolibView, "photolibMergeBtn", AppDelegate::tr("Merge"));
    d.mainWindow.scanProcesser =
        named(new QProgressBar(d.mainWindow.photolibView), "scanProcesser");
    d.mainWindow.scanProcesser->setRange(0, 0);
    d.mainWindow.scanninginfolab = named(
        new QLabel(AppDelegate::tr("Scanning."), d.mainWindow.photolibView), "scanninginfolab");
    for (PRButton *b : {d.mainWindow.filterPhotolibBtn, d.mainWindow.showPhotoTypelibBtn,
                        d.mainWindow.PhotolibQuickBtn, d.mainWindow.PhotolibEditExifBtn,
                        d.mergeWindow.photolibMergeBtn})
        bar->addWidget(b);
    bar->addStretch(1);
    bar->addWidget(d.mainWindow.scanninginfolab);
    bar->addWidget(d.mainWindow.scanProcesser);
    addModeButtons(bar, d.mainWindow.photolibView, &d.mainWindow.photoliblocalphotoBtn,
                   &d.mainWindow.photolibcameraphotoBtn);
    d.mainWindow.photoLibBrowserView =
        named(new QListView(d.mainWindow.photolibView), "photoLibBrowserView");
    d.mainWindow.photoLibBrowserView->setModel(
        new LocalPhotoModel(&d.library.photoLibBroserArray, d.mainWindow.photoLibBrowserView));
    QObject::connect(d.mainWindow.photoLibBrowserView, &QListView::doubleClicked, &d,
                     [&d](const QModelIndex &index) {
                         d.imageBrowser(d.mainWindow.photoLibBrowserView,
                                        AppDelegate::CellWasDoubleClicked{}, index.row());
                     });
    d.mainWindow.photolibEditView =
        named(new QWidget(d.mainWindow.photolibView), "photolibEditView");
    d.mainWindow.photolibEiteBGImageView =
        named(new PKImageView(d.mainWindow.photolibEditView), "photolibEiteBGImageView");
    layered(d.mainWindow.photolibEditView, d.mainWindow.photolibEiteBGImageView);
    d.mainWindow.photoOriginalEditView =
        named(new QWidget(d.mainWindow.photolibView), "photoOriginalEditView");
    d.mainWindow.photoOrigEiteBGImageView =
        named(new PKImageView(d.mainWindow.photoOriginalEditView), "photoOrigEiteBGImageView");
    layered(d.mainWindow.photoOriginalEditView, d.mainWindow.photoOrigEiteBGImageView);
    content->addLayout(bar);
    content->addWidget(d.mainWindow.photoLibBrowserView, 1);
    content->addWidget(d.mainWindow.photolibEditView);
    content->addWidget(d.mainWindow.photoOriginalEditView);
    grid->addLayout(content, 0, 0);
    return d.mainWindow.photolibView;
}

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

QWidget *buildPreviewColumn(AppDelegate &d, QWidget *parent) {
    auto *column = named(new QWidget(parent), "previewColumn");
    column->setFixedWidth(320);
    d.mainWindow.editImageView = named(new PKImageView(column), "editImageView");
    QGridLayout *grid = layered(column, d.mainWindow.editImageView);
    auto *content = new QVBoxLayout;
    content->setContentsMargins(8, 8, 8, 8);
    d.mainWindow.previewContentView = named(new QWidget(column), "previewContentView");
    // Whole in the default window, smaller in a short one, never under the lines below.
    d.mainWindow.previewContentView->setMinimumHeight(kPreviewLeastHeight);
    d.mainWindow.previewContentView->setMaximumHeight(kPreviewHeight);
    auto *previewStack = new QGridLayout(d.mainWindow.previewContentView);
    previewStack->setContentsMargins(0, 0, 0, 0);
    d.mainWindow.previewImageView =
        named(new PKImageView(d.mainWindow.previewContentView), "previewImageView");
    d.mainWindow.previewImageView->setKeepsProportions(true);
    d.mainWindow.theplayerView =
        named(new QWidget(d.mainWindow.previewContentView), "theplayerView");
    previewStack->addWidget(d.mainWindow.previewImageView, 0, 0);
    previewStack->addWidget(d.mainWindow.theplayerView, 0, 0);

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
    d.mainWindow.previewProgressor = named(new QProgressBar(lines), "previewProgressor");
    d.mainWindow.previewPhotolibinfolab = named(new QLabel(lines), "previewPhotolibinfolab");
    d.mainWindow.previewOriginalphtoinfolab =
        named(new QLabel(lines), "previewOriginalphtoinfolab");
    QFormLayout *info = buildLocalInformationLines(d, lines);
    QWidget *mapSlot = buildLocalMapSlot(d, lines);
    d.mainWindow.localExifDataView = named(new QTreeWidget(lines), "localExifDataView");
    d.mainWindow.localExifDataView->setHeaderLabels(
        {AppDelegate::tr("Property"), AppDelegate::tr("Value")});
    // The column's other lines never squeeze the properties below a few readable rows.
    d.mainWindow.localExifDataView->setMinimumHeight(
        d.mainWindow.localExifDataView->header()->sizeHint().height() +
        6 * (d.mainWindow.localExifDataView->fontMetrics().height() + 4) +
        2 * d.mainWindow.localExifDataView->frameWidth());
    detailsColumn->addLayout(info);
    detailsColumn->addWidget(d.mainWindow.previewProgressor);
    detailsColumn->addWidget(d.mainWindow.previewPhotolibinfolab);
    detailsColumn->addWidget(d.mainWindow.previewOriginalphtoinfolab);
    detailsColumn->addWidget(mapSlot);
    detailsColumn->addWidget(d.mainWindow.localExifDataView, 1);
    details->setWidget(lines);
    lines->setAutoFillBackground(false);

    // The preview takes what the details leave, up to its whole height.
    content->addWidget(d.mainWindow.previewContentView, 1);
    content->addWidget(details);
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
    d.mainWindow.closedButton = named(new PRClosedButton(central), "closedButton");
    d.mainWindow.minButton = named(new QPushButton(central), "minButton");
    d.mainWindow.maxButton = named(new QPushButton(central), "maxButton");
    for (QPushButton *b : std::initializer_list<QPushButton *>{
             d.mainWindow.closedButton, d.mainWindow.minButton, d.mainWindow.maxButton})
        b->hide();

    d.mainWindow.MainView = named(new QWidget(central), "MainView");
    auto *mainStack = new QGridLayout(d.mainWindow.MainView);
    mainStack->setContentsMargins(0, 0, 0, 0);
    mainStack->addWidget(buildLocalView(d, d.mainWindow.MainView), 0, 0);
    mainStack->addWidget(buildLibraryView(d, d.mainWindow.MainView), 0, 0);
    row->addWidget(d.mainWindow.MainView, 1);
    row->addWidget(buildPreviewColumn(d, central));
    w->setCentralWidget(central);
    useFittedCellTitles(d);

    buildMainMenu(d, w);
    buildPopupMenus(d);
}
