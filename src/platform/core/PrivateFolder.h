#pragma once

#include <QString>

// Temporary files of the program live in a folder only this user can enter: created once per
// process with mkdtemp (mode 0700) under the system's temporary folder, named
// "PhotoKestry-private-<pid>-XXXXXX", so that no other local user can create it first or plant a
// link in it, and a later start can tell a crashed run's folder from a running one's.
namespace PrivateFolder {

inline constexpr char kPrefix[] = "PhotoKestry-private-";

// The process's private folder; empty with `error` set when none can be made.
QString root(QString *error = nullptr);
// A sub-folder of it, made (mode 0700) when missing and checked before use.
QString subfolder(const QString &name, QString *error = nullptr);
// A template for a temporary folder of its own (QTemporaryDir, mkdtemp) beside the private
// folder and named like it, "PhotoKestry-private-<pid>-<name>-XXXXXX", so that removeStale
// knows it as ours after a crash.
QString temporaryTemplate(const QString &name);
// Whether `path` is a real folder (not a link) of this user that nobody else may enter.
bool isPrivate(const QString &path);
// Removes the private folders of runs of this user that are no longer running, in `tempRoot`
// (the system's temporary folder when empty). Returns how many went.
int removeStale(const QString &tempRoot = QString());

} // namespace PrivateFolder
