#pragma once

#include "app/PartBasics.h"

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
    AppDelegate &d; // the application object: the shared state and the other parts

    explicit LibraryPanelsPart(AppDelegate &app) : d(app) {}

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

    // The library case of the selection handler: both columns of the first selected photo.
    void libraryBrowserSelectionDidChange();
    // The label or field of the two library panels that is named `name`.
    QObject *libraryPanelOutlet(const QString &name);
    // Replaces the item's original record by one read from its file (any thread).
    void getOriginalMedataDataWithItem(const IKImageItemPtr &item);
    // The library panel's half of controlTextDidChange; false for a field not of that panel.
    bool libraryControlTextDidChange(QObject *field);
    void clearLibraryChangeFlags();
    void StartPhotoLibEditViewAction();
    void StartPhotoOriginalEditViewAction();
    void HidePhotoLibEditViewAction();
    void HidePhotoOriginalEditViewAction();
    void ApplyPhotoLibMetadataChangeAction();
    void CopyOriginalCameraDatetoPhotoLibraryCameraDateAction();
    void CopyCameraDatetoPhotoLibraryAddedDateAction();
    void CopyCameraDatetoPhotoLibraryTileAction();
    void CopyFileNametoPhotoLibraryTileAction();
    void CopyFileTitletoPhotoLibraryFileNameAction();
    void CopyFileTitletoPhotoLibraryCaptionAction();
    void CopyFileNametoPhotoLibraryCaptionAction();
    void CopyFileCaptiontoPhotoLibraryTitleAction();
    void ReplacePhotoLibrarytitleWithOriginalPhototitleAction();
    void ReplacePhotoLibraryGPSInfoWithOriginalPhotoGPSInfoAction();
    void ReplacePhotoLibraryKeyWordsWithOriginalPhotoKeyWordsAction();
    void ReplacePhotoLibraryDescriWithOriginalPhotoDescriAction();
    void ReplacePhotoLibraryCameraandLensInfoWithOriginalPhotoCameraLensAction();
};
