#pragma once

#include <QString>

// A JPEG that stands in for a RAW photo: the RAW's embedded preview with the RAW's
// metadata copied in. Returns its path, or `rawPath` itself when no JPEG can be made
// (unreadable file, no preview); callers then read the RAW file directly.
QString GetJPGImageFromRAWPhotowithImagePath(const QString &rawPath);

// Where the stand-in for `rawPath` lives: the user's temporary folder, under the RAW's
// own file name, in a sub-folder per source folder so that two RAWs of one name from
// different folders never share a temporary.
QString rawTemporaryPathFor(const QString &rawPath);
