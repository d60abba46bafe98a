#include "library/core/LibrarySchema.h"

#include "library/core/SqliteDatabase.h"

bool hasTable(SqliteDatabase &db, const QString &table) {
    SqliteStatement *stmt = db.prepare(
        QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?1"));
    if (!stmt)
        return false;
    stmt->bind(1, table);
    const bool found = stmt->step();
    stmt->reset();
    return found;
}

bool tableHasColumn(SqliteDatabase &db, const QString &table, const QString &column) {
    SqliteStatement *stmt =
        db.prepare(QStringLiteral("SELECT 1 FROM pragma_table_info(?1) WHERE name = ?2"));
    if (!stmt)
        return false;
    stmt->bind(1, table).bind(2, column);
    const bool found = stmt->step();
    stmt->reset();
    return found;
}

bool olderSchemaPairsMasters(SqliteDatabase &db) {
    return tableHasColumn(db, QStringLiteral("RKVersion"), QStringLiteral("rawMasterUuid")) &&
           tableHasColumn(db, QStringLiteral("RKVersion"), QStringLiteral("nonRawMasterUuid"));
}

QString olderVersionsOf(bool pairedMasters, int parameter) {
    const QString key = QStringLiteral("?%1").arg(parameter);
    if (!pairedMasters)
        return QStringLiteral("RKVersion.masterId = ") + key;
    return QStringLiteral("(RKVersion.masterId = %1 OR RKVersion.nonRawMasterUuid = "
                          "(SELECT uuid FROM RKMaster WHERE modelId = %1))")
        .arg(key);
}

QString olderShownVersionOrder() {
    return QStringLiteral("RKVersion.isInTrash IS 1, RKVersion.showInLibrary IS 0, "
                          "RKVersion.isOriginal IS 1, RKVersion.versionNumber IS NULL, "
                          "RKVersion.versionNumber, RKVersion.modelId");
}

namespace {

int entityNumber(SqliteDatabase &db, const QString &name) {
    SqliteStatement *stmt =
        db.prepare(QStringLiteral("SELECT Z_ENT FROM Z_PRIMARYKEY WHERE Z_NAME = ?1"));
    if (!stmt)
        return 0;
    stmt->bind(1, name);
    const int ent = stmt->step() ? int(stmt->int64(0)) : 0;
    stmt->reset();
    return ent;
}

// The entity at the top of `ent`'s inheritance chain (Asset under GenericAsset in 10.15).
int rootEntity(SqliteDatabase &db, int ent) {
    SqliteStatement *stmt =
        db.prepare(QStringLiteral("SELECT Z_SUPER FROM Z_PRIMARYKEY WHERE Z_ENT = ?1"));
    if (!stmt)
        return ent;
    for (int guard = 0; guard < 64; ++guard) {
        stmt->reset().bind(1, int64_t(ent));
        const int super = stmt->step() ? int(stmt->int64(0)) : 0;
        if (super <= 0)
            break;
        ent = super;
    }
    stmt->reset();
    return ent;
}

} // namespace

LibrarySchema LibrarySchema::read(SqliteDatabase &db) {
    LibrarySchema s;
    if (hasTable(db, QStringLiteral("RKMaster")) && hasTable(db, QStringLiteral("RKVersion"))) {
        s.kind = Kind::Older;
        return s;
    }
    if (hasTable(db, QStringLiteral("ZGENERICASSET")))
        s.assetTable = QStringLiteral("ZGENERICASSET");
    else if (hasTable(db, QStringLiteral("ZASSET")))
        s.assetTable = QStringLiteral("ZASSET");
    if (s.assetTable.isEmpty() || !hasTable(db, QStringLiteral("ZADDITIONALASSETATTRIBUTES"))) {
        s.error = QStringLiteral("\"%1\" holds no photo library catalogue").arg(db.path());
        return s;
    }
    s.kind = Kind::Current;
    for (const char *column : {"ZHASADJUSTMENTS", "ZADJUSTMENTSSTATE"})
        if (tableHasColumn(db, s.assetTable, QLatin1String(column))) {
            s.adjustmentsColumn = QLatin1String(column);
            break;
        }
    if (!hasTable(db, QStringLiteral("Z_PRIMARYKEY")))
        return s;

    const int asset =
        entityNumber(db, s.assetTable == QLatin1String("ZASSET") ? QStringLiteral("Asset")
                                                                 : QStringLiteral("GenericAsset"));
    s.assetEntity = asset ? rootEntity(db, asset) : 0;
    s.albumEntity = entityNumber(db, QStringLiteral("Album"));
    s.keywordEntity = entityNumber(db, QStringLiteral("Keyword"));
    s.attributesEntity = entityNumber(db, QStringLiteral("AdditionalAssetAttributes"));
    s.descriptionEntity = entityNumber(db, QStringLiteral("AssetDescription"));

    if (s.attributesEntity && s.keywordEntity) {
        const QString table = QStringLiteral("Z_%1KEYWORDS").arg(s.attributesEntity);
        const QString attributes = QStringLiteral("Z_%1ASSETATTRIBUTES").arg(s.attributesEntity);
        const QString keyword = QStringLiteral("Z_%1KEYWORDS").arg(s.keywordEntity);
        if (hasTable(db, table) && tableHasColumn(db, table, attributes) &&
            tableHasColumn(db, table, keyword)) {
            s.keywordJoinTable = table;
            s.keywordAttributesColumn = attributes;
            s.keywordKeywordColumn = keyword;
        }
    }
    if (s.albumEntity && s.assetEntity) {
        const QString table = QStringLiteral("Z_%1ASSETS").arg(s.albumEntity);
        const QString albums = QStringLiteral("Z_%1ALBUMS").arg(s.albumEntity);
        const QString assets = QStringLiteral("Z_%1ASSETS").arg(s.assetEntity);
        if (hasTable(db, table) && tableHasColumn(db, table, albums) &&
            tableHasColumn(db, table, assets)) {
            s.albumJoinTable = table;
            s.albumAlbumColumn = albums;
            s.albumAssetColumn = assets;
        }
    }
    return s;
}
