#pragma once

#include <QString>

class SqliteDatabase;

// What one library database calls its tables and columns. Core Data numbers its join
// tables after entity numbers that change from one Photos version to the next, so they are
// read from Z_PRIMARYKEY and checked by exact name in sqlite_master, never guessed.
struct LibrarySchema {
    enum class Kind { Unknown, Current, Older };
    Kind kind = Kind::Unknown;
    QString error; // why the database is not a library we can read

    // Current schema.
    QString assetTable;        // "ZASSET" or "ZGENERICASSET"
    QString adjustmentsColumn; // "ZHASADJUSTMENTS" or "ZADJUSTMENTSSTATE"; empty when neither
    int assetEntity = 0;       // root entity of the asset table
    int albumEntity = 0;
    int keywordEntity = 0;
    int attributesEntity = 0;
    int descriptionEntity = 0; // AssetDescription: the caption rows
    // Z_<attributes>KEYWORDS(Z_<attributes>ASSETATTRIBUTES, Z_<keyword>KEYWORDS)
    QString keywordJoinTable, keywordAttributesColumn, keywordKeywordColumn;
    // Z_<album>ASSETS(Z_<album>ALBUMS, Z_<asset>ASSETS)
    QString albumJoinTable, albumAlbumColumn, albumAssetColumn;

    bool isValid() const { return kind != Kind::Unknown; }
    bool hasKeywordJoin() const { return !keywordJoinTable.isEmpty(); }
    bool hasAlbumJoin() const { return !albumJoinTable.isEmpty(); }

    static LibrarySchema read(SqliteDatabase &db);
};

// Whether `table` has a column named exactly `column`.
bool tableHasColumn(SqliteDatabase &db, const QString &table, const QString &column);
bool hasTable(SqliteDatabase &db, const QString &table);

// The older schema's RKVersion rows of the photo whose master's modelId is bound at
// ?`parameter`: its own versions, and for the JPEG of a RAW+JPEG pair those of the RAW
// master that name it as their JPEG (`pairedMasters`: olderSchemaPairsMasters()).
QString olderVersionsOf(bool pairedMasters, int parameter);
// Whether the older schema pairs RAW and JPEG masters through their versions.
bool olderSchemaPairsMasters(SqliteDatabase &db);
// ORDER BY terms that put first, of one photo's RKVersion rows, the version the library
// shows: out of the trash, shown in the library, not the kept original, the lowest version
// number. A column the catalogue lacks must be read as NULL (withCatalogueColumns()).
QString olderShownVersionOrder();
