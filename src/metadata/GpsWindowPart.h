#pragma once

class PKMapView;
class QLabel;
class QLineEdit;
class QWidget;

// The GPS window: position and stamp fields, its place line and its map.
struct GpsWindowPart {
    QWidget *changeGPSWindow = nullptr; // a QDialog, application-modal
    QLineEdit *latitudelab = nullptr, *longtitudelab = nullptr, *altitudelab = nullptr,
              *dateStamplab = nullptr, *timeStamplab = nullptr;
    QLabel *gpsLocationCitylab = nullptr;
    PKMapView *previewMapView = nullptr;
    bool getLocation = false;
    bool bAddGPS = false;
};
