#pragma once

#include <QByteArray>

// A HEIF photo's JPEG made from the YCbCr planes libheif decodes, without the round trip
// through RGB that costs a quarter of a conversion: JPEG stores the same YCbCr.
//
// Only when that gives the colours the RGB road gives: 8 bits, 4:2:0, full-range BT.601
// (the YCbCr of JFIF), no alpha to flatten. libheif has applied the file's rotations and
// mirrors to the planes. The JPEG carries the ICC profile of the photo's colours, and no other
// metadata. Empty when the photo does not qualify or anything fails: the caller then takes
// the RGB road, which says what went wrong.
QByteArray heifToJpegFromPlanes(const QByteArray &heif, int quality);
