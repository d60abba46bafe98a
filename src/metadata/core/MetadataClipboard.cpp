#include "metadata/core/MetadataClipboard.h"

namespace {

// Puts the target's own value of `tag` into `dict`, or removes it when the target has none.
void keepTargetTag(QVariantMap &dict, const QVariantMap &targetDict, const QString &tag) {
    if (targetDict.contains(tag))
        dict.insert(tag, targetDict.value(tag));
    else if (dict.contains(tag))
        dict.insert(tag, QVariant());
}

void keepTargetPixels(QVariantMap &working, const QVariantMap &target) {
    const QString exifKey = QStringLiteral("{Exif}");
    if (working.value(exifKey).isNull())
        return;
    QVariantMap exif = working.value(exifKey).toMap();
    const QVariantMap targetExif = target.value(exifKey).toMap();
    keepTargetTag(exif, targetExif, QStringLiteral("PixelXDimension"));
    keepTargetTag(exif, targetExif, QStringLiteral("PixelYDimension"));
    working.insert(exifKey, exif);
}

} // namespace

QVariantMap pasteSection(const QVariantMap &target, const QString &key, const QVariantMap &copied) {
    QVariantMap working = target;
    working.insert(key, copied);
    if (key == QLatin1String("{Exif}"))
        keepTargetPixels(working, target);
    return working;
}

QVariantMap pasteAll(const QVariantMap &target, const QVariantMap &copied) {
    QVariantMap working;
    for (auto it = copied.cbegin(); it != copied.cend(); ++it)
        if (it.key().startsWith(QLatin1Char('{')))
            working.insert(it.key(), it.value());
    for (auto it = target.cbegin(); it != target.cend(); ++it)
        if (!it.key().startsWith(QLatin1Char('{')))
            working.insert(it.key(), it.value());
    if (working.contains(QStringLiteral("{TIFF}")) &&
        !working.value(QStringLiteral("{TIFF}")).isNull()) {
        QVariantMap tiff = working.value(QStringLiteral("{TIFF}")).toMap();
        keepTargetTag(tiff, target.value(QStringLiteral("{TIFF}")).toMap(),
                      QStringLiteral("Orientation"));
        working.insert(QStringLiteral("{TIFF}"), tiff);
    }
    keepTargetPixels(working, target);
    return working;
}
