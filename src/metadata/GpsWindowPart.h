#pragma once

#include "app/PartBasics.h"

class PKMapView;
class QLabel;
class QLineEdit;
class QWidget;

// The GPS window: position and stamp fields, its place line and its map.
struct GpsWindowPart {
    AppDelegate &d; // the application object: the shared state and the other parts

    explicit GpsWindowPart(AppDelegate &app) : d(app) {}

    QWidget *changeGPSWindow = nullptr; // a QDialog, application-modal
    QLineEdit *latitudelab = nullptr, *longtitudelab = nullptr, *altitudelab = nullptr,
              *dateStamplab = nullptr, *timeStamplab = nullptr;
    QLabel *gpsLocationCitylab = nullptr;
    PKMapView *previewMapView = nullptr;
    bool getLocation = false;
    bool bAddGPS = false;

    void EditeGPSExifDataPhoto();
    void AddGPSExifDataPhoto();
    void PreviewCurrentGPSInMap();
    void ClickCancleSaveGPSAction();
    void ClickSaveChangeGPSAction();
    // Reverse-geocodes currentCoords into the item's place name.
    void GetCityInfowithFileThreader(const IKImageItemPtr &item);
};
