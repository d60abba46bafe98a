#include "library/core/LibraryLookups.h"

#include "base/SharedHelpers.h"
#include "library/core/SqliteDatabase.h"
#include "model/DateText.h"
#include "model/PRPicFileInfo.h"

#include <algorithm>

LibraryDateTime GetDateTime(int64_t seconds, int /*fileType*/) {
    LibraryDateTime out;
    int64_t unixSeconds = 0;
    if (__builtin_add_overflow(seconds, kLibraryReferenceDate, &unixSeconds))
        return out;
    const time_t t = time_t(unixSeconds);
    out.valid = localtime_r(&t, &out.fields) != nullptr;
    return out;
}

QString GetNSStringDate(const LibraryDateTime &date) {
    if (!date.valid)
        return QStringLiteral("Unkown Date");
    const struct tm &t = date.fields;
    const int year = t.tm_year + 1900;
    if (year >= 0 && year <= 9999)
        return DateText::spell(year, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
    return QString::asprintf("%04d-%02d-%02d %02d:%02d:%02d", t.tm_year + 1900, t.tm_mon + 1,
                             t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
}

QString libraryDateText(int64_t seconds) {
    return GetNSStringDate(GetDateTime(seconds, 0));
}

DateText libraryDate(int64_t seconds) {
    DateText date;
    const LibraryDateTime local = GetDateTime(seconds, 0);
    const struct tm &t = local.fields;
    if (!local.valid ||
        !date.setFields(t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec))
        date.setText(GetNSStringDate(local));
    return date;
}

namespace {
// A column's text as the records take it: invalid UTF-8 or an empty text is "absent".
QString columnText(SqliteStatement &stmt, int column) {
    const char *text = stmt.text(column);
    if (!text || !*text)
        return QString();
    return GetStringFormChar(text);
}
} // namespace

CurrentLibraryLookups::CurrentLibraryLookups(SqliteDatabase &db, const LibrarySchema &schema)
    : db_(db), schema_(schema) {
    if (schema.hasAlbumJoin())
        albumSql_ = QStringLiteral("SELECT a.ZTITLE, a.ZTRASHEDSTATE FROM ZGENERICALBUM a "
                                   "JOIN %1 j ON a.Z_PK = j.%2 WHERE j.%3 = ?1 ORDER BY a.Z_PK")
                        .arg(sqlName(schema.albumJoinTable), sqlName(schema.albumAlbumColumn),
                             sqlName(schema.albumAssetColumn));
    cameraSql_ = QStringLiteral("SELECT ZCAMERAMAKE, ZCAMERAMODEL, ZLENSMODEL FROM "
                                "ZEXTENDEDATTRIBUTES WHERE ZASSET = ?1 ORDER BY Z_PK");
    descriptionSql_ = QStringLiteral("SELECT ZLONGDESCRIPTION FROM ZASSETDESCRIPTION "
                                     "WHERE ZASSETATTRIBUTES = ?1 ORDER BY Z_PK");
    if (schema.hasKeywordJoin())
        keywordSql_ =
            QStringLiteral("SELECT k.ZTITLE FROM ZKEYWORD k JOIN %1 j ON k.Z_PK = j.%2 "
                           "WHERE j.%3 = ?1 ORDER BY k.Z_PK")
                .arg(sqlName(schema.keywordJoinTable), sqlName(schema.keywordKeywordColumn),
                     sqlName(schema.keywordAttributesColumn));
}

bool CurrentLibraryLookups::preload() {
    albums_.clear();
    descriptions_.clear();
    keywords_.clear();
    cameras_.clear();
    cameraOf_.clear();
    // Same tables, joins and orders as the single lookups, grouped by their key.
    SharedTexts shared;
    if (schema_.hasAlbumJoin()) {
        SqliteStatement *s = db_.prepare(
            QStringLiteral(
                "SELECT j.%2, a.ZTITLE, a.ZTRASHEDSTATE FROM ZGENERICALBUM a JOIN %1 j ON "
                "a.Z_PK = j.%3 ORDER BY j.%2, a.Z_PK")
                .arg(sqlName(schema_.albumJoinTable), sqlName(schema_.albumAssetColumn),
                     sqlName(schema_.albumAlbumColumn)));
        if (!s)
            return false;
        while (s->step()) {
            if (s->isNull(0))
                continue;
            const int64_t key = s->int64(0);
            const char *trashed = s->text(2);
            if (!trashed || !*trashed || atoi(trashed) != 0)
                continue;
            QString title = columnText(*s, 1);
            albums_[key].append(title.isNull() ? QStringLiteral("") : shared(title));
        }
        if (s->failed())
            return false;
        s->reset();
    }
    if (SqliteStatement *s = db_.prepare(QStringLiteral(
            "SELECT ZASSET, ZCAMERAMAKE, ZCAMERAMODEL, ZLENSMODEL FROM ZEXTENDEDATTRIBUTES "
            "ORDER BY ZASSET, Z_PK"))) {
        QHash<Camera, int> numbers;
        while (s->step()) {
            if (s->isNull(0))
                continue;
            const int64_t asset = s->int64(0);
            // Rows come in key order; a key out of order goes to its place.
            auto known = cameraOf_.end();
            if (!cameraOf_.empty() && cameraOf_.back().asset >= asset) {
                known =
                    std::lower_bound(cameraOf_.begin(), cameraOf_.end(), asset,
                                     [](const CameraOf &e, int64_t key) { return e.asset < key; });
                if (known->asset != asset)
                    known = cameraOf_.insert(known, {asset, -1});
            }
            Camera c = known == cameraOf_.end() || known->number < 0 ? Camera{}
                                                                     : cameras_.at(known->number);
            const QString make = shared(columnText(*s, 1)), model = shared(columnText(*s, 2)),
                          lens = shared(columnText(*s, 3));
            if (!make.isEmpty())
                c.make = make;
            if (!model.isEmpty())
                c.model = model;
            if (!lens.isEmpty())
                c.lens = lens;
            auto number = numbers.constFind(c);
            if (number == numbers.cend()) {
                number = numbers.insert(c, int(cameras_.size()));
                cameras_.append(c);
            }
            if (known == cameraOf_.end())
                cameraOf_.push_back({asset, *number});
            else
                known->number = *number;
        }
        cameraOf_.shrink_to_fit();
        if (s->failed())
            return false;
        s->reset();
    } else {
        return false;
    }
    if (SqliteStatement *s = db_.prepare(
            QStringLiteral("SELECT ZASSETATTRIBUTES, ZLONGDESCRIPTION FROM ZASSETDESCRIPTION "
                           "ORDER BY ZASSETATTRIBUTES, Z_PK"))) {
        while (s->step()) {
            const QString text = columnText(*s, 1);
            if (!s->isNull(0) && !text.isEmpty())
                descriptions_.insert(s->int64(0), text);
        }
        if (s->failed())
            return false;
        s->reset();
    } else {
        return false;
    }
    if (schema_.hasKeywordJoin()) {
        SqliteStatement *s = db_.prepare(
            QStringLiteral("SELECT j.%2, k.ZTITLE FROM ZKEYWORD k JOIN %1 j ON k.Z_PK = j.%3 "
                           "ORDER BY j.%2, k.Z_PK")
                .arg(sqlName(schema_.keywordJoinTable), sqlName(schema_.keywordAttributesColumn),
                     sqlName(schema_.keywordKeywordColumn)));
        if (!s)
            return false;
        while (s->step()) {
            const QString title = columnText(*s, 1);
            if (s->isNull(0) || title.isEmpty())
                continue;
            QString &text = keywords_[s->int64(0)];
            text = text.isEmpty() ? title : text + QLatin1Char(',') + title;
        }
        // A photo's list is whole only after its last row.
        for (QString &text : keywords_)
            text = shared(text);
        if (s->failed())
            return false;
        s->reset();
    }
    preloaded_ = true;
    return true;
}

std::vector<CurrentLibraryLookups::CameraOf>::const_iterator
CurrentLibraryLookups::cameraEntry(int64_t asset) const {
    const auto it = std::lower_bound(cameraOf_.begin(), cameraOf_.end(), asset,
                                     [](const CameraOf &e, int64_t key) { return e.asset < key; });
    return it != cameraOf_.end() && it->asset == asset ? it : cameraOf_.end();
}

QString CurrentLibraryLookups::getCurrentAlbumWithZPK(int64_t assetKey) {
    const QStringList titles = getCurrentAlbumTitlesWithZPK(assetKey);
    return titles.isEmpty() ? QString() : titles.first();
}

QStringList CurrentLibraryLookups::getCurrentAlbumTitlesWithZPK(int64_t assetKey) {
    if (preloaded_)
        return albums_.value(assetKey);
    SqliteStatement *stmt = albumSql_.isEmpty() ? nullptr : db_.prepare(albumSql_);
    if (!stmt)
        return {};
    stmt->bind(1, assetKey);
    QStringList result;
    while (stmt->step()) {
        const char *trashed = stmt->text(1);
        if (trashed && *trashed && atoi(trashed) == 0) {
            const QString title = columnText(*stmt, 0);
            result << (title.isNull() ? QStringLiteral("") : title);
        }
    }
    stmt->reset();
    return result;
}

void CurrentLibraryLookups::getPhotoLibCameraInfowithAsset(int64_t assetKey,
                                                           PRPicFileInfo &record) {
    if (preloaded_) {
        const auto entry = cameraEntry(assetKey);
        if (entry != cameraOf_.end()) {
            const Camera &c = cameras_.at(entry->number);
            if (!c.make.isEmpty())
                record.fileMaker = c.make;
            if (!c.model.isEmpty())
                record.fileModel = c.model;
            if (!c.lens.isEmpty())
                record.fileLensModel = c.lens;
        }
        return;
    }
    SqliteStatement *stmt = db_.prepare(cameraSql_);
    if (!stmt)
        return;
    stmt->bind(1, assetKey);
    while (stmt->step()) {
        const QString make = columnText(*stmt, 0), model = columnText(*stmt, 1),
                      lens = columnText(*stmt, 2);
        if (!make.isEmpty())
            record.fileMaker = make;
        if (!model.isEmpty())
            record.fileModel = model;
        if (!lens.isEmpty())
            record.fileLensModel = lens;
    }
    stmt->reset();
}

QString CurrentLibraryLookups::getCurrentDescriptionText(int64_t attributesKey) {
    if (preloaded_)
        return descriptions_.value(attributesKey);
    SqliteStatement *stmt = db_.prepare(descriptionSql_);
    if (!stmt)
        return QString();
    stmt->bind(1, attributesKey);
    QString result;
    while (stmt->step()) {
        const QString text = columnText(*stmt, 0);
        if (!text.isEmpty())
            result = text;
    }
    stmt->reset();
    return result;
}

QString CurrentLibraryLookups::getCurrentKeyWordText(int64_t attributesKey) {
    if (preloaded_)
        return keywords_.value(attributesKey);
    SqliteStatement *stmt = keywordSql_.isEmpty() ? nullptr : db_.prepare(keywordSql_);
    if (!stmt)
        return QString();
    stmt->bind(1, attributesKey);
    QString result;
    while (stmt->step()) {
        const QString title = columnText(*stmt, 0);
        if (title.isEmpty())
            continue;
        result = result.isNull() ? title : result + QLatin1Char(',') + title;
    }
    stmt->reset();
    return result;
}

OlderLibraryLookups::OlderLibraryLookups(SqliteDatabase &db) : db_(db) {}

QString OlderLibraryLookups::getOldDatabaseKeyWordTextwithphotoid(int64_t versionId) {
    SqliteStatement *stmt = db_.prepare(QStringLiteral(
        "SELECT k.name FROM RKKeyword k JOIN RKKeywordForVersion j ON k.modelId = j.keywordId "
        "WHERE j.versionId = ?1 ORDER BY k.modelId"));
    if (!stmt)
        return QString();
    stmt->bind(1, versionId);
    QString result;
    while (stmt->step()) {
        const QString name = columnText(*stmt, 0);
        if (name.isEmpty())
            continue;
        result = result.isNull() ? name : result + QLatin1Char(',') + name;
    }
    stmt->reset();
    return result;
}

QString OlderLibraryLookups::getOldAlbumWithZPK(int64_t versionId) {
    const QStringList names = getOldAlbumTitlesWithZPK(versionId);
    return names.isEmpty() ? QString() : names.join(QStringLiteral(", "));
}

QStringList OlderLibraryLookups::getOldAlbumTitlesWithZPK(int64_t versionId) {
    SqliteStatement *stmt = db_.prepare(QStringLiteral(
        "SELECT a.name, a.isInTrash FROM RKAlbum a JOIN RKAlbumVersion j ON a.modelId = "
        "j.albumId WHERE j.versionId = ?1 ORDER BY a.modelId"));
    if (!stmt)
        return {};
    stmt->bind(1, versionId);
    QStringList result;
    while (stmt->step()) {
        const char *trashed = stmt->text(1);
        if (!trashed || !*trashed || atoi(trashed) != 0)
            continue;
        QString name = columnText(*stmt, 0);
        if (name.isNull())
            name = QStringLiteral("");
        result << name;
    }
    stmt->reset();
    return result;
}
