// The main window: the drop tip on the left, the local and library browsers in the
// middle, the preview column on the right. Its menus are in MainMenu.cpp.
#include "app/AppDelegate.h"
#include "app/WindowDescription.h"
#include "app/core/WindowPlacement.h"
#include "browser/MainWindowController.h"
#include "export/MergeWindow.h"

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
    d.mainWindowController().leftContentView = named(new QWidget(parent), "leftContentView");
    auto *stack = new QGridLayout(d.mainWindowController().leftContentView);
    stack->setContentsMargins(0, 0, 0, 0);
    d.mainWindowController().leftphotoScrView =
        named(new QWidget(d.mainWindowController().leftContentView), "leftphotoScrView");
    auto *scrollLayout = new QVBoxLayout(d.mainWindowController().leftphotoScrView);
    scrollLayout->setContentsMargins(0, 0, 0, 0);
    d.mainWindowController().localImageBrowserView =
        named(new NSDragImageBrowserView(d.mainWindowController().leftphotoScrView),
              "localImageBrowserView");
    d.mainWindowController().localPhotoModel = new LocalPhotoModel(
        &d.localLists().localPhotoItemArray, d.mainWindowController().localImageBrowserView);
    d.mainWindowController().localImageBrowserView->setModel(
        d.mainWindowController().localPhotoModel);
    QObject::connect(d.mainWindowController().localImageBrowserView->selectionModel(),
                     &QItemSelectionModel::selectionChanged, &d, [&d] {
                         d.mainWindowController().imageBrowserSelectionDidChange(
                             d.mainWindowController().localImageBrowserView);
                     });
    QObject::connect(d.mainWindowController().localImageBrowserView, &QListView::doubleClicked, &d,
                     [&d](const QModelIndex &index) {
                         d.imageBrowser(d.mainWindowController().localImageBrowserView,
                                        AppDelegate::CellWasDoubleClicked{}, index.row());
                     });
    scrollLayout->addWidget(d.mainWindowController().localImageBrowserView);
    d.mainWindowController().leftTipView =
        named(new QWidget(d.mainWindowController().leftContentView), "leftTipView");
    auto *tipLayout = new QGridLayout(d.mainWindowController().leftTipView);
    tipLayout->setContentsMargins(0, 0, 0, 0);
    d.mainWindowController().leftTipImageView =
        named(new PRDragImageView(d.mainWindowController().leftTipView), "leftTipImageView");
    d.mainWindowController().leftTipImageView->setScaledContents(false);
    d.mainWindowController().leftTipImageView->setText(
        AppDelegate::tr("Drop photos, videos or folders here"));
    d.mainWindowController().leftTipImageView->setAlignment(Qt::AlignCenter);
    d.mainWindowController().leftTipImageView->setWordWrap(true);
    d.mainWindowController().leftTipImageView->setStyleSheet(
        QStringLiteral("color: #bbb; border: 2px dashed #666; border-radius: 8px;"));
    tipLayout->addWidget(d.mainWindowController().leftTipImageView, 0, 0);
    d.mainWindowController().leftTipCameraImageView =
        named(new PKImageView(d.mainWindowController().leftContentView), "leftTipCameraImageView");
    stack->addWidget(d.mainWindowController().leftphotoScrView, 0, 0);
    stack->addWidget(d.mainWindowController().leftTipView, 0, 0);
    stack->addWidget(d.mainWindowController().leftTipCameraImageView, 0, 0);
    return d.mainWindowController().leftContentView;
}

QWidget *buildLocalView(AppDelegate &d, QWidget *parent) {
    d.mainWindowController().localphotoView = named(new QWidget(parent), "localphotoView");
    d.mainWindowController().localPhotoViewImageView =
        named(new PKImageView(d.mainWindowController().localphotoView), "localPhotoViewImageView");
    QGridLayout *grid = layered(d.mainWindowController().localphotoView,
                                d.mainWindowController().localPhotoViewImageView);
    auto *content = new QVBoxLayout;
    content->setContentsMargins(8, 8, 8, 8);
    auto *bar = new QHBoxLayout;
    d.mainWindowController().importPhotobtn = toolButton(d.mainWindowController().localphotoView,
                                                         "importPhotobtn", AppDelegate::tr("Add"));
    d.mainWindowController().localeditexifBtn =
        toolButton(d.mainWindowController().localphotoView, "localeditexifBtn",
                   AppDelegate::tr("Edit Metadata"));
    d.mainWindowController().editMetaDataLocalBtn = toolButton(
        d.mainWindowController().localphotoView, "editMetaDataLocalBtn", AppDelegate::tr("Edit"));
    d.mainWindowController().remoMetaDataLocalBtn = toolButton(
        d.mainWindowController().localphotoView, "remoMetaDataLocalBtn", AppDelegate::tr("Remove"));
    d.mainWindowController().importandExportBtn =
        toolButton(d.mainWindowController().localphotoView, "importandExportBtn",
                   AppDelegate::tr("Import/Export"));
    d.mainWindowController().sortLocalPhotoBtn = toolButton(
        d.mainWindowController().localphotoView, "sortLocalPhotoBtn", AppDelegate::tr("Sort"));
    d.mainWindowController().taskProgressor =
        named(new QProgressBar(d.mainWindowController().localphotoView), "taskProgressor");
    for (PRButton *b :
         {d.mainWindowController().importPhotobtn, d.mainWindowController().localeditexifBtn,
          d.mainWindowController().editMetaDataLocalBtn,
          d.mainWindowController().remoMetaDataLocalBtn,
          d.mainWindowController().importandExportBtn, d.mainWindowController().sortLocalPhotoBtn})
        bar->addWidget(b);
    bar->addStretch(1);
    bar->addWidget(d.mainWindowController().taskProgressor);
    addModeButtons(bar, d.mainWindowController().localphotoView,
                   &d.mainWindowController().localphotoBtn,
                   &d.mainWindowController().cameraphotoBtn);
    content->addLayout(bar);
    content->addWidget(buildLocalContent(d, d.mainWindowController().localphotoView), 1);
    grid->addLayout(content, 0, 0);
    return d.mainWindowController().localphotoView;
}

QWidget *buildLibraryView(AppDelegate &d, QWidget *parent) {
    d.mainWindowController().photolibView = named(new QWidget(parent), "photolibView");
    d.mainWindowController().photoLibraryImageView =
        named(new PKImageView(d.mainWindowController().photolibView), "photoLibraryImageView");
    QGridLayout *grid = layered(d.mainWindowController().photolibView,
                                d.mainWindowController().photoLibraryImageView);
    auto *content = new QVBoxLayout;
    content->setContentsMargins(8, 8, 8, 8);
    auto *bar = new QHBoxLayout;
    d.mainWindowController().filterPhotolibBtn = toolButton(
        d.mainWindowController().photolibView, "filterPhotolibBtn", AppDelegate::tr("Filter"));
    d.mainWindowController().showPhotoTypelibBtn = toolButton(
        d.mainWindowController().photolibView, "showPhotoTypelibBtn", AppDelegate::tr("Show"));
    d.mainWindowController().PhotolibQuickBtn = toolButton(
        d.mainWindowController().photolibView, "PhotolibQuickBtn", AppDelegate::tr("Actions"));
    d.mainWindowController().PhotolibEditExifBtn = toolButton(
        d.mainWindowController().photolibView, "PhotolibEditExifBtn", AppDelegate::tr("Edit"));
    PRButton *mergeBtn = toolButton(d.mainWindowController().photolibView, "photolibMergeBtn",
                                    AppDelegate::tr("Merge"));
    PRButton::whenPressed(mergeBtn, [&d] { d.mergeWindow().ClickMergePhotoLibraryAction(); });
    d.mainWindowController().scanProcesser =
        named(new QProgressBar(d.mainWindowController().photolibView), "scanProcesser");
    d.mainWindowController().scanProcesser->setRange(0, 0);
    d.mainWindowController().scanninginfolab =
        named(new QLabel(AppDelegate::tr("Scanning."), d.mainWindowController().photolibView),
              "scanninginfolab");
    for (PRButton *b :
         {d.mainWindowController().filterPhotolibBtn, d.mainWindowController().showPhotoTypelibBtn,
          d.mainWindowController().PhotolibQuickBtn, d.mainWindowController().PhotolibEditExifBtn,
          mergeBtn})
        bar->addWidget(b);
    bar->addStretch(1);
    bar->addWidget(d.mainWindowController().scanninginfolab);
    bar->addWidget(d.mainWindowController().scanProcesser);
    addModeButtons(bar, d.mainWindowController().photolibView,
                   &d.mainWindowController().photoliblocalphotoBtn,
                   &d.mainWindowController().photolibcameraphotoBtn);
    d.mainWindowController().photoLibBrowserView =
        named(new QListView(d.mainWindowController().photolibView), "photoLibBrowserView");
    d.mainWindowController().photoLibBrowserView->setModel(new LocalPhotoModel(
        &d.library().photoLibBroserArray, d.mainWindowController().photoLibBrowserView));
    QObject::connect(d.mainWindowController().photoLibBrowserView, &QListView::doubleClicked, &d,
                     [&d](const QModelIndex &index) {
                         d.imageBrowser(d.mainWindowController().photoLibBrowserView,
                                        AppDelegate::CellWasDoubleClicked{}, index.row());
                     });
    d.mainWindowController().photolibEditView =
        named(new QWidget(d.mainWindowController().photolibView), "photolibEditView");
    d.mainWindowController().photolibEiteBGImageView = named(
        new PKImageView(d.mainWindowController().photolibEditView), "photolibEiteBGImageView");
    layered(d.mainWindowController().photolibEditView,
            d.mainWindowController().photolibEiteBGImageView);
    d.mainWindowController().photoOriginalEditView =
        named(new QWidget(d.mainWindowController().photolibView), "photoOriginalEditView");
    d.mainWindowController().photoOrigEiteBGImageView =
        named(new PKImageView(d.mainWindowController().photoOriginalEditView),
              "photoOrigEiteBGImageView");
    layered(d.mainWindowController().photoOriginalEditView,
            d.mainWindowController().photoOrigEiteBGImageView);
    content->addLayout(bar);
    content->addWidget(d.mainWindowController().photoLibBrowserView, 1);
    content->addWidget(d.mainWindowController().photolibEditView);
    content->addWidget(d.mainWindowController().photoOriginalEditView);
    grid->addLayout(content, 0, 0);
    return d.mainWindowController().photolibView;
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
    d.mainWindowController().editImageView = named(new PKImageView(column), "editImageView");
    QGridLayout *grid = layered(column, d.mainWindowController().editImageView);
    auto *content = new QVBoxLayout;
    content->setContentsMargins(8, 8, 8, 8);
    d.mainWindowController().previewContentView = named(new QWidget(column), "previewContentView");
    // Whole in the default window, smaller in a short one, never under the lines below.
    d.mainWindowController().previewContentView->setMinimumHeight(kPreviewLeastHeight);
    d.mainWindowController().previewContentView->setMaximumHeight(kPreviewHeight);
    auto *previewStack = new QGridLayout(d.mainWindowController().previewContentView);
    previewStack->setContentsMargins(0, 0, 0, 0);
    d.mainWindowController().previewImageView =
        named(new PKImageView(d.mainWindowController().previewContentView), "previewImageView");
    d.mainWindowController().previewImageView->setKeepsProportions(true);
    d.mainWindowController().theplayerView =
        named(new QWidget(d.mainWindowController().previewContentView), "theplayerView");
    previewStack->addWidget(d.mainWindowController().previewImageView, 0, 0);
    previewStack->addWidget(d.mainWindowController().theplayerView, 0, 0);
    // A library video shows its first picture here.
    auto *playerLayout = new QVBoxLayout(d.mainWindowController().theplayerView);
    playerLayout->setContentsMargins(0, 0, 0, 0);
    d.mainWindowController().playerFrameView =
        named(new PKImageView(d.mainWindowController().theplayerView), "playerFrameView");
    d.mainWindowController().playerFrameView->setKeepsProportions(true);
    playerLayout->addWidget(d.mainWindowController().playerFrameView);

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
    d.mainWindowController().previewProgressor =
        named(new QProgressBar(lines), "previewProgressor");
    d.mainWindowController().previewPhotolibinfolab =
        named(new QLabel(AppDelegate::tr("Photo metadata in the library"), lines),
              "previewPhotolibinfolab");
    d.mainWindowController().previewOriginalphtoinfolab =
        named(new QLabel(lines), "previewOriginalphtoinfolab");
    QFormLayout *info = buildLocalInformationLines(d.mainWindowController(), lines);
    QWidget *mapSlot = buildLocalMapSlot(d.mainWindowController(), lines);
    d.mainWindowController().localExifDataView = named(new QTreeWidget(lines), "localExifDataView");
    d.mainWindowController().localExifDataView->setHeaderLabels(
        {AppDelegate::tr("Property"), AppDelegate::tr("Value")});
    // The column's other lines never squeeze the properties below a few readable rows.
    d.mainWindowController().localExifDataView->setMinimumHeight(
        d.mainWindowController().localExifDataView->header()->sizeHint().height() +
        6 * (d.mainWindowController().localExifDataView->fontMetrics().height() + 4) +
        2 * d.mainWindowController().localExifDataView->frameWidth());
    detailsColumn->addLayout(info);
    detailsColumn->addWidget(d.mainWindowController().previewProgressor);
    detailsColumn->addWidget(d.mainWindowController().previewPhotolibinfolab);
    detailsColumn->addWidget(d.mainWindowController().previewOriginalphtoinfolab);
    detailsColumn->addWidget(mapSlot);
    detailsColumn->addWidget(d.mainWindowController().localExifDataView, 1);
    details->setWidget(lines);
    lines->setAutoFillBackground(false);

    // The preview takes what the details leave, up to its whole height.
    content->addWidget(d.mainWindowController().previewContentView, 1);
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
    d.mainWindowController().closedButton = named(new PRClosedButton(central), "closedButton");
    d.mainWindowController().minButton = named(new QPushButton(central), "minButton");
    d.mainWindowController().maxButton = named(new QPushButton(central), "maxButton");
    for (QPushButton *b : std::initializer_list<QPushButton *>{
             d.mainWindowController().closedButton, d.mainWindowController().minButton,
             d.mainWindowController().maxButton})
        b->hide();

    d.mainWindowController().MainView = named(new QWidget(central), "MainView");
    auto *mainStack = new QGridLayout(d.mainWindowController().MainView);
    mainStack->setContentsMargins(0, 0, 0, 0);
    mainStack->addWidget(buildLocalView(d, d.mainWindowController().MainView), 0, 0);
    mainStack->addWidget(buildLibraryView(d, d.mainWindowController().MainView), 0, 0);
    row->addWidget(d.mainWindowController().MainView, 1);
    row->addWidget(buildPreviewColumn(d, central));
    w->setCentralWidget(central);
    useFittedCellTitles(d.mainWindowController());

    buildMainMenu(d, w);
    buildPopupMenus(d);
}
