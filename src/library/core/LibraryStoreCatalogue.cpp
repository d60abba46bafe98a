// Captions of an iPhoto or Aperture catalogue: IPTC properties of each version in
// Properties.apdb, whose texts are rows of RKUniqueString shared by every property that
// holds the same text (with a lower-case twin for searching).
#include "library/core/LibraryCatalogue.h"
#include "library/core/LibraryStore.h"

#include <QDateTime>
#include <QTimeZone>
#include <sqlite3.h>

namespace {

const QString kCaptionKey = QStringLiteral("Caption/Abstract");

QString properties(const char *sql) {
    return QString::fromLatin1(sql).arg(QLatin1String(kCatalogueProperties));
}

} // namespace

std::optional<int64_t> LibraryStore::catalogueString(const QString &text) {
    SqliteStatement *find = db_.prepare(
        properties("SELECT modelId FROM %1.RKUniqueString WHERE stringProperty = ?1 LIMIT 1"));
    if (!find) {
        error_ = db_.lastError();
        return std::nullopt;
    }
    find->bind(1, text);
    if (find->step()) {
        const int64_t id = find->int64(0);
        find->reset();
        return id;
    }
    const QString failed = find->error();
    find->reset();
    if (!failed.isEmpty()) {
        error_ = failed;
        return std::nullopt;
    }
    // Never an existing row changed: other properties share it.
    if (!run(properties("INSERT INTO %1.RKUniqueString (stringProperty) VALUES (?1)"), {text}))
        return std::nullopt;
    return sqlite3_last_insert_rowid(db_.handle());
}

LibraryWriteResult LibraryStore::setCatalogueCaption(int64_t version, const QString &caption) {
    if (propertiesPath_.isEmpty())
        return LibraryWriteResult::failed(
            QStringLiteral("this library keeps its captions in \"Properties.apdb\", which could "
                           "not be opened"));

    std::optional<int64_t> text, search;
    if (!caption.isEmpty()) {
        text = catalogueString(caption);
        search = text ? catalogueString(caption.toLower()) : std::nullopt;
        if (!search)
            return LibraryWriteResult::failed(error_);
    }
    const QDateTime reference(QDate(2001, 1, 1), QTime(0, 0), QTimeZone::utc());
    const double now = reference.msecsTo(QDateTime::currentDateTimeUtc()) / 1000.0;
    int changed = 0;
    const bool ok =
        caption.isEmpty()
            ? run(properties("DELETE FROM %1.RKIptcProperty WHERE versionId = ?1 AND "
                             "propertyKey = ?2"),
                  {qlonglong(version), kCaptionKey})
            : run(properties("UPDATE %1.RKIptcProperty SET stringId = ?1, searchStringId = "
                             "?2, modDate = ?3 WHERE versionId = ?4 AND propertyKey = ?5"),
                  {qlonglong(*text), qlonglong(*search), now, qlonglong(version), kCaptionKey},
                  &changed);
    if (!ok)
        return LibraryWriteResult::failed(error_);
    if (!caption.isEmpty() && changed == 0 &&
        !run(properties("INSERT INTO %1.RKIptcProperty (versionId, propertyKey, stringId, "
                        "searchStringId, modDate) VALUES (?1, ?2, ?3, ?4, ?5)"),
             {qlonglong(version), kCaptionKey, qlonglong(*text), qlonglong(*search), now}))
        return LibraryWriteResult::failed(error_);
    return LibraryWriteResult::written(caption);
}
