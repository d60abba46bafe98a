#pragma once

class PKMapView;
class QLabel;
class QLineEdit;
class QWidget;

// The edit sheet: its fields, its map and which of its groups the user changed.
struct EditSheetPart {
    QWidget *eidtMetaWindow = nullptr; // a QDialog, shown as a sheet
    QLineEdit *titlelab = nullptr, *artistlab = nullptr, *imageDescrilab = nullptr,
              *copyrightlab = nullptr, *commentslab = nullptr, *keywordslab = nullptr;
    QLineEdit *cameraMakelab = nullptr, *cameraModelab = nullptr, *cameraDatelab = nullptr;
    // The sheet's lens make and model (the lens window has fields of the same names).
    QLineEdit *sheetLensMakelab = nullptr, *sheetLensModellab = nullptr;
    QLineEdit *lensSerialNumlab = nullptr, *imageOrientationlab = nullptr,
              *imageISOSpeedlab = nullptr, *imageFNumberlab = nullptr, *imageFlen35mmlab = nullptr,
              *imageBrightlab = nullptr, *imageAperturelab = nullptr,
              *imageWhiteBalancelab = nullptr, *imageExpotimelab = nullptr;
    QLineEdit *gpsLatilab = nullptr, *gpsLongtlab = nullptr, *gpsAitlab = nullptr;
    QLabel *sheetLocationCitylab = nullptr;
    PKMapView *editMetaMapView = nullptr;
    bool basicInfoChange = false, cameraInfoChange = false, gpsInfoChange = false;
};
