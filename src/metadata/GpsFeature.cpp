// The GPS window: editing and adding a position with its stamps, the map preview, the save,
// and the reverse geocoding of the current position.
#include "metadata/GpsWindow.h"

#include "app/AppServices.h"
#include "app/Browsers.h"
#include "app/Jobs.h"
#include "app/Sheets.h"
#include "browser/CameraCopies.h"
#include "browser/MainWindow.h"

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

} // namespace

void GpsWindow::showWindow() {
    bAddGPS = true;
    changeGPSWindow->show();
    changeGPSWindow->raise();
    changeGPSWindow->activateWindow();
    latitudelab->setFocus();
}

void GpsWindow::openWithCameraCopies(Opener open) {
    QPointer<Jobs> alive(&app.jobs()); // gone with the application
    camera.withCameraCopies([this, alive, open](const QList<IKImageItemPtr> &copies,
                                                const QStringList &failures) {
        if (!alive)
            return;
        if (copies.isEmpty()) {
            app.sheets().alert(tr("The photo could not be downloaded."),
                               failures.join(QLatin1Char('\n')));
            return;
        }
        (this->*open)(copies.first()->filePath);
    });
}

// Stamps the photo lacks show as placeholders, never as another photo's stamps.
void GpsWindow::showStamps(const QVariantMap &gps) {
    dateStamplab->setText(gps.contains(QStringLiteral("DateStamp"))
                              ? propertyValueText(gps.value(QStringLiteral("DateStamp")))
                              : QString::fromLatin1(kGpsDatePlaceholder));
    timeStamplab->setText(gps.contains(QStringLiteral("TimeStamp"))
                              ? propertyValueText(gps.value(QStringLiteral("TimeStamp")))
                              : QString::fromLatin1(kGpsTimePlaceholder));
}

// Editing a position the photo lacks becomes adding one, if the user wants that.
void GpsWindow::offerToAdd(const QString &path) {
    // The window's save is still the job of the item the user chose.
    const QString title = app.jobs().jobActionTitle();
    QPointer<Jobs> alive(&app.jobs()); // gone with the application
    QMessageBox *question =
        beginAlertSheet(app.mainWindow(), tr("This photo has no GPS position. Add one?"),
                        tr("The GPS window opens for a new position; the photo changes only when "
                           "you save it there."),
                        {tr("Add GPS Position…"), tr("Cancel")},
                        [this, alive, path, title](QMessageBox *, int code) {
                            if (!alive || code != 1)
                                return;
                            if (!title.isEmpty())
                                app.jobs().setJobActionTitle(changeGPSWindow, title);
                            openForAdding(path);
                        });
    question->setIcon(QMessageBox::Question);
}

void GpsWindow::EditeGPSExifDataPhoto() {
    if (!changeGPSWindow)
        return;
    if (camera.cameraIsSource())
        return openWithCameraCopies(&GpsWindow::openForEditing);
    if (app.browsers().selectedLocalItems().isEmpty()) {
        datefeature::showNoSelectionSheet(app);
        return;
    }
    openForEditing(app.selection().currentChooseFilePath);
}

void GpsWindow::AddGPSExifDataPhoto() {
    if (!changeGPSWindow)
        return;
    if (camera.cameraIsSource())
        return openWithCameraCopies(&GpsWindow::openForAdding);
    if (app.browsers().selectedLocalItems().isEmpty()) {
        datefeature::showNoSelectionSheet(app);
        return;
    }
    openForAdding(app.selection().currentChooseFilePath);
}

void GpsWindow::openForEditing(const QString &path) {
    const std::optional<QVariantMap> properties = readProperties(path);
    if (properties) {
        const QVariantMap gps = subDictionary(*properties, QStringLiteral("{GPS}"));
        // Stamps or an altitude alone are no position: there is nothing to edit yet.
        const SignedGpsCoordinates position = signedCoordinates(gps);
        if (!position.latitude || !position.longitude) {
            offerToAdd(path);
            return;
        }
        showStamps(gps);
        latitudelab->setText(degreesText(*position.latitude));
        longtitudelab->setText(degreesText(*position.longitude));
        const std::optional<double> altitude = signedAltitude(
            gps.value(QStringLiteral("Altitude")), gps.value(QStringLiteral("AltitudeRef")));
        if (altitude)
            altitudelab->setText(degreesText(*altitude));
        else
            altitudelab->clear();
    }
    // The place name found for the shown photo belongs to that photo alone.
    gpsLocationCitylab->setText(path == app.selection().currentChooseFilePath
                                    ? app.selection().currentLocationStr
                                    : QStringLiteral(""));
    // The map follows the fields, also when the photo could not be read.
    QString problem;
    if (const auto position =
            parseGpsPosition(latitudelab->text(), longtitudelab->text(), &problem))
        previewMapView->showPosition(position->latitude, position->longitude);
    showWindow();
}

void GpsWindow::openForAdding(const QString &path) {
    if (const std::optional<QVariantMap> properties = readProperties(path)) {
        const QVariantMap gps = subDictionary(*properties, QStringLiteral("{GPS}"));
        showStamps(gps);
    }
    showWindow();
}

void GpsWindow::PreviewCurrentGPSInMap() {
    QString problem;
    const auto position = parseGpsPosition(latitudelab->text(), longtitudelab->text(), &problem);
    if (!position) {
        app.sheets().alert(tr("Value Error"), problem, changeGPSWindow);
        return;
    }
    previewMapView->showPosition(position->latitude, position->longitude);
}

void GpsWindow::ClickCancleSaveGPSAction() {
    if (changeGPSWindow)
        changeGPSWindow->hide();
}

void GpsWindow::ClickSaveChangeGPSAction() {
    if (!changeGPSWindow)
        return;
    auto refuse = [this](const QString &message, const QString &informative) {
        // Nothing is written; the window stays open so the value can be corrected.
        beginAlertSheet(
            changeGPSWindow, message, informative, {tr(" Ok ")},
            [this](QMessageBox *alert, int code) { app.sheets().savePanelDidEnd3(alert, code); });
    };
    for (QLineEdit *field : {latitudelab, longtitudelab, timeStamplab, dateStamplab})
        if (field->text().trimmed().isEmpty())
            return refuse(tr("Value Error"), tr("Each value cannot be empty."));
    QString problem;
    const auto position = parseGpsPosition(latitudelab->text(), longtitudelab->text(), &problem);
    if (!position)
        return refuse(tr("Value Error"), problem);
    const auto stamps = parseGpsStamps(dateStamplab->text(), timeStamplab->text(), &problem);
    if (!stamps)
        return refuse(tr("Value Error"), problem);

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
    auto write = [this, when, options](const QList<IKImageItemPtr> &items, bool overwrite,
                                       const QStringList &failures) {
        Jobs *owner = &app.jobs();
        owner->startRecipeJob(
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
                owner->finishJob(job);
            });
    };
    changeGPSWindow->hide();
    if (camera.cameraIsSource()) {
        // Camera photos: their downloaded copies are rewritten in place.
        QPointer<Jobs> alive(&app.jobs()); // gone with the application
        camera.withCameraCopies(
            [alive, write](const QList<IKImageItemPtr> &copies, const QStringList &failures) {
                if (alive)
                    write(copies, false, failures);
            });
        return;
    }
    write(app.browsers().selectedLocalItems(), app.preferences().overwrite, {});
}

void GpsWindow::GetCityInfowithFileThreader(const IKImageItemPtr &item) {
    app.selection().currentLocationStr = QStringLiteral("");
    std::weak_ptr<IKImageItem> weakItem = item;
    mainWindow.reverseGeocoder().reverseGeocode(
        app.selection().currentCoords.x(), app.selection().currentCoords.y(), &app.jobs(),
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
            const QList<IKImageItemPtr> selected = app.browsers().selectedLocalItems();
            if (!selected.isEmpty() && selected.first() == target)
                app.selection().currentLocationStr = name;
        });
}
