#include "export/core/LibraryMetadataExport.h"

#include "base/Coordinates.h"
#include "base/FileTypes.h"
#include "base/Logging.h"
#include "batch/core/VideoSidecarWrite.h"
#include "library/core/LibraryComparison.h"
#include "platform/core/FileDates.h"
#include "platform/core/VideoMetadata.h"

#include <QFileInfo>
#include <QHash>
#include <QStorageInfo>
#include <algorithm>
#include <cmath>

namespace {

void setText(QVariantMap &working, const char *dictionary, const char *key, const QString &value) {
    QVariantMap d = working.value(QLatin1String(dictionary)).toMap();
    d.insert(QLatin1String(key), value);
    working.insert(QLatin1String(dictionary), d);
}

// The library's text, when it holds one that the file does not.
bool differs(const QString &library, const QString &file) {
    return !library.isEmpty() && library != file;
}

// The last check before a write: no name of the library leads out of the storage folder.
void refuseOutside(RecipePlacement &p, const QString &storageFolder) {
    if (p.refused.isEmpty() && !staysInside(storageFolder, p.folder, p.names))
        p.refused = QStringLiteral("its name leads out of the storage folder");
}

// An original only in iCloud whose thumbnail the library lacks too: nothing can go out.
void refuseWithoutThumbnail(RecipePlacement &p, const IKImageItem &item) {
    if (p.refused.isEmpty() && !item.bICloudDownloadPhoto && !QFileInfo(p.readPath).isFile())
        p.refused = QStringLiteral("its original is in iCloud, not downloaded, and the library "
                                   "holds no thumbnail of it");
}

QStringList keywordList(const QString &text) {
    QStringList out;
    for (const QString &word : text.split(QLatin1Char(',')))
        if (!word.trimmed().isEmpty())
            out << word.trimmed();
    return out;
}

} // namespace

void applyLibraryValues(QVariantMap &working, const PRPicFileInfo &file,
                        const PRPicFileInfo &library, const LibraryExportSettings &settings) {
    const LibraryKeys &keys = settings.keys;
    // {GPS}: only a library position goes in; "no position" is no reason to write 0, 0.
    if (keys.gps && library.hasLocation() &&
        (file.latitudeText() != library.latitudeText() ||
         file.longitudeText() != library.longitudeText())) {
        QVariantMap gps = working.value(QStringLiteral("{GPS}")).toMap();
        const double lat = library.latitudeText().toDouble();
        const double lon = library.longitudeText().toDouble();
        QVariantMap position = gpsPositionValues(lat, lon);
        // A coordinate the file already holds stays as stored; both letters follow the library.
        if (file.latitudeText() == library.latitudeText())
            position.remove(QStringLiteral("Latitude"));
        if (file.longitudeText() == library.longitudeText())
            position.remove(QStringLiteral("Longitude"));
        gps.insert(position);
        if (!gps.contains(QStringLiteral("GPSVersion")))
            gps.insert(QStringLiteral("GPSVersion"), QVariantList{2, 2, 0, 0});
        bool ok = false;
        const double altitude = settings.altitudeText.toDouble(&ok);
        if (keys.altitude && ok && settings.altitudeText != settings.shownAltitudeText)
            gps.insert(gpsAltitudeValues(altitude));
        working.insert(QStringLiteral("{GPS}"), gps);
    }
    if (keys.description && differs(library.fileDescription, file.fileDescription))
        setText(working, "{TIFF}", "ImageDescription", library.fileDescription);
    if (keys.cameraDate && differs(library.cameraDate.text(), file.cameraDate.text()) &&
        libraryDate(library.cameraDate.text()).isValid()) {
        const QString date =
            QString(library.cameraDate.text()).replace(QLatin1Char('-'), QLatin1Char(':'));
        setText(working, "{Exif}", "DateTimeOriginal", date);
        setText(working, "{Exif}", "DateTimeDigitized", date);
    }
    if (keys.keywords && !library.fileKeywords.isEmpty() &&
        !sameKeywords(library.fileKeywords, file.fileKeywords)) {
        QVariantMap iptc = working.value(QStringLiteral("{IPTC}")).toMap();
        iptc.insert(QStringLiteral("Keywords"), keywordList(library.fileKeywords));
        working.insert(QStringLiteral("{IPTC}"), iptc);
    }
    if (keys.title && differs(library.fileTitle, file.fileTitle))
        setText(working, "{IPTC}", "ObjectName", library.fileTitle);
}

RecipePlacement libraryPlacement(const ExportEntry &entry, const LibraryExportSettings &settings) {
    const IKImageItem &item = *entry.item;
    const ExportSource source = exportSource(item, settings.edited);
    const PRPicFileInfo none;
    const PRPicFileInfo &t = item.photoLibFileNode ? *item.photoLibFileNode : none;
    const PRPicFileInfo &o = item.originalFileNode ? *item.originalFileNode : none;
    RecipePlacement p;
    p.readPath = source.path;
    const QString &n = source.name;
    const QDateTime sourceDate = creationOrModification(source.path);

    if (settings.layout == LibraryLayout::Flat) {
        p.folder = settings.storageFolder;
        p.names = {n, clashName(n, 2)};
        QDateTime date;
        if (settings.dateRule == LibraryDateRule::LibraryCreation) {
            date = libraryDate(t.createDate.text());
            if (!date.isValid())
                date = sourceDate;
            if (o.createDate.text() != t.createDate.text())
                p.date = date;
        } else {
            date = libraryDate(o.createDate.text());
            p.date = date.isValid() ? date : sourceDate;
        }
        return p;
    }

    // Sorted: an original on disk is filed by its library camera date, a thumbnail that
    // stands in for an iCloud original by the library's creation date.
    QDateTime date = libraryDate(source.substituted ? t.createDate.text() : t.cameraDate.text());
    if (!date.isValid())
        date = sourceDate;
    if (!date.isValid())
        date = QDateTime::currentDateTime(); // a file without any date: filed under today
    const QString album = libraryFolderName(t.fileAlbum);
    if (settings.layout == LibraryLayout::AlbumOrYearMonth && !album.isEmpty()) {
        p.folder = settings.storageFolder + QLatin1Char('/') + album;
        p.names = {n, clashName(n, entry.index)};
    } else {
        p.folder = settings.storageFolder + QLatin1Char('/') + yearMonthFolder(date, false);
        p.names = {n};
    }
    if (source.substituted || o.createDate.text() != t.createDate.text())
        p.date = date;
    return p;
}

WriteRecipeOptions libraryRecipeOptions(const QList<ExportEntry> &entries,
                                        const LibraryExportSettings &settings) {
    QHash<const IKImageItem *, ExportEntry> byItem;
    for (const ExportEntry &entry : entries)
        byItem.insert(entry.item.get(), entry);
    WriteRecipeOptions options;
    options.pastTheCache = false;
    // The placement runs first for each photo, on the photo's own worker: the refresh of its
    // snapshot is then seen by its change.
    options.placement = [byItem, settings](const IKImageItem &item) {
        const ExportEntry entry = byItem.value(&item);
        if (!entry.item)
            return RecipePlacement{};
        // The placement needs only the original's creation date; the rest of its record is
        // made from the properties the recipe reads, so each original is read and parsed once.
        entry.item->originalFileNode = originalDatesRecord(item.filePath, item.fileName);
        RecipePlacement p = libraryPlacement(entry, settings);
        refuseOutside(p, settings.storageFolder);
        refuseWithoutThumbnail(p, item);
        // Once the disk is full the rest of the run is refused, rather than each photo
        // failing halfway through its write.
        const QStorageInfo disk(settings.storageFolder);
        if (disk.isValid() && disk.bytesAvailable() < QFileInfo(p.readPath).size())
            p.refused = QStringLiteral("the storage folder is full");
        return p;
    };
    options.change = [byItem, settings](QVariantMap &working, const IKImageItem &item) {
        const ExportEntry entry = byItem.value(&item);
        if (entry.item) {
            // What the recipe has read is the original itself unless a render or a thumbnail
            // goes out instead.
            const bool readsTheOriginal =
                item.bICloudDownloadPhoto &&
                (!settings.edited || exportSource(item, true).path == item.filePath);
            entry.item->originalFileNode =
                readsTheOriginal
                    ? originalRecordFromProperties(working, item.filePath, item.fileName)
                    : readOriginalRecord(item.filePath, item.fileName);
        }
        // A sorted export files a thumbnail that stands in for an iCloud original unchanged.
        if (!item.bICloudDownloadPhoto && settings.layout != LibraryLayout::Flat)
            return true;
        const PRPicFileInfo none;
        const PRPicFileInfo &file = item.originalFileNode ? *item.originalFileNode : none;
        const PRPicFileInfo &library = item.photoLibFileNode ? *item.photoLibFileNode : none;
        if (settings.onlyWhereTheFileDisagrees &&
            ComparePhotoMetadatawithOrignalPhoto(file, library))
            return false;
        applyLibraryValues(working, file, library, settings);
        return true;
    };
    return options;
}

ExportReport libraryExportReport(const QList<ExportEntry> &entries,
                                 const LibraryExportSettings &settings,
                                 const WriteRecipeReport &written) {
    ExportReport report;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        report.notDownloaded |= !entries[i].item->bICloudDownloadPhoto;
        ExportOutcome outcome;
        outcome.name = entries[i].item->fileName;
        if (i < written.photos.size()) {
            const WriteRecipeResult &r = written.photos[i];
            outcome.outputPath = r.outputPath;
            outcome.agrees = settings.onlyWhereTheFileDisagrees && r.unchanged;
            if (outcome.agrees)
                outcome.reason = QStringLiteral("its file already holds the library's values");
            else if (!r.written)
                outcome.reason = r.reason.isEmpty() ? QStringLiteral("not written") : r.reason;
        } else {
            outcome.reason = QStringLiteral("not written");
        }
        report.photos << outcome;
    }
    if (!report.photos.isEmpty()) {
        if (settings.layout == LibraryLayout::Flat)
            report.revealPath = report.photos.first().outputPath;
        report.revealRoot = settings.storageFolder;
    }
    return report;
}

namespace {
// What goes out decides the road: a video whose original is only in iCloud goes out as its
// thumbnail, a photo that takes the library's values like any other.
bool isVideoEntry(const ExportEntry &entry, const LibraryExportSettings &settings) {
    return GetViedoType(exportSource(*entry.item, settings.edited).path) >= 0;
}

// A video is copied as it is; then the library's title, position and camera date go into its
// QuickTime boxes where exiftool can write them. Where it cannot, the copy stays byte for byte.
ExportOutcome exportVideoWithLibraryMetadata(const ExportEntry &entry,
                                             const LibraryExportSettings &settings) {
    getOriginalMedataDataWithItem(*entry.item);
    RecipePlacement p = libraryPlacement(entry, settings);
    refuseOutside(p, settings.storageFolder);
    refuseWithoutThumbnail(p, *entry.item);
    ExportOutcome outcome;
    outcome.name = entry.item->fileName;
    outcome.reason = p.refused;
    const PRPicFileInfo none;
    const PRPicFileInfo &t = entry.item->photoLibFileNode ? *entry.item->photoLibFileNode : none;
    // A video's record holds none of the compared fields: it agrees when the library's are
    // empty too.
    if (outcome.reason.isEmpty() && settings.onlyWhereTheFileDisagrees &&
        ComparePhotoMetadatawithOrignalPhoto(
            entry.item->originalFileNode ? *entry.item->originalFileNode : none, t)) {
        outcome.agrees = true;
        outcome.reason = QStringLiteral("its file already holds the library's values");
        return outcome;
    }
    if (outcome.reason.isEmpty())
        outcome.outputPath = copyIntoFolder(p.readPath, p.folder, p.names, &outcome.reason);
    if (outcome.outputPath.isEmpty())
        return outcome;
    const QDateTime date = libraryDate(t.cameraDate.text());
    if (QuickTimeWriter::isQuickTimeName(outcome.outputPath)) {
        bool hasKeys = false;
        for (const auto &item : VideoMetadata::metadataItems(outcome.outputPath))
            hasKeys = hasKeys || item.first.startsWith(QLatin1String("com.apple.quicktime."));
        bool latOk = false, lonOk = false;
        const double lat = t.latitudeText().toDouble(&latOk);
        const double lon = t.longitudeText().toDouble(&lonOk);
        // No position is 0,0 or out of range, which the library uses for none.
        const bool placed = latOk && lonOk && std::fabs(lat) <= 90 && std::fabs(lon) <= 180 &&
                            (lat != 0 || lon != 0);
        QStringList assignments;
        for (const VideoItem &item :
             videoMetadataItems(t.fileTitle, QString(), placed ? t.latitudeText() : QString(),
                                placed ? t.longitudeText() : QString(), date.toUTC(), hasKeys))
            assignments << QuickTimeWriter::assignment(item);
        QString why;
        if (!assignments.isEmpty() && !QuickTimeWriter::writeInPlace(
                                          outcome.outputPath, assignments, date, t.fileTitle, &why))
            qCWarning(lcExport) << "Video exported unchanged, metadata not written==" << why;
    }
    const QDateTime fileDate = date.isValid() ? date : p.date;
    QString why;
    if (fileDate.isValid() && !FileDates::setDates(outcome.outputPath, fileDate, &why))
        outcome.reason = QStringLiteral("written to %1, but its file dates could not be set: %2")
                             .arg(outcome.outputPath, why);
    return outcome;
}
} // namespace

QList<ExportEntry> libraryStillEntries(const QList<ExportEntry> &entries,
                                       const LibraryExportSettings &settings) {
    QList<ExportEntry> stills;
    for (const ExportEntry &entry : entries)
        if (!isVideoEntry(entry, settings))
            stills << entry;
    return stills;
}

ExportReport withLibraryVideos(const QList<ExportEntry> &entries,
                               const LibraryExportSettings &settings, const ExportReport &stills,
                               const std::function<bool()> &cancelled,
                               const std::function<void(int done, int total)> &progress) {
    ExportReport report;
    report.notDownloaded = stills.notDownloaded;
    const int videos = int(std::count_if(entries.cbegin(), entries.cend(),
                                         [&](const auto &e) { return isVideoEntry(e, settings); }));
    int done = 0;
    qsizetype next = 0;
    for (const ExportEntry &entry : entries) {
        if (!isVideoEntry(entry, settings)) {
            report.photos << stills.photos.value(next++);
            continue;
        }
        if (cancelled && cancelled()) {
            report.photos << ExportOutcome{entry.item->fileName, QString(),
                                           QStringLiteral("the export was cancelled")};
        } else {
            report.notDownloaded |= !entry.item->bICloudDownloadPhoto;
            report.photos << exportVideoWithLibraryMetadata(entry, settings);
        }
        if (progress)
            progress(++done, videos);
    }
    if (report.photos.isEmpty())
        return report;
    report.revealRoot = settings.storageFolder;
    if (settings.layout == LibraryLayout::Flat)
        report.revealPath = report.photos.first().outputPath;
    return report;
}

ExportReport exportWithLibraryMetadata(const QList<ExportEntry> &entries,
                                       const LibraryExportSettings &settings) {
    ExportReport report;
    if (entries.isEmpty())
        return report;
    if (!storageFolderWritable(settings.storageFolder, &report.folderReason))
        return report;
    const QList<ExportEntry> stills = libraryStillEntries(entries, settings);
    QList<IKImageItemPtr> items;
    for (const ExportEntry &entry : stills)
        items << entry.item;
    const WriteRecipeReport written = runWriteRecipe(items, settings.storageFolder, false,
                                                     libraryRecipeOptions(stills, settings));
    return withLibraryVideos(entries, settings, libraryExportReport(stills, settings, written));
}

ExportReport exportWithLibraryCreationDate(const QList<ExportEntry> &entries,
                                           const QString &storageFolder,
                                           const std::function<bool()> &cancelled) {
    ExportReport report;
    if (entries.isEmpty() || !storageFolderWritable(storageFolder, &report.folderReason))
        return report;
    LibraryExportSettings settings;
    settings.storageFolder = storageFolder;
    for (const ExportEntry &entry : entries) {
        if (cancelled && cancelled()) {
            report.photos << ExportOutcome{entry.item->fileName, {}, QStringLiteral("cancelled")};
            continue;
        }
        getOriginalMedataDataWithItem(*entry.item);
        RecipePlacement p = libraryPlacement(entry, settings);
        refuseOutside(p, storageFolder);
        refuseWithoutThumbnail(p, *entry.item);
        report.notDownloaded |= !entry.item->bICloudDownloadPhoto;
        ExportOutcome outcome;
        outcome.name = entry.item->fileName;
        outcome.reason = p.refused;
        if (outcome.reason.isEmpty())
            outcome.outputPath = copyIntoFolder(p.readPath, p.folder, p.names, &outcome.reason);
        QString why;
        if (!outcome.outputPath.isEmpty() && p.date.isValid() &&
            !FileDates::setDates(outcome.outputPath, p.date, &why))
            outcome.reason =
                QStringLiteral("written to %1, but its file dates could not be set: %2")
                    .arg(outcome.outputPath, why);
        report.photos << outcome;
    }
    report.revealPath = report.photos.first().outputPath;
    report.revealRoot = storageFolder;
    return report;
}

void applyPanelValues(QVariantMap &working, const PRPicFileInfo &file, const PanelValues &panel) {
    bool latOk = false, lonOk = false;
    const double lat = panel.latitude.toDouble(&latOk), lon = panel.longitude.toDouble(&lonOk);
    if (latOk && lonOk && std::fabs(lat) <= 90 && std::fabs(lon) <= 180 &&
        (panel.latitude != file.latitudeText() || panel.longitude != file.longitudeText())) {
        QVariantMap gps = working.value(QStringLiteral("{GPS}")).toMap();
        gps.insert(gpsPositionValues(lat, lon));
        if (!gps.contains(QStringLiteral("GPSVersion")))
            gps.insert(QStringLiteral("GPSVersion"), QVariantList{2, 2, 0, 0});
        working.insert(QStringLiteral("{GPS}"), gps);
    }
    const QDateTime date = libraryDate(panel.cameraDate);
    if (panel.cameraDate != file.cameraDate.text() && date.isValid()) {
        const QString text = date.toString(QStringLiteral("yyyy:MM:dd HH:mm:ss"));
        setText(working, "{TIFF}", "DateTime", text);
        setText(working, "{Exif}", "DateTimeOriginal", text);
        setText(working, "{Exif}", "DateTimeDigitized", text);
        // The GPS date counts in UTC.
        if (working.contains(QStringLiteral("{GPS}")))
            setText(working, "{GPS}", "DateStamp",
                    date.toUTC().toString(QStringLiteral("yyyy:MM:dd")));
    }
    const struct {
        const QString &typed;
        const QString &had;
        const char *dictionary, *key;
    } texts[] = {
        {panel.artist, file.rare().fileAuthor, "{TIFF}", "Artist"},
        {panel.description, file.fileDescription, "{TIFF}", "ImageDescription"},
        {panel.copyright, file.rare().fileCopyright, "{TIFF}", "Copyright"},
        {panel.make, file.fileMaker, "{TIFF}", "Make"},
        {panel.model, file.fileModel, "{TIFF}", "Model"},
        {panel.lensMake, file.rare().fileLensMake, "{Exif}", "LensMake"},
        {panel.lensModel, file.fileLensModel, "{Exif}", "LensModel"},
        {panel.comment, file.rare().fileComments, "{Exif}", "UserComment"},
        {panel.title, file.fileTitle, "{IPTC}", "ObjectName"},
    };
    for (const auto &t : texts)
        if (t.typed != t.had)
            setText(working, t.dictionary, t.key, t.typed);
    if (!sameKeywords(panel.keywords, file.fileKeywords)) {
        QVariantMap iptc = working.value(QStringLiteral("{IPTC}")).toMap();
        iptc.insert(QStringLiteral("Keywords"), keywordList(panel.keywords));
        working.insert(QStringLiteral("{IPTC}"), iptc);
    }
}

WriteRecipeOptions panelRecipeOptions(const QList<ExportEntry> &entries,
                                      const QString &storageFolder, const PanelValues &panel) {
    QHash<const IKImageItem *, ExportEntry> byItem;
    for (const ExportEntry &entry : entries)
        byItem.insert(entry.item.get(), entry);
    WriteRecipeOptions options;
    options.pastTheCache = false;
    options.placement = [byItem, storageFolder, panel](const IKImageItem &item) {
        const ExportEntry entry = byItem.value(&item);
        RecipePlacement p;
        if (!entry.item)
            return p;
        getOriginalMedataDataWithItem(*entry.item);
        const ExportSource source = exportSource(item, false);
        p.readPath = source.path;
        p.folder = storageFolder;
        p.names = {source.name};
        const PRPicFileInfo none;
        const PRPicFileInfo &o = item.originalFileNode ? *item.originalFileNode : none;
        if (panel.cameraDate != o.cameraDate.text()) {
            const QDateTime typed = libraryDate(panel.cameraDate);
            p.date = typed.isValid() ? typed : creationOrModification(source.path);
        }
        refuseOutside(p, storageFolder);
        return p;
    };
    options.change = [panel](QVariantMap &working, const IKImageItem &item) {
        const PRPicFileInfo none;
        applyPanelValues(working, item.originalFileNode ? *item.originalFileNode : none, panel);
        return true;
    };
    return options;
}
