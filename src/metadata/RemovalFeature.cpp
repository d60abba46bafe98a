// Removal of metadata dictionaries from the selected local photos, or from copies of the
// selected camera photos.
#include "metadata/MetadataMenus.h"

#include "app/AppServices.h"
#include "app/Browsers.h"
#include "app/Jobs.h"
#include "browser/CameraCopies.h"
#include <QMenu>

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

void finishRemoval(AppServices &app, MetadataRemoval removal, WriteRecipeReport report,
                   const QStringList &notDownloaded = {}) {
    // A removal changes nothing only in a photo that holds nothing it takes: no copy, and
    // the photo is named with why, as a video without a position is.
    for (WriteRecipeResult &photo : report.photos)
        if (!photo.written && photo.reason == QLatin1String(kNothingToChange) &&
            removal == MetadataRemoval::Gps)
            photo.reason = MetadataMenus::tr("it holds no GPS position");
    JobReport job = jobReportFromRecipe(report, notDownloaded);
    job.sheetOnSuccess = removalShowsCompletion(removal);
    app.jobs().finishJob(job);
}

// The recipe as a job of the window, ending in the removal's own ending.
void startRemoval(AppServices &app, MetadataRemoval removal, const QList<IKImageItemPtr> &items,
                  const QStringList &notDownloaded = {}, bool addsUp = true) {
    AppServices *owner = &app;
    WriteRecipeOptions options = removalOptions(removal);
    options.addsUp = addsUp;
    app.jobs().startRecipeJob(
        items, false, options,
        [owner, removal, notDownloaded](const WriteRecipeReport &report, bool) {
            finishRemoval(*owner, removal, report, notDownloaded);
        });
}

// Camera photos: each downloaded copy stays as it arrived; the removal is written beside
// it under the removal's prefix, and a result of an earlier run is never replaced.
void runCameraRemoval(AppServices &app, CameraCopies &camera, MetadataRemoval removal) {
    QPointer<Jobs> alive(&app.jobs());
    camera.withCameraCopies([alive, services = &app, removal](const QList<IKImageItemPtr> &copies,
                                                              const QStringList &failures) {
        if (!alive)
            return;
        // The recipe gives each output the next free name, so nothing is replaced.
        QList<IKImageItemPtr> outputs;
        for (const IKImageItemPtr &copy : copies) {
            auto output = std::make_shared<IKImageItem>(*copy);
            output->fileName = cameraRemovalPrefix(removal) + copy->fileName;
            outputs << output;
        }
        startRemoval(*services, removal, outputs, failures, false);
    });
}

void runRemoval(AppServices &app, CameraCopies &camera, MetadataRemoval removal) {
    if (camera.cameraIsSource())
        return runCameraRemoval(app, camera, removal);
    const QList<IKImageItemPtr> items = app.browsers().selectedLocalItems();
    if (items.isEmpty()) {
        datefeature::showNoSelectionSheet(app);
        return;
    }
    // A removal never replaces the original, whatever the overwrite setting says.
    startRemoval(app, removal, items);
}

} // namespace

void MetadataMenus::DeleteExifAndGPSData() {
    runRemoval(app, camera, MetadataRemoval::ExifAndGps);
}

void MetadataMenus::DeleteAllPhotoMetadataData() {
    runRemoval(app, camera, MetadataRemoval::AllMetadata);
}

void MetadataMenus::RemoveIPTCandTIFFTagsDataFromPhoto() {
    runRemoval(app, camera, MetadataRemoval::IptcAndTiff);
}

void MetadataMenus::RemoveTIFFTagsDataFromPhoto() {
    runRemoval(app, camera, MetadataRemoval::Tiff);
}

void MetadataMenus::RemoveIPTCDataFromPhoto() {
    runRemoval(app, camera, MetadataRemoval::Iptc);
}

void MetadataMenus::RemoveExifDataFromPhoto() {
    runRemoval(app, camera, MetadataRemoval::Exif);
}

void MetadataMenus::RemoveGPSDataFromPhoto() {
    runRemoval(app, camera, MetadataRemoval::Gps);
}

void MetadataMenus::addRemovalItems(QMenu *removals) {
    const std::pair<const char *, void (MetadataMenus::*)()> items[] = {
        {"Remove Exif and GPS Data", &MetadataMenus::DeleteExifAndGPSData},
        {"Remove All Metadata", &MetadataMenus::DeleteAllPhotoMetadataData},
        {"Remove IPTC and TIFF Data", &MetadataMenus::RemoveIPTCandTIFFTagsDataFromPhoto},
        {"Remove TIFF Data", &MetadataMenus::RemoveTIFFTagsDataFromPhoto},
        {"Remove IPTC Data", &MetadataMenus::RemoveIPTCDataFromPhoto},
        {"Remove Exif Data", &MetadataMenus::RemoveExifDataFromPhoto},
        {"Remove GPS Data", &MetadataMenus::RemoveGPSDataFromPhoto},
    };
    for (const auto &[title, action] : items)
        app.jobs().addMenuItem(removals, tr(title), [this, action = action] { (this->*action)(); });
}
