#pragma once

#include <QByteArray>

// A HEIF photo's JPEG made from its decoded YCbCr planes, without the round trip through RGB
// that costs a quarter of a conversion: JPEG stores the same YCbCr. A phone's grid of HEVC
// tiles, stored upright, is decoded by FFmpeg at about half libheif's cost; other photos by
// libheif.
//
// Only when that gives the colours the RGB road gives: 8 bits, 4:2:0, full-range BT.601
// (the YCbCr of JFIF), no alpha to flatten. libheif has applied the file's rotations and
// mirrors to the planes. The JPEG carries the ICC profile of the photo's colours, and no other
// metadata. Empty when the photo does not qualify or anything fails: the caller then takes
// the RGB road, which says what went wrong.
QByteArray heifToJpegFromPlanes(const QByteArray &heif, int quality);
