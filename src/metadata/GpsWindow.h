#pragma once

#include "model/IKImageItem.h"

#include <QCoreApplication>
#include <QString>
#include <QVariantMap>
#include <utility>

class AppServices;
class PKMapView;
class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QWidget;
class CameraCopies;
class MainWindow;

// The GPS window: position and stamp fields, its place line and its map.
class GpsWindow {
    Q_DECLARE_TR_FUNCTIONS(GpsWindow)
  public:
    // The camera window gives its photos as copies; the main window shares its geocoder.
    GpsWindow(AppServices &app, CameraCopies &camera, MainWindow &mainWindow);

    void build();
    // The items that open the window for editing and for adding a position, in that order.
    std::pair<QAction *, QAction *> addEditItems(QMenu *menu);

    void EditeGPSExifDataPhoto();
    void AddGPSExifDataPhoto();
    void PreviewCurrentGPSInMap();
    void ClickCancleSaveGPSAction();
    void ClickSaveChangeGPSAction();
    // Reverse-geocodes currentCoords into the item's place name.
    void GetCityInfowithFileThreader(const IKImageItemPtr &item);

    // Whether a place name was found since the last forgetPlaceFound().
    bool placeFound() const { return getLocation; }
    void forgetPlaceFound() { getLocation = false; }
    // The window as it is at launch: not adding.
    void restoreLaunchState() { bAddGPS = false; }

  private:
    using Opener = void (GpsWindow::*)(const QString &path);
    void showWindow();
    // Photos on a camera open the window once their copies are here, showing the first copy.
    void openWithCameraCopies(Opener open);
    void showStamps(const QVariantMap &gps);
    void openForEditing(const QString &path);
    void openForAdding(const QString &path);
    void offerToAdd(const QString &path);

    AppServices &app;
    CameraCopies &camera;
    MainWindow &mainWindow;

    QWidget *changeGPSWindow = nullptr; // a QDialog, application-modal
    QLineEdit *latitudelab = nullptr, *longtitudelab = nullptr, *altitudelab = nullptr,
              *dateStamplab = nullptr, *timeStamplab = nullptr;
    QLabel *gpsLocationCitylab = nullptr;
    PKMapView *previewMapView = nullptr;
    bool getLocation = false;
    bool bAddGPS = false;
};
