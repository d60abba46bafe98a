#pragma once

#include <QCoreApplication>
#include <QString>

#include <functional>
#include <optional>

class AppServices;
class LibraryPanels;
class PKMapView;
class QLabel;
class QLineEdit;
class QMenu;
class QObject;
class QWidget;
class CameraCopies;
struct EditSheetTexts;
class MainWindow;

// The edit sheet: the metadata of the selected photos in fields the user may change, and
// which of its groups the user changed.
class EditSheet {
    Q_DECLARE_TR_FUNCTIONS(EditSheet)
  public:
    // The camera window gives its photos as copies; the main window shows a typed position
    // on its map; in the library mode the library's own panel opens instead. `saveTemplate`
    // saves the fields as a template; `localMode` says whether the local list is the source.
    EditSheet(AppServices &app, CameraCopies &camera, MainWindow &mainWindow,
              LibraryPanels &libraryPanels, std::function<void()> saveTemplate,
              std::function<bool()> localMode);

    // The sheet, built hidden over the main window.
    void build();
    // The Actions menu's item that opens the sheet, with the edit shortcut; the mode switch
    // finds it by its name to hand the shortcut to the library's own item.
    void addActionsItem(QMenu *actions);
    // The same item in the local photos' menu.
    void addEditItem(QMenu *menu);

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

  private:
    // What the fields hold now.
    EditSheetTexts fieldTexts() const;

    AppServices &app;
    CameraCopies &camera;
    MainWindow &mainWindow;
    LibraryPanels &libraryPanels;
    std::function<void()> saveTemplate;
    std::function<bool()> localMode;

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
