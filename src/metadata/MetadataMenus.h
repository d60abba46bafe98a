#pragma once

#include "model/IKImageItem.h"

#include <QCoreApplication>
#include <QString>
#include <QStringList>

class AppServices;
class GpsWindow;
class QFileDialog;
class QMenu;
class CameraCopies;
class MainWindow;

// The local list's metadata menus: removals, tag copies, names from metadata and property
// lists.
class MetadataMenus {
    Q_DECLARE_TR_FUNCTIONS(MetadataMenus)
  public:
    // The camera window gives its photos as copies; the naming after a place clears the GPS
    // window's found place; the main window gives the folder the local list came from.
    MetadataMenus(AppServices &app, CameraCopies &camera, GpsWindow &gps,
                  MainWindow &mainWindow);

    // The items of the property-list menu (exports, a separator, imports), of the tag-copy
    // menu (the copies, a separator, the namings) and of the removal menu.
    void addPropertyListItems(QMenu *menu);
    void addTagCopyItems(QMenu *tags);
    void addRemovalItems(QMenu *removals);

    // Metadata property lists: export, import and templates.
    void ExportTIFFtoPlistAction();
    void ExportExiftoPlistAction();
    void ExportExifAndIiFFDataToPlist();
    void ExportExifAndGPSDataToPlist();
    void WriteExifDataToPlist();
    void ExportTemplateDataToPlist();
    void WriteSelectedItemsExifDataToPlist();
    void ImportTIFFtoPlistAction();
    void ImportExiFtoPlistAction();
    void ImportExiFAndTiffPlistAction();
    void ImportExiFAndGPSPlistAction();
    void ImportMetaDataPlistAction();
    void ImportTemplateDataPlistAction();
    void openPanelDidEnd10(QFileDialog *panel, int returnCode, void *contextInfo = nullptr);
    void openPanelDidEnd11(QFileDialog *panel, int returnCode, void *contextInfo = nullptr);
    void openPanelDidEnd12(QFileDialog *panel, int returnCode, void *contextInfo = nullptr);
    void openPanelDidEnd16(QFileDialog *panel, int returnCode, void *contextInfo = nullptr);
    void openPanelDidEnd14(QFileDialog *panel, int returnCode, void *contextInfo = nullptr);
    void openPanelDidEnd13(QFileDialog *panel, int returnCode, void *contextInfo = nullptr);
    // The text of an edit-sheet field, found by its outlet name; empty when there is none.
    QString editSheetFieldText(const char *outletName) const;
    // Metadata removal, copy and paste of sections, tag-to-tag copies and renames.
    void DeleteExifAndGPSData();
    void DeleteAllPhotoMetadataData();
    void RemoveIPTCandTIFFTagsDataFromPhoto();
    void RemoveTIFFTagsDataFromPhoto();
    void RemoveIPTCDataFromPhoto();
    void RemoveExifDataFromPhoto();
    void RemoveGPSDataFromPhoto();
    void ClickCopyTIFFandIPTCtoExifAction();
    void ClickCopyExiftoTIFFandIPTCAction();
    void ClickCopyTitletoCaptionAction();
    void ClickCopyKeywordstoCaptionAction();
    void ClickCopyCaptionToTitleAction();
    void ClickAddPersonShownAction();
    void ClickCopyPersonShownToKeywordsAction();
    void ClickCopyCameraDateToTitleAction();
    void ClickCopyFileNameToTitleAction();
    void ClickCopyFileNameToCommentsAction();
    void ClickCopyPhotoTitleToFilenameAction();
    void ClickCopyPhotoGPSNameToFilenameAction();
    // Completion of the persons-shown question; writes `persons` into the selected photos.
    void addPersonsShownDidEnd(const QStringList &persons);

  private:
    using PanelEnd = void (MetadataMenus::*)(QFileDialog *, int, void *);
    // The property-list panel; its answer goes to `end`.
    void openPlistPanel(PanelEnd end);

    AppServices &app;
    CameraCopies &camera;
    GpsWindow &gps;
    MainWindow &mainWindow;
};
