#include "export/core/LibraryPlists.h"

#include "base/Coordinates.h"
#include "library/core/LibraryComparison.h"
#include "metadata/core/SafeFileName.h"
#include "platform/core/Exiv2Support.h"
#include "platform/core/ImageSource.h"
#include "platform/core/PropertyList.h"

#include <QDir>
#include <QFile>
#include <QHash>

namespace {

void insertText(QVariantMap &entry, const char *key, const QString &value) {
    if (!value.isEmpty())
        entry.insert(QLatin1String(key), value);
}

PlistExportResult writeRoot(const QString &storageFolder, const char *name, const QVariantMap &root,
                            PlistExportResult result) {
    result.path = storageFolder + QLatin1Char('/') + QLatin1String(name);
    result.entries = int(root.size());
    QString why;
    if (!QDir().mkpath(storageFolder))
        result.reason = QStringLiteral("the folder %1 cannot be created").arg(storageFolder);
    else if (!PropertyList::writeXml(result.path, root, &why, &result.skippedValues))
        result.reason = QStringLiteral("%1 cannot be written: %2").arg(result.path, why);
    result.written = result.reason.isEmpty();
    return result;
}

// The photo's entry goes under the plain name its copies take: a library's name may hold
// anything, which an XML key must not.
QString entryName(const IKImageItem &item) {
    return plainFileName(item.fileName, QStringLiteral("Photo"));
}

void noteName(QHash<QString, int> &uses, const QString &name, PlistExportResult &result) {
    if (++uses[name] == 2)
        result.duplicateNames << name;
}

} // namespace

QVariantMap libraryPlistEntry(const PRPicFileInfo &r) {
    QVariantMap entry;
    insertText(entry, "Make", r.fileMaker);
    insertText(entry, "Model", r.fileModel);
    insertText(entry, "LensMake", r.rare().fileLensMake);
    insertText(entry, "LensModel", r.fileLensModel);
    if (libraryDate(r.cameraDate.text()).isValid())
        entry.insert(QStringLiteral("DateTimeDigitized"), r.cameraDate.text());
    insertText(entry, "ObjectName", r.fileTitle);
    insertText(entry, "Keywords", r.fileKeywords);
    insertText(entry, "ImageDescription", r.fileDescription);
    // A photo without a position has no coordinates, rather than 0, 0.
    if (r.hasLocation()) {
        const double lat = r.latitudeText().toDouble();
        const double lon = r.longitudeText().toDouble();
        entry.insert(QStringLiteral("Latitude"), float(lat));
        entry.insert(QStringLiteral("LatitudeRef"), hemisphereRef(lat, GpsAxis::Latitude));
        entry.insert(QStringLiteral("Longitude"), float(lon));
        entry.insert(QStringLiteral("LongitudeRef"), hemisphereRef(lon, GpsAxis::Longitude));
    }
    return entry;
}

PlistExportResult exportOriginalMetadataPlist(const QList<ExportEntry> &entries,
                                              const QString &storageFolder) {
    ensureExiv2Initialised();
    PlistExportResult result;
    QVariantMap root;
    QHash<QString, int> uses;
    for (const ExportEntry &e : entries) {
        getOriginalMedataDataWithItem(*e.item);
        QFile file(e.item->filePath);
        const QVariantMap props = file.open(QIODevice::ReadOnly)
                                      ? ImageSource(file.readAll()).properties(0)
                                      : QVariantMap();
        if (props.isEmpty()) {
            result.unreadable << e.item->fileName;
            continue;
        }
        noteName(uses, entryName(*e.item), result);
        root.insert(entryName(*e.item), props);
    }
    return writeRoot(storageFolder, kOriginalMetadataPlist, root, result);
}

PlistExportResult exportLibraryMetadataPlist(const QList<ExportEntry> &entries,
                                             const QString &storageFolder) {
    PlistExportResult result;
    QVariantMap root;
    QHash<QString, int> uses;
    for (const ExportEntry &e : entries) {
        noteName(uses, entryName(*e.item), result);
        root.insert(entryName(*e.item), e.item->photoLibFileNode
                                            ? libraryPlistEntry(*e.item->photoLibFileNode)
                                            : QVariantMap());
    }
    return writeRoot(storageFolder, kLibraryMetadataPlist, root, result);
}
