#include "platform/core/ImageDestination.h"
#include "platform/core/ImageSource.h"

#include "support/ImageTestHelpers.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <exiv2/exiv2.hpp>
#include <libheif/heif.h>

#include <vector>

namespace {

// The Exif item of a HEIF file: a TIFF block with one date.
std::vector<uint8_t> exifWithDate(const char *date) {
    Exiv2::ExifData exif;
    exif["Exif.Photo.DateTimeOriginal"] = std::string(date);
    Exiv2::Blob blob;
    Exiv2::ExifParser::encode(blob, Exiv2::littleEndian, exif);
    return blob;
}

bool addImage(heif_context *ctx, heif_encoder *encoder, int width, int height, uint8_t grey,
              bool withExif) {
    heif_image *image = nullptr;
    if (heif_image_create(width, height, heif_colorspace_YCbCr, heif_chroma_420, &image).code !=
        heif_error_Ok)
        return false;
    for (heif_channel channel : {heif_channel_Y, heif_channel_Cb, heif_channel_Cr}) {
        const int w = channel == heif_channel_Y ? width : (width + 1) / 2;
        const int h = channel == heif_channel_Y ? height : (height + 1) / 2;
        heif_image_add_plane(image, channel, w, h, 8);
        int stride = 0;
        uint8_t *plane = heif_image_get_plane(image, channel, &stride);
        for (int y = 0; y < h; ++y)
            std::fill_n(plane + y * stride, w, channel == heif_channel_Y ? grey : uint8_t(128));
    }
    heif_image_handle *handle = nullptr;
    bool ok =
        heif_context_encode_image(ctx, image, encoder, nullptr, &handle).code == heif_error_Ok;
    if (ok && withExif) {
        const std::vector<uint8_t> exif = exifWithDate("2019:01:02 03:04:05");
        ok = heif_context_add_exif_metadata(ctx, handle, exif.data(), int(exif.size())).code ==
             heif_error_Ok;
    }
    if (handle)
        heif_image_handle_release(handle);
    heif_image_release(image);
    return ok;
}

heif_error appendTo(heif_context *, const void *data, size_t size, void *userdata) {
    static_cast<QByteArray *>(userdata)->append(static_cast<const char *>(data), qsizetype(size));
    return {heif_error_Ok, heif_suberror_Unspecified, "ok"};
}

// A HEIC holding two top-level images (a burst, an edit beside its original, ...).
QByteArray twoImageHeic() {
    QByteArray out;
    heif_context *ctx = heif_context_alloc();
    heif_encoder *encoder = nullptr;
    if (heif_context_get_encoder_for_format(ctx, heif_compression_HEVC, &encoder).code ==
        heif_error_Ok) {
        heif_encoder_set_lossy_quality(encoder, 50);
        if (addImage(ctx, encoder, 64, 48, 200, true) &&
            addImage(ctx, encoder, 32, 32, 60, false)) {
            heif_writer writer{1, &appendTo};
            if (heif_context_write(ctx, &writer, &out).code != heif_error_Ok)
                out.clear();
        }
        heif_encoder_release(encoder);
    }
    heif_context_free(ctx);
    return out;
}

std::vector<std::pair<int, int>> topLevelSizes(const QByteArray &data) {
    std::vector<std::pair<int, int>> sizes;
    heif_context *ctx = heif_context_alloc();
    if (heif_context_read_from_memory_without_copy(ctx, data.constData(), size_t(data.size()),
                                                   nullptr)
            .code == heif_error_Ok) {
        const int n = heif_context_get_number_of_top_level_images(ctx);
        std::vector<heif_item_id> ids(size_t(std::max(n, 0)));
        heif_context_get_list_of_top_level_image_IDs(ctx, ids.data(), n);
        for (heif_item_id id : ids) {
            heif_image_handle *h = nullptr;
            if (heif_context_get_image_handle(ctx, id, &h).code != heif_error_Ok)
                continue;
            sizes.emplace_back(heif_image_handle_get_width(h), heif_image_handle_get_height(h));
            heif_image_handle_release(h);
        }
    }
    heif_context_free(ctx);
    return sizes;
}

} // namespace

TEST(HeicMultiImage, AWriteKeepsEveryImageAndChangesTheMetadata) {
    const QByteArray original = twoImageHeic();
    ASSERT_FALSE(original.isEmpty()) << "libheif could not encode the test file";
    const ImageSource source(original);
    ASSERT_TRUE(source.isValid()) << source.errorString().toStdString();
    ASSERT_EQ(source.type(), QStringLiteral("public.heic"));
    ASSERT_EQ(source.count(), 2);
    const auto sizes = topLevelSizes(original);
    ASSERT_EQ(sizes.size(), 2u);

    QVariantMap props = source.properties(0);
    QVariantMap exif = props.value("{Exif}").toMap();
    ASSERT_EQ(exif.value("DateTimeOriginal").toString(), QStringLiteral("2019:01:02 03:04:05"));
    exif["DateTimeOriginal"] = QStringLiteral("2024:05:06 07:08:09");
    props["{Exif}"] = exif;

    QByteArray written;
    ImageDestination destination(&written, source.type(), source.count());
    ASSERT_TRUE(destination.isValid()) << destination.errorString().toStdString();
    for (int i = 0; i < source.count(); ++i)
        destination.addImageFromSource(source, i, props);
    ASSERT_TRUE(destination.finalize()) << destination.errorString().toStdString();

    EXPECT_EQ(topLevelSizes(written), sizes);
    const ImageSource back(written);
    EXPECT_EQ(back.count(), 2);
    EXPECT_EQ(back.properties(0).value("{Exif}").toMap().value("DateTimeOriginal").toString(),
              QStringLiteral("2024:05:06 07:08:09"));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("burst.heic"));
    ASSERT_TRUE(writeAll(path, written));
    EXPECT_EQ(exiftoolNumbers(path).value("ExifIFD:DateTimeOriginal").toString(),
              QStringLiteral("2024:05:06 07:08:09"));
}

TEST(HeicMultiImage, ImagesOfAnotherFileOrTwiceTheSameAreRefused) {
    const QByteArray original = twoImageHeic();
    ASSERT_FALSE(original.isEmpty());
    const ImageSource source(original);
    const ImageSource other(readAll(fixturePath(QStringLiteral("IMG_3092.heic"))));
    ASSERT_TRUE(other.isValid());

    QByteArray out;
    ImageDestination twice(&out, source.type(), 2);
    twice.addImageFromSource(source, 0, {});
    twice.addImageFromSource(source, 0, {});
    EXPECT_FALSE(twice.finalize());
    EXPECT_TRUE(out.isEmpty());

    ImageDestination mixed(&out, source.type(), 2);
    mixed.addImageFromSource(source, 0, {});
    mixed.addImageFromSource(other, 1, {});
    EXPECT_FALSE(mixed.finalize());
    EXPECT_FALSE(mixed.errorString().isEmpty());
    EXPECT_TRUE(out.isEmpty());
}
