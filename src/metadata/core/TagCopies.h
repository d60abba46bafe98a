#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariantMap>

// Copies of one metadata value into another tag, on the working copy of a photo's
// properties (sub-dictionaries under their keys; a missing one is made). Each returns
// false when the photo lacks what the copy needs, and the photo is then not written.

// Exif DateTimeOriginal and DateTimeDigitized := TIFF DateTime, unless already equal.
bool copyTiffDateToExif(QVariantMap &working);
// TIFF DateTime := Exif DateTimeOriginal, else DateTimeDigitized, else unchanged.
bool copyExifDateToTiff(QVariantMap &working);
// TIFF ImageDescription := IPTC ObjectName; needs an IPTC dictionary.
bool copyTitleToCaption(QVariantMap &working);
// TIFF ImageDescription := the IPTC keywords joined by ","; needs keywords.
bool copyKeywordsToCaption(QVariantMap &working);
// IPTC ObjectName := TIFF ImageDescription; needs a TIFF dictionary.
bool copyCaptionToTitle(QVariantMap &working);
// IPTC persons shown := `persons`; needs at least one person.
bool setPersonsShown(QVariantMap &working, const QStringList &persons);
// The persons shown appended to the keywords, each once; needs at least one person.
bool copyPersonsToKeywords(QVariantMap &working);
// IPTC ObjectName := cameraDateText(); needs a text.
bool copyCameraDateToTitle(QVariantMap &working, const QDateTime &fileCreated);
// IPTC ObjectName := the file name without its extension.
bool copyFileNameToTitle(QVariantMap &working, const QString &fileName);
// Exif UserComment := the file name without its extension.
bool copyFileNameToComment(QVariantMap &working, const QString &fileName);

// The photo's camera date: a valid Exif original or digitized date, else TIFF DateTime,
// else the file's creation date in UTC as "yyyy-MM-dd HH:mm:ss"; empty when none holds.
QString cameraDateText(const QVariantMap &properties, const QDateTime &fileCreated);
// "IMG_0001.JPG" gives "IMG_0001"; only the last extension goes.
QString fileNameWithoutExtension(const QString &fileName);
// Names typed by the user, separated by commas, semicolons or new lines; blanks trimmed,
// empty entries and repeats dropped.
QStringList parsePersonList(const QString &text);
