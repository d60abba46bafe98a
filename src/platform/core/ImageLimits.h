#pragma once

#include <QString>

// How many pixels we agree to decode. A small file can describe a huge picture (a HEIF grid
// repeating one tile 1,024 times is 131 KB and 267 million pixels); the largest cameras of
// today make 150 million.
namespace ImageLimits {

inline constexpr qint64 kMaxPixels = 160'000'000;
// Qt's own bound for one decoded image, in megabytes: kMaxPixels at four bytes each.
inline constexpr int kQtAllocationLimitMB = int(kMaxPixels * 4 / (1024 * 1024)) + 1;

// Whether a picture of `width` x `height` may be decoded; otherwise `why` says it is too
// large, and the refusal is logged.
bool decodeAllowed(qint64 width, qint64 height, QString *why = nullptr);

// "The photo is too large to show (W x H pixels)."
QString tooLargeReason(qint64 width, qint64 height);

// Gives Qt's image readers the same bound (QImageReader::setAllocationLimit).
void applyToQt();

} // namespace ImageLimits
