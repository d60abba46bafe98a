#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include "support/TestSupport.h"

// A writable copy of a fixture library package ("Test-13.0.0", "Test-iPhoto-9.6.1") in
// `dir`, made with cp -a as the fixtures ask; empty on failure.
QString copyLibrary(const QString &name, const QString &dir);
// Rows of the sqlite3 command's answer, fields split on the unit separator.
QList<QStringList> sqliteRows(const QString &database, const QString &sql);
QString sqliteValue(const QString &database, const QString &sql);
// `sqlite3 database .dump`.
QByteArray sqliteDump(const QString &database);
// SHA-1 of every file under `folder`, by relative path.
QStringList folderHashes(const QString &folder);
// Everything under `root` by relative path, sorted: folders, links with their targets, files
// with their SHA-1 and time; nothing under the folders of `except`. Two listings are equal
// when nothing there was made, changed, moved or removed.
QStringList treeListing(const QString &root, const QStringList &except = {});
QByteArray fileBytes(const QString &path);
void writeBytes(const QString &path, const QByteArray &bytes);
// The photo application's lock property list at `path`, naming `host` and process `pid`, as
// a Mac leaves "Photos.sqlite.lock" beside a library's database.
void writeLibraryLock(const QString &path, const QString &host, qint64 pid);
// The id of a process that has ended.
qint64 endedProcessId();
