// The two comparison columns of the library view: the library's record and the original
// file's, each with its information lines, edit fields and map.
#include "app/AppDelegate.h"
#include "app/WindowDescription.h"
#include "platform/ImageView.h"
#include "platform/MapView.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {
QVBoxLayout *columnIn(QWidget *view) {
    auto *column = new QVBoxLayout;
    column->setContentsMargins(8, 8, 8, 8);
    column->setSpacing(2);
    if (auto *grid = qobject_cast<QGridLayout *>(view->layout()))
        grid->addLayout(column, 0, 0);
    else
        view->setLayout(column);
    return column;
}

void addLines(QWidget *view, QVBoxLayout *column,
              std::initializer_list<std::pair<QLabel **, const char *>> lines) {
    for (auto [label, name] : lines) {
        *label = new QLabel(view);
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

PKMapView *addMap(QWidget *view, QVBoxLayout *column, const char *name) {
    auto *map = new PKMapView(view);
    map->setObjectName(QLatin1String(name));
    map->setMinimumHeight(140);
    map->hide();
    column->addWidget(map);
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
