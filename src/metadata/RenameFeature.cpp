// Copies of the selected local photos named after their title or their place.
#include "app/AppDelegate.h"

#include "app/core/Coordinates.h"

#include "metadata/core/SafeFileName.h"
#include "metadata/core/TagCopies.h"
#include "metadata/core/WriteRecipe.h"
#include "platform/AlertSheet.h"
#include "platform/core/FileDates.h"
#include "platform/core/ImageSource.h"
#include "platform/core/SafeWrite.h"
#include "platform/core/Workspace.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMainWindow>

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

// The unchanged bytes under a new name (its next free name when taken), with the photo's
// dates. Returns the path written, or empty with `error` set.
QString writeCopy(const QString &folder, const QString &name, const QByteArray &bytes,
                  const QString &source, QString *error) {
    const QString path = SafeWrite::writeNewFile(folder, name, bytes, error);
    if (path.isEmpty())
        return {};
    QString why;
    if (!FileDates::copyDates(source, path, &why)) {
        *error =
            QStringLiteral("written to %1, but its file dates could not be set: %2").arg(path, why);
        return {};
    }
    return path;
}

// The copy's name: `name` made safe; `fileName` (the photo's own name) when `name` gives
// nothing usable.
QString copyName(const QString &name, const QString &fileName) {
    const QString extension = QFileInfo(fileName).suffix();
    QString base = safeFileBaseName(name, extension);
    if (base.isEmpty())
        base = safeFileBaseName(fileNameWithoutExtension(fileName), extension);
    if (base.isEmpty())
        base = QStringLiteral("Photo");
    return extension.isEmpty() ? base : base + QLatin1Char('.') + extension;
}

} // namespace

void AppDelegate::ClickCopyPhotoTitleToFilenameAction() {
    const QList<IKImageItemPtr> items = selectedLocalItems();
    if (items.isEmpty())
        return;
    QStringList notWritten;
    bool revealed = false;
    for (const IKImageItemPtr &item : items) {
        QByteArray bytes;
        QVariantMap properties;
        if (!readPhoto(item->filePath, &bytes, &properties)) {
            notWritten << tr("%1: not an image we can read").arg(item->fileName);
            continue;
        }
        const QString title =
            subDictionary(properties, QStringLiteral("{IPTC}")).value("ObjectName").toString();
        QString why;
        const QString path = writeCopy(preferences.storagelocation, copyName(title, item->fileName),
                                       bytes, item->filePath, &why);
        if (path.isEmpty()) {
            notWritten << QStringLiteral("%1: %2").arg(item->fileName, why);
            continue;
        }
        if (!revealed)
            Workspace::selectFile(path, preferences.storagelocation);
        revealed = true;
    }
    LocalPhotoMetadataChangedCompletedAlert(notWritten);
}

void AppDelegate::ClickCopyPhotoGPSNameToFilenameAction() {
    getLocation = false;
    const bool overwrite = preferences.overwrite;
    QStringList notWritten;
    bool revealed = false;
    for (const IKImageItemPtr &item : selectedLocalItems()) {
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
            notWritten << tr("%1: not an image we can read").arg(item->fileName);
            continue;
        }
        if (!properties.contains(QStringLiteral("{GPS}"))) {
            beginAlertSheet(
                window, tr("No GPS data"), tr("Please select a photo that contains GPS data."),
                {tr(" Ok ")},
                [this](QMessageBox *alert, int code) { savePanelDidEnd3(alert, code); });
            return;
        }
        const QVariantMap gps = subDictionary(properties, QStringLiteral("{GPS}"));
        const SignedGpsCoordinates c = signedCoordinates(gps);
        const double lat = c.latitude.value_or(0.0), lon = c.longitude.value_or(0.0);
        selection.currentCoords = QPointF(lat, lon);
        // Any position but the null island counts, west and south included.
        const bool placed = (lat != 0 || lon != 0) && !item->GPSLocationfileName.isEmpty();
        QString why;
        const QString path = placed ? writeCopy(preferences.storagelocation,
                                                copyName(item->GPSLocationfileName, item->fileName),
                                                bytes, item->filePath, &why)
                                    : writeCopy(folder, copyName(QString(), item->fileName), bytes,
                                                item->filePath, &why);
        if (path.isEmpty()) {
            notWritten << QStringLiteral("%1: %2").arg(item->fileName, why);
            continue;
        }
        if (!revealed)
            Workspace::selectFile(path, preferences.storagelocation);
        revealed = true;
    }
    if (!overwrite)
        Workspace::selectFile(QString(), preferences.storagelocation);
    if (!notWritten.isEmpty())
        LocalPhotoMetadataChangedCompletedAlert(notWritten);
}
