// Importing a folder of 10,000 photos: the time until every item is listed, the time
// from the first item until the first 50 thumbnails are ready, and the peak memory.
// The photos are hard links to the fixtures under distinct names, so the folder costs no
// disk space; every one is read as a file of its own. One in five is a HEIC made here as
// recent iPhones make them: a 12-megapixel primary image with a 320-pixel thumbnail item.
#include "app/AppDelegate.h"
#include "app/core/LaunchArguments.h"
#include "browser/LocalPhotoModel.h"
#include "browser/MainWindowController.h"
#include "platform/core/Workspace.h"
#include "support/BenchEnvironment.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QListView>
#include <QMainWindow>
#include <QTemporaryDir>
#include <cstdio>
#include <libheif/heif.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

heif_error writeToFile(heif_context *, const void *data, size_t size, void *userdata) {
    const bool ok = static_cast<QFile *>(userdata)->write(static_cast<const char *>(data),
                                                          qint64(size)) == qint64(size);
    heif_error result{};
    result.code = ok ? heif_error_Ok : heif_error_Encoding_error;
    result.message = ok ? "ok" : "cannot write";
    return result;
}

// A phone-sized HEIC with a thumbnail item, so that a grid thumbnail needs no full decode.
bool makeHeicWithThumbnail(const QString &path) {
    const int width = 4032, height = 3024;
    heif_image *image = nullptr;
    heif_image_create(width, height, heif_colorspace_YCbCr, heif_chroma_420, &image);
    for (heif_channel channel : {heif_channel_Y, heif_channel_Cb, heif_channel_Cr}) {
        const int w = channel == heif_channel_Y ? width : (width + 1) / 2;
        const int h = channel == heif_channel_Y ? height : (height + 1) / 2;
        heif_image_add_plane(image, channel, w, h, 8);
        int stride = 0;
        uint8_t *plane = heif_image_get_plane(image, channel, &stride);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                plane[y * stride + x] = uint8_t(channel == heif_channel_Y ? (x + y) / 32 : 128);
    }
    heif_context *ctx = heif_context_alloc();
    heif_encoder *encoder = nullptr;
    bool ok = heif_context_get_encoder_for_format(ctx, heif_compression_HEVC, &encoder).code ==
              heif_error_Ok;
    heif_image_handle *handle = nullptr, *thumb = nullptr;
    if (ok) {
        heif_encoder_set_lossy_quality(encoder, 50);
        ok =
            heif_context_encode_image(ctx, image, encoder, nullptr, &handle).code ==
                heif_error_Ok &&
            heif_context_encode_thumbnail(ctx, image, handle, encoder, nullptr, 320, &thumb).code ==
                heif_error_Ok;
    }
    QFile file(path);
    if (ok && file.open(QIODevice::WriteOnly)) {
        heif_writer writer{1, writeToFile};
        ok = heif_context_write(ctx, &writer, &file).code == heif_error_Ok;
    } else {
        ok = false;
    }
    if (thumb)
        heif_image_handle_release(thumb);
    if (handle)
        heif_image_handle_release(handle);
    if (encoder)
        heif_encoder_release(encoder);
    heif_image_release(image);
    heif_context_free(ctx);
    return ok;
}

} // namespace

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    pinLocalTimeZone(); // as the program's start does
    QTemporaryDir home;
    bench::useHome(home.path());
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
    const QString fixtures = qEnvironmentVariable("PK_FIXTURES_DIR", PK_BENCH_FIXTURES) + "/photos";
    // "jpeg" as the second argument leaves out the HEIC photos; "bare" takes the fixture HEIC,
    // an older phone's, which has no thumbnail image: every one is a full decode.
    const bool jpegOnly = argc > 2 && QByteArray(argv[2]) == "jpeg";
    const bool bareHeic = argc > 2 && QByteArray(argv[2]) == "bare";
    QStringList photos{"St James Park.jpg", "wedding.jpg", "IMG_1994.JPG", "Fritest.jpeg"};
    QTemporaryDir made, dir;
    QString heic;
    if (!jpegOnly) {
        heic = bareHeic ? fixtures + QStringLiteral("/IMG_3092.heic")
                        : made.filePath(QStringLiteral("thumbnailed.heic"));
        if (!bareHeic && !makeHeicWithThumbnail(heic)) {
            std::fprintf(stderr, "libheif could not make the HEIC with a thumbnail\n");
            return 1;
        }
        photos << QStringLiteral("thumbnailed.heic");
    }
    for (int i = 0; i < count; ++i) {
        const QString name = photos[i % photos.size()];
        const QString source =
            name == QLatin1String("thumbnailed.heic") ? heic : fixtures + "/" + name;
        const QString folder = dir.filePath(QStringLiteral("f%1").arg(i / 500));
        QDir().mkpath(folder);
        const QString target =
            QStringLiteral("%1/%2_%3").arg(folder).arg(i, 5, 10, QLatin1Char('0')).arg(name);
        if (::link(QFile::encodeName(source).constData(), QFile::encodeName(target).constData()) !=
                0 &&
            !QFile::copy(source, target)) {
            std::fprintf(stderr, "cannot place %s\n", qPrintable(target));
            return 1;
        }
    }

    Workspace::setUrlOpener([](const QUrl &) { return true; });
    AppDelegate d;
    d.launch();
    d.window->show();

    QElapsedTimer t;
    t.start();
    // The local browser's own model: the loop asks it for the first cells' pictures.
    auto *model = qobject_cast<LocalPhotoModel *>(
        d.window->findChild<QListView *>(QStringLiteral("localImageBrowserView"))->model());
    d.mainWindowController().importPhotosItemThreader({dir.path()});
    double firstItem = -1, allListed = -1, firstThumbs = -1;
    while (allListed < 0 || firstThumbs < 0) {
        app.processEvents(QEventLoop::AllEvents, 5);
        const double now = t.nsecsElapsed() / 1e9;
        const int listed = int(d.localLists().localPhotoItemArray.size());
        if (firstItem < 0 && listed > 0)
            firstItem = now;
        if (allListed < 0 && listed == count)
            allListed = now;
        // What the visible cells ask for: the pictures of the first rows.
        const int wanted = std::min(50, count);
        if (firstThumbs < 0 && listed >= wanted) {
            for (int i = 0; i < wanted; ++i)
                model->data(model->index(i), Qt::DecorationRole);
            if (allListed >= 0 && std::getenv("PK_BENCH_TRACE"))
                std::fprintf(stderr, "t=%.2f ready=%d pending=%d\n", now, model->thumbnailsReady(),
                             model->thumbnailsPending());
            if (model->thumbnailsReady() >= wanted)
                firstThumbs = now - firstItem;
        }
        if (now > 300) {
            std::fprintf(stderr, "gave up after 300 s (%d listed)\n", listed);
            return 1;
        }
    }
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("items=%d first_item_s=%.3f\n", count, firstItem);
    std::printf("import_10k_s=%.3f first_thumbs_s=%.3f peak_rss_mb=%.1f\n", allListed, firstThumbs,
                usage.ru_maxrss / 1024.0);
    // What the user waits for: from choosing the folder until the first cells show pictures.
    std::printf("first_thumbs_from_start_s=%.3f cpu_user_s=%.2f cpu_system_s=%.2f\n",
                firstItem + firstThumbs, usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6,
                usage.ru_stime.tv_sec + usage.ru_stime.tv_usec / 1e6);
    return 0;
}
