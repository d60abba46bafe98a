// The older store (iPhoto, Aperture, Photos before 10.15): a photo is a master (RKMaster)
// with one or more versions (RKVersion), and the library shows one version's fields: that
// version is written, the others (an iPhoto master's kept original) are left as they are.
#include "library/core/LibraryCatalogue.h"
#include "library/core/LibraryLookups.h"
#include "library/core/LibraryStore.h"
#include "metadata/core/SafeFileName.h"
#include "platform/core/UnicodeForms.h"

#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QUuid>
#include <cmath>
#include <sqlite3.h>

namespace {

QString noMaster(int key) {
    return QStringLiteral("the photo is no longer in the library (no master %1)").arg(key);
}

QVariant textOrNull(const QString &s) {
    return s.isEmpty() ? QVariant() : QVariant(s);
}

} // namespace

bool LibraryStore::pairsMasters() {
    return hasColumn(QStringLiteral("RKVersion"), QStringLiteral("rawMasterUuid")) &&
           hasColumn(QStringLiteral("RKVersion"), QStringLiteral("nonRawMasterUuid"));
}

QString LibraryStore::versionsOf(int parameter) {
    return olderVersionsOf(pairsMasters(), parameter);
}

std::optional<int64_t> LibraryStore::olderShownVersion(OlderPhotoKey photo, QString *why) {
    // A version named by the scan is taken while it is still one of the photo's; another
    // version of the master is never taken in its place.
    if (shownVersionSql_.isEmpty())
        shownVersionSql_ = withCatalogueColumns(
            db_,
            QStringLiteral("SELECT modelId FROM RKVersion WHERE %1 AND (?2 < 0 OR modelId = ?2) "
                           "ORDER BY %2 LIMIT 1")
                .arg(versionsOf(1), olderShownVersionOrder()),
            false);
    SqliteStatement *v = db_.prepare(shownVersionSql_);
    if (!v) {
        error_ = db_.lastError();
    } else {
        v->bind(1, int64_t(photo.master)).bind(2, photo.version);
        const bool found = v->step();
        const int64_t version = found ? v->int64(0) : -1;
        error_ = v->failed() ? v->error()
                 : found     ? QString()
                 : photo.version >= 0
                     ? QStringLiteral("the photo is no longer in the library (no version %1 "
                                      "of master %2)")
                           .arg(photo.version)
                           .arg(photo.master)
                     : noMaster(photo.master);
        v->reset();
        if (error_.isEmpty())
            return version;
    }
    if (why)
        *why = error_;
    return std::nullopt;
}

LibraryWriteResult LibraryStore::setOlderTitle(OlderPhotoKey photo, const QString &title) {
    const std::optional<int64_t> version = olderShownVersion(photo);
    if (!version)
        return LibraryWriteResult::failed(error_);
    LibraryWriteResult r =
        change(QStringLiteral("UPDATE RKVersion SET name = ?1 WHERE modelId = ?2"),
               {textOrNull(title), qlonglong(*version)}, noMaster(photo.master));
    r.stored = title;
    return r;
}

LibraryWriteResult LibraryStore::setOlderDescription(OlderPhotoKey photo, const QString &caption) {
    const std::optional<int64_t> version = olderShownVersion(photo);
    if (!version)
        return LibraryWriteResult::failed(error_);
    if (!tableHasColumn(db_, QStringLiteral("RKVersion"), QStringLiteral("extendedDescription")))
        return setCatalogueCaption(*version, caption);
    LibraryWriteResult r =
        change(QStringLiteral("UPDATE RKVersion SET extendedDescription = ?1 WHERE modelId = ?2"),
               {textOrNull(caption), qlonglong(*version)}, noMaster(photo.master));
    r.stored = caption;
    return r;
}

QString LibraryStore::olderKeywordText(int64_t versionId) {
    SqliteStatement *s = db_.prepare(QStringLiteral(
        "SELECT k.name FROM RKKeyword k JOIN RKKeywordForVersion j ON k.modelId = j.keywordId "
        "WHERE j.versionId = ?1 ORDER BY k.modelId"));
    if (!s)
        return {};
    s->bind(1, versionId);
    QStringList names;
    while (s->step())
        if (!s->isNull(0) && !s->string(0).isEmpty())
            names << s->string(0);
    s->reset();
    return names.join(QLatin1Char(','));
}

LibraryWriteResult LibraryStore::setOlderKeywords(OlderPhotoKey photo, const QString &text) {
    // Keywords belong to versions, whose numbers are not the master's.
    const std::optional<int64_t> shown = olderShownVersion(photo);
    if (!shown)
        return LibraryWriteResult::failed(error_);
    const int64_t version = *shown;

    QHash<QString, int64_t> *byName = keywordRows(true);
    if (!byName)
        return LibraryWriteResult::failed(error_);

    QList<int64_t> wanted;
    for (const QString &keyword : keywordSet(text)) {
        const QString key = normalizedText(keyword, QString::NormalizationForm_C);
        if (auto it = byName->constFind(key); it != byName->constEnd()) {
            if (!wanted.contains(*it))
                wanted << *it;
            continue;
        }
        QString uuid = QString::fromLatin1(
            QUuid::createUuid().toRfc4122().toBase64(QByteArray::OmitTrailingEquals));
        uuid.replace(QLatin1Char('/'), QLatin1Char('%'));
        if (!run(QStringLiteral("INSERT INTO RKKeyword (uuid, name, searchName, hasChildren) "
                                "VALUES (?1, ?2, ?3, 0)"),
                 {uuid, keyword, keyword.toLower()}))
            return LibraryWriteResult::failed(error_);
        const int64_t id = sqlite3_last_insert_rowid(db_.handle());
        byName->insert(key, id);
        wanted << id;
    }

    QSet<int64_t> linked;
    SqliteStatement *links = db_.prepare(
        QStringLiteral("SELECT keywordId FROM RKKeywordForVersion WHERE versionId = ?1"));
    if (!links)
        return LibraryWriteResult::failed(db_.lastError());
    links->bind(1, version);
    while (links->step())
        linked.insert(links->int64(0));
    links->reset();
    for (int64_t k : linked)
        if (!wanted.contains(k) &&
            !run(QStringLiteral("DELETE FROM RKKeywordForVersion WHERE versionId = ?1 AND "
                                "keywordId = ?2"),
                 {qlonglong(version), qlonglong(k)}))
            return LibraryWriteResult::failed(error_);
    for (int64_t k : wanted)
        if (!linked.contains(k) &&
            !run(QStringLiteral("INSERT INTO RKKeywordForVersion (versionId, keywordId) "
                                "VALUES (?1, ?2)"),
                 {qlonglong(version), qlonglong(k)}))
            return LibraryWriteResult::failed(error_);
    // The library reads a version's keywords only when it says it has some.
    if (!run(QStringLiteral("UPDATE RKVersion SET hasKeywords = ?1 WHERE modelId = ?2"),
             {wanted.isEmpty() ? 0 : 1, qlonglong(version)}))
        return LibraryWriteResult::failed(error_);
    return LibraryWriteResult::written(olderKeywordText(version));
}

LibraryWriteResult LibraryStore::setOlderFileName(OlderPhotoKey photo, const QString &newName,
                                                  const QString &currentFileName) {
    const std::optional<int64_t> version = olderShownVersion(photo);
    if (!version)
        return LibraryWriteResult::failed(error_);
    const QString ext = QFileInfo(currentFileName).suffix();
    const QString base = safeFileBaseName(newName.trimmed(), ext);
    if (base.isEmpty())
        return LibraryWriteResult::failed(
            QStringLiteral("\"%1\" cannot be a file name").arg(newName));
    const QString name = ext.isEmpty() ? base : base + QLatin1Char('.') + ext;
    // The name the library shows; RKMaster.fileName stays the name of the file on disk,
    // which imagePath also holds.
    QStringList sets{QStringLiteral("name = ?1")};
    if (tableHasColumn(db_, QStringLiteral("RKMaster"), QStringLiteral("originalVersionName")))
        sets << QStringLiteral("originalVersionName = ?1");
    if (tableHasColumn(db_, QStringLiteral("RKMaster"), QStringLiteral("originalFileName")))
        sets << QStringLiteral("originalFileName = ?2");
    LibraryWriteResult r =
        change(QStringLiteral("UPDATE RKMaster SET %1 WHERE modelId = ?3").arg(sets.join(", ")),
               {base, name, photo.master}, noMaster(photo.master));
    if (!r.ok)
        return r;
    if (!run(QStringLiteral("UPDATE RKVersion SET fileName = ?1 WHERE modelId = ?2"),
             {name, qlonglong(*version)}))
        return LibraryWriteResult::failed(error_);
    return LibraryWriteResult::written(name);
}

LibraryWriteResult LibraryStore::setOlderCameraDate(OlderPhotoKey photo, double seconds) {
    const std::optional<int64_t> version = olderShownVersion(photo);
    if (!version)
        return LibraryWriteResult::failed(error_);
    LibraryWriteResult r =
        change(QStringLiteral("UPDATE RKMaster SET imageDate = ?1 WHERE modelId = ?2"),
               {seconds, photo.master}, noMaster(photo.master));
    if (!r.ok)
        return r;
    if (!run(QStringLiteral("UPDATE RKVersion SET imageDate = ?1 WHERE modelId = ?2"),
             {seconds, qlonglong(*version)}))
        return LibraryWriteResult::failed(error_);
    return LibraryWriteResult::written(libraryDateText(int64_t(seconds)));
}

LibraryWriteResult LibraryStore::olderCopyCameraDateToAddedDate(int masterKey) {
    return change(QStringLiteral("UPDATE RKMaster SET createDate = imageDate WHERE modelId = ?1"),
                  {masterKey}, noMaster(masterKey));
}

LibraryWriteResult LibraryStore::setOlderPosition(OlderPhotoKey photo,
                                                  std::optional<LibraryPosition> p) {
    if (p && (!std::isfinite(p->latitude) || !std::isfinite(p->longitude) ||
              std::fabs(p->latitude) > 90 || std::fabs(p->longitude) > 180))
        return LibraryWriteResult::failed(QStringLiteral("the position is out of range"));
    const std::optional<int64_t> version = olderShownVersion(photo);
    if (!version)
        return LibraryWriteResult::failed(error_);
    const QVariant lat = p ? QVariant(p->latitude) : QVariant();
    const QVariant lon = p ? QVariant(p->longitude) : QVariant();
    // The version's own position is what the library shows; the Exif pair is what it read.
    QStringList sets{QStringLiteral("exifLatitude = ?1"), QStringLiteral("exifLongitude = ?2")};
    if (tableHasColumn(db_, QStringLiteral("RKVersion"), QStringLiteral("latitude")) &&
        tableHasColumn(db_, QStringLiteral("RKVersion"), QStringLiteral("longitude")))
        sets << QStringLiteral("latitude = ?1") << QStringLiteral("longitude = ?2");
    // The place named after the old position, to be looked up again, and a place the user
    // chose for it.
    if (hasColumn(QStringLiteral("RKVersion"), QStringLiteral("reverseLocationData")) &&
        hasColumn(QStringLiteral("RKVersion"), QStringLiteral("reverseLocationDataIsValid")))
        sets << QStringLiteral("reverseLocationData = NULL, reverseLocationDataIsValid = 0");
    if (hasColumn(QStringLiteral("RKVersion"), QStringLiteral("overridePlaceId")))
        sets << QStringLiteral("overridePlaceId = NULL");
    LibraryWriteResult r =
        change(QStringLiteral("UPDATE RKVersion SET %1 WHERE modelId = ?3").arg(sets.join(", ")),
               {lat, lon, qlonglong(*version)}, noMaster(photo.master));
    // The places the old position lies in (country, city, park) no longer hold the photo.
    if (r.ok && hasColumn(QStringLiteral("RKPlaceForVersion"), QStringLiteral("versionId")) &&
        !run(QStringLiteral("DELETE FROM RKPlaceForVersion WHERE versionId = ?1"),
             {qlonglong(*version)}))
        return LibraryWriteResult::failed(error_);
    if (r.ok && p)
        r.stored = QString::asprintf("%f, %f", p->latitude, p->longitude);
    return r;
}

LibraryWriteResult LibraryStore::setOlderImagePath(int masterKey, const QString &folder,
                                                   const QString &fileName) {
    if (fileName.isEmpty() || fileName.contains(QLatin1Char('/')) ||
        fileName == QLatin1String("..") || fileName == QLatin1String("."))
        return LibraryWriteResult::failed(
            QStringLiteral("\"%1\" is not a single file name").arg(fileName));
    QString path = folder;
    while (path.endsWith(QLatin1Char('/')))
        path.chop(1);
    path += QLatin1Char('/') + fileName;
    LibraryWriteResult r =
        change(QStringLiteral("UPDATE RKMaster SET imagePath = ?1 WHERE modelId = ?2"),
               {path, masterKey}, noMaster(masterKey));
    r.stored = r.ok ? path : QString();
    return r;
}
