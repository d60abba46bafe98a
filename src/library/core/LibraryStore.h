#pragma once

#include "library/core/LibrarySchema.h"
#include "library/core/SqliteDatabase.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <optional>
#include <vector>

// What one writer did for one photo: written, or why not. A statement that changes no row
// is "not written" (the photo has left the library since the scan).
struct LibraryWriteResult {
    bool ok = false;
    QString reason;
    // The value as the library now holds it, in the scan's text form, where a writer
    // changes it on the way in (keywords as the scan joins them, a file name with its
    // extension, a date as local text).
    QString stored;

    static LibraryWriteResult written(const QString &stored = {}) { return {true, {}, stored}; }
    static LibraryWriteResult failed(const QString &why) { return {false, why, {}}; }
};

// A latitude and longitude; no value means "no position".
struct LibraryPosition {
    double latitude = 0, longitude = 0;
};
// The position typed as text: nullopt with `why` when it is not a number or out of range;
// both texts empty give a position-less value (`*none` set).
std::optional<LibraryPosition>
parseLibraryPosition(const QString &latitude, const QString &longitude, bool *none, QString *why);

// Seconds since 2001-01-01 00:00:00 UTC of a local date text "yyyy:MM:dd HH:mm:ss" or
// "yyyy-MM-dd HH:mm:ss" (the library's own text form); nullopt when it is neither.
std::optional<double> librarySecondsFromText(const QString &text);

// The asset's location record: little-endian doubles, latitude and longitude first, then
// altitude, accuracies, course, speed and time. The coordinates of `record` replaced, the
// rest kept; a new record for an empty one; empty for a record of another size.
inline constexpr int kLibraryLocationRecordSize = 64;
QByteArray libraryLocationRecord(const QByteArray &record, double latitude, double longitude,
                                 int64_t unixSeconds);

// Keywords as a set: split at ",", trimmed, empties dropped, each once (equal after NFC).
QStringList keywordSet(const QString &text);

// A photo of the older schema: its master, and the version of it that the library shows
// (RKVersion.modelId, as the scan read it; -1: found the way the scan finds it). A master's
// other versions (iPhoto's kept original, Aperture's further versions) are never written.
struct OlderPhotoKey {
    int master = -1;
    int64_t version = -1;
    OlderPhotoKey(int masterKey, int64_t versionKey = -1)
        : master(masterKey), version(versionKey) {}
};

// One user action on the open library's working copy: one connection, one transaction.
// Every value is bound; only table and column names read from the schema go into the SQL.
// Nothing reaches the library itself until the caller commits and copies back.
class LibraryStore {
  public:
    // Opens the working copy read-write (never creating it), waits up to `busyMs` for a
    // lock and begins the action's transaction. Refuses at once, with the reason, while
    // the library is read-only or when the file is no library of a schema we know.
    // `propertiesPath`: the working copy of an iPhoto or Aperture catalogue's
    // Properties.apdb, written in the same transaction.
    static std::unique_ptr<LibraryStore> begin(const QString &workingCopyPath,
                                               const QString &readOnlyReason, QString *error,
                                               int busyMs = 5000, bool keepSnapshot = false,
                                               const QString &propertiesPath = {});
    ~LibraryStore(); // rolls back what was not committed

    LibraryStore(const LibraryStore &) = delete;
    LibraryStore &operator=(const LibraryStore &) = delete;

    bool commit(QString *error);
    void rollback();

    // The working copy as it was before the action, kept beside it until the action has
    // reached the library: a copy back that is refused must not leave the action in the
    // working copy, where the next copy back would carry it in unasked. Taken by begin()
    // when asked for.
    bool hasSnapshot() const { return !snapshot_.isEmpty(); }
    // After commit(): closes the connection (which folds the working copy's log) and puts
    // the working copy back as it was when the action began.
    bool restoreSnapshot(QString *error);
    // After commit(): closes the connection, so that the working copy can be copied back.
    void closeConnection();
    bool isCurrentSchema() const { return schema_.kind == LibrarySchema::Kind::Current; }
    const LibrarySchema &schema() const { return schema_; }
    SqliteDatabase &database() { return db_; }

    // ---- Current schema ("Photos.sqlite") ----
    LibraryWriteResult setTitle(int attributesKey, const QString &title);
    // One caption row per photo: the one the attributes row points to is updated, a new
    // one inserted and linked both ways only when there is none.
    LibraryWriteResult setDescription(int attributesKey, const QString &caption);
    // The photo's keyword links become exactly keywordSet(text): each keyword is the row
    // of that title (after NFC), or one new row. No keyword row is renamed.
    LibraryWriteResult setKeywords(int attributesKey, const QString &text);
    // `newName` without extension; the stored name takes `currentFileName`'s extension.
    LibraryWriteResult setFileName(int attributesKey, const QString &newName,
                                   const QString &currentFileName);
    // The sort token follows the date where it equalled it.
    LibraryWriteResult setCameraDate(int assetKey, double seconds);
    LibraryWriteResult copyCameraDateToAddedDate(int assetKey);
    // No position is stored as -180, -180. The location record follows (its coordinates
    // rewritten in place, or NULL for none), and the place derived from the old position is
    // cleared and marked to be looked up again.
    LibraryWriteResult setPosition(int assetKey, std::optional<LibraryPosition> position);
    LibraryWriteResult setCameraInfo(int assetKey, const QString &make, const QString &model,
                                     const QString &lensModel);
    LibraryWriteResult setDirectory(int assetKey, const QString &folder);
    // Removes the photo and every row that names it; detected faces stay, unlinked; the
    // cloud master only when no other asset names it (`cloudKey` -1: none).
    LibraryWriteResult deletePhoto(int attributesKey, int assetKey, int cloudKey);

    // ---- Older schema ("photos.db"): the shown version's fields, the master's file ----
    LibraryWriteResult setOlderTitle(OlderPhotoKey photo, const QString &title);
    // In RKVersion, or as the IPTC caption of an iPhoto or Aperture catalogue.
    LibraryWriteResult setOlderDescription(OlderPhotoKey photo, const QString &caption);
    LibraryWriteResult setOlderKeywords(OlderPhotoKey photo, const QString &text);
    // The master's names, and the shown version's file name.
    LibraryWriteResult setOlderFileName(OlderPhotoKey photo, const QString &newName,
                                        const QString &currentFileName);
    // On the master and on the shown version (what the library shows).
    LibraryWriteResult setOlderCameraDate(OlderPhotoKey photo, double seconds);
    LibraryWriteResult olderCopyCameraDateToAddedDate(int masterKey);
    // No position is stored as NULL.
    LibraryWriteResult setOlderPosition(OlderPhotoKey photo,
                                        std::optional<LibraryPosition> position);
    LibraryWriteResult setOlderImagePath(int masterKey, const QString &folder,
                                         const QString &fileName);
    // The master with every version of it.
    LibraryWriteResult deleteOlderPhoto(int masterKey);
    // The version of `photo` that the library shows: the one given when it is still the
    // photo's, else the first by olderShownVersionOrder(); nullopt when the photo has none.
    std::optional<int64_t> olderShownVersion(OlderPhotoKey photo, QString *why = nullptr);

    // ---- Referenced-photo repair (LibraryStoreRepair.cpp) ----
    // A referenced photo's file was renamed on disk: the library takes that whole name as
    // the file in its folder (the asset's ZFILENAME) and as the photo's original name.
    // Refused for a photo kept inside the library, and for anything but one plain name.
    LibraryWriteResult setReferencedFileName(int attributesKey, int assetKey,
                                             const QString &fileName);

  private:
    LibraryStore() = default;
    // The "Caption/Abstract" property of one version (LibraryStoreCatalogue).
    LibraryWriteResult setCatalogueCaption(int64_t version, const QString &caption);
    std::optional<int64_t> catalogueString(const QString &text);
    // Runs a bound statement that must change at least one row.
    LibraryWriteResult change(const QString &sql, std::initializer_list<QVariant> values,
                              const QString &what);
    bool run(const QString &sql, std::initializer_list<QVariant> values, int *changes = nullptr);
    // Z_PK for a new row of `entity`'s table: above Z_MAX and above every Z_PK, with Z_MAX
    // raised to it.
    std::optional<int64_t> newPrimaryKey(int entity, const QString &table);
    QString currentKeywordText(int attributesKey);
    QString olderKeywordText(int64_t versionId);
    // olderSchemaPairsMasters() and olderVersionsOf() for this store.
    bool pairsMasters();
    QString versionsOf(int parameter);
    // Keyword rows by NFC title, read once per transaction and kept up to date as rows are
    // added: a batch of thousands of photos must not re-read the keyword table each time.
    QHash<QString, int64_t> *keywordRows(bool older);
    std::optional<QHash<QString, int64_t>> keywordRows_;
    std::optional<bool> keywordsHaveUuid_, attributesPointAtCaption_;
    // Columns that some versions of a store lack, asked once per transaction.
    bool hasColumn(const QString &table, const QString &column);
    QHash<QString, bool> columns_;
    QString shownVersionSql_; // the first version by olderShownVersionOrder(), made once

  public:
    struct DeletionStep {
        QString sql;
        enum Key { Asset, Attributes, Cloud } key;
    };

  private:
    const std::vector<DeletionStep> *deletionSteps();
    std::optional<std::vector<DeletionStep>> deletionSteps_;
    SqliteDatabase db_;
    LibrarySchema schema_;
    QString path_, snapshot_;
    QString propertiesPath_, propertiesSnapshot_; // an attached Properties.apdb
    bool open_ = false;
    QString error_;
};
