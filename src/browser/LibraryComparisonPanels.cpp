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
    if (!d.mainWindow.photolibEditView || !d.mainWindow.photoOriginalEditView)
        return;
    QWidget *lib = d.mainWindow.photolibEditView;
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

    QWidget *orig = d.mainWindow.photoOriginalEditView;
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

    if (d.mainWindow.previewPhotolibinfolab)
        d.mainWindow.previewPhotolibinfolab->setText(
            AppDelegate::tr("Photo metadata in the library"));
    if (d.mainWindow.theplayerView) {
        auto *playerLayout = new QVBoxLayout(d.mainWindow.theplayerView);
        playerLayout->setContentsMargins(0, 0, 0, 0);
        d.mainWindow.playerFrameView = new PKImageView(d.mainWindow.theplayerView);
        d.mainWindow.playerFrameView->setObjectName(QStringLiteral("playerFrameView"));
        playerLayout->addWidget(d.mainWindow.playerFrameView);
    }
    buildLibraryEditPanels(d);
}
