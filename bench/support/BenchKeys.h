#pragma once

#include <QByteArray>
#include <QString>

namespace bench {

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
