#include "batch/core/ImageOutputs.h"

#include "app/core/SharedHelpers.h"
#include "batch/core/StampLayout.h"
#include "batch/core/UprightDecode.h"
#include "platform/core/FileDates.h"
#include "platform/core/SafeWrite.h"

#include <QColorSpace>
#include <QFile>
#include <QFileInfo>

namespace {

struct ReadPhoto {
    QByteArray bytes;
    UprightImage upright;
};

ReadPhoto readPhoto(const QString &path) {
    ReadPhoto r;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        r.upright.error = file.errorString();
        return r;
    }
    r.bytes = file.readAll();
    r.upright = decodeUpright(r.bytes, path);
    return r;
}

OutputResult failed(const QString &why) {
    return {QString(), why};
}

OutputResult encodeAndWrite(const QImage &image, EncodedFormat format, float quality,
                            const QByteArray &metadataFrom, MetadataCarry carry,
                            const QString &outputPath, const QString &outputName) {
    QString why;
    QByteArray bytes = encodeImage(image, format, quality, &why);
    if (bytes.isEmpty())
        return failed(why);
    if (!metadataFrom.isEmpty() && !carryMetadata(metadataFrom, &bytes, carry, image.size(), &why))
        return failed(why);
    return writeOutput(QFileInfo(outputPath).path(), outputName, bytes);
}

QString outputPathIn(const QString &storage, const QString &name) {
    return storage + QLatin1Char('/') + QFileInfo(name).fileName();
}

} // namespace

QString jpegOutputName(const QString &name) {
    const QFileInfo info(name);
    const QString suffix = info.suffix().toLower();
    if (suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg"))
        return info.fileName();
    const QString base = suffix.isEmpty() ? info.fileName() : info.completeBaseName();
    return base + QStringLiteral(".jpg");
}

bool isPngName(const QString &name) {
    return QFileInfo(name).suffix().compare(QLatin1String("png"), Qt::CaseInsensitive) == 0;
}

OutputResult writeOutput(const QString &folder, const QString &name, const QByteArray &bytes) {
    QString error;
    const QString written = SafeWrite::writeNewFile(folder, name, bytes, &error);
    if (written.isEmpty())
        return failed(error);
    return {written, QString()};
}

OutputResult CompressJpgWithImageData(const QImage &upright, const QString &outputPath,
                                      const QByteArray &metadataFrom, float quality) {
    return encodeAndWrite(upright, EncodedFormat::Jpeg, quality, metadataFrom,
                          MetadataCarry::WithoutExifAndGps, outputPath, jpegOutputName(outputPath));
}

OutputResult compressPngWithUprightImage(const QImage &upright, const QString &outputPath,
                                         const QByteArray &metadataFrom) {
    return encodeAndWrite(upright, EncodedFormat::Png, 1.0f, metadataFrom,
                          MetadataCarry::WithoutExifAndGps, outputPath,
                          QFileInfo(outputPath).fileName());
}

OutputResult recompressPhotoFile(const QString &path, const QString &name, const QString &storage,
                                 float quality) {
    const ReadPhoto photo = readPhoto(path);
    if (!photo.upright.ok())
        return failed(photo.upright.error);
    const QString output = outputPathIn(storage, name);
    if (isPngName(name))
        return compressPngWithUprightImage(photo.upright.image, output, photo.bytes);
    return CompressJpgWithImageData(photo.upright.image, output, photo.bytes, quality);
}

OutputResult resizePhotoFile(const QString &path, const QString &name, const QString &storage,
                             const QString &title, float quality) {
    const ReadPhoto photo = readPhoto(path);
    if (!photo.upright.ok())
        return failed(photo.upright.error);
    const QImage &source = photo.upright.image;
    const QSize target = resizeTargetPixels(title, source.size());
    QImage resized = resizeTo(source, target.width(), target.height());
    resized.setColorSpace(source.colorSpace());
    const QString output = outputPathIn(storage, name);
    if (isPngName(name))
        return compressPngWithUprightImage(resized, output, photo.bytes);
    return CompressJpgWithImageData(resized, output, photo.bytes, quality);
}

OutputResult convertPhotoToJpeg(const QString &path, const QString &name, const QString &storage) {
    const ReadPhoto photo = readPhoto(path);
    if (!photo.upright.ok())
        return failed(photo.upright.error);
    const QString base = QFileInfo(name).suffix().isEmpty() ? QFileInfo(name).fileName()
                                                            : QFileInfo(name).completeBaseName();
    QString why;
    const QByteArray bytes = encodeImage(photo.upright.image, EncodedFormat::Jpeg, 0.9f, &why);
    if (bytes.isEmpty())
        return failed(why);
    OutputResult r = writeOutput(storage, base + QStringLiteral(".jpg"), bytes);
    if (r.ok() && !FileDates::copyDates(path, r.path, &why))
        r.error = why; // the file is written; its dates are only a note
    return r;
}
