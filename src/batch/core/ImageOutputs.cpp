#include "batch/core/ImageOutputs.h"

#include "base/SharedHelpers.h"
#include "batch/core/HeifJpeg.h"
#include "batch/core/HeifPrimary.h"
#include "batch/core/StampLayout.h"
#include "batch/core/UprightDecode.h"
#include "platform/core/FileDates.h"
#include "platform/core/FreeFileName.h"
#include "platform/core/SafeWrite.h"

#include <QColorSpace>
#include <QDir>
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
        r.upright.reason = file.errorString();
        return r;
    }
    r.bytes = file.readAll();
    r.upright = decodeUpright(r.bytes, path);
    return r;
}

PreparedOutput failed(const QString &why) {
    return PreparedOutput::failure(why);
}

PreparedOutput encodeFor(const QImage &image, EncodedFormat format, float quality,
                         const QByteArray &metadataFrom, MetadataCarry carry,
                         const QString &outputPath, const QString &outputName) {
    QString why;
    PreparedOutput out;
    out.bytes = encodeImage(image, format, quality, &why);
    if (out.bytes.isEmpty())
        return failed(why);
    if (!metadataFrom.isEmpty() &&
        !carryMetadata(metadataFrom, &out.bytes, carry, image.size(), &why))
        return failed(why);
    out.folder = QFileInfo(outputPath).path();
    out.name = outputName;
    return out;
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
        return {QString(), error};
    return {written, QString()};
}

void stagePrepared(PreparedOutput &output) {
    if (!output.ok() || !output.replaces.isEmpty())
        return;
    if (!QDir().mkpath(output.folder)) {
        output.reason = QStringLiteral("the folder %1 cannot be created").arg(output.folder);
        return;
    }
    auto temp = std::make_shared<SafeWrite::Temporary>();
    if (!temp->create(output.folder, &output.reason) || !temp->useDefaultMode(&output.reason) ||
        !temp->write(output.bytes, &output.reason) || !temp->finish(output.bytes, &output.reason))
        return;
    output.staged = temp;
}

OutputResult writePrepared(const PreparedOutput &output, bool syncFolder) {
    if (!output.ok())
        return {QString(),
                output.reason.isEmpty() ? QStringLiteral("nothing was encoded") : output.reason};
    OutputResult r;
    if (output.staged) {
        r.path = moveToFreeName(output.staged->path(), output.folder, output.name, &r.reason);
        QString why;
        if (r.ok()) {
            output.staged->release();
            if (syncFolder && !SafeWrite::syncFolder(output.folder, &why))
                return {QString(),
                        QStringLiteral("written to %1, but a crash may still undo it: %2")
                            .arg(r.path, why)};
        }
    } else if (!output.replaces.isEmpty()) {
        // One rename of a complete file that was read back: the original is never half gone.
        if (!SafeWrite::replaceFileContents(output.replaces, output.bytes, &r.reason))
            return r;
        r.path = output.replaces;
    } else {
        r = writeOutput(output.folder, output.name, output.bytes);
    }
    QString why;
    if (r.ok() && !output.datesFrom.isEmpty() &&
        !FileDates::copyDates(output.datesFrom, r.path, &why))
        r.reason = why; // the file is written; its dates are only a note
    return r;
}

PreparedOutput CompressJpgWithImageData(const QImage &upright, const QString &outputPath,
                                        const QByteArray &metadataFrom, float quality) {
    return encodeFor(upright, EncodedFormat::Jpeg, quality, metadataFrom,
                     MetadataCarry::WithoutExifAndGps, outputPath, jpegOutputName(outputPath));
}

PreparedOutput compressPngWithUprightImage(const QImage &upright, const QString &outputPath,
                                           const QByteArray &metadataFrom) {
    return encodeFor(upright, EncodedFormat::Png, 1.0f, metadataFrom,
                     MetadataCarry::WithoutExifAndGps, outputPath,
                     QFileInfo(outputPath).fileName());
}

PreparedOutput prepareRecompression(const QString &path, const QString &name,
                                    const QString &storage, float quality) {
    const ReadPhoto photo = readPhoto(path);
    if (!photo.upright.ok())
        return failed(photo.upright.reason);
    const QString output = outputPathIn(storage, name);
    if (isPngName(name))
        return compressPngWithUprightImage(photo.upright.image, output, photo.bytes);
    return CompressJpgWithImageData(photo.upright.image, output, photo.bytes, quality);
}

PreparedOutput prepareResize(const QString &path, const QString &name, const QString &storage,
                             const QString &title, float quality) {
    const ReadPhoto photo = readPhoto(path);
    if (!photo.upright.ok())
        return failed(photo.upright.reason);
    const QImage &source = photo.upright.image;
    const QSize target = resizeTargetPixels(title, source.size());
    QImage resized = resizeTo(source, target.width(), target.height());
    resized.setColorSpace(source.colorSpace());
    const QString output = outputPathIn(storage, name);
    if (isPngName(name))
        return compressPngWithUprightImage(resized, output, photo.bytes);
    return CompressJpgWithImageData(resized, output, photo.bytes, quality);
}

PreparedOutput prepareJpegConversion(const QString &path, const QString &name,
                                     const QString &storage) {
    constexpr float quality = 0.9f;
    PreparedOutput out;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return failed(file.errorString());
    const QByteArray bytes = file.readAll();
    if (isHeif(bytes))
        out.bytes = heifToJpegFromPlanes(bytes, int(quality * 100.0f + 0.5f));
    if (out.bytes.isEmpty()) {
        const UprightImage upright = decodeUpright(bytes, path);
        if (!upright.ok())
            return failed(upright.reason);
        QString why;
        out.bytes = encodeImage(upright.image, EncodedFormat::Jpeg, quality, &why);
        if (out.bytes.isEmpty())
            return failed(why);
    }
    const QString base = QFileInfo(name).suffix().isEmpty() ? QFileInfo(name).fileName()
                                                            : QFileInfo(name).completeBaseName();
    out.folder = storage;
    out.name = base + QStringLiteral(".jpg");
    out.datesFrom = path;
    return out;
}

OutputResult recompressPhotoFile(const QString &path, const QString &name, const QString &storage,
                                 float quality) {
    return writePrepared(prepareRecompression(path, name, storage, quality));
}

OutputResult resizePhotoFile(const QString &path, const QString &name, const QString &storage,
                             const QString &title, float quality) {
    return writePrepared(prepareResize(path, name, storage, title, quality));
}

OutputResult convertPhotoToJpeg(const QString &path, const QString &name, const QString &storage) {
    return writePrepared(prepareJpegConversion(path, name, storage));
}
