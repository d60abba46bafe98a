// Removal of metadata dictionaries from the selected local photos, or from copies of the
// selected camera photos.
#include "app/AppDelegate.h"
#include "app/Browsers.h"
#include "app/Jobs.h"

#include "metadata/DateFeatureSupport.h"

#include "metadata/core/MetadataRemoval.h"
#include "metadata/core/RecipeJobReport.h"
#include "metadata/core/WriteRecipe.h"
#include "platform/AlertSheet.h"

#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QSet>

#include <QMainWindow>

namespace {

WriteRecipeOptions removalOptions(MetadataRemoval removal) {
    WriteRecipeOptions options;
    options.change = [removal](QVariantMap &working, const IKImageItem &) {
        return applyLocalRemoval(working, removal);
    };
    options.destinationDictionary.clear();
    options.dates = WriteRecipeOptions::Dates::CopyFromSource;
    options.useRawTemporary = true;
    return options;
}

void finishRemoval(AppDelegate &d, MetadataRemoval removal, WriteRecipeReport report,
                   const QStringList &notDownloaded = {}) {
    // A removal changes nothing only in a photo that holds nothing it takes: no copy, and
    // the photo is named with why, as a video without a position is.
    for (WriteRecipeResult &photo : report.photos)
        if (!photo.written && photo.reason == QLatin1String(kNothingToChange) &&
            removal == MetadataRemoval::Gps)
            photo.reason = AppDelegate::tr("it holds no GPS position");
    JobReport job = jobReportFromRecipe(report, notDownloaded);
    job.sheetOnSuccess = removalShowsCompletion(removal);
    d.jobs().finishJob(job);
}

// The recipe as a job of the window, ending in the removal's own ending.
void startRemoval(AppDelegate &d, MetadataRemoval removal, const QList<IKImageItemPtr> &items,
                  const QStringList &notDownloaded = {}, bool addsUp = true) {
    AppDelegate *owner = &d;
    WriteRecipeOptions options = removalOptions(removal);
    options.addsUp = addsUp;
    d.jobs().startRecipeJob(items, false, options,
                            [owner, removal, notDownloaded](const WriteRecipeReport &report, bool) {
                                finishRemoval(*owner, removal, report, notDownloaded);
                            });
}

// Camera photos: each downloaded copy stays as it arrived; the removal is written beside
// it under the removal's prefix, and a result of an earlier run is never replaced.
void runCameraRemoval(AppDelegate &d, MetadataRemoval removal) {
    QPointer<AppDelegate> self(&d);
    d.cameraWindow.withCameraCopies(
        [self, removal](const QList<IKImageItemPtr> &copies, const QStringList &failures) {
            if (!self)
                return;
            // The recipe gives each output the next free name, so nothing is replaced.
            QList<IKImageItemPtr> outputs;
            for (const IKImageItemPtr &copy : copies) {
                auto output = std::make_shared<IKImageItem>(*copy);
                output->fileName = cameraRemovalPrefix(removal) + copy->fileName;
                outputs << output;
            }
            startRemoval(*self, removal, outputs, failures, false);
        });
}

void runRemoval(AppDelegate &d, MetadataRemoval removal) {
    if (d.cameraWindow.cameraIsSource())
        return runCameraRemoval(d, removal);
    const QList<IKImageItemPtr> items = d.browsers().selectedLocalItems();
    if (items.isEmpty()) {
        datefeature::showNoSelectionSheet(d);
        return;
    }
    // A removal never replaces the original, whatever the overwrite setting says.
    startRemoval(d, removal, items);
}

} // namespace

void MetadataMenusPart::DeleteExifAndGPSData() {
    runRemoval(d, MetadataRemoval::ExifAndGps);
}

void MetadataMenusPart::DeleteAllPhotoMetadataData() {
    runRemoval(d, MetadataRemoval::AllMetadata);
}

void MetadataMenusPart::RemoveIPTCandTIFFTagsDataFromPhoto() {
    runRemoval(d, MetadataRemoval::IptcAndTiff);
}

void MetadataMenusPart::RemoveTIFFTagsDataFromPhoto() {
    runRemoval(d, MetadataRemoval::Tiff);
}

void MetadataMenusPart::RemoveIPTCDataFromPhoto() {
    runRemoval(d, MetadataRemoval::Iptc);
}

void MetadataMenusPart::RemoveExifDataFromPhoto() {
    runRemoval(d, MetadataRemoval::Exif);
}

void MetadataMenusPart::RemoveGPSDataFromPhoto() {
    runRemoval(d, MetadataRemoval::Gps);
}
