#pragma once

#include "library/core/LibrarySchema.h"
#include "model/DateText.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <ctime>
#include <vector>

class PRPicFileInfo;
class SqliteDatabase;

// A library time stamp (seconds since 2001-01-01 00:00:00 UTC) as local calendar time.
struct LibraryDateTime {
    bool valid = false;
    struct tm fields {};
};
LibraryDateTime GetDateTime(int64_t seconds, int fileType = 0);
// "%04d-%02d-%02d %02d:%02d:%02d", or "Unkown Date" when the time could not be converted.
QString GetNSStringDate(const LibraryDateTime &date);
// Both steps at once.
QString libraryDateText(int64_t seconds);
// The same text, kept as the numbers it spells.
DateText libraryDate(int64_t seconds);
// Seconds between the Unix epoch and the library's reference date.
inline constexpr int64_t kLibraryReferenceDate = 978307200;

// One copy of each text that many photos of a scan repeat (camera names, picture sizes,
// keyword lists): the records share it instead of holding a copy each, which was a tenth of a
// large library's memory. Empty and null texts come back as they went in.
class SharedTexts {
  public:
    QString operator()(const QString &text) {
        if (text.isEmpty())
            return text;
        const auto it = texts_.constFind(text);
        if (it != texts_.cend())
            return *it;
        texts_.insert(text);
        return text;
    }

  private:
    QSet<QString> texts_;
};

// The per-photo lookups of the current schema, on a connection the caller opened. Each
// statement is prepared once for the connection; a null result means "nothing found".
class CurrentLibraryLookups {
  public:
    CurrentLibraryLookups(SqliteDatabase &db, const LibrarySchema &schema);
    // Reads the four lookup tables once into memory; the lookups then answer from there,
    // with the same results (a scan of a large library asks 400,000 questions).
    bool preload();
    // The title of the asset's first album that is not in the trash.
    QString getCurrentAlbumWithZPK(int64_t assetKey);
    // The titles of all its albums not in the trash, in album order.
    QStringList getCurrentAlbumTitlesWithZPK(int64_t assetKey);
    // Camera make and model and lens model of the asset, into the record.
    void getPhotoLibCameraInfowithAsset(int64_t assetKey, PRPicFileInfo &record);
    QString getCurrentDescriptionText(int64_t attributesKey);
    // Keyword titles joined with ",".
    QString getCurrentKeyWordText(int64_t attributesKey);

  private:
    struct Camera {
        QString make, model, lens;
        bool operator==(const Camera &o) const {
            return make == o.make && model == o.model && lens == o.lens;
        }
    };
    friend size_t qHash(const Camera &c, size_t seed) {
        return qHashMulti(seed, c.make, c.model, c.lens);
    }
    SqliteDatabase &db_;
    const LibrarySchema &schema_;
    QString albumSql_, cameraSql_, descriptionSql_, keywordSql_;
    bool preloaded_ = false;
    QHash<int64_t, QStringList> albums_;
    QHash<int64_t, QString> descriptions_, keywords_;
    // Each asset's camera as a number into the few distinct ones: a million assets' own
    // three texts each made this the largest lookup table.
    QList<Camera> cameras_;
    // Asset key and camera number, in key order: a hash of a million of them took 36 MB.
    struct CameraOf {
        int64_t asset;
        int number;
    };
    std::vector<CameraOf> cameraOf_;
    // The entry of `asset`, or the end.
    std::vector<CameraOf>::const_iterator cameraEntry(int64_t asset) const;
};

// The per-photo lookups of the older schema, keyed by RKVersion.modelId (albums and
// keywords belong to versions, not masters).
class OlderLibraryLookups {
  public:
    explicit OlderLibraryLookups(SqliteDatabase &db);
    // Keyword names joined with ",".
    QString getOldDatabaseKeyWordTextwithphotoid(int64_t versionId);
    // Names of the albums not in the trash, joined with ", ".
    QString getOldAlbumWithZPK(int64_t versionId);
    // The same names as a list (a name may itself hold ", ").
    QStringList getOldAlbumTitlesWithZPK(int64_t versionId);

  private:
    SqliteDatabase &db_;
};
