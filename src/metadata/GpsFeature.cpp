// The GPS window: editing and adding a position with its stamps, the map preview, the save,
// and the reverse geocoding of the current position.
#include "app/AppDelegate.h"
#include "app/Browsers.h"
#include "app/Jobs.h"
#include "app/Sheets.h"
#include "browser/CameraWindow.h"
#include "browser/MainWindowController.h"

#include "base/Coordinates.h"
#include "base/Logging.h"
#include "browser/core/PhotoPanels.h"
#include "metadata/DateFeatureSupport.h"
#include "metadata/core/GpsChanges.h"
#include "metadata/core/RecipeJobReport.h"
#include "metadata/core/VideoEdits.h"
#include "metadata/core/WriteRecipe.h"
#include "platform/AlertSheet.h"
#include "platform/MapView.h"
#include "platform/core/FileDates.h"
#include "platform/core/ImageSource.h"
#include "platform/core/QuickTimeWriter.h"
#include "platform/core/ReverseGeocoder.h"
#include "platform/core/VideoMetadata.h"
#include "platform/core/Workspace.h"

#include <QCheckBox>
#include <QDebug>
#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPointer>

namespace {

void pinOnMap(PKMapView *map, double latitude, double longitude) {
    map->setRegion(latitude, longitude);
    map->setPin(latitude, longitude);
    map->update();
}

// Twelve significant digits, shown as the panels show numbers: never with an exponent.
QString degreesText(double value) {
    return propertyValueText(QString::number(value, 'g', 12).toDouble());
}

// The properties of image 0 of the file, or nothing when it cannot be read.
std::optional<QVariantMap> readProperties(const QString &path) {
    // A video's position lives in its QuickTime boxes, seen as a photo's "{GPS}".
    if (QuickTimeWriter::isQuickTimeName(path)) {
        const std::optional<QJsonObject> tags = VideoEdits::readTags(path, nullptr);
        if (!tags)
            return std::nullopt;
        return VideoEdits::propertiesOf(*tags, VideoMetadata::creationDateInItsZone(path));
    }
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const ImageSource source(file.readAll());
    if (!source.isValid())
        return std::nullopt;
    return source.properties(0);
}

void showGpsWindow(AppDelegate &d) {
    d.gpsWindow.bAddGPS = true;
    d.gpsWindow.changeGPSWindow->show();
    d.gpsWindow.changeGPSWindow->raise();
    d.gpsWindow.changeGPSWindow->activateWindow();
    d.gpsWindow.latitudelab->setFocus();
}

// Photos on a camera open the window once their copies are here, showing the first copy.
void openWithCameraCopies(AppDelegate &d, void (*open)(AppDelegate &, const QString &)) {
    QPointer<AppDelegate> self(&d);
    d.cameraWindow().withCameraCopies(
        [self, open](const QList<IKImageItemPtr> &copies, const QStringList &failures) {
            if (!self)
                return;
            if (copies.isEmpty()) {
                beginAlertSheet(
                    self->window, AppDelegate::tr("The photo could not be downloaded."),
                    failures.join(QLatin1Char('\n')), {AppDelegate::tr(" Ok ")},
                    [self](QMessageBox *a, int c) { self->sheets().savePanelDidEnd3(a, c); });
                return;
            }
            open(*self, copies.first()->filePath);
        });
}

// Stamps the photo lacks show as placeholders, never as another photo's stamps.
void showGpsStamps(AppDelegate &d, const QVariantMap &gps) {
    d.gpsWindow.dateStamplab->setText(
        gps.contains(QStringLiteral("DateStamp"))
            ? propertyValueText(gps.value(QStringLiteral("DateStamp")))
            : QString::fromLatin1(kGpsDatePlaceholder));
    d.gpsWindow.timeStamplab->setText(
        gps.contains(QStringLiteral("TimeStamp"))
            ? propertyValueText(gps.value(QStringLiteral("TimeStamp")))
            : QString::fromLatin1(kGpsTimePlaceholder));
}

void openGpsForEditing(AppDelegate &d, const QString &path);
void openGpsForAdding(AppDelegate &d, const QString &path);

// Editing a position the photo lacks becomes adding one, if the user wants that.
void offerToAddGps(AppDelegate &d, const QString &path) {
    // The window's save is still the job of the item the user chose.
    const QString title = d.jobs().jobActionTitle();
    QPointer<AppDelegate> self(&d);
    QMessageBox *question = beginAlertSheet(
        d.window, AppDelegate::tr("This photo has no GPS position. Add one?"),
        AppDelegate::tr("The GPS window opens for a new position; the photo changes only when "
                        "you save it there."),
        {AppDelegate::tr("Add GPS Position…"), AppDelegate::tr("Cancel")},
        [self, path, title](QMessageBox *, int code) {
            if (!self || code != 1)
                return;
            if (!title.isEmpty())
                self->jobs().setJobActionTitle(self->gpsWindow.changeGPSWindow, title);
            openGpsForAdding(*self, path);
        });
    question->setIcon(QMessageBox::Question);
}

} // namespace

void GpsWindowPart::EditeGPSExifDataPhoto() {
    if (!changeGPSWindow)
        return;
    if (d.cameraWindow().cameraIsSource())
        return openWithCameraCopies(d, openGpsForEditing);
    if (d.browsers().selectedLocalItems().isEmpty()) {
        datefeature::showNoSelectionSheet(d);
        return;
    }
    openGpsForEditing(d, d.selection().currentChooseFilePath);
}

void GpsWindowPart::AddGPSExifDataPhoto() {
    if (!changeGPSWindow)
        return;
    if (d.cameraWindow().cameraIsSource())
        return openWithCameraCopies(d, openGpsForAdding);
    if (d.browsers().selectedLocalItems().isEmpty()) {
        datefeature::showNoSelectionSheet(d);
        return;
    }
    openGpsForAdding(d, d.selection().currentChooseFilePath);
}

namespace {

void openGpsForEditing(AppDelegate &d, const QString &path) {
    const std::optional<QVariantMap> properties = readProperties(path);
    if (properties) {
        const QVariantMap gps = subDictionary(*properties, QStringLiteral("{GPS}"));
        // Stamps or an altitude alone are no position: there is nothing to edit yet.
        const SignedGpsCoordinates position = signedCoordinates(gps);
        if (!position.latitude || !position.longitude) {
            offerToAddGps(d, path);
            return;
        }
        showGpsStamps(d, gps);
        d.gpsWindow.latitudelab->setText(degreesText(*position.latitude));
        d.gpsWindow.longtitudelab->setText(degreesText(*position.longitude));
        const std::optional<double> altitude = signedAltitude(
            gps.value(QStringLiteral("Altitude")), gps.value(QStringLiteral("AltitudeRef")));
        if (altitude)
            d.gpsWindow.altitudelab->setText(degreesText(*altitude));
        else
            d.gpsWindow.altitudelab->clear();
    }
    // The place name found for the shown photo belongs to that photo alone.
    d.gpsWindow.gpsLocationCitylab->setText(path == d.selection().currentChooseFilePath
                                                ? d.selection().currentLocationStr
                                                : QStringLiteral(""));
    // The map follows the fields, also when the photo could not be read.
    QString problem;
    if (const auto position = parseGpsPosition(d.gpsWindow.latitudelab->text(),
                                               d.gpsWindow.longtitudelab->text(), &problem))
        pinOnMap(d.gpsWindow.previewMapView, position->latitude, position->longitude);
    showGpsWindow(d);
}

void openGpsForAdding(AppDelegate &d, const QString &path) {
    if (const std::optional<QVariantMap> properties = readProperties(path)) {
        const QVariantMap gps = subDictionary(*properties, QStringLiteral("{GPS}"));
        showGpsStamps(d, gps);
    }
    showGpsWindow(d);
}

} // namespace

void GpsWindowPart::PreviewCurrentGPSInMap() {
    QString problem;
    const auto position = parseGpsPosition(latitudelab->text(), longtitudelab->text(), &problem);
    if (!position) {
        beginAlertSheet(
            changeGPSWindow, AppDelegate::tr("Value Error"), problem, {AppDelegate::tr(" Ok ")},
            [this](QMessageBox *alert, int code) { d.sheets().savePanelDidEnd3(alert, code); });
        return;
    }
    pinOnMap(previewMapView, position->latitude, position->longitude);
}

void GpsWindowPart::ClickCancleSaveGPSAction() {
    if (changeGPSWindow)
        changeGPSWindow->hide();
}

void GpsWindowPart::ClickSaveChangeGPSAction() {
    if (!changeGPSWindow)
        return;
    auto refuse = [this](const QString &message, const QString &informative) {
        // Nothing is written; the window stays open so the value can be corrected.
        beginAlertSheet(
            changeGPSWindow, message, informative, {AppDelegate::tr(" Ok ")},
            [this](QMessageBox *alert, int code) { d.sheets().savePanelDidEnd3(alert, code); });
    };
    for (QLineEdit *field : {latitudelab, longtitudelab, timeStamplab, dateStamplab})
        if (field->text().trimmed().isEmpty())
            return refuse(AppDelegate::tr("Value Error"),
                          AppDelegate::tr("Each value cannot be empty."));
    QString problem;
    const auto position = parseGpsPosition(latitudelab->text(), longtitudelab->text(), &problem);
    if (!position)
        return refuse(AppDelegate::tr("Value Error"), problem);
    const auto stamps = parseGpsStamps(dateStamplab->text(), timeStamplab->text(), &problem);
    if (!stamps)
        return refuse(AppDelegate::tr("Value Error"), problem);

    WriteRecipeOptions options;
    const GpsPosition where = *position;
    const GpsStamps when = *stamps;
    options.change = [where, when](QVariantMap &working, const IKImageItem &) {
        working.insert(
            QStringLiteral("{GPS}"),
            gpsWithPositionAndStamps(subDictionary(working, QStringLiteral("{GPS}")), where, when));
        return true;
    };
    options.destinationDictionary.clear();
    // Stamps name a UTC instant, which becomes the file dates; without stamps the
    // photo keeps the dates of its original.
    options.dates =
        when.given ? WriteRecipeOptions::Dates::Keep : WriteRecipeOptions::Dates::CopyFromSource;
    auto write = [when, options](AppDelegate &d, const QList<IKImageItemPtr> &items, bool overwrite,
                                 const QStringList &failures) {
        AppDelegate *owner = &d;
        d.jobs().startRecipeJob(
            items, overwrite, options,
            [owner, when, failures](const WriteRecipeReport &report, bool) {
                QStringList datesNotSet;
                QString why;
                if (when.given)
                    for (const WriteRecipeResult &photo : report.photos)
                        if (photo.written &&
                            !FileDates::setDates(photo.outputPath, when.instant, &why))
                            datesNotSet << QStringLiteral("%1: its file dates could not be set: %2")
                                               .arg(QFileInfo(photo.sourcePath).fileName(), why);
                JobReport job = jobReportFromRecipe(report, failures);
                job.notWritten += datesNotSet;
                job.sheetOnSuccess = false;
                owner->jobs().finishJob(job);
            });
    };
    changeGPSWindow->hide();
    if (d.cameraWindow().cameraIsSource()) {
        // Camera photos: their downloaded copies are rewritten in place.
        QPointer<AppDelegate> self(&d);
        d.cameraWindow().withCameraCopies(
            [self, write](const QList<IKImageItemPtr> &copies, const QStringList &failures) {
                if (self)
                    write(*self, copies, false, failures);
            });
        return;
    }
    write(d, d.browsers().selectedLocalItems(), d.preferences().overwrite, {});
}

void GpsWindowPart::GetCityInfowithFileThreader(const IKImageItemPtr &item) {
    d.selection().currentLocationStr = QStringLiteral("");
    if (!d.mainWindowController().geocoder)
        d.mainWindowController().geocoder = new ReverseGeocoder(&d);
    std::weak_ptr<IKImageItem> weakItem = item;
    d.mainWindowController().geocoder->reverseGeocode(
        d.selection().currentCoords.x(), d.selection().currentCoords.y(), &d,
        [this, weakItem](const Placemark &place, const QString &error) {
            if (!error.isEmpty()) {
                qCWarning(lcMetadata) << "Reverse geocoding failed==" << error;
                return;
            }
            qCDebug(lcMetadata) << "Reverse geocoding finished";
            qCDebug(lcMetadata).noquote()
                << QStringLiteral("%1,%2,%3,%4,%5")
                       .arg(place.country, place.locality, place.subLocality, place.thoroughfare,
                            place.region);
            const QString name = placeNameFrom(place);
            const IKImageItemPtr target = weakItem.lock();
            if (name.isEmpty() || !target)
                return;
            target->editRare().GPSLocationfileName = name;
            getLocation = true;
            const QList<IKImageItemPtr> selected = d.browsers().selectedLocalItems();
            if (!selected.isEmpty() && selected.first() == target)
                d.selection().currentLocationStr = name;
        });
}
