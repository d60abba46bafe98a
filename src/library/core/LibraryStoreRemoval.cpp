// Deleting a photo from either store: every row that names it goes with it, so that nothing
// is left pointing at a row that is no longer there.
#include "library/core/LibraryCatalogue.h"
#include "library/core/LibraryStore.h"

#include <QRegularExpression>

namespace {

struct TableColumns {
    QString table;
    QStringList columns;
};

// The tables of the database attached as `schema` (a name of ours, never the library's).
QList<TableColumns> tablesOf(SqliteDatabase &db, QString *error,
                             const QString &schema = QStringLiteral("main")) {
    QList<TableColumns> out;
    SqliteStatement *tables = db.prepare(
        QStringLiteral("SELECT name FROM %1.sqlite_master WHERE type = 'table' AND name NOT LIKE "
                       "'sqlite_%' ORDER BY name")
            .arg(sqlName(schema)));
    SqliteStatement *columns =
        db.prepare(QStringLiteral("SELECT name FROM pragma_table_info(?1, ?2)"));
    if (!tables || !columns) {
        *error = db.lastError();
        return {};
    }
    while (tables->step()) {
        TableColumns t{tables->string(0), {}};
        columns->reset().bind(1, t.table).bind(2, schema);
        while (columns->step())
            t.columns << columns->string(0);
        columns->reset();
        out << t;
    }
    if (tables->failed())
        *error = tables->error();
    tables->reset();
    return out;
}

} // namespace

// The statements that take one photo out of the current store, in the order they must run,
// each with the key it binds. Read from the schema once per transaction: a deletion of a
// thousand photos would otherwise list every table and column a thousand times.
const std::vector<LibraryStore::DeletionStep> *LibraryStore::deletionSteps() {
    if (deletionSteps_)
        return &*deletionSteps_;
    QString why;
    const QList<TableColumns> tables = tablesOf(db_, &why);
    if (!why.isEmpty()) {
        error_ = why;
        return nullptr;
    }
    const QString &assets = schema_.assetTable;
    std::vector<DeletionStep> steps;
    const auto add = [&](const QString &sql, DeletionStep::Key key) {
        steps.push_back({sql, key});
    };
    QSet<QString> tableNames;
    for (const TableColumns &t : tables)
        tableNames.insert(t.table);

    // Join tables name their asset column after the asset's root entity.
    const QRegularExpression joinAsset(
        QStringLiteral("^Z_%1[A-Z]*ASSETS$").arg(schema_.assetEntity));
    // Single links to an asset ("ZKEYASSET" of an album or memory); "…BEING…ASSET" columns
    // are the other ends of such links, kept in the asset row itself.
    const QRegularExpression pointer(QStringLiteral("^Z[A-Z]+ASSET$"));

    // Rows that hang off a row about to go: resource bookmarks, and rows naming a parent
    // table by its name (character recognition under media analysis).
    for (const TableColumns &t : tables) {
        if (t.table == assets || t.table == QLatin1String("ZDETECTEDFACE") ||
            !t.columns.contains(QLatin1String("ZASSET")))
            continue;
        for (const TableColumns &child : tables)
            if (child.table != t.table && child.table != assets && child.columns.contains(t.table))
                add(QStringLiteral("DELETE FROM %1 WHERE %2 IN (SELECT Z_PK FROM %2 WHERE "
                                   "ZASSET = ?1)")
                        .arg(sqlName(child.table), sqlName(t.table)),
                    DeletionStep::Asset);
        if (t.table == QLatin1String("ZINTERNALRESOURCE") &&
            tableNames.contains(QStringLiteral("ZFILESYSTEMBOOKMARK"))) {
            if (t.columns.contains(QLatin1String("ZFILESYSTEMBOOKMARK")))
                add(QStringLiteral("DELETE FROM ZFILESYSTEMBOOKMARK WHERE Z_PK IN (SELECT "
                                   "ZFILESYSTEMBOOKMARK FROM ZINTERNALRESOURCE WHERE ZASSET = ?1)"),
                    DeletionStep::Asset);
            if (tableHasColumn(db_, QStringLiteral("ZFILESYSTEMBOOKMARK"),
                               QStringLiteral("ZRESOURCE")))
                add(QStringLiteral("DELETE FROM ZFILESYSTEMBOOKMARK WHERE ZRESOURCE IN (SELECT "
                                   "Z_PK FROM ZINTERNALRESOURCE WHERE ZASSET = ?1)"),
                    DeletionStep::Asset);
        }
    }

    for (const TableColumns &t : tables) {
        if (t.table == assets)
            continue;
        if (t.table == QLatin1String("ZDETECTEDFACE")) {
            // Faces stay with the people they were named for; they just lose their photo.
            if (t.columns.contains(QLatin1String("ZASSET"))) {
                const QString entityColumn = QStringLiteral("Z%1_ASSET").arg(schema_.assetEntity);
                add(t.columns.contains(entityColumn)
                        ? QStringLiteral("UPDATE ZDETECTEDFACE SET ZASSET = NULL, %1 = NULL "
                                         "WHERE ZASSET = ?1")
                              .arg(sqlName(entityColumn))
                        : QStringLiteral(
                              "UPDATE ZDETECTEDFACE SET ZASSET = NULL WHERE ZASSET = ?1"),
                    DeletionStep::Asset);
            }
            continue;
        }
        if (t.columns.contains(QLatin1String("ZASSET")))
            add(QStringLiteral("DELETE FROM %1 WHERE ZASSET = ?1").arg(sqlName(t.table)),
                DeletionStep::Asset);
        for (const char *column : {"ZASSETATTRIBUTES", "ZADDITIONALASSETATTRIBUTES"})
            if (t.columns.contains(QLatin1String(column)))
                add(QStringLiteral("DELETE FROM %1 WHERE %2 = ?1")
                        .arg(sqlName(t.table), QLatin1String(column)),
                    DeletionStep::Attributes);
        if (t.table == schema_.keywordJoinTable)
            add(QStringLiteral("DELETE FROM %1 WHERE %2 = ?1")
                    .arg(sqlName(t.table), sqlName(schema_.keywordAttributesColumn)),
                DeletionStep::Attributes);
        for (const QString &column : t.columns) {
            if (t.table.startsWith(QLatin1String("Z_")) && joinAsset.match(column).hasMatch()) {
                add(QStringLiteral("DELETE FROM %1 WHERE %2 = ?1")
                        .arg(sqlName(t.table), sqlName(column)),
                    DeletionStep::Asset);
            } else if (column != QLatin1String("ZASSET") && pointer.match(column).hasMatch() &&
                       !column.contains(QLatin1String("BEING")) &&
                       column != QLatin1String("ZCLOUDISMYASSET")) {
                // Core Data keeps the linked row's entity beside some links ("Z34_KEYASSET").
                const QString entity =
                    QStringLiteral("Z%1_%2").arg(schema_.assetEntity).arg(column.mid(1));
                add(t.columns.contains(entity)
                        ? QStringLiteral("UPDATE %1 SET %2 = NULL, %3 = NULL WHERE %2 = ?1")
                              .arg(sqlName(t.table), sqlName(column), sqlName(entity))
                        : QStringLiteral("UPDATE %1 SET %2 = NULL WHERE %2 = ?1")
                              .arg(sqlName(t.table), sqlName(column)),
                    DeletionStep::Asset);
            }
        }
    }
    add(QStringLiteral("DELETE FROM ZADDITIONALASSETATTRIBUTES WHERE Z_PK = ?1"),
        DeletionStep::Attributes);

    // A cloud master can stand behind several assets (edited copies): it goes with the last.
    if (tableNames.contains(QStringLiteral("ZCLOUDMASTER"))) {
        for (const TableColumns &t : tables)
            if (t.table != assets && t.table != QLatin1String("ZCLOUDMASTER") &&
                t.columns.contains(QLatin1String("ZCLOUDMASTER")))
                add(QStringLiteral("UPDATE %1 SET ZCLOUDMASTER = NULL WHERE ZCLOUDMASTER = ?1")
                        .arg(sqlName(t.table)),
                    DeletionStep::Cloud);
        add(QStringLiteral("DELETE FROM ZCLOUDMASTER WHERE Z_PK = ?1"), DeletionStep::Cloud);
    }
    deletionSteps_ = std::move(steps);
    return &*deletionSteps_;
}

LibraryWriteResult LibraryStore::deletePhoto(int attributesKey, int assetKey, int cloudKey) {
    const QString &assets = schema_.assetTable;
    SqliteStatement *exists =
        db_.prepare(QStringLiteral("SELECT 1 FROM %1 WHERE Z_PK = ?1").arg(sqlName(assets)));
    if (!exists)
        return LibraryWriteResult::failed(db_.lastError());
    exists->bind(1, int64_t(assetKey));
    const bool found = exists->step();
    exists->reset();
    if (!found)
        return LibraryWriteResult::failed(
            QStringLiteral("the photo is no longer in the library (no asset %1)").arg(assetKey));
    const std::vector<DeletionStep> *steps = deletionSteps();
    if (!steps)
        return LibraryWriteResult::failed(error_);
    for (const DeletionStep &step : *steps)
        if (step.key != DeletionStep::Cloud &&
            !run(step.sql, {step.key == DeletionStep::Asset ? assetKey : attributesKey}))
            return LibraryWriteResult::failed(error_);
    LibraryWriteResult r =
        change(QStringLiteral("DELETE FROM %1 WHERE Z_PK = ?1").arg(sqlName(assets)), {assetKey},
               QStringLiteral("the photo could not be removed"));
    if (!r.ok || cloudKey == -1)
        return r;
    SqliteStatement *others =
        db_.prepare(QStringLiteral("SELECT 1 FROM %1 WHERE ZMASTER = ?1").arg(sqlName(assets)));
    if (!others)
        return LibraryWriteResult::failed(db_.lastError());
    others->bind(1, int64_t(cloudKey));
    const bool shared = others->step();
    others->reset();
    if (!shared)
        for (const DeletionStep &step : *steps)
            if (step.key == DeletionStep::Cloud && !run(step.sql, {cloudKey}))
                return LibraryWriteResult::failed(error_);
    return r;
}

LibraryWriteResult LibraryStore::deleteOlderPhoto(int masterKey) {
    QString why;
    const QList<TableColumns> tables = tablesOf(db_, &why);
    if (!why.isEmpty())
        return LibraryWriteResult::failed(why);
    const QString versions = versionsOf(1);
    // The other half of a RAW+JPEG pair goes with the photo once no version stands on it.
    QList<int64_t> others;
    if (pairsMasters()) {
        SqliteStatement *named = db_.prepare(
            QStringLiteral("SELECT m.modelId FROM RKMaster m WHERE m.modelId != ?1 AND "
                           "(m.modelId IN (SELECT masterId FROM RKVersion WHERE %1) OR m.uuid IN "
                           "(SELECT rawMasterUuid FROM RKVersion WHERE %1) OR m.uuid IN (SELECT "
                           "nonRawMasterUuid FROM RKVersion WHERE %1))")
                .arg(versions));
        if (!named)
            return LibraryWriteResult::failed(db_.lastError());
        named->reset().bind(1, int64_t(masterKey));
        while (named->step())
            others << named->int64(0);
        why = named->error();
        named->reset();
        if (!why.isEmpty())
            return LibraryWriteResult::failed(why);
    }
    // An iPhoto or Aperture catalogue keeps the versions' IPTC, Exif and other properties in
    // Properties.apdb: they go in the same transaction.
    QList<std::pair<QString, TableColumns>> versionTables;
    for (const TableColumns &t : tables)
        versionTables.push_back({QStringLiteral("main"), t});
    if (!propertiesPath_.isEmpty()) {
        const QString schema = QLatin1String(kCatalogueProperties);
        for (const TableColumns &t : tablesOf(db_, &why, schema))
            versionTables.push_back({schema, t});
        if (!why.isEmpty())
            return LibraryWriteResult::failed(why);
    }
    for (const auto &[schema, t] : versionTables)
        if (t.table != QLatin1String("RKVersion") &&
            t.columns.contains(QLatin1String("versionId")) &&
            !run(QStringLiteral("DELETE FROM %1.%2 WHERE versionId IN (SELECT modelId FROM "
                                "main.RKVersion WHERE %3)")
                     .arg(sqlName(schema), sqlName(t.table), versions),
                 {masterKey}))
            return LibraryWriteResult::failed(error_);
    if (!run(QStringLiteral("DELETE FROM RKVersion WHERE ") + versions, {masterKey}))
        return LibraryWriteResult::failed(error_);
    for (int64_t other : others)
        if (!run(QStringLiteral("DELETE FROM RKMaster WHERE modelId = ?1 AND NOT EXISTS (SELECT 1 "
                                "FROM RKVersion v WHERE v.masterId = RKMaster.modelId OR "
                                "v.rawMasterUuid = RKMaster.uuid OR v.nonRawMasterUuid = "
                                "RKMaster.uuid)"),
                 {qlonglong(other)}))
            return LibraryWriteResult::failed(error_);
    return change(
        QStringLiteral("DELETE FROM RKMaster WHERE modelId = ?1"), {masterKey},
        QStringLiteral("the photo is no longer in the library (no master %1)").arg(masterKey));
}
