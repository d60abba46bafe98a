#pragma once

#include "platform/core/ReverseGeocoder.h"

#include <QDateTime>
#include <QHash>
#include <QString>

#include <optional>

// The geocoder's answers kept on disk, so a place asked in one session is not asked of the
// server again in the next. One small JSON file, replaced whole through a temporary and a
// rename; a file that cannot be read is ignored and replaced by the next answer.
class PlaceNameCache {
  public:
    static constexpr int kMaxAgeDays = 30;
    static constexpr int kMaxEntries = 5000;
    // A larger file is no cache of ours; it is not read.
    static constexpr qint64 kMaxFileBytes = 8 * 1024 * 1024;

    // The file is `directory`/places.json; the directory is made when the first answer is
    // kept.
    explicit PlaceNameCache(const QString &directory);
    // The user's cache folder's "geocoder".
    static QString defaultDirectory();
    // The server, the position rounded to five decimals (about a metre) and the languages
    // asked for: another server or language may name the place differently.
    static QString key(const QString &server, double latitude, double longitude,
                       const QString &languages);

    QString filePath() const;
    // The answer kept under `key` unless it is older than kMaxAgeDays.
    std::optional<Placemark> find(const QString &key,
                                  const QDateTime &now = QDateTime::currentDateTimeUtc());
    // Keeps the answer and writes the file, with what another session wrote meanwhile; false,
    // with lastError(), when the file could not be written (the answer stays in memory).
    bool insert(const QString &key, const Placemark &placemark,
                const QDateTime &now = QDateTime::currentDateTimeUtc());
    QString lastError() const { return m_error; }

  private:
    struct Entry {
        Placemark placemark;
        qint64 time = 0; // seconds since the epoch
    };
    QHash<QString, Entry> readFile(const QDateTime &now) const;
    void ensureLoaded(const QDateTime &now);

    QString m_directory;
    QHash<QString, Entry> m_entries;
    bool m_loaded = false;
    QString m_error;
};
