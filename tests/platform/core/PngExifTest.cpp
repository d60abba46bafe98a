// A PNG's Exif lives in the standard eXIf chunk, where other programs read it.
#include "platform/core/PngExif.h"
#include "platform/core/ImageDestination.h"
#include "platform/core/ImageSource.h"
#include "support/ImageTestHelpers.h"
#include "support/Mutations.h"
#include "support/TestSupport.h"

#include <QBuffer>
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

QByteArray pngChunk(const QByteArray &type, const QByteArray &body) {
    QByteArray out(4, '\0');
    qToBigEndian(quint32(body.size()), out.data());
    QByteArray crc(4, '\0');
    quint32 c = 0xffffffffu;
    for (char b : type + body) {
        c ^= quint8(b);
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xedb88320u ^ (c >> 1) : c >> 1;
    }
    qToBigEndian(c ^ 0xffffffffu, crc.data());
    return out + type + body + crc;
}

// `plain` as Apple's screenshots are: its image data split in two parts, and an iDOT chunk
// right before them that says where each starts, as offsets from the iDOT chunk; a stale eXIf
// between them, which a write drops, moves the parts.
struct AppleScreenshot {
    QByteArray png, first, second;
};
AppleScreenshot appleScreenshot(const QByteArray &plain, int height) {
    const qsizetype at = plain.indexOf("IDAT") - 4;
    const QByteArray data = idat(plain);
    AppleScreenshot out;
    out.first = pngChunk("IDAT", data.left(data.size() / 2));
    out.second = pngChunk("IDAT", data.mid(data.size() / 2));
    const QByteArray stale = pngChunk("eXIf", QByteArray("MM\0*\0\0\0\x08\0\0\0\0\0\0", 14));
    const quint32 start = quint32(40 + stale.size()), half = quint32(height / 2);
    QByteArray idot(28, '\0');
    const quint32 fields[] = {
        2, 0, half, start, half, quint32(height) - half, quint32(start + out.first.size())};
    for (int i = 0; i < 7; ++i)
        qToBigEndian(fields[i], idot.data() + 4 * i);
    const qsizetype end = plain.indexOf("IEND") - 4;
    out.png =
        plain.left(at) + pngChunk("iDOT", idot) + stale + out.first + out.second + plain.mid(end);
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

// Apple's screenshots split their image data in two parts and say in an iDOT chunk where each
// starts, as offsets from the iDOT chunk; decoders that trust it read garbage when they lie.
TEST(PngExif, AppleIdotOffsetsStayTrue) {
    QImage image(40, 40, QImage::Format_RGB32);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x)
            image.setPixel(x, y, qRgb(x * 6, y * 6, (x * y) % 256));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("screenshot.png"));
    ASSERT_TRUE(image.save(path, "PNG"));
    const AppleScreenshot apple = appleScreenshot(readAll(path), 40);
    const QByteArray &first = apple.first, &second = apple.second;
    ASSERT_EQ(chunkTypes(apple.png).mid(chunkTypes(apple.png).size() - 5),
              (QStringList{"iDOT", "eXIf", "IDAT", "IDAT", "IEND"}));

    const QByteArray out =
        written(apple.png, {{"DateTimeOriginal", QStringLiteral("2021:02:03 04:05:06")}});
    EXPECT_EQ(chunkTypes(out).count("eXIf"), 1);
    const qsizetype idotAt = out.indexOf("iDOT") - 4;
    ASSERT_GT(idotAt, 0);
    EXPECT_EQ(out.mid(idotAt, 40), pngChunk("iDOT", out.mid(idotAt + 8, 28))); // its CRC holds
    for (int part = 0; part < 2; ++part) {
        const qsizetype target =
            idotAt + qFromBigEndian<quint32>(out.constData() + idotAt + 8 + 4 + 12 * part + 8);
        EXPECT_EQ(out.mid(target, (part ? second : first).size()), part ? second : first) << part;
    }
    ASSERT_TRUE(writeAll(path, out));
    const QJsonObject tool = exiftoolJson(path, {QStringLiteral("-G1"), QStringLiteral("-a")});
    EXPECT_EQ(tool.value("ExifIFD:DateTimeOriginal"), QStringLiteral("2021:02:03 04:05:06"));
    EXPECT_FALSE(tool.contains("ExifTool:Warning"));
    EXPECT_EQ(QImage(path).convertToFormat(QImage::Format_RGB32), image);
}

// Damaged PNGs (chunk lengths, the header, the iDOT's count and offsets, cut short) give the
// chunk walks a whole file or nothing, and a metadata write a file or a refusal.
TEST(PngExif, DamagedPngsGiveAWholeFileOrNothing) {
    const QImage photo = QImage(fixturePath(QStringLiteral("Fritest.jpeg"))).scaledToWidth(48);
    QByteArray plain;
    QBuffer buffer(&plain);
    ASSERT_TRUE(buffer.open(QIODevice::WriteOnly) && photo.save(&buffer, "PNG"));
    const QByteArray apple = appleScreenshot(plain, photo.height()).png;
    std::vector<Mutations::Field> fields;
    for (qsizetype at = 8; at + 12 <= apple.size();) {
        const quint32 length = qFromBigEndian<quint32>(apple.constData() + at);
        fields.push_back({at, 4});
        if (apple.mid(at + 4, 4) == "iDOT" || apple.mid(at + 4, 4) == "IHDR")
            for (qsizetype k = 0; k + 4 <= qsizetype(length); k += 4)
                fields.push_back({at + 8 + k, 4});
        at += 12 + qsizetype(length);
    }
    const QByteArray exif("MM\0*\0\0\0\x08\0\0\0\0\0\0", 14);
    Mutations mutations(apple, fields, 11);
    int whole = 0, written = 0;
    for (int i = 0; i < 300; ++i) {
        QString what;
        const QByteArray png = mutations.next(&what);
        SCOPED_TRACE(what.toStdString());
        // A damaged original's iDOT on a sound write, and a sound original's on a damaged one.
        EXPECT_EQ(withIdotOf(png, apple).size(), apple.size());
        EXPECT_EQ(withIdotOf(apple, png).size(), png.size());
        const QByteArray out = withExifChunk(png, exif);
        if (!out.isEmpty()) {
            EXPECT_TRUE(out.startsWith("\x89PNG\r\n\x1a\n"));
            EXPECT_EQ(chunkTypes(out).count("eXIf"), 1);
            ++whole;
        }
        const ImageSource source(png);
        if (!source.isValid())
            continue;
        QVariantMap frame = source.properties(0);
        frame["{Exif}"] = QVariantMap{{"DateTimeOriginal", QStringLiteral("2021:02:03 04:05:06")}};
        QByteArray rewritten;
        ImageDestination destination(&rewritten, source.type(), 1);
        destination.addImageFromSource(source, 0, frame);
        if (destination.finalize()) {
            EXPECT_TRUE(rewritten.startsWith("\x89PNG\r\n\x1a\n"));
            ++written;
        } else {
            EXPECT_FALSE(destination.errorString().isEmpty());
        }
    }
    EXPECT_GT(whole, 50);
    EXPECT_GT(written, 50);
}
