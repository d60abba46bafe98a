#pragma once

#include <QString>
#include <QStringList>

// The places a user's default photo library may be, in the order they are tried.
QStringList defaultPhotoLibraryCandidates(const QString &homeFolder);

// The first candidate that exists; when none does, the last one tried, with `exists`
// false.
struct DefaultPhotoLibrary {
    QString path;
    bool exists = false;
};
DefaultPhotoLibrary findDefaultPhotoLibrary(const QString &homeFolder);

// Whether the package's contents can be listed (a library we may not read fails here).
bool canListLibraryPackage(const QString &path);
