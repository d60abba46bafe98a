#include "platform/core/ImageLimits.h"
#include "platform/core/ImageSource.h"
#include "support/IsoBoxes.h"

#include <QByteArray>
#include <QList>
#include <gtest/gtest.h>
#include <libheif/heif.h>

namespace {

heif_error writeToArray(heif_context *, const void *data, size_t size, void *userdata) {
    static_cast<QByteArray *>(userdata)->append(static_cast<const char *>(data), qsizetype(size));
    return heif_error{heif_error_Ok, heif_suberror_Unspecified, ""};
}

// One flat 512 x 512 tile encoded by libheif: its hvcC box and its coded bytes.
bool encodeTile(QByteArray *hvcC, QByteArray *tileData, QString *why) {
    heif_context *ctx = heif_context_alloc();
    heif_encoder *encoder = nullptr;
    if (heif_context_get_encoder_for_format(ctx, heif_compression_HEVC, &encoder).code !=
        heif_error_Ok) {
        heif_context_free(ctx);
        *why = QStringLiteral("this libheif has no HEVC encoder");
        return false;
    }
    heif_image *image = nullptr;
    heif_image_create(512, 512, heif_colorspace_YCbCr, heif_chroma_420, &image);
    for (auto [channel, side] : {std::pair{heif_channel_Y, 512}, std::pair{heif_channel_Cb, 256},
                                 std::pair{heif_channel_Cr, 256}}) {
        heif_image_add_plane(image, channel, side, side, 8);
        int stride = 0;
        uint8_t *plane = heif_image_get_plane(image, channel, &stride);
        for (int y = 0; y < side; ++y)
            std::fill(plane + y * stride, plane + y * stride + side, uint8_t(128));
    }
    heif_encoder_set_lossy_quality(encoder, 30);
    heif_image_handle *handle = nullptr;
    const heif_error encoded = heif_context_encode_image(ctx, image, encoder, nullptr, &handle);
    heif_encoder_release(encoder);
    heif_image_release(image);
    QByteArray file;
    heif_writer writer{1, writeToArray};
    if (encoded.code == heif_error_Ok)
        heif_context_write(ctx, &writer, &file);
    heif_image_handle_release(handle);
    heif_context_free(ctx);
    if (file.isEmpty()) {
        *why = QStringLiteral("libheif could not encode a tile");
        return false;
    }
    const qsizetype meta = findBox(file, 0, file.size(), "meta");
    if (meta < 0)
        return false;
    const qsizetype metaEnd = meta + qsizetype(readBe(file, meta, 4));
    const qsizetype iprp = findBox(file, meta + 12, metaEnd, "iprp");
    const qsizetype iloc = findBox(file, meta + 12, metaEnd, "iloc");
    if (iprp < 0 || iloc < 0)
        return false;
    const qsizetype ipco = findBox(file, iprp + 8, iprp + qsizetype(readBe(file, iprp, 4)), "ipco");
    const qsizetype hvcCAt =
        ipco < 0 ? -1 : findBox(file, ipco + 8, ipco + qsizetype(readBe(file, ipco, 4)), "hvcC");
    if (hvcCAt < 0)
        return false;
    *hvcC = file.mid(hvcCAt, qsizetype(readBe(file, hvcCAt, 4)));
    // The first item's first extent; libheif writes a version 0 or 1 iloc.
    const int version = uchar(file.at(iloc + 8));
    const int offsetSize = uchar(file.at(iloc + 12)) >> 4,
              lengthSize = uchar(file.at(iloc + 12)) & 15;
    const int baseSize = uchar(file.at(iloc + 13)) >> 4;
    const int indexSize = version >= 1 ? uchar(file.at(iloc + 13)) & 15 : 0;
    qsizetype at = iloc + 14 + 2 + 2; // item count, item id
    if (version >= 1)
        at += 2; // construction method
    at += 2;     // data reference index
    const quint64 base = readBe(file, at, baseSize);
    at += baseSize + 2 + indexSize; // extent count, extent index
    const quint64 offset = base + readBe(file, at, offsetSize);
    const quint64 length = readBe(file, at + offsetSize, lengthSize);
    *tileData = file.mid(qsizetype(offset), qsizetype(length));
    return tileData->size() == qsizetype(length) && length > 0;
}

// A HEIF whose primary image is a 32 x 32 grid that repeats the one tile: 16384 x 16320 pixels
// from a file of a few kilobytes.
QByteArray tileBomb(const QByteArray &hvcC, const QByteArray &tile) {
    const QByteArray grid =
        be(0, 1) + be(0, 1) + be(31, 1) + be(31, 1) + be(16384, 2) + be(16320, 2);
    const QByteArray ftyp = box("ftyp", QByteArray("heic") + be(0, 4) + "mif1heic");
    QByteArray dimg = be(1, 2) + be(1024, 2);
    for (int i = 0; i < 1024; ++i)
        dimg += be(2, 2);
    auto meta = [&](quint64 dataStart) {
        const QByteArray hdlr = fullBox("hdlr", 0, 0, be(0, 4) + "pict" + be(0, 12) + be(0, 1));
        const QByteArray pitm = fullBox("pitm", 0, 0, be(1, 2));
        const QByteArray iinf =
            fullBox("iinf", 0, 0,
                    be(2, 2) + fullBox("infe", 2, 0, be(1, 2) + be(0, 2) + "grid" + be(0, 1)) +
                        fullBox("infe", 2, 0, be(2, 2) + be(0, 2) + "hvc1" + be(0, 1)));
        const QByteArray iref = fullBox("iref", 0, 0, box("dimg", dimg));
        const QByteArray ipco = box("ipco", hvcC + fullBox("ispe", 0, 0, be(512, 4) + be(512, 4)) +
                                                fullBox("ispe", 0, 0, be(16384, 4) + be(16320, 4)));
        const QByteArray ipma = fullBox("ipma", 0, 0,
                                        be(2, 4) + be(1, 2) + be(1, 1) + be(0x83, 1) + be(2, 2) +
                                            be(2, 1) + be(0x81, 1) + be(0x02, 1));
        const QByteArray iloc = fullBox(
            "iloc", 0, 0,
            be(0x44, 1) + be(0, 1) + be(2, 2) + be(1, 2) + be(0, 2) + be(1, 2) + be(dataStart, 4) +
                be(quint64(grid.size()), 4) + be(2, 2) + be(0, 2) + be(1, 2) +
                be(dataStart + quint64(grid.size()), 4) + be(quint64(tile.size()), 4));
        return fullBox("meta", 0, 0, hdlr + pitm + iinf + iref + box("iprp", ipco + ipma) + iloc);
    };
    const quint64 dataStart = quint64(ftyp.size() + meta(0).size() + 8);
    return ftyp + meta(dataStart) + box("mdat", grid + tile);
}

QStringList warnings;
void collect(QtMsgType type, const QMessageLogContext &, const QString &text) {
    if (type == QtWarningMsg)
        warnings << text;
}

} // namespace

TEST(ImageLimits, ATileBombHeicIsRefusedBeforeDecoding) {
    QByteArray hvcC, tile;
    QString why;
    if (!encodeTile(&hvcC, &tile, &why))
        GTEST_SKIP() << "no tile-bomb HEIC can be made here: " << why.toStdString();
    const QByteArray bomb = tileBomb(hvcC, tile);
    ASSERT_LT(bomb.size(), 200 * 1024);
    const ImageSource source(bomb);
    if (!source.isValid()) {
        // libheif 1.18 and later refuse a grid of that many tiles at the open already.
        EXPECT_TRUE(source.errorString().contains("limit")) << source.errorString().toStdString();
        EXPECT_TRUE(source.thumbnail(256).isNull());
        return;
    }
    EXPECT_EQ(source.properties(0).value("PixelWidth").toInt(), 16384);

    warnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(collect);
    const QImage thumbnail = source.thumbnail(256);
    qInstallMessageHandler(previous);
    EXPECT_TRUE(thumbnail.isNull());
    EXPECT_TRUE(warnings.join('\n').contains("too large")) << warnings.join('\n').toStdString();
}

TEST(ImageLimits, RealPhotoSizesPassAndOverflowDoesNot) {
    EXPECT_TRUE(ImageLimits::decodeAllowed(8064, 6048));   // 48 MP phone
    EXPECT_TRUE(ImageLimits::decodeAllowed(14204, 10652)); // 151 MP medium format
    QString why;
    EXPECT_FALSE(ImageLimits::decodeAllowed(16384, 16320, &why));
    EXPECT_TRUE(why.contains("too large"));
    EXPECT_FALSE(ImageLimits::decodeAllowed(qint64(1) << 40, qint64(1) << 40));
    EXPECT_FALSE(ImageLimits::decodeAllowed(0, 100));
}
