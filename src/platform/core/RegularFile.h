#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Reading a listed file without ever blocking on it: a FIFO opened for reading waits for a
// writer forever, and a device may never end.
namespace RegularFile {

// True when `path`, its links followed, is a regular file. Opens nothing.
bool isRegular(const QString &path);

// The whole file; nullopt, with a reason, for a FIFO, a device, a socket, a folder or a
// file that cannot be opened. The check is made again on the opened file, so a file
// replaced by a FIFO meanwhile is refused too.
// `room`, when given and shared with nobody, lends its storage: a loop reading one file after
// another then reuses one buffer instead of asking the system for fresh memory each time.
std::optional<QByteArray> readAll(const QString &path, QString *error = nullptr,
                                  QByteArray *room = nullptr);

} // namespace RegularFile
