#pragma once

#include <QByteArray>
#include <QString>
#include <QVariantMap>

// The lossy way out when a format cannot carry a change: the pixels decoded once and
// encoded again, as PNG (no metadata) when `fileName` ends in .png, otherwise as JPEG at
// quality 0.9 with `properties` written into it. The pixels are not rotated, so the
// orientation is kept as it was. Empty on failure, with the reason in `why`.
QByteArray recompressPhoto(const QByteArray &original, const QVariantMap &properties,
                           const QString &fileName, QString *why);
