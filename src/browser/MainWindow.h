#pragma once

#include <QString>
#include <QtGlobal>

class QAction;
class QMenu;
class QWidget;
class ReverseGeocoder;

// What the other windows ask of the main window beyond its browsers: its right column, the
// folder the local list came from, the place look-up, and the menus and progress bar the
// camera window uses. The main window's controller implements it.
class MainWindow {
  public:
    // A position typed elsewhere, shown on the column's map (and by Show Map).
    virtual void previewPosition(double latitude, double longitude) = 0;
    // The creation date the column shows for the selected photo.
    virtual QString shownCreationDate() const = 0;
    // The folder the local list was imported from, when it was one folder; else empty.
    virtual QString importedFolder() const = 0;
    // The geocoder the main window and the GPS window share, made on first use.
    virtual ReverseGeocoder &reverseGeocoder() = 0;
    // The Remove pop-up menu, the Actions item that opens the camera window, and the bar
    // under the preview that runs while a camera file is fetched for viewing.
    virtual QMenu *removalMenu() const = 0;
    virtual QAction *cameraModeItem() const = 0;
    virtual void showPreviewBusy(bool busy) = 0;
    // Pops `menu` up under `button`, `offset` pixels down, as the toolbar buttons do.
    virtual void popUpButtonMenu(QMenu *menu, QWidget *button, qreal offset) = 0;

  protected:
    ~MainWindow() = default;
};
