#pragma once

#include "app/PartBasics.h"

#include <optional>

class PKMapView;
class QLabel;
class QLineEdit;
class QWidget;

// The edit sheet: its fields, its map and which of its groups the user changed.
struct EditSheetPart {
    AppDelegate &d; // the application object: the shared state and the other parts

    explicit EditSheetPart(AppDelegate &app) : d(app) {}

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

    // Edit sheet and GPS window.
    void StartEditViewAction();
    void HideEditViewAction();
    void ClickApplyChangeAction();
    void ClickEditPhotoExifDataMenuAction();
    // Text delegates of the edit fields: mark the edited group and preview typed positions.
    void controlTextDidChange(QObject *field);
    // The altitude field's text, once the sheet is built.
    std::optional<QString> typedAltitude() const;
    // Editing of a field begins (textShouldBeginEditing); always answers true.
    bool control(QObject *control);
    // Puts the values remembered for the selected photo into the edit sheet's fields.
    void fillEditFieldsFromRememberedValues();
};
