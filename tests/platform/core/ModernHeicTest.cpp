// HEICs as phones from iOS 17 on make them: an auxiliary image beside the primary one (here an
// alpha plane; a depth map or HDR gain map is stored the same way), a second top-level image
// and a small thumbnail item. libheif before 1.18 refused such files.
#include "batch/core/HeifJpeg.h"
#include "batch/core/HeifPrimary.h"
#include "batch/core/ImageOutputs.h"
#include "batch/core/UprightDecode.h"
#include "platform/core/HeifGeometry.h"
#include "platform/core/HeifReducedDecode.h"
#include "platform/core/ImageDestination.h"
#include "platform/core/ImageSource.h"

#include "support/HeifPixels.h"
#include "support/ImageTestHelpers.h"
#include "support/IsoBoxes.h"
#include "support/Mutations.h"
#include "support/TestSupport.h"

#include <QBuffer>
#include <QImageReader>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <libheif/heif.h>
#include <libheif/heif_items.h>

namespace {

heif_error writeToArray(heif_context *, const void *data, size_t size, void *userdata) {
    static_cast<QByteArray *>(userdata)->append(static_cast<const char *>(data), qsizetype(size));
    return heif_error{heif_error_Ok, heif_suberror_Unspecified, "ok"};
}

heif_image *planes(int width, int height, bool alpha, uint8_t luma) {
    heif_image *image = nullptr;
    heif_image_create(width, height, heif_colorspace_YCbCr, heif_chroma_420, &image);
    const auto fill = [&](heif_channel channel, int w, int h, uint8_t value) {
        heif_image_add_plane(image, channel, w, h, 8);
        int stride = 0;
        uint8_t *plane = heif_image_get_plane(image, channel, &stride);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                plane[y * stride + x] = uint8_t(value + (x * 7 + y * 3) % 40);
    };
    fill(heif_channel_Y, width, height, luma);
    fill(heif_channel_Cb, (width + 1) / 2, (height + 1) / 2, 100);
    fill(heif_channel_Cr, (width + 1) / 2, (height + 1) / 2, 150);
    if (alpha)
        fill(heif_channel_Alpha, width, height, 200);
    return image;
}

// The primary image with alpha and a 320-pixel thumbnail (with `foreignThumbnail`, a square
// picture of something else), then a second image.
QByteArray modernHeic(QString *why, bool foreignThumbnail = false) {
    heif_context *ctx = heif_context_alloc();
    heif_encoder *encoder = nullptr;
    if (heif_context_get_encoder_for_format(ctx, heif_compression_HEVC, &encoder).code !=
        heif_error_Ok) {
        heif_context_free(ctx);
        *why = QStringLiteral("this libheif has no HEVC encoder");
        return {};
    }
    heif_encoder_set_lossy_quality(encoder, 50);
    heif_image *primary = planes(640, 480, true, 60);
    heif_image_handle *handle = nullptr;
    QByteArray file;
    std::pair<heif_item_id, heif_item_id> thumbnailOf{0, 0};
    if (heif_context_encode_image(ctx, primary, encoder, nullptr, &handle).code == heif_error_Ok) {
        heif_image_handle *thumb = nullptr;
        if (foreignThumbnail) {
            heif_image *square = planes(128, 128, false, 200);
            if (heif_context_encode_image(ctx, square, encoder, nullptr, &thumb).code ==
                heif_error_Ok)
                heif_context_assign_thumbnail(ctx, handle, thumb);
            heif_image_release(square);
            thumbnailOf = {heif_image_handle_get_item_id(thumb),
                           heif_image_handle_get_item_id(handle)};
        } else {
            heif_context_encode_thumbnail(ctx, primary, handle, encoder, nullptr, 320, &thumb);
        }
        if (thumb)
            heif_image_handle_release(thumb);
        heif_context_set_primary_image(ctx, handle);
        heif_image *second = planes(320, 240, false, 120);
        heif_image_handle *other = nullptr;
        heif_context_encode_image(ctx, second, encoder, nullptr, &other);
        if (other)
            heif_image_handle_release(other);
        heif_image_release(second);
        heif_writer writer{1, writeToArray};
        heif_context_write(ctx, &writer, &file);
    }
    if (handle)
        heif_image_handle_release(handle);
    heif_image_release(primary);
    heif_encoder_release(encoder);
    heif_context_free(ctx);
    // The thumbnail's reference goes from it to the photo (libheif 1.19 writes it the other way).
    if (const qsizetype thmb = file.indexOf("thmb"); thumbnailOf.first && thmb > 0)
        file.replace(thmb + 4, 6, be(thumbnailOf.first, 2) + be(1, 2) + be(thumbnailOf.second, 2));
    if (file.isEmpty())
        *why = QStringLiteral("libheif could not write the test HEIC");
    return file;
}

// `image` encoded as the primary image, placed by `orientation` (irot, imir); takes `image`.
QByteArray encodedTurned(heif_image *image, heif_orientation orientation) {
    heif_context *ctx = heif_context_alloc();
    heif_encoder *encoder = nullptr;
    QByteArray file;
    if (heif_context_get_encoder_for_format(ctx, heif_compression_HEVC, &encoder).code ==
        heif_error_Ok) {
        heif_encoding_options *options = heif_encoding_options_alloc();
        options->image_orientation = orientation;
        if (heif_context_encode_image(ctx, image, encoder, options, nullptr).code ==
            heif_error_Ok) {
            heif_writer writer{1, writeToArray};
            heif_context_write(ctx, &writer, &file);
        }
        heif_encoding_options_free(options);
        heif_encoder_release(encoder);
    }
    heif_image_release(image);
    heif_context_free(ctx);
    return file;
}

// 128 x 64 stored and turned 90° clockwise by the container (irot), as a phone's portrait is.
QByteArray turnedHeic() {
    return encodedTurned(planes(128, 64, false, 60), heif_orientation_rotate_90_cw);
}

bool plantOrientation(const QString &path, int orientation) {
    return QProcess::execute(QStringLiteral("exiftool"),
                             {QStringLiteral("-q"), QStringLiteral("-overwrite_original"),
                              QStringLiteral("-IFD0:Orientation#=%1").arg(orientation), path}) == 0;
}

// 1024 x 512, red on the stored left and blue on the right, placed by `orientation`. (The grid
// this libheif writes cannot be read back; the phone's grid is the fixture.)
QByteArray halvesHeic(heif_orientation orientation) {
    heif_image *image = nullptr;
    heif_image_create(1024, 512, heif_colorspace_YCbCr, heif_chroma_420, &image);
    for (heif_channel channel : {heif_channel_Y, heif_channel_Cb, heif_channel_Cr}) {
        const int c = channel == heif_channel_Y ? 0 : channel == heif_channel_Cb ? 1 : 2;
        const int w = c == 0 ? 1024 : 512, h = c == 0 ? 512 : 256;
        heif_image_add_plane(image, channel, w, h, 8);
        int stride = 0;
        uint8_t *plane = heif_image_get_plane(image, channel, &stride);
        const uint8_t red[] = {76, 85, 255}, blue[] = {29, 255, 107};
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                plane[y * stride + x] = x < w / 2 ? red[c] : blue[c];
    }
    return encodedTurned(image, orientation);
}

// What libheif makes of the whole primary image, and what our small decode makes of it.
std::pair<QImage, QImage> wholeAndReduced(const QByteArray &file) {
    heif_context *ctx = heif_context_alloc();
    heif_image_handle *h = nullptr;
    heif_image *img = nullptr;
    QImage whole, reduced;
    if (heif_context_read_from_memory_without_copy(ctx, file.constData(), size_t(file.size()),
                                                   nullptr)
                .code == heif_error_Ok &&
        heif_context_get_primary_image_handle(ctx, &h).code == heif_error_Ok) {
        reduced = heifReducedDecode(ctx, h, file, 256);
        if (heif_decode_image(h, &img, heif_colorspace_RGB, heif_chroma_interleaved_RGB, nullptr)
                .code == heif_error_Ok) {
            int stride = 0;
            const uint8_t *plane =
                heif_image_get_plane_readonly(img, heif_channel_interleaved, &stride);
            whole = QImage(plane, heif_image_get_width(img, heif_channel_interleaved),
                           heif_image_get_height(img, heif_channel_interleaved), stride,
                           QImage::Format_RGB888)
                        .convertToFormat(QImage::Format_RGB32);
            heif_image_release(img);
        }
        heif_image_handle_release(h);
    }
    heif_context_free(ctx);
    return {whole, reduced};
}

// The mean difference of two pictures' channels, both brought to 32 x 32.
double meanDifference(const QImage &a, const QImage &b) {
    const QImage x = a.scaled(32, 32, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const QImage y = b.scaled(32, 32, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    double sum = 0;
    for (int r = 0; r < 32; ++r)
        for (int c = 0; c < 32; ++c) {
            const QRgb p = x.pixel(c, r), q = y.pixel(c, r);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                   std::abs(qBlue(p) - qBlue(q));
        }
    return sum / (32 * 32 * 3);
}

// The phone's top-left 2 x 2 tiles as a HEIC of their own, 1024 x 1024 pixels: the tiles and
// their decoder configuration as the phone coded them, in a grid turned by 0 degrees and, when
// `cropped`, cropped to 1000 x 1000, so that every relation the decoders rely on is there to
// damage.
QByteArray phoneGridCut(bool cropped) {
    const QByteArray phone = readAll(fixturePath(QStringLiteral("IMG_3092.heic")));
    const qsizetype meta = findBox(phone, 0, phone.size(), "meta");
    const qsizetype iprp = meta < 0 ? -1 : findBox(phone, meta + 12, boxEnd(phone, meta), "iprp");
    const qsizetype ipco = iprp < 0 ? -1 : findBox(phone, iprp + 8, boxEnd(phone, iprp), "ipco");
    const qsizetype hvcC = ipco < 0 ? -1 : findBox(phone, ipco + 8, boxEnd(phone, ipco), "hvcC");
    QByteArrayList tiles;
    heif_context *ctx = heif_context_alloc();
    if (hvcC > 0 && heif_context_read_from_memory_without_copy(ctx, phone.constData(),
                                                               size_t(phone.size()), nullptr)
                            .code == heif_error_Ok) {
        for (heif_item_id id : {1, 2, 7, 8}) { // items 1 to 48 are the tiles, six to a row
            uint8_t *data = nullptr;
            size_t size = 0;
            if (heif_item_get_item_data(ctx, id, nullptr, &data, &size).code == heif_error_Ok)
                tiles << QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
            heif_release_item_data(ctx, &data);
        }
    }
    heif_context_free(ctx);
    if (tiles.size() != 4)
        return {};
    const QByteArray grid = be(0, 1) + be(0, 1) + be(1, 1) + be(1, 1) + be(1024, 2) + be(1024, 2);
    QByteArray infe;
    for (int id = 1; id <= 5; ++id)
        infe += fullBox("infe", 2, 0,
                        be(quint64(id), 2) + be(0, 2) + (id < 5 ? "hvc1" : "grid") + be(0, 1));
    // A crop of 12 pixels on every side.
    const QByteArray clap = box("clap", be(1000, 4) + be(1, 4) + be(1000, 4) + be(1, 4) + be(0, 4) +
                                            be(1, 4) + be(0, 4) + be(1, 4));
    const QByteArray properties = box("ipco", phone.mid(hvcC, boxEnd(phone, hvcC) - hvcC) +
                                                  fullBox("ispe", 0, 0, be(512, 4) + be(512, 4)) +
                                                  fullBox("ispe", 0, 0, be(1024, 4) + be(1024, 4)) +
                                                  box("irot", be(0, 1)) + clap);
    QByteArray ipma = be(5, 4);
    for (int id = 1; id <= 4; ++id)
        ipma += be(quint64(id), 2) + be(2, 1) + be(0x81, 1) + be(0x02, 1);
    ipma += cropped ? be(5, 2) + be(3, 1) + be(0x03, 1) + be(0x85, 1) + be(0x84, 1)
                    : be(5, 2) + be(2, 1) + be(0x03, 1) + be(0x84, 1);
    const auto metaBox = [&](quint64 dataStart) {
        QByteArray iloc = be(0x44, 1) + be(0, 1) + be(5, 2);
        for (int id = 1; id <= 4; ++id) {
            iloc += be(quint64(id), 2) + be(0, 2) + be(0, 2) + be(1, 2) + be(dataStart, 4) +
                    be(quint64(tiles[id - 1].size()), 4);
            dataStart += quint64(tiles[id - 1].size());
        }
        iloc += be(5, 2) + be(1, 2) + be(0, 2) + be(1, 2) + be(0, 4) + be(quint64(grid.size()), 4);
        return fullBox("meta", 0, 0,
                       fullBox("hdlr", 0, 0, be(0, 4) + "pict" + be(0, 12) + be(0, 1)) +
                           fullBox("pitm", 0, 0, be(5, 2)) +
                           fullBox("iinf", 0, 0, be(5, 2) + infe) +
                           fullBox("iref", 0, 0,
                                   box("dimg", be(5, 2) + be(4, 2) + be(1, 2) + be(2, 2) +
                                                   be(3, 2) + be(4, 2))) +
                           box("iprp", properties + fullBox("ipma", 0, 0, ipma)) +
                           box("idat", grid) + fullBox("iloc", 1, 0, iloc));
    };
    const QByteArray ftyp = box("ftyp", QByteArray("heic") + be(0, 4) + "mif1heic");
    const quint64 dataStart = quint64(ftyp.size() + metaBox(0).size() + 8);
    return ftyp + metaBox(dataStart) + box("mdat", tiles.join());
}

QSize jpegSize(const QByteArray &jpeg) {
    QBuffer buffer;
    buffer.setData(jpeg);
    buffer.open(QIODevice::ReadOnly);
    return QImageReader(&buffer, "jpeg").size();
}

// Whether two pictures have one shape: fitted into one square, a pixel apart at most.
bool oneShape(QSize a, QSize b) {
    const QSize x = a.scaled(64, 64, Qt::KeepAspectRatio),
                y = b.scaled(64, 64, Qt::KeepAspectRatio);
    return std::abs(x.width() - y.width()) <= 1 && std::abs(x.height() - y.height()) <= 1;
}

} // namespace

// A phone's portrait HEIC tells its size as a JPEG does, the stored size with its orientation,
// so that the panel, renames by size and the property list say the same of both.
TEST(ModernHeic, ATurnedHeicTellsItsStoredSizeWithItsOrientation) {
    const QByteArray made = turnedHeic();
    if (made.isEmpty())
        GTEST_SKIP() << "this libheif has no HEVC encoder";
    QTemporaryDir dir;
    // Without an Exif orientation, the size it shows in is the one to tell.
    const QVariantMap bare = ImageSource(made).properties(0);
    EXPECT_EQ(bare.value("PixelWidth").toInt(), 64);
    EXPECT_EQ(bare.value("PixelHeight").toInt(), 128);
    EXPECT_FALSE(bare.contains("Orientation"));

    const QString heic = dir.filePath(QStringLiteral("portrait.heic"));
    const QString jpeg = dir.filePath(QStringLiteral("portrait.jpg"));
    QImage stored(128, 64, QImage::Format_RGB32);
    stored.fill(Qt::darkCyan);
    ASSERT_TRUE(writeAll(heic, made) && stored.save(jpeg, "JPEG"));
    ASSERT_TRUE(plantOrientation(heic, 6) && plantOrientation(jpeg, 6));
    const ImageSource heicSource(readAll(heic)), jpegSource(readAll(jpeg));
    for (const ImageSource *source : {&heicSource, &jpegSource}) {
        SCOPED_TRACE(source->type().toStdString());
        const QVariantMap props = source->properties(0);
        EXPECT_EQ(props.value("PixelWidth").toInt(), 128);
        EXPECT_EQ(props.value("PixelHeight").toInt(), 64);
        EXPECT_EQ(props.value("Orientation").toInt(), 6);
        EXPECT_EQ(source->thumbnail(200).size(), QSize(64, 128)); // shown upright
    }
    const QJsonObject tags = exiftoolJson(heic, {QStringLiteral("-G1"), QStringLiteral("-a")});
    EXPECT_EQ(tags.value("QuickTime:ImageSpatialExtent").toString(), QStringLiteral("128x64"));
    EXPECT_EQ(tags.value("IFD0:Orientation").toString(), QStringLiteral("Rotate 90 CW"));
    // Orientation 1 (an edit may leave it) does not tell the container's turn: the size it
    // shows in, as an upright JPEG of the same picture tells.
    ASSERT_TRUE(plantOrientation(heic, 1));
    const QVariantMap one = ImageSource(readAll(heic)).properties(0);
    EXPECT_EQ(one.value("PixelWidth").toInt(), 64);
    EXPECT_EQ(one.value("PixelHeight").toInt(), 128);
}

TEST(ModernHeic, AuxiliaryImagesAndThumbnailsOpenAndSurviveAMetadataWrite) {
    QString why;
    const QByteArray made = modernHeic(&why);
    if (made.isEmpty())
        GTEST_SKIP() << why.toStdString();
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("modern.heic"));
    ASSERT_TRUE(writeAll(path, made));
    // Exif as a phone writes it, added by an outside tool.
    ASSERT_EQ(QProcess::execute(QStringLiteral("exiftool"),
                                {QStringLiteral("-q"), QStringLiteral("-overwrite_original"),
                                 QStringLiteral("-Make=Apple"),
                                 QStringLiteral("-DateTimeOriginal=2024:05:06 07:08:09"), path}),
              0);
    const QByteArray bytes = readAll(path);
    const ImageSource source(bytes);
    ASSERT_TRUE(source.isValid()) << source.errorString().toStdString();
    EXPECT_EQ(source.type(), QStringLiteral("public.heic"));
    const QVariantMap props = source.properties(0);
    EXPECT_EQ(props.value("PixelWidth").toInt(), 640);
    EXPECT_EQ(props.value("{Exif}").toMap().value("DateTimeOriginal").toString(),
              QStringLiteral("2024:05:06 07:08:09"));
    const QImage thumbnail = source.thumbnail(200);
    ASSERT_FALSE(thumbnail.isNull());
    EXPECT_LE(std::max(thumbnail.width(), thumbnail.height()), 320);

    QVariantMap frame = props;
    QVariantMap exif = frame.value("{Exif}").toMap();
    exif["DateTimeOriginal"] = QStringLiteral("2024:05:06 08:08:09");
    frame["{Exif}"] = exif;
    QByteArray written;
    ImageDestination destination(&written, source.type(), source.count());
    for (int i = 0; i < source.count(); ++i)
        destination.addImageFromSource(source, i, i == 0 ? frame : source.properties(i));
    ASSERT_TRUE(destination.finalize()) << destination.errorString().toStdString();
    ASSERT_TRUE(writeAll(path, written));
    const QJsonObject tags = exiftoolJson(path, {QStringLiteral("-G1")});
    EXPECT_EQ(tags.value("ExifIFD:DateTimeOriginal").toString(),
              QStringLiteral("2024:05:06 08:08:09"));
    // Every image, the auxiliary one and the thumbnail are still there, pixels untouched.
    EXPECT_EQ(decodedPixels(written), decodedPixels(bytes));
    heif_context *ctx = heif_context_alloc();
    ASSERT_EQ(heif_context_read_from_memory_without_copy(ctx, written.constData(),
                                                         size_t(written.size()), nullptr)
                  .code,
              heif_error_Ok);
    EXPECT_EQ(heif_context_get_number_of_top_level_images(ctx), 2);
    heif_image_handle *primary = nullptr;
    ASSERT_EQ(heif_context_get_primary_image_handle(ctx, &primary).code, heif_error_Ok);
    EXPECT_TRUE(heif_image_handle_has_alpha_channel(primary));
    EXPECT_EQ(heif_image_handle_get_number_of_thumbnails(primary), 1);
    heif_image_handle_release(primary);
    heif_context_free(ctx);
}

// A HEIC without a thumbnail item is decoded straight to cell size: the phone's grid of tiles
// and a turned or mirrored image show as libheif's whole decode does, upright and unshifted.
TEST(ModernHeic, ASmallDecodeShowsWhatTheWholeDecodeShows) {
    const QByteArray grid = readAll(fixturePath(QStringLiteral("IMG_3092.heic")));
    const auto [whole, reduced] = wholeAndReduced(grid);
    ASSERT_FALSE(reduced.isNull());
    EXPECT_EQ(whole.size(), QSize(3024, 4032));
    EXPECT_EQ(reduced.size(), QSize(3024 / 15 + 1, 4032 / 15 + 1));
    EXPECT_LT(meanDifference(whole, reduced), 3.0);
    EXPECT_EQ(ImageSource(grid).thumbnail(256).size(), QSize(192, 256));

    for (heif_orientation orientation :
         {heif_orientation_rotate_90_cw, heif_orientation_flip_horizontally,
          heif_orientation_rotate_90_cw_then_flip_horizontally}) {
        SCOPED_TRACE(int(orientation));
        const QByteArray made = halvesHeic(orientation);
        if (made.isEmpty())
            GTEST_SKIP() << "this libheif has no HEVC encoder";
        const auto [turned, small] = wholeAndReduced(made);
        ASSERT_FALSE(small.isNull());
        EXPECT_EQ(small.width() * 2 == small.height(), turned.width() * 2 == turned.height());
        EXPECT_LT(meanDifference(turned, small), 4.0);
    }
}

// libheif writes or reads outside a picture whose tiles or crop lie outside it, and the tile
// road wrote outside its planes when the grid's size box disagreed with the grid (a negative
// copy). Such damaged files are refused by every road before anything decodes them, with the
// reason; a file whose stream decodes to another size than it declares is refused after.
TEST(ModernHeic, ADamagedGridOrCropIsRefusedBeforeAnyDecode) {
    const QByteArray phone = readAll(fixturePath(QStringLiteral("IMG_3092.heic")));
    const qsizetype tileSize = phone.indexOf("ispe"),
                    gridSize = phone.indexOf("ispe", tileSize + 4);
    ASSERT_GT(tileSize, 0);
    ASSERT_GT(gridSize, tileSize);
    const auto with = [&](qsizetype at, quint64 value) {
        QByteArray file = phone;
        file.replace(at, 4, be(value, 4));
        return file;
    };
    QByteArray cropped = encodedTurned(planes(640, 479, false, 60), heif_orientation_normal);
    if (cropped.isEmpty())
        GTEST_SKIP() << "this libheif has no HEVC encoder";
    // The odd height is cropped by a clean aperture: its vertical offset made -65,281 / 2.
    const qsizetype clap = cropped.indexOf("clap");
    ASSERT_GT(clap, 0);
    cropped[clap + 4 + 24 + 2] = char(0);
    QByteArray wider = encodedTurned(planes(64, 64, false, 60), heif_orientation_normal);
    const qsizetype ispe = wider.indexOf("ispe");
    ASSERT_GT(ispe, 0);
    wider.replace(ispe + 8, 4, be(96, 4));

    const std::pair<QByteArray, const char *> cases[] = {
        // The tiles say 512 x 767: libheif lays the last rows of tiles past the picture's end.
        {with(tileSize + 12, 767), "does not fit"},
        // The grid's size box says 512 wide where the grid makes 3024.
        {with(gridSize + 8, 512), "size box says 512 x 4032 but its grid makes 3024 x 4032"},
        {with(gridSize + 12, 8000), "size box says"},
        // Tiles 511 wide: their colour would start on odd pixels.
        {with(tileSize + 8, 511), "start on odd pixels"},
        {cropped, "crop reaches outside"},
        {wider, "decodes to 64 x 64 pixels, not the 96 x 64"},
    };
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("damaged.heic"));
    for (const auto &[file, reason] : cases) {
        SCOPED_TRACE(reason);
        ASSERT_TRUE(writeAll(path, file));
        const PreparedOutput jpeg =
            prepareJpegConversion(path, QStringLiteral("damaged.heic"), dir.path());
        EXPECT_FALSE(jpeg.ok());
        EXPECT_TRUE(jpeg.reason.contains(QLatin1String(reason))) << jpeg.reason.toStdString();
        EXPECT_TRUE(heifToJpegFromPlanes(file, 90).isEmpty());
        EXPECT_TRUE(ImageSource(file).thumbnail(256).isNull());
        heif_context *ctx = heif_context_alloc();
        heif_image_handle *h = nullptr;
        ASSERT_EQ(heif_context_read_from_memory_without_copy(ctx, file.constData(),
                                                             size_t(file.size()), nullptr)
                      .code,
                  heif_error_Ok);
        ASSERT_EQ(heif_context_get_primary_image_handle(ctx, &h).code, heif_error_Ok);
        EXPECT_TRUE(heifReducedDecode(ctx, h, file, 16).isNull());
        heif_image_handle_release(h);
        heif_context_free(ctx);
    }

    // A thumbnail item of another shape than the photo is passed over for the photo itself.
    QString why;
    const QByteArray foreign = modernHeic(&why, true);
    ASSERT_FALSE(foreign.isEmpty()) << why.toStdString();
    EXPECT_EQ(ImageSource(foreign).thumbnail(200).size(), QSize(200, 150));
}

// libheif crops 4:2:0 colour one row and column past its planes where a crop keeps the bottom
// row of an even height, as libheif's own encoder crops an odd width, or as a crop of nothing
// does: such photos are cropped by us, and convert and show at the size they declare.
TEST(ModernHeic, ACropThatKeepsTheBottomRowConvertsAndShowsWhole) {
    const QByteArray oddWidth = encodedTurned(planes(641, 480, false, 60), heif_orientation_normal);
    if (oddWidth.isEmpty())
        GTEST_SKIP() << "this libheif has no HEVC encoder";
    QByteArray whole = phoneGridCut(true);
    const qsizetype crop = whole.indexOf("clap");
    ASSERT_GT(crop, 0);
    whole.replace(crop + 4, 12, be(1024, 4) + be(1, 4) + be(1024, 4));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("cropped.heic"));
    for (const auto &[file, size] :
         {std::pair{oddWidth, QSize(641, 480)}, {whole, QSize(1024, 1024)}}) {
        ASSERT_TRUE(writeAll(path, file));
        const PreparedOutput jpeg =
            prepareJpegConversion(path, QStringLiteral("cropped.heic"), dir.path());
        ASSERT_TRUE(jpeg.ok()) << jpeg.reason.toStdString();
        EXPECT_EQ(jpegSize(jpeg.bytes), size);
        EXPECT_EQ(decodeUpright(file, path).image.size(), size);
        EXPECT_TRUE(oneShape(ImageSource(file).thumbnail(128).size(), size));
    }
    // Our crop takes the pixels libheif's would: 12 on every side of the phone's tiles.
    const QImage cropped = decodeUpright(phoneGridCut(true), path).image;
    const QImage uncropped = decodeUpright(phoneGridCut(false), path).image;
    EXPECT_TRUE(cropped.convertToFormat(QImage::Format_RGB32) ==
                uncropped.copy(12, 12, 1000, 1000).convertToFormat(QImage::Format_RGB32));
}

// Phone grids damaged in their boxes (sizes, counts, the grid, its size boxes, turn and crop,
// cut short): each converts to JPEG and shows as a thumbnail of that JPEG's shape, or the
// conversion is refused with a reason (and so is the thumbnail, where the reason is the
// geometry), and nothing reads or writes outside its memory.
TEST(ModernHeic, DamagedPhoneGridsConvertAndShowAtOneSizeOrAreRefused) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("cut.heic"));
    int converted = 0, refused = 0;
    for (const bool cropped : {false, true}) {
        const QByteArray cut = phoneGridCut(cropped);
        ASSERT_FALSE(cut.isEmpty());
        ASSERT_TRUE(writeAll(path, cut));
        ASSERT_EQ(
            jpegSize(prepareJpegConversion(path, QStringLiteral("cut.heic"), dir.path()).bytes),
            cropped ? QSize(1000, 1000) : QSize(1024, 1024));
        const qsizetype mdat = cut.indexOf("mdat") - 4;
        Mutations mutations(cut, isoBoxFields(cut.left(mdat)), cropped ? 7 : 3, 0, mdat + 64);
        for (int i = 0; i < 100; ++i) {
            QString what;
            const QByteArray file = mutations.next(&what);
            SCOPED_TRACE(what.toStdString());
            ASSERT_TRUE(writeAll(path, file));
            const PreparedOutput jpeg =
                prepareJpegConversion(path, QStringLiteral("cut.heic"), dir.path());
            const QImage thumbnail = ImageSource(file).thumbnail(128);
            if (!jpeg.ok()) {
                EXPECT_FALSE(jpeg.reason.isEmpty());
                // What the file says of its geometry refuses the thumbnail too; only coded data
                // that FFmpeg takes and libheif's decoder does not may still show.
                if (jpeg.reason.contains(QLatin1String("HEIF image"))) {
                    EXPECT_TRUE(thumbnail.isNull()) << jpeg.reason.toStdString();
                }
                ++refused;
                continue;
            }
            ++converted;
            const QSize size = jpegSize(jpeg.bytes);
            EXPECT_TRUE(oneShape(thumbnail.size(), size))
                << "thumbnail " << thumbnail.width() << " x " << thumbnail.height() << ", JPEG "
                << size.width() << " x " << size.height();
        }
    }
    // Both outcomes are common, or the damage missed the boxes that matter.
    EXPECT_GT(converted, 20);
    EXPECT_GT(refused, 20);
}
