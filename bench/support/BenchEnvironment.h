#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

namespace bench {

// Points HOME and the XDG folders at `home`, so that a run never reads or writes the user's
// settings, data or Trash. Call before the application object exists.
inline void useHome(const QString &home) {
    qputenv("HOME", home.toUtf8());
    qputenv("XDG_DATA_HOME", (home + "/.local/share").toUtf8());
    qputenv("XDG_CONFIG_HOME", (home + "/.config").toUtf8());
}

// "100k", "1m", "2500": the size a figure's key names, so that runs of other sizes never
// print under one key.
inline QByteArray sizeKey(long long count) {
    if (count >= 1000000 && count % 1000000 == 0)
        return QByteArray::number(count / 1000000) + 'm';
    if (count >= 1000 && count % 1000 == 0)
        return QByteArray::number(count / 1000) + 'k';
    return QByteArray::number(count);
}

} // namespace bench
