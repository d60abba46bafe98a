// Removal of metadata dictionaries from the selected local photos.
#include "app/AppDelegate.h"

#include "metadata/core/MetadataRemoval.h"
#include "metadata/core/WriteRecipe.h"
#include "platform/AlertSheet.h"
#include "platform/core/Workspace.h"

#include <QMainWindow>

namespace {

void runRemoval(AppDelegate &d, MetadataRemoval removal) {
    // Photos on a connected camera take the camera feature's own road.
    if (!d.blocalMode)
        return;
    const QList<IKImageItemPtr> items = d.selectedLocalItems();
    if (items.isEmpty()) {
        beginAlertSheet(d.window, AppDelegate::tr("No Item has been selected"),
                        AppDelegate::tr("Please select at least one item to process."),
                        {AppDelegate::tr(" Ok ")},
                        [&d](QMessageBox *alert, int code) { d.savePanelDidEnd3(alert, code); });
        return;
    }
    WriteRecipeOptions options;
    options.change = [removal](QVariantMap &working, const IKImageItem &) {
        applyLocalRemoval(working, removal);
        return true;
    };
    options.destinationDictionary.clear();
    options.dates = WriteRecipeOptions::Dates::CopyFromSource;
    options.useRawTemporary = true;
    // A removal never replaces the original, whatever the overwrite setting says.
    const WriteRecipeReport report = runWriteRecipe(items, d.storagelocation, false, options);
    if (!report.revealPath.isEmpty())
        Workspace::selectFile(report.revealPath, report.revealRoot);
    if (removalShowsCompletion(removal) || !report.notWritten().isEmpty())
        d.LocalPhotoMetadataChangedCompletedAlert(report.notWritten());
}

} // namespace

void AppDelegate::DeleteExifAndGPSData() {
    runRemoval(*this, MetadataRemoval::ExifAndGps);
}

void AppDelegate::DeleteAllPhotoMetadataData() {
    runRemoval(*this, MetadataRemoval::AllMetadata);
}

void AppDelegate::RemoveIPTCandTIFFTagsDataFromPhoto() {
    runRemoval(*this, MetadataRemoval::IptcAndTiff);
}

void AppDelegate::RemoveTIFFTagsDataFromPhoto() {
    runRemoval(*this, MetadataRemoval::Tiff);
}

void AppDelegate::RemoveIPTCDataFromPhoto() {
    runRemoval(*this, MetadataRemoval::Iptc);
}

void AppDelegate::RemoveExifDataFromPhoto() {
    runRemoval(*this, MetadataRemoval::Exif);
}

void AppDelegate::RemoveGPSDataFromPhoto() {
    runRemoval(*this, MetadataRemoval::Gps);
}
