#pragma once

#include "model/IKImageItem.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QString>

class AppServices;
class LibraryDatabase;
class PKMapView;
class PRButton;
class QLabel;
class QLineEdit;
class QListView;
class QMenu;
class QWidget;
struct LibraryComparison;
struct PanelValues;

// The places of the main window the library panels live in and follow.
struct LibraryPanelHosts {
    QWidget *libraryView = nullptr;      // the library view: the panels go when it goes
    QListView *libraryBrowser = nullptr; // the panels open from its top down
    QWidget *libraryPanel = nullptr;     // the panel of the library's record, with its picture
    QWidget *originalPanel = nullptr;    // the panel of the original file, with its picture
    QWidget *slideFrom = nullptr;        // a panel slides in from this one's right edge
};

// The library's right column: the library and original panels side by side, their edit
// fields, which library fields the user typed into, and the edits of the selected photos'
// library fields (the panel's apply, the copies between fields, the original's values).
class LibraryPanels : public QObject {
    Q_OBJECT
  public:
    LibraryPanels(AppServices &app, LibraryDatabase &database);

    // Builds both panels' lines, fields, maps and buttons into `hosts`.
    void build(const LibraryPanelHosts &hosts);
    // The menu items of the library's edit menu: the panels' own, then, after the items of
    // the other pieces, the copies between fields.
    void addFieldItems(QMenu *menu);
    void addCopyItems(QMenu *menu);

    // Both columns show the first selected photo's comparison.
    void showComparison(const LibraryComparison &c);
    // The original panel's fields, as the export with them reads them.
    PanelValues originalPanelValues() const;
    // The library panel's camera date as shown.
    QString shownCameraDate() const;
    // Replaces the item's original record by one read from its file (any thread).
    void getOriginalMedataDataWithItem(const IKImageItemPtr &item);
    // Marks the library field typed into; false for a field not of the library panel.
    bool libraryControlTextDidChange(QObject *field);
    // The library fields the user typed into since the panel last showed a photo: only
    // these are written by the apply.
    struct TypedFields {
        bool title, name, caption, keywords, date, lens, makeAndModel, position;
    };
    TypedFields typedFields() const;
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

  signals:
    // The original panel's " Export with These Values " was pressed.
    void originalValuesExportRequested();

  private:
    void buildComparisonColumns();
    void buildEditPanels();
    // The label or field of the two panels that is named `name`.
    QObject *libraryPanelOutlet(const QString &name);
    // Where an open panel lies, and its slide in.
    QRect panelPlace(QWidget *panel) const;
    void placeOpenPanels();
    void slideIn(QWidget *panel);
    // Close keeps nothing that was typed and not applied: the fields show the photo again.
    void dropUnappliedLibraryText();
    bool eventFilter(QObject *watched, QEvent *event) override;

    AppServices &app;
    LibraryDatabase &database;
    LibraryPanelHosts hosts;

    bool bChangePhotoLibraryTitle = false, bChangePhotoLibFileName = false,
         bChangePhotoLibDescription = false, bChangePhotoLibKeyWords = false,
         bChangePhotoLibCameraDate = false, bChangePhotoLibCameraLens = false,
         bChangePhotoLibCameraMakeAndModel = false;
    // Typing into a position field of the library panel: only then is the panel's position
    // written (to every selected photo), so one photo's position never spreads by accident.
    bool bChangePhotoLibGPS = false;
    QHash<QString, QPointer<QObject>> libraryPanelOutlets;
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
              *originalPhotolibgpsLongtlab = nullptr, *originalPhotolibCopyrightlab = nullptr,
              *originalPhotolibLenMakelab = nullptr;
    QLineEdit *photolibEiteFileNamelab = nullptr, *photolibEiteCameraDatelab = nullptr,
              *photolibEiteTitlelab = nullptr, *photolibEiteDescriplab = nullptr,
              *photolibEitekeywordslab = nullptr, *photolibEiteCameraMakelab = nullptr,
              *photolibEiteCameraModellab = nullptr, *photolibEiteLensModellab = nullptr,
              *photolibEitegpsLatilab = nullptr, *photolibEitegpsLongtlab = nullptr;
    PKMapView *originalPhotolibMapView = nullptr, *photolibEiteMapView = nullptr;
    PRButton *canclePhotolibEiteViewBtn = nullptr, *applyPhotolibEiteViewBtn = nullptr,
             *canclePhotoOrigEiteViewBtn = nullptr, *applyPhotoOrigEiteViewBtn = nullptr;
};
