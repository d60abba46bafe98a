#pragma once

#include <QString>
#include <ostream>

// The shared fixtures folder: $PK_FIXTURES_DIR when set, else the one the build was
// configured with.
QString fixturesDir();
// The read-only sample photos shared by the project.
QString fixturePath(const QString &name);
// A fresh copy of a fixture in `dir`, writable; empty on failure.
QString copyFixture(const QString &name, const QString &dir);
// The private home folder every test runs in (HOME and the XDG folders point into it).
QString testHome();
// Forgets every stored setting.
void clearUserDefaults();

// Mounts a fresh file system of `type` ("ramfs", "tmpfs") with `options` on the existing
// folder `dir`, for faults only a real file system shows (no user attributes, a full disk).
// Needs the right to mount; false with `why` when it is missing.
bool mountScratch(const QString &dir, const QString &type, const QString &options, QString *why);
void unmountScratch(const QString &dir);

// How long the calling thread has stood ready to run while other threads had every core,
// in milliseconds since it started (the kernel's schedstat); 0 where the kernel does not say.
qint64 runQueueWaitMs();

// Readable QStrings in test failures.
inline void PrintTo(const QString &s, std::ostream *os) {
    *os << '"' << s.toStdString() << '"';
}
