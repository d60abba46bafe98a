#include "library/core/LibraryStore.h"

#include "library/core/LibraryCatalogue.h"
#include "library/core/LibraryLookups.h"
#include "metadata/core/SafeFileName.h"
#include "platform/core/FileCopy.h"
#include "platform/core/UnicodeForms.h"

#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QTime>
#include <QUuid>
#include <QtEndian>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <sqlite3.h>

// ---- Values ----

std::optional<LibraryPosition>
parseLibraryPosition(const QString &latitude, const QString &longitude, bool *none, QString *why) {
    const QString lat = latitude.trimmed(), lon = longitude.trimmed();
    if (none)
        *none = lat.isEmpty() && lon.isEmpty();
    if (lat.isEmpty() && lon.isEmpty())
        return std::nullopt;
    bool okLat = false, okLon = false;
    const double a = lat.toDouble(&okLat), o = lon.toDouble(&okLon);
    if (!okLat || !okLon || !std::isfinite(a) || !std::isfinite(o)) {
        if (why)
            *why = QStringLiteral("\"%1, %2\" is not a position: latitude and longitude must "
                                  "both be decimal numbers")
                       .arg(lat, lon);
        return std::nullopt;
    }
    if (std::fabs(a) > 90 || std::fabs(o) > 180) {
        if (why)
            *why = QStringLiteral("\"%1, %2\" is not a position: the latitude must lie within "
                                  "±90 and the longitude within ±180")
                       .arg(lat, lon);
        return std::nullopt;
    }
    return LibraryPosition{a, o};
}

std::optional<double> librarySecondsFromText(const QString &input) {
    const QString text = input.trimmed();
    // "2018-10-13 09:18:12 +0000" (a creation date as printed) keeps its zone.
    const QStringList parts = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (parts.size() != 2 && parts.size() != 3)
        return std::nullopt;
    const QString day = parts[0], clock = parts[1];
    if (day.size() != 10 || clock.size() != 8)
        return std::nullopt;
    const QChar sep = day[4];
    if ((sep != QLatin1Char(':') && sep != QLatin1Char('-')) || day[7] != sep)
        return std::nullopt;
    static const QRegularExpression digits(QStringLiteral("^\\d{4}.\\d\\d.\\d\\d$"));
    static const QRegularExpression time(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d$"));
    if (!digits.match(day).hasMatch() || !time.match(clock).hasMatch())
        return std::nullopt;
    const QDate date(day.left(4).toInt(), day.mid(5, 2).toInt(), day.mid(8, 2).toInt());
    const QTime t(clock.left(2).toInt(), clock.mid(3, 2).toInt(), clock.mid(6, 2).toInt());
    if (!date.isValid() || !t.isValid())
        return std::nullopt;
    qint64 unixSeconds = 0;
    if (parts.size() == 3) {
        static const QRegularExpression zone(QStringLiteral("^([+-])(\\d\\d):?(\\d\\d)$"));
        const auto m = zone.match(parts[2]);
        if (!m.hasMatch())
            return std::nullopt;
        const int offset = (m.captured(2).toInt() * 3600 + m.captured(3).toInt() * 60) *
                           (m.captured(1) == QLatin1String("-") ? -1 : 1);
        unixSeconds = QDateTime(date, t, Qt::UTC).toSecsSinceEpoch() - offset;
    } else {
        const QDateTime local(date, t, Qt::LocalTime);
        if (!local.isValid()) // a time the clocks skip when summer time begins
            return std::nullopt;
        unixSeconds = local.toSecsSinceEpoch();
    }
    return double(unixSeconds - kLibraryReferenceDate);
}

QByteArray libraryLocationRecord(const QByteArray &record, double latitude, double longitude,
                                 int64_t unixSeconds) {
    const auto put = [](QByteArray &bytes, int field, double value) {
        quint64 bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        qToLittleEndian(bits, bytes.data() + field * 8);
    };
    if (record.isEmpty()) {
        // As the photo application records a place the user gave: no altitude, an exact
        // position, no vertical accuracy, course or speed, and the time it was set.
        QByteArray fresh(kLibraryLocationRecordSize, '\0');
        const double fields[] = {
            latitude, longitude, 0, 0, -1, -1, -1, double(unixSeconds - kLibraryReferenceDate)};
        for (int i = 0; i < 8; ++i)
            put(fresh, i, fields[i]);
        return fresh;
    }
    if (record.size() != kLibraryLocationRecordSize)
        return {}; // a layout we do not know: cleared rather than left wrong
    QByteArray out = record;
    put(out, 0, latitude);
    put(out, 1, longitude);
    return out;
}

QStringList keywordSet(const QString &text) {
    QStringList out;
    QSet<QString> seen;
    for (const QString &part : text.split(QLatin1Char(','))) {
        const QString keyword = part.trimmed();
        if (keyword.isEmpty())
            continue;
        const QString key = normalizedText(keyword, QString::NormalizationForm_C);
        if (seen.contains(key))
            continue;
        seen.insert(key);
        out << keyword;
    }
    return out;
}

namespace {

QString nfc(const QString &s) {
    return normalizedText(s, QString::NormalizationForm_C);
}

// Empty texts are stored as NULL, as the photo application leaves a field it has no value
// for.
QVariant textOrNull(const QString &s) {
    return s.isEmpty() ? QVariant() : QVariant(s);
}

QString gone(const char *what, int key) {
    return QStringLiteral("the photo is no longer in the library (no %1 %2)")
        .arg(QLatin1String(what))
        .arg(key);
}

QString storedFileName(const QString &newName, const QString &currentFileName, QString *why) {
    const QString ext = QFileInfo(currentFileName).suffix();
    const QString base = safeFileBaseName(newName.trimmed(), ext);
    if (base.isEmpty()) {
        *why = QStringLiteral("\"%1\" cannot be a file name").arg(newName);
        return {};
    }
    return ext.isEmpty() ? base : base + QLatin1Char('.') + ext;
}

} // namespace

// ---- The transaction ----

std::unique_ptr<LibraryStore> LibraryStore::begin(const QString &path,
                                                  const QString &readOnlyReason, QString *error,
                                                  int busyMs, bool keepSnapshot,
                                                  const QString &propertiesPath) {
    const auto fail = [&](const QString &why) {
        if (error)
            *error = why;
        return std::unique_ptr<LibraryStore>();
    };
    if (!readOnlyReason.isEmpty())
        return fail(readOnlyReason);
    if (path.isEmpty())
        return fail(QStringLiteral("No library is open."));
    QString why;
    if (!looksLikeSqliteFile(path, &why))
        return fail(why);
    std::unique_ptr<LibraryStore> store(new LibraryStore);
    if (!store->db_.open(path, SqliteDatabase::Mode::ReadWrite, &why))
        return fail(why);
    store->db_.setBusyTimeout(busyMs);
    // A batch touches pages all over the asset table and its many indexes; a larger cache
    // keeps them from spilling to the log before the commit.
    store->db_.exec(QStringLiteral("PRAGMA cache_size = -65536"));
    store->schema_ = LibrarySchema::read(store->db_);
    if (!store->schema_.isValid())
        return fail(store->schema_.error.isEmpty()
                        ? QStringLiteral("\"%1\" holds no photo library catalogue").arg(path)
                        : store->schema_.error);
    store->path_ = path;
    if (!propertiesPath.isEmpty()) {
        if (!attachCatalogueProperties(store->db_, propertiesPath, &why))
            return fail(why);
        store->propertiesPath_ = propertiesPath;
    }
    if (keepSnapshot) {
        // Everything a former connection left in the log goes into the file first.
        if (!store->db_.exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)")))
            return fail(store->db_.lastError());
        const QString snapshot = path + QStringLiteral(".pk-before");
        if (!copyFileQuickly(path, snapshot, &why))
            return fail(why);
        store->snapshot_ = snapshot;
        if (!propertiesPath.isEmpty()) {
            const QString properties = propertiesPath + QStringLiteral(".pk-before");
            if (!copyFileQuickly(propertiesPath, properties, &why))
                return fail(why);
            store->propertiesSnapshot_ = properties;
        }
    }
    if (!store->db_.exec(QStringLiteral("BEGIN IMMEDIATE")))
        return fail(store->db_.lastError());
    store->open_ = true;
    return store;
}

LibraryStore::~LibraryStore() {
    rollback();
    db_.close();
    for (const QString &snapshot : {snapshot_, propertiesSnapshot_})
        if (!snapshot.isEmpty())
            removeIfPresent(snapshot, nullptr);
}

void LibraryStore::closeConnection() {
    rollback();
    db_.close();
}

bool LibraryStore::restoreSnapshot(QString *error) {
    closeConnection();
    if (snapshot_.isEmpty()) {
        if (error)
            *error = QStringLiteral("no earlier state of the working copy was kept");
        return false;
    }
    for (const char *suffix : {"-wal", "-shm"})
        removeIfPresent(path_ + QLatin1String(suffix), nullptr);
    if (::rename(QFile::encodeName(snapshot_).constData(), QFile::encodeName(path_).constData()) !=
        0) {
        if (error)
            *error = QStringLiteral("\"%1\" could not be put back: %2")
                         .arg(path_, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    snapshot_.clear();
    if (!propertiesSnapshot_.isEmpty() &&
        ::rename(QFile::encodeName(propertiesSnapshot_).constData(),
                 QFile::encodeName(propertiesPath_).constData()) != 0) {
        if (error)
            *error = QStringLiteral("\"%1\" could not be put back: %2")
                         .arg(propertiesPath_, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    propertiesSnapshot_.clear();
    return true;
}

bool LibraryStore::commit(QString *error) {
    if (!open_) {
        if (error)
            *error = QStringLiteral("the change was already ended");
        return false;
    }
    if (!db_.exec(QStringLiteral("COMMIT"))) {
        if (error)
            *error = db_.lastError();
        rollback();
        return false;
    }
    open_ = false;
    return true;
}

void LibraryStore::rollback() {
    if (open_ && db_.isOpen())
        db_.exec(QStringLiteral("ROLLBACK"));
    open_ = false;
}

bool LibraryStore::run(const QString &sql, std::initializer_list<QVariant> values, int *changes) {
    error_.clear();
    if (!open_) {
        error_ = QStringLiteral("no change is under way");
        return false;
    }
    SqliteStatement *stmt = db_.prepare(sql);
    if (!stmt) {
        error_ = db_.lastError();
        return false;
    }
    int i = 1;
    for (const QVariant &v : values) {
        if (v.isNull())
            stmt->bindNull(i);
        else if (v.typeId() == QMetaType::Double)
            stmt->bind(i, v.toDouble());
        else if (v.typeId() == QMetaType::QString)
            stmt->bind(i, v.toString());
        else if (v.typeId() == QMetaType::QByteArray)
            stmt->bindBlob(i, v.toByteArray());
        else
            stmt->bind(i, int64_t(v.toLongLong()));
        ++i;
    }
    while (stmt->step()) {
    }
    if (stmt->failed()) {
        error_ = stmt->error();
        stmt->reset();
        return false;
    }
    if (changes)
        *changes = sqlite3_changes(db_.handle());
    stmt->reset();
    return true;
}

LibraryWriteResult LibraryStore::change(const QString &sql, std::initializer_list<QVariant> values,
                                        const QString &what) {
    int changes = 0;
    if (!run(sql, values, &changes))
        return LibraryWriteResult::failed(error_);
    if (changes == 0)
        return LibraryWriteResult::failed(what);
    return LibraryWriteResult::written();
}

std::optional<int64_t> LibraryStore::newPrimaryKey(int entity, const QString &table) {
    if (entity <= 0) {
        error_ = QStringLiteral("the library does not number the rows of %1").arg(table);
        return std::nullopt;
    }
    SqliteStatement *max =
        db_.prepare(QStringLiteral("SELECT Z_MAX FROM Z_PRIMARYKEY WHERE Z_ENT = ?1"));
    if (!max) {
        error_ = db_.lastError();
        return std::nullopt;
    }
    max->bind(1, int64_t(entity));
    if (!max->step()) {
        error_ = max->failed() ? max->error()
                               : QStringLiteral("entity %1 is not in Z_PRIMARYKEY").arg(entity);
        max->reset();
        return std::nullopt;
    }
    int64_t next = max->int64(0);
    max->reset();
    // A row above Z_MAX (written by someone who forgot to raise it) must not be overwritten.
    const QString highest =
        db_.scalar(QStringLiteral("SELECT max(Z_PK) FROM %1").arg(sqlName(table)));
    if (highest.isNull()) {
        error_ = db_.lastError();
        return std::nullopt;
    }
    next = std::max<int64_t>(next, highest.toLongLong()) + 1;
    if (!run(QStringLiteral("UPDATE Z_PRIMARYKEY SET Z_MAX = ?1 WHERE Z_ENT = ?2"),
             {qlonglong(next), entity}))
        return std::nullopt;
    return next;
}

// ---- Current schema ----

LibraryWriteResult LibraryStore::setTitle(int attributesKey, const QString &title) {
    LibraryWriteResult r =
        change(QStringLiteral("UPDATE ZADDITIONALASSETATTRIBUTES SET ZTITLE = ?1, "
                              "Z_OPT = ifnull(Z_OPT, 0) + 1 WHERE Z_PK = ?2"),
               {textOrNull(title), attributesKey}, gone("attributes row", attributesKey));
    r.stored = title;
    return r;
}

LibraryWriteResult LibraryStore::setDescription(int attributesKey, const QString &caption) {
    if (!attributesPointAtCaption_)
        attributesPointAtCaption_ = tableHasColumn(
            db_, QStringLiteral("ZADDITIONALASSETATTRIBUTES"), QStringLiteral("ZASSETDESCRIPTION"));
    const bool hasPointer = *attributesPointAtCaption_;
    SqliteStatement *row = db_.prepare(
        hasPointer ? QStringLiteral("SELECT ZASSETDESCRIPTION FROM ZADDITIONALASSETATTRIBUTES "
                                    "WHERE Z_PK = ?1")
                   : QStringLiteral("SELECT NULL FROM ZADDITIONALASSETATTRIBUTES WHERE Z_PK = ?1"));
    if (!row)
        return LibraryWriteResult::failed(db_.lastError());
    row->bind(1, int64_t(attributesKey));
    if (!row->step()) {
        const QString why = row->failed() ? row->error() : gone("attributes row", attributesKey);
        row->reset();
        return LibraryWriteResult::failed(why);
    }
    const int64_t pointed = row->isNull(0) ? 0 : row->int64(0);
    row->reset();

    // The scan shows the newest caption row of the photo: that is the one to change.
    int64_t target = 0;
    SqliteStatement *own = db_.prepare(QStringLiteral(
        "SELECT Z_PK FROM ZASSETDESCRIPTION WHERE ZASSETATTRIBUTES = ?1 ORDER BY Z_PK DESC"));
    if (!own)
        return LibraryWriteResult::failed(db_.lastError());
    own->bind(1, int64_t(attributesKey));
    if (own->step())
        target = own->int64(0);
    own->reset();
    if (!target && pointed) {
        SqliteStatement *exists =
            db_.prepare(QStringLiteral("SELECT 1 FROM ZASSETDESCRIPTION WHERE Z_PK = ?1"));
        if (!exists)
            return LibraryWriteResult::failed(db_.lastError());
        exists->bind(1, pointed);
        if (exists->step())
            target = pointed;
        exists->reset();
    }

    if (target) {
        if (!run(QStringLiteral("UPDATE ZASSETDESCRIPTION SET ZLONGDESCRIPTION = ?1, "
                                "ZASSETATTRIBUTES = ?2, Z_OPT = ifnull(Z_OPT, 0) + 1 "
                                "WHERE Z_PK = ?3"),
                 {textOrNull(caption), attributesKey, qlonglong(target)}))
            return LibraryWriteResult::failed(error_);
    } else {
        if (caption.isEmpty()) // nothing to keep, and nothing to clear
            return LibraryWriteResult::written();
        const auto pk =
            newPrimaryKey(schema_.descriptionEntity, QStringLiteral("ZASSETDESCRIPTION"));
        if (!pk)
            return LibraryWriteResult::failed(error_);
        if (!run(QStringLiteral("INSERT INTO ZASSETDESCRIPTION (Z_PK, Z_ENT, Z_OPT, "
                                "ZASSETATTRIBUTES, ZLONGDESCRIPTION) VALUES (?1, ?2, 1, ?3, ?4)"),
                 {qlonglong(*pk), schema_.descriptionEntity, attributesKey, caption}))
            return LibraryWriteResult::failed(error_);
        target = *pk;
    }
    if (hasPointer && pointed != target &&
        !run(QStringLiteral("UPDATE ZADDITIONALASSETATTRIBUTES SET ZASSETDESCRIPTION = ?1, "
                            "Z_OPT = ifnull(Z_OPT, 0) + 1 WHERE Z_PK = ?2"),
             {qlonglong(target), attributesKey}))
        return LibraryWriteResult::failed(error_);
    return LibraryWriteResult::written(caption);
}

QHash<QString, int64_t> *LibraryStore::keywordRows(bool older) {
    if (keywordRows_)
        return &*keywordRows_;
    SqliteStatement *all =
        db_.prepare(older ? QStringLiteral("SELECT modelId, name FROM RKKeyword ORDER BY modelId")
                          : QStringLiteral("SELECT Z_PK, ZTITLE FROM ZKEYWORD ORDER BY Z_PK"));
    if (!all) {
        error_ = db_.lastError();
        return nullptr;
    }
    QHash<QString, int64_t> rows;
    while (all->step()) {
        if (all->isNull(1))
            continue;
        // Stores hold decomposed titles too; the oldest row of a title wins.
        const QString title = nfc(all->string(1));
        if (!rows.contains(title))
            rows.insert(title, all->int64(0));
    }
    if (all->failed()) {
        error_ = all->error();
        all->reset();
        return nullptr;
    }
    all->reset();
    keywordRows_ = std::move(rows);
    return &*keywordRows_;
}

QString LibraryStore::currentKeywordText(int attributesKey) {
    SqliteStatement *s = db_.prepare(
        QStringLiteral("SELECT k.ZTITLE FROM ZKEYWORD k JOIN %1 j ON k.Z_PK = j.%2 "
                       "WHERE j.%3 = ?1 ORDER BY k.Z_PK")
            .arg(sqlName(schema_.keywordJoinTable), sqlName(schema_.keywordKeywordColumn),
                 sqlName(schema_.keywordAttributesColumn)));
    if (!s)
        return {};
    s->bind(1, int64_t(attributesKey));
    QStringList titles;
    while (s->step())
        if (!s->isNull(0) && !s->string(0).isEmpty())
            titles << s->string(0);
    s->reset();
    return titles.join(QLatin1Char(','));
}

LibraryWriteResult LibraryStore::setKeywords(int attributesKey, const QString &text) {
    if (!schema_.hasKeywordJoin() || schema_.keywordEntity <= 0)
        return LibraryWriteResult::failed(
            QStringLiteral("this library keeps its keywords in a way we do not know"));
    int changes = 0;
    if (!run(QStringLiteral("UPDATE ZADDITIONALASSETATTRIBUTES SET Z_OPT = ifnull(Z_OPT, 0) + 1 "
                            "WHERE Z_PK = ?1"),
             {attributesKey}, &changes))
        return LibraryWriteResult::failed(error_);
    if (!changes)
        return LibraryWriteResult::failed(gone("attributes row", attributesKey));

    QHash<QString, int64_t> *byTitle = keywordRows(false);
    if (!byTitle)
        return LibraryWriteResult::failed(error_);
    if (!keywordsHaveUuid_)
        keywordsHaveUuid_ =
            tableHasColumn(db_, QStringLiteral("ZKEYWORD"), QStringLiteral("ZUUID"));
    const bool hasUuid = *keywordsHaveUuid_;
    QSet<int64_t> wanted;
    for (const QString &keyword : keywordSet(text)) {
        auto it = byTitle->constFind(nfc(keyword));
        if (it != byTitle->constEnd()) {
            wanted.insert(*it);
            continue;
        }
        const auto pk = newPrimaryKey(schema_.keywordEntity, QStringLiteral("ZKEYWORD"));
        if (!pk)
            return LibraryWriteResult::failed(error_);
        const QString uuid = QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
        const bool ok =
            hasUuid ? run(QStringLiteral("INSERT INTO ZKEYWORD (Z_PK, Z_ENT, Z_OPT, ZTITLE, ZUUID) "
                                         "VALUES (?1, ?2, 1, ?3, ?4)"),
                          {qlonglong(*pk), schema_.keywordEntity, keyword, uuid})
                    : run(QStringLiteral("INSERT INTO ZKEYWORD (Z_PK, Z_ENT, Z_OPT, ZTITLE) "
                                         "VALUES (?1, ?2, 1, ?3)"),
                          {qlonglong(*pk), schema_.keywordEntity, keyword});
        if (!ok)
            return LibraryWriteResult::failed(error_);
        byTitle->insert(nfc(keyword), *pk);
        wanted.insert(*pk);
    }

    const QString join = sqlName(schema_.keywordJoinTable),
                  attr = sqlName(schema_.keywordAttributesColumn),
                  kw = sqlName(schema_.keywordKeywordColumn);
    QSet<int64_t> linked;
    SqliteStatement *links =
        db_.prepare(QStringLiteral("SELECT %1 FROM %2 WHERE %3 = ?1").arg(kw, join, attr));
    if (!links)
        return LibraryWriteResult::failed(db_.lastError());
    links->bind(1, int64_t(attributesKey));
    while (links->step())
        linked.insert(links->int64(0));
    if (links->failed())
        return LibraryWriteResult::failed(links->error());
    links->reset();
    for (int64_t k : linked)
        if (!wanted.contains(k) &&
            !run(QStringLiteral("DELETE FROM %1 WHERE %2 = ?1 AND %3 = ?2").arg(join, attr, kw),
                 {attributesKey, qlonglong(k)}))
            return LibraryWriteResult::failed(error_);
    for (int64_t k : wanted)
        if (!linked.contains(k) &&
            !run(QStringLiteral("INSERT INTO %1 (%2, %3) VALUES (?1, ?2)").arg(join, attr, kw),
                 {attributesKey, qlonglong(k)}))
            return LibraryWriteResult::failed(error_);
    return LibraryWriteResult::written(currentKeywordText(attributesKey));
}

LibraryWriteResult LibraryStore::setFileName(int attributesKey, const QString &newName,
                                             const QString &currentFileName) {
    QString why;
    const QString name = storedFileName(newName, currentFileName, &why);
    if (name.isEmpty())
        return LibraryWriteResult::failed(why);
    LibraryWriteResult r =
        change(QStringLiteral("UPDATE ZADDITIONALASSETATTRIBUTES SET ZORIGINALFILENAME = ?1, "
                              "Z_OPT = ifnull(Z_OPT, 0) + 1 WHERE Z_PK = ?2"),
               {name, attributesKey}, gone("attributes row", attributesKey));
    r.stored = r.ok ? name : QString();
    return r;
}

bool LibraryStore::hasColumn(const QString &table, const QString &column) {
    const QString key = table + QLatin1Char('.') + column;
    auto it = columns_.constFind(key);
    if (it == columns_.constEnd())
        it = columns_.insert(key, tableHasColumn(db_, table, column));
    return *it;
}

LibraryWriteResult LibraryStore::setCameraDate(int assetKey, double seconds) {
    // The library sorts by the token; one that differed from the date was set apart on purpose.
    const QString token =
        hasColumn(schema_.assetTable, QStringLiteral("ZSORTTOKEN"))
            ? QStringLiteral("ZSORTTOKEN = CASE WHEN ZSORTTOKEN = ZDATECREATED THEN ?1 ELSE "
                             "ZSORTTOKEN END, ")
            : QString();
    LibraryWriteResult r =
        change(QStringLiteral("UPDATE %1 SET %2ZDATECREATED = ?1, Z_OPT = ifnull(Z_OPT, 0) + 1 "
                              "WHERE Z_PK = ?2")
                   .arg(sqlName(schema_.assetTable), token),
               {seconds, assetKey}, gone("asset", assetKey));
    if (r.ok)
        r.stored = libraryDateText(int64_t(seconds));
    return r;
}

LibraryWriteResult LibraryStore::copyCameraDateToAddedDate(int assetKey) {
    return change(QStringLiteral("UPDATE %1 SET ZADDEDDATE = ZDATECREATED, "
                                 "Z_OPT = ifnull(Z_OPT, 0) + 1 WHERE Z_PK = ?1")
                      .arg(sqlName(schema_.assetTable)),
                  {assetKey}, gone("asset", assetKey));
}

LibraryWriteResult LibraryStore::setPosition(int assetKey, std::optional<LibraryPosition> p) {
    if (p && (!std::isfinite(p->latitude) || !std::isfinite(p->longitude) ||
              std::fabs(p->latitude) > 90 || std::fabs(p->longitude) > 180))
        return LibraryWriteResult::failed(QStringLiteral("the position is out of range"));
    // The store marks "no position" with -180, -180; 0, 0 is a place in the sea.
    const double lat = p ? p->latitude : -180.0, lon = p ? p->longitude : -180.0;
    const QString asset = sqlName(schema_.assetTable);
    QString record;
    QVariant recordValue;
    if (hasColumn(schema_.assetTable, QStringLiteral("ZLOCATIONDATA"))) {
        SqliteStatement *read =
            db_.prepare(QStringLiteral("SELECT ZLOCATIONDATA FROM %1 WHERE Z_PK = ?1").arg(asset));
        if (!read)
            return LibraryWriteResult::failed(db_.lastError());
        read->reset().bind(1, int64_t(assetKey));
        const QByteArray old = read->step() ? read->blob(0) : QByteArray();
        const QString why = read->error();
        read->reset();
        if (!why.isEmpty())
            return LibraryWriteResult::failed(why);
        const QByteArray next =
            p ? libraryLocationRecord(old, p->latitude, p->longitude, std::time(nullptr))
              : QByteArray();
        record = QStringLiteral("ZLOCATIONDATA = ?4, ");
        recordValue = next.isEmpty() ? QVariant() : QVariant(next);
    }
    const QString sql = QStringLiteral("UPDATE %1 SET ZLATITUDE = ?1, ZLONGITUDE = ?2, %2"
                                       "Z_OPT = ifnull(Z_OPT, 0) + 1 WHERE Z_PK = ?3")
                            .arg(asset, record);
    LibraryWriteResult r =
        record.isEmpty() ? change(sql, {lat, lon, assetKey}, gone("asset", assetKey))
                         : change(sql, {lat, lon, assetKey, recordValue}, gone("asset", assetKey));
    if (!r.ok)
        return r;
    // The place names and hash belong to the old position: cleared, and for a new position
    // marked not valid, so that the photo application looks the place up again.
    static const std::pair<const char *, const char *> cleared[] = {
        {"ZREVERSELOCATIONDATA", "NULL"},
        {"ZREVERSELOCATIONDATAISVALID", "?1"},
        {"ZLOCATIONHASH", "0"},
        {"ZSHIFTEDLOCATIONDATA", "NULL"},
        {"ZSHIFTEDLOCATIONISVALID", "?1"},
        {"ZPLACEANNOTATIONDATA", "NULL"}};
    QStringList sets;
    for (const auto &[column, value] : cleared)
        if (hasColumn(QStringLiteral("ZADDITIONALASSETATTRIBUTES"), QLatin1String(column)))
            sets << QLatin1String(column) + QStringLiteral(" = ") + QLatin1String(value);
    if (!sets.isEmpty() &&
        !run(QStringLiteral("UPDATE ZADDITIONALASSETATTRIBUTES SET %1, Z_OPT = ifnull(Z_OPT, 0) "
                            "+ 1 WHERE ZASSET = ?2")
                 .arg(sets.join(QStringLiteral(", "))),
             {p ? 0 : 1, assetKey}))
        return LibraryWriteResult::failed(error_);
    if (p)
        r.stored = QString::asprintf("%f, %f", lat, lon);
    return r;
}

LibraryWriteResult LibraryStore::setCameraInfo(int assetKey, const QString &make,
                                               const QString &model, const QString &lensModel) {
    return change(QStringLiteral("UPDATE ZEXTENDEDATTRIBUTES SET ZCAMERAMAKE = ?1, "
                                 "ZCAMERAMODEL = ?2, ZLENSMODEL = ?3, "
                                 "Z_OPT = ifnull(Z_OPT, 0) + 1 WHERE ZASSET = ?4"),
                  {textOrNull(make), textOrNull(model), textOrNull(lensModel), assetKey},
                  QStringLiteral("the library keeps no camera record for this photo"));
}

LibraryWriteResult LibraryStore::setDirectory(int assetKey, const QString &folder) {
    if (folder.isEmpty())
        return LibraryWriteResult::failed(QStringLiteral("no folder was given"));
    return change(QStringLiteral("UPDATE %1 SET ZDIRECTORY = ?1, Z_OPT = ifnull(Z_OPT, 0) + 1 "
                                 "WHERE Z_PK = ?2")
                      .arg(sqlName(schema_.assetTable)),
                  {folder, assetKey}, gone("asset", assetKey));
}
