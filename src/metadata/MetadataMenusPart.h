#pragma once

#include "app/PartBasics.h"

// The local list's metadata menus: removals, tag copies, names from metadata and property
// lists.
struct MetadataMenusPart {
    AppDelegate &d; // the application object: the shared state and the other parts

    explicit MetadataMenusPart(AppDelegate &app) : d(app) {}

    // End of application look and menus.
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
};
