#pragma once

#include "library/core/DatabaseFiles.h"

#include <QByteArray>
#include <QString>

// The transactions a -wal holds for its readers: its salts and the number of frames up to
// its last valid commit. A missing, empty or stale log holds none, and then the database
// file alone is what a reader sees.
struct WalContent {
    quint32 salt1 = 0, salt2 = 0;
    qint64 frames = 0;
    bool operator==(const WalContent &) const = default;
};
WalContent walContent(const QString &walPath);

// What a database held at one moment, to tell later whether anyone wrote it: a reader
// leaves an empty -wal and -shm behind and writes nothing, a writer adds frames to the -wal
// or, once it has folded them, changes the file's bytes.
struct DatabaseContentState {
    DatabaseFileState file; // header and identity; an unmoved identity means no write
    WalContent wal;
    QByteArray digest; // of the file's bytes, when known
};
DatabaseContentState databaseContentState(const QString &path);
// SHA-1 of a file's bytes; empty when it cannot be read.
QByteArray fileDigest(const QString &path);

// Whether the database at `path` holds what `baseline` held. `sameBytesAs`, when the
// baseline has no digest, is a file with the baseline's bytes. *why names the change.
bool databaseContentUnchanged(const QString &path, const DatabaseContentState &baseline,
                              const QString &sameBytesAs, QString *why);
