#pragma once

#include <QByteArray>
#include <QString>

// How a database file looked at one moment: enough to tell whether anyone wrote it since.
struct DatabaseFileState {
    bool exists = false;
    qint64 size = 0;
    qint64 modifiedNs = 0;
    qint64 inode = 0;
    QByteArray header;   // the first 100 bytes: change counter, page count, journal mode
    qint64 walSize = -1; // -1: no -wal beside it
    bool operator==(const DatabaseFileState &) const = default;
};
DatabaseFileState databaseFileState(const QString &path);
