// A PNG's Exif lives in the standard eXIf chunk, where other programs read it.
#include "platform/core/PngExif.h"
#include "platform/core/ImageDestination.h"
#include "platform/core/ImageSource.h"
#include "support/ImageTestHelpers.h"

#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>

namespace {

// Chunk types in file order.
QStringList chunkTypes(const QByteArray &png) {
    QStringList types;
    for (qsizetype at = 8; at + 12 <= png.size();) {
        const quint32 length = qFromBigEndian<quint32>(png.constData() + at);
        types << QString::fromLatin1(png.mid(at + 4, 4));
        at += 12 + qsizetype(length);
    }
    return types;
}

QByteArray idat(const QByteArray &png) {
    QByteArray out;
    for (qsizetype at = 8; at + 12 <= png.size();) {
        const quint32 length = qFromBigEndian<quint32>(png.constData() + at);
        if (png.mid(at + 4, 4) == "IDAT")
            out += png.mid(at + 8, length);
        at += 12 + qsizetype(length);
    }
    return out;
}

QByteArray written(const QByteArray &bytes, const QVariantMap &exif) {
    const ImageSource source(bytes);
    QVariantMap frame = source.properties(0);
    QVariantMap section = frame.value("{Exif}").toMap();
    for (auto it = exif.begin(); it != exif.end(); ++it)
        section[it.key()] = it.value();
    frame["{Exif}"] = section;
    QByteArray out;
    ImageDestination destination(&out, source.type(), 1);
    destination.addImageFromSource(source, 0, frame);
    EXPECT_TRUE(destination.finalize()) << destination.errorString().toStdString();
    return out;
}

} // namespace

TEST(PngExif, ExifGoesIntoOneExifChunkAndThePixelsStay) {
    QTemporaryDir dir;
    QImage image(30, 20, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    const QString path = dir.filePath(QStringLiteral("plain.png"));
    ASSERT_TRUE(image.save(path, "PNG"));
    const QByteArray before = readAll(path);

    const QByteArray first =
        written(before, {{"DateTimeOriginal", QStringLiteral("2021:02:03 04:05:06")}});
    EXPECT_EQ(chunkTypes(first).count("eXIf"), 1);
    EXPECT_LT(chunkTypes(first).indexOf("eXIf"), chunkTypes(first).indexOf("IDAT"));
    EXPECT_FALSE(first.contains("Raw profile type exif"));
    EXPECT_EQ(idat(first), idat(before));
    ASSERT_TRUE(writeAll(path, first));
    EXPECT_EQ(exiftoolJson(path, {QStringLiteral("-G1")}).value("ExifIFD:DateTimeOriginal"),
              QStringLiteral("2021:02:03 04:05:06"));

    // A second write replaces the chunk rather than adding a stale one beside it.
    const QByteArray second =
        written(first, {{"DateTimeOriginal", QStringLiteral("2022:02:03 04:05:06")}});
    EXPECT_EQ(chunkTypes(second).count("eXIf"), 1);
    ASSERT_TRUE(writeAll(path, second));
    EXPECT_EQ(exiftoolJson(path, {QStringLiteral("-G1")}).value("ExifIFD:DateTimeOriginal"),
              QStringLiteral("2022:02:03 04:05:06"));
    EXPECT_EQ(ImageSource(second).properties(0).value("{Exif}").toMap().value("DateTimeOriginal"),
              QStringLiteral("2022:02:03 04:05:06"));

    // Not a PNG, or one cut short: nothing rather than half a file.
    EXPECT_TRUE(withExifChunk("not a png", "II*").isEmpty());
    EXPECT_TRUE(withExifChunk(before.left(before.size() - 20), "II*").isEmpty());
}
