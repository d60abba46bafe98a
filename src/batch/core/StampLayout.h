#pragma once

#include <QDateTime>
#include <QRectF>
#include <QSize>
#include <QString>
#include <QStringList>

struct Placemark;

// The texts and the geometry of the stamps, and the sizes of the resize menu: plain values,
// no pixels.

enum class StampKind { Date, Copyright, Place };

// Where a stamp of `kind` goes on a W x H photo for a text of w x h, in the stamp's own
// coordinates: origin at the lower-left corner, y growing upwards. `corner` is the title of
// the corner preference ("Lower left corner", ...).
QRectF stampRect(StampKind kind, const QString &corner, QSizeF photo, QSizeF text);
// The same rectangle for QPainter, whose y runs down from the upper-left corner.
QRectF painterRect(const QRectF &stampRect, qreal photoHeight);

// The text a date stamp starts from: DateTimeOriginal when the photo has one; else the file's
// creation date in UTC ("yyyy-MM-dd HH:mm:ss"); else, when the file is no readable image or
// has no creation date, `now` in the same form.
QString stampDateSource(const QString &dateTimeOriginal, const QDateTime &creationDate,
                        const QDateTime &now);
// The date text in the format of the date-format preference ("DD.MM.YYYY", ...). Dates split
// at ":" or "-"; the time keeps its seconds. A text that is no date, or an unknown format,
// is kept as it is (shortened to its first two words).
QString formatStampDate(const QString &text, const QString &formatTitle);

// A copyright notice worth stamping: at least two characters.
bool copyrightStampable(const QString &copyright);

// "locality, sub-locality", leaving out a name the place lacks; empty when the place
// has neither a country nor a locality.
QString placeStampText(const Placemark &place);

// The size a resize menu title asks for, in points: the landscape column for a photo wider
// than high, the portrait column for a higher or square one (photo in its upright size). An
// unknown title gives 320 x 480 whatever the photo.
QSize resizeTargetPoints(const QString &title, QSize uprightPhoto);
// The pixels written: two pixels a point, so that "1920 x 1080" gives 1920 x 1080 pixels.
QSize resizeTargetPixels(const QString &title, QSize uprightPhoto);
// The seven titles of the resize menu.
QStringList resizeTitles();

// The JPEG quality a recompression menu title sets ("20%", "40%", "80%"); `current` for any
// other title.
float compressQualityForTitle(const QString &title, float current);
