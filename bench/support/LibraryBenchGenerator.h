#pragma once
// Grows a copy of a real Photos.sqlite (its own schema, indexes and triggers) into a large
// library for the scan benchmark. Header-only so each benchmark can take it as it is.

#include "library/core/LibrarySchema.h"
#include "library/core/SqliteDatabase.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QString>
#include <unistd.h>

namespace bench {

struct GeneratedLibrary {
    bool ok = false;
    QString error;
    int assets = 0;
};

inline int64_t maxKey(SqliteDatabase &db, const QString &table) {
    return db.scalar(QStringLiteral("SELECT ifnull(max(Z_PK), 0) FROM %1").arg(table)).toLongLong();
}

inline int entity(SqliteDatabase &db, const char *name) {
    SqliteStatement *s =
        db.prepare(QStringLiteral("SELECT Z_ENT FROM Z_PRIMARYKEY WHERE Z_NAME = ?1"));
    if (!s)
        return 0;
    s->bind(1, QString::fromLatin1(name));
    const int ent = s->step() ? int(s->int64(0)) : 0;
    s->reset();
    return ent;
}

// Runs one statement with the numbers bound in order.
inline bool run(SqliteDatabase &db, const QString &sql, const QList<int64_t> &values,
                QString *error) {
    SqliteStatement *s = db.prepare(sql);
    if (!s) {
        *error = db.lastError();
        return false;
    }
    for (int i = 0; i < values.size(); ++i)
        s->bind(i + 1, values[i]);
    s->step();
    if (s->failed()) {
        *error = s->error();
        return false;
    }
    s->reset();
    return true;
}

// Adds `count` assets to the library at `library` (current schema, "ZASSET" store):
// camera rows, descriptions, keywords (some decomposed), albums (some with commas or
// trashed), 5 % trashed, 1 % referenced (half of them lost), dates 1990-2025, and hard
// links to `photo` for 9 originals in 10.
inline GeneratedLibrary growLibrary(const QString &library, int count, const QString &photo) {
    GeneratedLibrary out;
    const QString path = library + QStringLiteral("/database/Photos.sqlite");
    SqliteDatabase db;
    if (!db.open(path, SqliteDatabase::Mode::ReadWrite, &out.error))
        return out;
    const LibrarySchema schema = LibrarySchema::read(db);
    if (schema.assetTable != QLatin1String("ZASSET") || !schema.hasKeywordJoin() ||
        !schema.hasAlbumJoin()) {
        out.error = QStringLiteral("not a store of the expected kind");
        return out;
    }
    const QString referenced = library + QStringLiteral("/../referenced");
    const QString lost = QStringLiteral("/Volumes/Gone/referenced");
    QDir().mkpath(referenced);

    // The store's triggers call functions only Photos has: set them aside while filling.
    QList<std::pair<QString, QString>> triggers;
    if (SqliteStatement *t = db.prepare(
            QStringLiteral("SELECT name, sql FROM sqlite_master WHERE type = 'trigger'"))) {
        while (t->step())
            triggers << std::make_pair(t->string(0), t->string(1));
        t->reset();
    }
    if (!db.exec(QStringLiteral("BEGIN"))) {
        out.error = db.lastError();
        return out;
    }
    for (const auto &[name, sql] : triggers)
        db.exec(QStringLiteral("DROP TRIGGER \"%1\"").arg(name));

    const int64_t asset = maxKey(db, QStringLiteral("ZASSET")) + 1;
    const int64_t attrs = maxKey(db, QStringLiteral("ZADDITIONALASSETATTRIBUTES")) + 1;
    const int64_t ext = maxKey(db, QStringLiteral("ZEXTENDEDATTRIBUTES")) + 1;
    const int64_t desc = maxKey(db, QStringLiteral("ZASSETDESCRIPTION")) + 1;
    const int64_t kw = maxKey(db, QStringLiteral("ZKEYWORD")) + 1;
    const int64_t album = maxKey(db, QStringLiteral("ZGENERICALBUM")) + 1;
    const int64_t n = count;
    const QString numbers = QStringLiteral(
        "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < ?1 - 1) ");
    const int64_t from1990 = -347155200, span = 1135987200; // 1990-01-01 .. 2025-12-31
    QString error;
    const bool filled =
        run(db,
            numbers + QStringLiteral(
                          "INSERT INTO ZASSET (Z_PK, Z_ENT, Z_OPT, ZHEIGHT, ZWIDTH, ZDATECREATED, "
                          "ZADDEDDATE, "
                          "ZLATITUDE, ZLONGITUDE, ZFILENAME, ZDIRECTORY, ZTRASHEDSTATE, ZFAVORITE, "
                          "ZHASADJUSTMENTS, ZUUID, ZKIND) SELECT ?2 + i, ?3, 1, 3024, 4032, ?4 + "
                          "(i * 7919) % ?5, "
                          "?4 + (i * 7919) % ?5, CASE WHEN i % 3 = 0 THEN -180.0 ELSE -60 + (i % "
                          "1200) / 10.0 END, "
                          "CASE WHEN i % 3 = 0 THEN -180.0 ELSE -170 + (i % 3400) / 10.0 END, "
                          "printf('BENCH%07d.jpeg', i), CASE WHEN i % 100 = 1 THEN CASE WHEN (i / "
                          "100) % 2 = 0 "
                          "THEN ?6 ELSE ?7 END ELSE printf('%X', i % 16) END, CASE WHEN i % 20 = 2 "
                          "THEN 1 ELSE 0 END, "
                          "i % 9 = 0, i % 11 = 0, printf('BENCH-%08d', i), 0 FROM n"),
            {n, asset, schema.assetEntity, from1990, span, 0, 0}, &error);
    // Texts are bound separately: the helper above binds numbers only.
    Q_UNUSED(filled);
    out.error = error;
    if (!error.isEmpty())
        return out;
    {
        SqliteStatement *fix =
            db.prepare(QStringLiteral("UPDATE ZASSET SET ZDIRECTORY = CASE WHEN ((Z_PK - ?1) / "
                                      "100) % 2 = 0 THEN ?2 ELSE ?3 END "
                                      "WHERE Z_PK >= ?1 AND (Z_PK - ?1) % 100 = 1"));
        fix->bind(1, asset).bind(2, QFileInfo(referenced).absoluteFilePath()).bind(3, lost);
        fix->step();
        fix->reset();
    }
    const bool rest =
        run(db,
            numbers + QStringLiteral(
                          "INSERT INTO ZADDITIONALASSETATTRIBUTES (Z_PK, Z_ENT, Z_OPT, ZASSET, "
                          "ZORIGINALFILENAME, "
                          "ZTITLE, ZORIGINALFILESIZE, ZORIGINALWIDTH, ZORIGINALHEIGHT) SELECT ?2 + "
                          "i, ?3, 1, ?4 + i, "
                          "printf('IMG_%06d.JPG', i), CASE WHEN i % 4 = 0 THEN 'Title ' || i END, "
                          "CASE WHEN i % 1000 = 0 THEN 3000000000 + i ELSE 2000000 + i * 37 END, "
                          "4032, 3024 FROM n"),
            {n, attrs, schema.attributesEntity, asset}, &error) &&
        run(db,
            numbers +
                QStringLiteral(
                    "INSERT INTO ZEXTENDEDATTRIBUTES (Z_PK, Z_ENT, Z_OPT, ZASSET, ZCAMERAMAKE, "
                    "ZCAMERAMODEL, "
                    "ZLENSMODEL) SELECT ?2 + i, ?3, 1, ?4 + i, 'Canon', printf('EOS %dD', i % 10), "
                    "'EF 24-70mm f/2.8L' FROM n"),
            {n, ext, entity(db, "ExtendedAttributes"), asset}, &error) &&
        run(db,
            numbers + QStringLiteral("INSERT INTO ZASSETDESCRIPTION (Z_PK, Z_ENT, Z_OPT, "
                                     "ZASSETATTRIBUTES, ZLONGDESCRIPTION) "
                                     "SELECT ?2 + i, ?3, 1, ?4 + i, 'Caption of photo ' || i FROM "
                                     "n WHERE i % 5 = 0"),
            {n, desc, entity(db, "AssetDescription"), attrs}, &error) &&
        run(db,
            QStringLiteral(
                "WITH RECURSIVE k(j) AS (SELECT 0 UNION ALL SELECT j + 1 FROM k WHERE j < 39) "
                "INSERT INTO ZKEYWORD (Z_PK, Z_ENT, Z_OPT, ZTITLE) SELECT ?1 + j, ?2, 1, "
                "CASE WHEN j % 10 = 0 THEN 'Val d''Ise' || char(768) || 're ' || j "
                "ELSE 'Keyword ' || j END FROM k"),
            {kw, schema.keywordEntity}, &error) &&
        run(db,
            numbers +
                QStringLiteral(
                    "INSERT INTO %1 (%2, %3) SELECT ?2 + i, ?3 + i % 40 FROM n WHERE i % 3 = 0 "
                    "UNION ALL SELECT ?2 + i, ?3 + (i + 7) % 40 FROM n WHERE i % 3 = 0")
                    .arg(schema.keywordJoinTable, schema.keywordAttributesColumn,
                         schema.keywordKeywordColumn),
            {n, attrs, kw}, &error) &&
        run(db,
            QStringLiteral(
                "WITH RECURSIVE a(j) AS (SELECT 0 UNION ALL SELECT j + 1 FROM a WHERE j < 19) "
                "INSERT INTO ZGENERICALBUM (Z_PK, Z_ENT, Z_OPT, ZKIND, ZTITLE, ZTRASHEDSTATE) "
                "SELECT ?1 + j, ?2, 1, 2, CASE WHEN j % 5 = 0 THEN 'Trips, ' || j ELSE 'Album ' || "
                "j END, "
                "CASE WHEN j % 7 = 0 THEN 1 ELSE 0 END FROM a"),
            {album, schema.albumEntity}, &error) &&
        run(db,
            numbers +
                QStringLiteral(
                    "INSERT INTO %1 (%2, %3) SELECT ?2 + i % 20, ?3 + i FROM n WHERE i % 4 = 0")
                    .arg(schema.albumJoinTable, schema.albumAlbumColumn, schema.albumAssetColumn),
            {n, album, asset}, &error);
    if (!rest) {
        out.error = error;
        return out;
    }
    for (const char *table : {"ZASSET", "ZADDITIONALASSETATTRIBUTES", "ZEXTENDEDATTRIBUTES",
                              "ZASSETDESCRIPTION", "ZKEYWORD", "ZGENERICALBUM"}) {
        // Every entity stored in the table gets its new Z_MAX.
        db.exec(QStringLiteral(
                    "UPDATE Z_PRIMARYKEY SET Z_MAX = (SELECT max(Z_PK) FROM %1) WHERE Z_ENT IN "
                    "(SELECT DISTINCT Z_ENT FROM %1)")
                    .arg(QLatin1String(table)));
    }
    for (const auto &[name, sql] : triggers)
        if (!db.exec(sql)) {
            out.error = db.lastError();
            return out;
        }
    if (!db.exec(QStringLiteral("COMMIT"))) {
        out.error = db.lastError();
        return out;
    }
    db.close();

    // Originals: 9 in 10 managed ones are there, half the referenced ones.
    const QByteArray source = QFile::encodeName(photo);
    for (int f = 0; f < 16; ++f)
        QDir().mkpath(library + QStringLiteral("/originals/") + QString::number(f, 16).toUpper());
    for (int i = 0; i < count; ++i) {
        QString target;
        if (i % 100 == 1) {
            if ((i / 100) % 2 == 0)
                target = referenced + QStringLiteral("/IMG_%1.JPG").arg(i, 6, 10, QLatin1Char('0'));
        } else if (i % 10 != 0) {
            const QString folder =
                library + QStringLiteral("/originals/") + QString::number(i % 16, 16).toUpper();
            target = folder + QStringLiteral("/BENCH%1.jpeg").arg(i, 7, 10, QLatin1Char('0'));
        }
        if (!target.isEmpty() &&
            ::link(source.constData(), QFile::encodeName(target).constData()) != 0 &&
            ::symlink(source.constData(), QFile::encodeName(target).constData()) != 0) {
            out.error = QStringLiteral("cannot link %1").arg(target);
            return out;
        }
    }
    out.assets = count;
    out.ok = true;
    return out;
}

} // namespace bench
