#pragma once

#include <QJsonObject>
#include <QString>

// Reads a property list with Python's plistlib, an outside reader, and returns
// {"keys": [root keys in file order], "value": v, "format": "xml"|"binary"} where every
// scalar of v is {"t": type, "v": value} (types: str, int, real, bool, date, data).
// Empty when the reader fails.
QJsonObject readPlistOutside(const QString &path);
// Writes `xmlPath` again as a binary property list with plistutil; false on failure.
bool convertToBinaryPlist(const QString &xmlPath, const QString &binaryPath);
