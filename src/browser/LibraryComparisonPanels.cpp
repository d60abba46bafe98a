// The two comparison columns of the library view: the library's record and the original
// file's, each with its information lines, edit fields and map.
#include "app/AppDelegate.h"
#include "app/WindowDescription.h"
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
    if (!d.photolibEditView || !d.photoOriginalEditView)
        return;
    QWidget *lib = d.photolibEditView;
    QVBoxLayout *libColumn = columnIn(lib);
    addLines(lib, libColumn,
             {{&d.photolibNamelab, "photolibNamelab"},
              {&d.photolibFileSizelab, "photolibFileSizelab"},
              {&d.photolibImageSizelab, "photolibImageSizelab"},
              {&d.photolibCreateDatelab, "photolibCreateDatelab"},
              {&d.photolibcameraDatelab, "photolibcameraDatelab"},
              {&d.photolibtitlelab, "photolibtitlelab"},
              {&d.photolibartistlab, "photolibartistlab"},
              {&d.photolibimageDescrilab, "photolibimageDescrilab"},
              {&d.photolibkeywordslab, "photolibkeywordslab"},
              {&d.photolibcommentslab, "photolibcommentslab"},
              {&d.photolibcameraMakelab, "photolibcameraMakelab"},
              {&d.photolibcameraModelab, "photolibcameraModelab"},
              {&d.photoliblensMakelab, "photoliblensMakelab"},
              {&d.photoliblensModelab, "photoliblensModelab"},
              {&d.photoliblensLatitudelab, "photoliblensLatitudelab"},
              {&d.photoliblensLongitudelab, "photoliblensLongitudelab"}});
    addFields(lib, libColumn,
              {{&d.photolibEiteFileNamelab, "photolibEiteFileNamelab", "File Name:"},
               {&d.photolibEiteCameraDatelab, "photolibEiteCameraDatelab", "Camera Date:"},
               {&d.photolibEiteTitlelab, "photolibEiteTitlelab", "Title:"},
               {&d.photolibEiteDescriplab, "photolibEiteDescriplab", "Caption:"},
               {&d.photolibEitekeywordslab, "photolibEitekeywordslab", "Keywords:"},
               {&d.photolibEiteCameraMakelab, "photolibEiteCameraMakelab", "Camera Make:"},
               {&d.photolibEiteCameraModellab, "photolibEiteCameraModellab", "Camera Model:"},
               {&d.photolibEiteLensModellab, "photolibEiteLensModellab", "Lens Model:"},
               {&d.photolibEitegpsLatilab, "photolibEitegpsLatilab", "Latitude:"},
               {&d.photolibEitegpsLongtlab, "photolibEitegpsLongtlab", "Longitude:"}});
    d.photolibEiteMapView = addMap(lib, libColumn, "photolibEiteMapView");

    QWidget *orig = d.photoOriginalEditView;
    QVBoxLayout *origColumn = columnIn(orig);
    addLines(orig, origColumn,
             {{&d.origphotoNamelab, "origphotoNamelab"},
              {&d.origphotoFileSizelab, "origphotoFileSizelab"},
              {&d.origphotoImageSizelab, "origphotoImageSizelab"},
              {&d.origphotoCreateDatelab, "origphotoCreateDatelab"},
              {&d.origphotocameraDatelab, "origphotocameraDatelab"},
              {&d.origphototitlelab, "origphototitlelab"},
              {&d.origphotoartistlab, "origphotoartistlab"},
              {&d.origphotoimageDescrilab, "origphotoimageDescrilab"},
              {&d.origphotokeywordslab, "origphotokeywordslab"},
              {&d.origphotocommentslab, "origphotocommentslab"},
              {&d.origphotocameraMakelab, "origphotocameraMakelab"},
              {&d.origphotocameraModelab, "origphotocameraModelab"},
              {&d.origphotolensModelab, "origphotolensModelab"},
              {&d.origphotolensLatitudelab, "origphotolensLatitudelab"},
              {&d.origphotolensLongitudelab, "origphotolensLongitudelab"}});
    addFields(orig, origColumn,
              {{&d.originalPhotolibCameraDatelab, "originalPhotolibCameraDatelab", "Camera Date:"},
               {&d.originalPhotolibTitlelab, "originalPhotolibTitlelab", "Title:"},
               {&d.originalPhotolibArtistlab, "originalPhotolibArtistlab", "Author:"},
               {&d.originalPhotolibDescriplab, "originalPhotolibDescriplab", "Caption:"},
               {&d.originalPhotolibCopyrightlab, "originalPhotolibCopyrightlab", "Copyright:"},
               {&d.originalPhotolibkeywordslab, "originalPhotolibkeywordslab", "Keywords:"},
               {&d.originalPhotolibCommendlab, "originalPhotolibCommendlab", "Comments:"},
               {&d.originalPhotolibCameraMakelab, "originalPhotolibCameraMakelab", "Camera Make:"},
               {&d.originalPhotolibCameraModelab, "originalPhotolibCameraModelab", "Camera Model:"},
               {&d.originalPhotolibLenMakelab, "originalPhotolibLenMakelab", "Lens Make:"},
               {&d.originalPhotolibLenModelab, "originalPhotolibLenModelab", "Lens Model:"},
               {&d.originalPhotolibgpsLatilab, "originalPhotolibgpsLatilab", "Latitude:"},
               {&d.originalPhotolibgpsLongtlab, "originalPhotolibgpsLongtlab", "Longitude:"}});
    d.originalPhotolibMapView = addMap(orig, origColumn, "originalPhotolibMapView");

    if (d.previewPhotolibinfolab)
        d.previewPhotolibinfolab->setText(AppDelegate::tr("Photo metadata in the library"));
    if (d.theplayerView) {
        auto *playerLayout = new QVBoxLayout(d.theplayerView);
        playerLayout->setContentsMargins(0, 0, 0, 0);
        d.playerFrameView = new PKImageView(d.theplayerView);
        d.playerFrameView->setObjectName(QStringLiteral("playerFrameView"));
        playerLayout->addWidget(d.playerFrameView);
    }
    buildLibraryEditPanels(d);
}
