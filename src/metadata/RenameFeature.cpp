// Copies of the selected local photos named after their title or their place.
#include "app/AppDelegate.h"

#include "app/core/Coordinates.h"
#include "metadata/DateFeatureSupport.h"
#include "metadata/core/JobReport.h"
#include "metadata/core/SafeFileName.h"
#include "metadata/core/TagCopies.h"
#include "metadata/core/WriteRecipe.h"
#include "platform/AlertSheet.h"
#include "platform/core/FileDates.h"
#include "platform/core/ImageSource.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMainWindow>
#include <QSaveFile>

namespace {

bool readPhoto(const QString &path, QByteArray *bytes, QVariantMap *properties) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    *bytes = file.readAll();
    const ImageSource source(*bytes);
    if (bytes->isEmpty() || !source.isValid())
        return false;
    *properties = source.properties(0);
    return true;
}

// The unchanged bytes under a new name, never over an existing file, with the photo's dates.
bool writeCopy(const QString &path, const QByteArray &bytes, const QString &source,
               QString *error) {
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit()) {
        *error = out.errorString();
        return false;
    }
    FileDates::copyDates(source, path);
    return true;
}

// The copy's path: `name` made safe, in `folder`, the next free name; `fallback` (the
// photo's own name) when `name` gives nothing usable.
QString copyPath(const QString &folder, const QString &name, const QString &fileName) {
    const QString extension = QFileInfo(fileName).suffix();
    QString base = safeFileBaseName(name, extension);
    if (base.isEmpty())
        base = safeFileBaseName(fileNameWithoutExtension(fileName), extension);
    if (base.isEmpty())
        base = QStringLiteral("Photo");
    return freeFilePath(folder, base, extension);
}

} // namespace

void AppDelegate::ClickCopyPhotoTitleToFilenameAction() {
    const QList<IKImageItemPtr> items = selectedLocalItems();
    if (items.isEmpty())
        return datefeature::showNoSelectionSheet(*this);
    JobReport job;
    for (const IKImageItemPtr &item : items) {
        QByteArray bytes;
        QVariantMap properties;
        if (!readPhoto(item->filePath, &bytes, &properties)) {
            job.notWritten << tr("%1: not an image we can read").arg(item->fileName);
            continue;
        }
        const QString title =
            subDictionary(properties, QStringLiteral("{IPTC}")).value("ObjectName").toString();
        QDir().mkpath(preferences.storagelocation);
        const QString path = copyPath(preferences.storagelocation, title, item->fileName);
        QString why;
        if (!writeCopy(path, bytes, item->filePath, &why)) {
            job.notWritten << QStringLiteral("%1: %2").arg(item->fileName, why);
            continue;
        }
        if (++job.written == 1) {
            job.revealPath = path;
            job.revealRoot = preferences.storagelocation;
        }
    }
    finishJob(job);
}

void AppDelegate::ClickCopyPhotoGPSNameToFilenameAction() {
    getLocation = false;
    const QList<IKImageItemPtr> items = selectedLocalItems();
    if (items.isEmpty())
        return datefeature::showNoSelectionSheet(*this);
    JobReport job;
    job.sheetOnSuccess = false;
    int withoutGps = 0;
    for (const IKImageItemPtr &item : items) {
        // Without a place the copy keeps its name, below the imported folder's mirror.
        QString folder = preferences.storagelocation;
        const QString root = QDir::cleanPath(bImportLocalPath);
        if (bImportLocalFolder && !root.isEmpty() &&
            item->filePath.startsWith(root + QLatin1Char('/')))
            folder = QDir::cleanPath(preferences.storagelocation + QLatin1Char('/') +
                                     QFileInfo(item->filePath.mid(root.size() + 1)).path());
        QByteArray bytes;
        QVariantMap properties;
        if (!readPhoto(item->filePath, &bytes, &properties)) {
            job.notWritten << tr("%1: not an image we can read").arg(item->fileName);
            continue;
        }
        if (!properties.contains(QStringLiteral("{GPS}"))) {
            // One photo without a position leaves the others of the batch to be named.
            job.notWritten << tr("%1: no GPS data").arg(item->fileName);
            ++withoutGps;
            continue;
        }
        const QVariantMap gps = subDictionary(properties, QStringLiteral("{GPS}"));
        const SignedGpsCoordinates c = signedCoordinates(gps);
        const double lat = c.latitude.value_or(0.0), lon = c.longitude.value_or(0.0);
        selection.currentCoords = QPointF(lat, lon);
        // Any position but the null island counts, west and south included.
        const bool placed = (lat != 0 || lon != 0) && !item->GPSLocationfileName.isEmpty();
        QString path;
        if (placed) {
            path = copyPath(preferences.storagelocation, item->GPSLocationfileName, item->fileName);
        } else {
            path = copyPath(folder, QString(), item->fileName);
        }
        QDir().mkpath(QFileInfo(path).path());
        QString why;
        if (!writeCopy(path, bytes, item->filePath, &why)) {
            job.notWritten << QStringLiteral("%1: %2").arg(item->fileName, why);
            continue;
        }
        if (++job.written == 1) {
            job.revealPath = path;
            job.revealRoot = preferences.storagelocation;
        }
    }
    if (withoutGps == items.size()) {
        beginAlertSheet(window, tr("No GPS data"),
                        tr("Please select a photo that contains GPS data."), {tr(" Ok ")},
                        [this](QMessageBox *alert, int code) { savePanelDidEnd3(alert, code); });
        return;
    }
    finishJob(job);
}
