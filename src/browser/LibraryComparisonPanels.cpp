// The two comparison columns of the library view: the library's record and the original
// file's, each with its information lines, edit fields and map.
#include "app/AppDelegate.h"
#include "app/WindowDescription.h"
#include "browser/MainWindowController.h"
#include "browser/PanelValueLabel.h"
#include "platform/ImageView.h"
#include "platform/MapView.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {
constexpr int kMapHeight = 140;

// The panel's lines, fields and map scroll under its buttons, so a short window cuts none
// of them off; the buttons' row is added to the outer column.
QVBoxLayout *columnIn(QWidget *view) {
    auto *outer = new QVBoxLayout;
    outer->setContentsMargins(8, 8, 8, 8);
    auto *scroll = new QScrollArea(view);
    scroll->setObjectName(view->objectName() + QStringLiteral("Scroll"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The panel's own background shows through.
    scroll->setStyleSheet(QStringLiteral("QScrollArea, QScrollArea > QWidget > QWidget "
                                         "{ background: transparent; }"));
    auto *content = new QWidget(scroll);
    auto *column = new QVBoxLayout(content);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(2);
    scroll->setWidget(content);
    outer->addWidget(scroll, 1);
    if (auto *grid = qobject_cast<QGridLayout *>(view->layout()))
        grid->addLayout(outer, 0, 0);
    else
        view->setLayout(outer);
    return column;
}

void addLines(QWidget *view, QVBoxLayout *column,
              std::initializer_list<std::pair<QLabel **, const char *>> lines) {
    for (auto [label, name] : lines) {
        // A long value (a keyword list) is shortened with the whole text in its tooltip, so
        // the panel keeps its width.
        *label = new PanelValueLabel(view);
        (*label)->setObjectName(QLatin1String(name));
        (*label)->setStyleSheet(QStringLiteral("color: white;"));
        (*label)->setTextInteractionFlags(Qt::TextSelectableByMouse);
        column->addWidget(*label);
    }
}

void addFields(QWidget *view, QVBoxLayout *column,
               std::initializer_list<std::tuple<QLineEdit **, const char *, const char *>> fields) {
    auto *form = new QFormLayout;
    for (auto [edit, name, caption] : fields) {
        *edit = new QLineEdit(view);
        (*edit)->setObjectName(QLatin1String(name));
        form->addRow(AppDelegate::tr(caption), *edit);
    }
    column->addLayout(form);
}

// The map keeps a slot of its own: a photo without a position shows the slot's note, and
// nothing above or below it moves.
PKMapView *addMap(QWidget *view, QVBoxLayout *column, const char *name) {
    auto *slot = new QWidget(view);
    slot->setObjectName(QLatin1String(name) + QStringLiteral("Slot"));
    slot->setFixedHeight(kMapHeight);
    auto *stack = new QGridLayout(slot);
    stack->setContentsMargins(0, 0, 0, 0);
    auto *none = new QLabel(AppDelegate::tr("No position"), slot);
    none->setObjectName(QLatin1String(name) + QStringLiteral("Placeholder"));
    none->setAlignment(Qt::AlignCenter);
    none->setStyleSheet(QStringLiteral("QLabel { background: #4a4443; color: #e6e6e6; }"));
    auto *map = new PKMapView(slot);
    map->setObjectName(QLatin1String(name));
    map->hide();
    stack->addWidget(none, 0, 0);
    stack->addWidget(map, 0, 0);
    column->addWidget(slot);
    column->addStretch(1);
    return map;
}
} // namespace

void buildLibraryComparisonPanels(AppDelegate &d) {
    if (!d.mainWindowController().photolibEditView ||
        !d.mainWindowController().photoOriginalEditView)
        return;
    QWidget *lib = d.mainWindowController().photolibEditView;
    QVBoxLayout *libColumn = columnIn(lib);
    addLines(lib, libColumn,
             {{&d.libraryPanels.photolibNamelab, "photolibNamelab"},
              {&d.libraryPanels.photolibFileSizelab, "photolibFileSizelab"},
              {&d.libraryPanels.photolibImageSizelab, "photolibImageSizelab"},
              {&d.libraryPanels.photolibCreateDatelab, "photolibCreateDatelab"},
              {&d.libraryPanels.photolibcameraDatelab, "photolibcameraDatelab"},
              {&d.libraryPanels.photolibtitlelab, "photolibtitlelab"},
              {&d.libraryPanels.photolibartistlab, "photolibartistlab"},
              {&d.libraryPanels.photolibimageDescrilab, "photolibimageDescrilab"},
              {&d.libraryPanels.photolibkeywordslab, "photolibkeywordslab"},
              {&d.libraryPanels.photolibcommentslab, "photolibcommentslab"},
              {&d.libraryPanels.photolibcameraMakelab, "photolibcameraMakelab"},
              {&d.libraryPanels.photolibcameraModelab, "photolibcameraModelab"},
              {&d.libraryPanels.photoliblensMakelab, "photoliblensMakelab"},
              {&d.libraryPanels.photoliblensModelab, "photoliblensModelab"},
              {&d.libraryPanels.photoliblensLatitudelab, "photoliblensLatitudelab"},
              {&d.libraryPanels.photoliblensLongitudelab, "photoliblensLongitudelab"}});
    addFields(
        lib, libColumn,
        {{&d.libraryPanels.photolibEiteFileNamelab, "photolibEiteFileNamelab", "File Name:"},
         {&d.libraryPanels.photolibEiteCameraDatelab, "photolibEiteCameraDatelab", "Camera Date:"},
         {&d.libraryPanels.photolibEiteTitlelab, "photolibEiteTitlelab", "Title:"},
         {&d.libraryPanels.photolibEiteDescriplab, "photolibEiteDescriplab", "Caption:"},
         {&d.libraryPanels.photolibEitekeywordslab, "photolibEitekeywordslab", "Keywords:"},
         {&d.libraryPanels.photolibEiteCameraMakelab, "photolibEiteCameraMakelab", "Camera Make:"},
         {&d.libraryPanels.photolibEiteCameraModellab, "photolibEiteCameraModellab",
          "Camera Model:"},
         {&d.libraryPanels.photolibEiteLensModellab, "photolibEiteLensModellab", "Lens Model:"},
         {&d.libraryPanels.photolibEitegpsLatilab, "photolibEitegpsLatilab", "Latitude:"},
         {&d.libraryPanels.photolibEitegpsLongtlab, "photolibEitegpsLongtlab", "Longitude:"}});
    d.libraryPanels.photolibEiteMapView = addMap(lib, libColumn, "photolibEiteMapView");

    QWidget *orig = d.mainWindowController().photoOriginalEditView;
    QVBoxLayout *origColumn = columnIn(orig);
    addLines(orig, origColumn,
             {{&d.libraryPanels.origphotoNamelab, "origphotoNamelab"},
              {&d.libraryPanels.origphotoFileSizelab, "origphotoFileSizelab"},
              {&d.libraryPanels.origphotoImageSizelab, "origphotoImageSizelab"},
              {&d.libraryPanels.origphotoCreateDatelab, "origphotoCreateDatelab"},
              {&d.libraryPanels.origphotocameraDatelab, "origphotocameraDatelab"},
              {&d.libraryPanels.origphototitlelab, "origphototitlelab"},
              {&d.libraryPanels.origphotoartistlab, "origphotoartistlab"},
              {&d.libraryPanels.origphotoimageDescrilab, "origphotoimageDescrilab"},
              {&d.libraryPanels.origphotokeywordslab, "origphotokeywordslab"},
              {&d.libraryPanels.origphotocommentslab, "origphotocommentslab"},
              {&d.libraryPanels.origphotocameraMakelab, "origphotocameraMakelab"},
              {&d.libraryPanels.origphotocameraModelab, "origphotocameraModelab"},
              {&d.libraryPanels.origphotolensModelab, "origphotolensModelab"},
              {&d.libraryPanels.origphotolensLatitudelab, "origphotolensLatitudelab"},
              {&d.libraryPanels.origphotolensLongitudelab, "origphotolensLongitudelab"}});
    addFields(
        orig, origColumn,
        {{&d.libraryPanels.originalPhotolibCameraDatelab, "originalPhotolibCameraDatelab",
          "Camera Date:"},
         {&d.libraryPanels.originalPhotolibTitlelab, "originalPhotolibTitlelab", "Title:"},
         {&d.libraryPanels.originalPhotolibArtistlab, "originalPhotolibArtistlab", "Author:"},
         {&d.libraryPanels.originalPhotolibDescriplab, "originalPhotolibDescriplab", "Caption:"},
         {&d.libraryPanels.originalPhotolibCopyrightlab, "originalPhotolibCopyrightlab",
          "Copyright:"},
         {&d.libraryPanels.originalPhotolibkeywordslab, "originalPhotolibkeywordslab", "Keywords:"},
         {&d.libraryPanels.originalPhotolibCommendlab, "originalPhotolibCommendlab", "Comments:"},
         {&d.libraryPanels.originalPhotolibCameraMakelab, "originalPhotolibCameraMakelab",
          "Camera Make:"},
         {&d.libraryPanels.originalPhotolibCameraModelab, "originalPhotolibCameraModelab",
          "Camera Model:"},
         {&d.libraryPanels.originalPhotolibLenMakelab, "originalPhotolibLenMakelab", "Lens Make:"},
         {&d.libraryPanels.originalPhotolibLenModelab, "originalPhotolibLenModelab", "Lens Model:"},
         {&d.libraryPanels.originalPhotolibgpsLatilab, "originalPhotolibgpsLatilab", "Latitude:"},
         {&d.libraryPanels.originalPhotolibgpsLongtlab, "originalPhotolibgpsLongtlab",
          "Longitude:"}});
    d.libraryPanels.originalPhotolibMapView = addMap(orig, origColumn, "originalPhotolibMapView");

    if (d.mainWindowController().previewPhotolibinfolab)
        d.mainWindowController().previewPhotolibinfolab->setText(
            AppDelegate::tr("Photo metadata in the library"));
    if (d.mainWindowController().theplayerView) {
        auto *playerLayout = new QVBoxLayout(d.mainWindowController().theplayerView);
        playerLayout->setContentsMargins(0, 0, 0, 0);
        d.mainWindowController().playerFrameView =
            new PKImageView(d.mainWindowController().theplayerView);
        d.mainWindowController().playerFrameView->setObjectName(QStringLiteral("playerFrameView"));
        d.mainWindowController().playerFrameView->setKeepsProportions(true);
        playerLayout->addWidget(d.mainWindowController().playerFrameView);
    }
    buildLibraryEditPanels(d);
}
