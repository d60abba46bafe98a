#pragma once

#include <QDateTime>
#include <QString>

// A metadata date text ("yyyy:MM:dd HH:mm:ss" or "yyyy-MM-dd HH:mm:ss") in local time;
// invalid when it is neither.
QDateTime parseMetadataDate(const QString &text);

// Sets both file dates of `path` to the date the text names; when the text names none,
// to the creation date of `origPath`; when that is unknown too, leaves them alone.
// Returns whether dates were set; `error` gets the reason when setting them failed, and stays
// empty when there was simply no date to set.
bool SetDateAttributWithFilePath(const QString &path, const QString &origPath,
                                 const QString &dateStr, QString *error = nullptr);
