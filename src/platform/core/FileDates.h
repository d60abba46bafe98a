#pragma once

#include <QDateTime>
#include <QString>

// File creation and modification dates. Linux cannot set a file's birth time, so the
// creation date we set is kept in the extended attribute "user.creation_date" (ISO 8601,
// UTC) and read before the file system's own birth time.
namespace FileDates {

inline constexpr char kCreationAttribute[] = "user.creation_date";

// The creation date: our attribute, else the birth time where the file system has one;
// invalid when neither is known.
QDateTime creationDate(const QString &path);
QDateTime modificationDate(const QString &path);

// Whether the file system of `path` keeps the creation dates set here. Those without extended
// attributes (FAT, exFAT) keep none: a file there has the creation date its file system gave
// it, which Linux cannot change.
bool keepsCreationDates(const QString &path);

// Each returns false, with a reason, when the date could not be set. On a file system that
// keeps no creation dates only the modification date is set (keepsCreationDates tells).
bool setCreationDate(const QString &path, const QDateTime &date, QString *error = nullptr);
bool setModificationDate(const QString &path, const QDateTime &date, QString *error = nullptr);
// Both dates to one instant.
bool setDates(const QString &path, const QDateTime &date, QString *error = nullptr);
// Creation to creation and modification to modification, from `source` to `target`.
bool copyDates(const QString &source, const QString &target, QString *error = nullptr);

} // namespace FileDates
