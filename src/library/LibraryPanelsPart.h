#pragma once

#include <QHash>
#include <QPointF>
#include <QPointer>
#include <QString>

class PKMapView;
class PRButton;
class QLabel;
class QLineEdit;
class QObject;

// The library's right column: the library and original panels, their edit views and
// which library fields the user changed.
struct LibraryPanelsPart {
    bool bChangePhotoLibTitle = false, bChangePhotoLibCaption = false;
    bool bChangePhotoLibraryTitle = false, bChangePhotoLibFileName = false,
         bChangePhotoLibDescription = false, bChangePhotoLibKeyWords = false,
         bChangePhotoLibCameraDate = false, bChangePhotoLibCameraLens = false,
         bChangePhotoLibCameraMakeAndModel = false;
    QHash<QString, QPointer<QObject>> libraryPanelOutlets;
    QPointF photolibEiteCoords, originalPhotolibCoords;
    QLabel *origphotoNamelab = nullptr, *origphotoFileSizelab = nullptr,
           *origphotoImageSizelab = nullptr, *origphotoCreateDatelab = nullptr,
           *origphotocameraDatelab = nullptr, *origphototitlelab = nullptr,
           *origphotoartistlab = nullptr, *origphotoimageDescrilab = nullptr,
           *origphotokeywordslab = nullptr, *origphotocommentslab = nullptr,
           *origphotocameraMakelab = nullptr, *origphotocameraModelab = nullptr,
           *origphotolensModelab = nullptr, *origphotolensLatitudelab = nullptr,
           *origphotolensLongitudelab = nullptr;
    QLabel *photolibNamelab = nullptr, *photolibFileSizelab = nullptr,
           *photolibImageSizelab = nullptr, *photolibCreateDatelab = nullptr,
           *photolibcameraDatelab = nullptr, *photolibtitlelab = nullptr,
           *photolibartistlab = nullptr, *photolibimageDescrilab = nullptr,
           *photolibkeywordslab = nullptr, *photolibcommentslab = nullptr,
           *photolibcameraMakelab = nullptr, *photolibcameraModelab = nullptr,
           *photoliblensMakelab = nullptr, *photoliblensModelab = nullptr,
           *photoliblensLatitudelab = nullptr, *photoliblensLongitudelab = nullptr;
    QLineEdit *originalPhotolibCameraDatelab = nullptr, *originalPhotolibTitlelab = nullptr,
              *originalPhotolibArtistlab = nullptr, *originalPhotolibDescriplab = nullptr,
              *originalPhotolibkeywordslab = nullptr, *originalPhotolibCommendlab = nullptr,
              *originalPhotolibCameraMakelab = nullptr, *originalPhotolibCameraModelab = nullptr,
              *originalPhotolibLenModelab = nullptr, *originalPhotolibgpsLatilab = nullptr,
              *originalPhotolibgpsLongtlab = nullptr;
    QLineEdit *photolibEiteFileNamelab = nullptr, *photolibEiteCameraDatelab = nullptr,
              *photolibEiteTitlelab = nullptr, *photolibEiteDescriplab = nullptr,
              *photolibEitekeywordslab = nullptr, *photolibEiteCameraMakelab = nullptr,
              *photolibEiteCameraModellab = nullptr, *photolibEiteLensModellab = nullptr,
              *photolibEitegpsLatilab = nullptr, *photolibEitegpsLongtlab = nullptr;
    PKMapView *originalPhotolibMapView = nullptr, *photolibEiteMapView = nullptr;
    PRButton *applyPhotoOrigEiteViewBtn = nullptr;
    QLineEdit *originalPhotolibCopyrightlab = nullptr, *originalPhotolibLenMakelab = nullptr;
    PRButton *canclePhotolibEiteViewBtn = nullptr, *applyPhotolibEiteViewBtn = nullptr,
             *canclePhotoOrigEiteViewBtn = nullptr;
    // Typing into a position field of the library panel: only then is the panel's position
    // written (to every selected photo), so one photo's position never spreads by accident.
    bool bChangePhotoLibGPS = false;
};
