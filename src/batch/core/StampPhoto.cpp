#include "batch/core/StampPhoto.h"

#include "batch/core/UprightDecode.h"
#include "platform/core/FileDates.h"
#include "platform/core/ImageSource.h"

#include <QColorSpace>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFontMetricsF>
#include <QPainter>

namespace {

QString dictionaryValue(const QVariantMap &properties, const char *dictionary, const char *key) {
    return properties.value(QLatin1String(dictionary)).toMap().value(QLatin1String(key)).toString();
}

struct Output {
    EncodedFormat format;
    QString name;
    bool replacesOriginal;
};

// Where a stamped photo goes: it replaces the original only when it has the original's format.
Output outputFor(const StampSettings &s, const QString &path, const QString &sourceType) {
    const QFileInfo info(path);
    const QString base = info.suffix().isEmpty() ? info.fileName() : info.completeBaseName();
    if (!s.recompress) {
        const bool tiff = sourceType == QLatin1String("public.tiff");
        return {EncodedFormat::Tiff, tiff ? info.fileName() : base + QStringLiteral(".tiff"),
                s.overwrite && tiff};
    }
    if (isPngName(path))
        return {EncodedFormat::Png, info.fileName(),
                s.overwrite && sourceType == QLatin1String("public.png")};
    const QString name = jpegOutputName(info.fileName());
    return {EncodedFormat::Jpeg, name,
            s.overwrite && sourceType == QLatin1String("public.jpeg") && name == info.fileName()};
}

} // namespace

QString stampTextFor(const StampSettings &settings, const QByteArray &bytes, const QString &path,
                     QString *why) {
    const ImageSource source(bytes);
    const QVariantMap properties = source.isValid() ? source.properties(0) : QVariantMap();
    if (settings.kind == StampKind::Date) {
        const QString original = dictionaryValue(properties, "{Exif}", "DateTimeOriginal");
        const QDateTime created = source.isValid() ? FileDates::creationDate(path) : QDateTime();
        return formatStampDate(stampDateSource(original, created, QDateTime::currentDateTimeUtc()),
                               settings.dateFormat);
    }
    const QString copyright = dictionaryValue(properties, "{TIFF}", "Copyright").trimmed();
    if (!copyrightStampable(copyright)) {
        if (why)
            *why = QStringLiteral("it has no copyright notice");
        return {};
    }
    return copyright;
}

QImage drawStamp(const QImage &upright, const QString &text, const StampSettings &settings) {
    QImage out = upright.convertToFormat(
        upright.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    out.setColorSpace(upright.colorSpace());
    QFont font(settings.fontName);
    // The size counts photo pixels, as the preference's points do on a photo of 72 dpi.
    font.setPixelSize(qMax(1, settings.fontSize));
    const QFontMetricsF metrics(font);
    const QSizeF textSize =
        text.isEmpty() ? QSizeF() : QSizeF(metrics.horizontalAdvance(text), metrics.height());
    const QRectF rect =
        painterRect(stampRect(settings.kind, settings.corner, out.size(), textSize), out.height());
    QPainter painter(&out);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(font);
    painter.setPen(settings.color);
    painter.drawText(rect, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text);
    painter.end();
    return out;
}

PreparedOutput prepareStamp(const StampSettings &settings, const QString &path,
                            const QString &placeText) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return PreparedOutput::failure(file.errorString());
    const QByteArray bytes = file.readAll();
    file.close();
    const UprightImage upright = decodeUpright(bytes, path);
    if (!upright.ok())
        return PreparedOutput::failure(upright.reason);
    QString why;
    const QString text =
        settings.kind == StampKind::Place ? placeText : stampTextFor(settings, bytes, path, &why);
    if (!why.isEmpty())
        return PreparedOutput::failure(why);

    const QImage stamped = drawStamp(upright.image, text, settings);
    const Output output = outputFor(settings, path, ImageSource(bytes).type());
    PreparedOutput out;
    out.bytes = encodeImage(stamped, output.format, 0.9f, &why);
    if (out.bytes.isEmpty())
        return PreparedOutput::failure(why);
    if (!carryMetadata(bytes, &out.bytes, MetadataCarry::All, stamped.size(), &why))
        return PreparedOutput::failure(why);
    if (output.replacesOriginal) {
        out.replaces = path;
    } else {
        out.folder = settings.storage;
        out.name = output.name;
    }
    return out;
}

OutputResult stampPhotoFile(const StampSettings &settings, const QString &path,
                            const QString &placeText) {
    return writePrepared(prepareStamp(settings, path, placeText));
}
