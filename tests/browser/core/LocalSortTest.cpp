#include "browser/core/LocalSort.h"
#include "browser/core/LocalImport.h"
#include "platform/core/FileDates.h"
#include "platform/core/ImageDestination.h"
#include "platform/core/ImageSource.h"
#include "platform/core/RawTemporary.h"
#include "support/MakeDng.h"
#include "support/TestSupport.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFuture>
#include <QImage>
#include <QTemporaryDir>
#include <QtConcurrent/QtConcurrentRun>
#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <functional>
#include <future>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QStringList names(const QList<IKImageItemPtr> &items) {
    QStringList out;
    for (const auto &i : items)
        out << i->fileName;
    return out;
}

IKImageItemPtr named(const QString &name) {
    auto item = std::make_shared<IKImageItem>();
    item->fileName = name;
    item->filePath = QStringLiteral("/nonexistent/") + name;
    return item;
}

// A file in `dir` whose creation date is `date` (invalid: a path that does not exist).
IKImageItemPtr dated(const QTemporaryDir &dir, const QString &name, const QDateTime &date) {
    const QString path = dir.filePath(name);
    if (date.isValid()) {
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("x");
        f.close();
        QString error;
        EXPECT_TRUE(FileDates::setDates(path, date, &error)) << error.toStdString();
    }
    return makeLocalItem(path);
}

QDateTime utc(int h, int m, int s, int ms = 0) {
    return QDateTime(QDate(2021, 6, 1), QTime(h, m, s, ms), Qt::UTC);
}

QByteArray plainJpeg() {
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(Qt::green);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG");
    return bytes;
}

bool writeFile(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// A JPEG whose only date is the given "{TIFF}" DateTime text.
QByteArray jpegWithTiffDate(const QString &text) {
    const ImageSource source(plainJpeg());
    QByteArray out;
    ImageDestination dest(&out, source.type(), 1);
    dest.addImageFromSource(source, 0, {{"{TIFF}", QVariantMap{{"DateTime", text}}}});
    EXPECT_TRUE(dest.finalize()) << dest.errorString().toStdString();
    return out;
}

} // namespace

TEST(LocalSortByDate, NewestFirstEqualSecondsKeepImportOrderMissingLast) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QList<IKImageItemPtr> importOrder = {
        dated(dir, "none1.jpg", QDateTime()),
        dated(dir, "old.jpg", utc(8, 0, 0)),
        dated(dir, "sameA.jpg", utc(10, 0, 0, 100)),
        dated(dir, "none2.jpg", QDateTime()),
        dated(dir, "new.jpg", utc(12, 0, 0)),
        dated(dir, "sameB.jpg", utc(10, 0, 0, 900)), // same second as sameA
        dated(dir, "sameC.jpg", utc(10, 0, 0)),
    };
    const auto sorted = sortedByCreationDate(importOrder);
    EXPECT_EQ(names(sorted), (QStringList{"new.jpg", "sameA.jpg", "sameB.jpg", "sameC.jpg",
                                          "old.jpg", "none1.jpg", "none2.jpg"}));
    // The same items, not copies, and the input untouched.
    EXPECT_EQ(sorted.front().get(), importOrder.at(4).get());
    EXPECT_EQ(names(importOrder).front(), "none1.jpg");

    // Reversed input: equal keys follow the new input order, proving stability, not luck.
    QList<IKImageItemPtr> reversed(importOrder.rbegin(), importOrder.rend());
    EXPECT_EQ(names(sortedByCreationDate(reversed)),
              (QStringList{"new.jpg", "sameC.jpg", "sameB.jpg", "sameA.jpg", "old.jpg", "none2.jpg",
                           "none1.jpg"}));
    EXPECT_TRUE(sortedByCreationDate({}).isEmpty());
}

TEST(LocalSortByDate, ManyEqualAndMissingKeysStayConsistent) {
    // A comparator that is not a strict weak ordering can break std::stable_sort on larger
    // inputs; with many ties and missing dates the result must still be fully ordered.
    QTemporaryDir dir;
    QList<IKImageItemPtr> importOrder;
    for (int i = 0; i < 60; ++i) {
        const QDateTime date = i % 3 == 0 ? QDateTime() : utc(9 + i % 4, 0, 0);
        importOrder << dated(dir, QStringLiteral("f%1.jpg").arg(i, 2, 10, QChar('0')), date);
    }
    const auto sorted = sortedByCreationDate(importOrder);
    ASSERT_EQ(sorted.size(), importOrder.size());
    qint64 previous = std::numeric_limits<qint64>::max();
    bool seenMissing = false;
    QString previousTieName;
    for (const auto &item : sorted) {
        const QDateTime date = FileDates::creationDate(item->filePath);
        if (!date.isValid()) {
            seenMissing = true;
            continue;
        }
        EXPECT_FALSE(seenMissing) << "dated item after a missing one";
        const qint64 secs = date.toSecsSinceEpoch();
        EXPECT_LE(secs, previous);
        if (secs == previous) {
            EXPECT_LT(previousTieName, item->fileName); // import order among ties
        }
        previous = secs;
        previousTieName = item->fileName;
    }
}

TEST(LocalSortByName, EmptyThenPunctuationThenCaseAndAccentBlind) {
    const QList<IKImageItemPtr> importOrder = {
        named("é.jpg"),  named("B.jpg"),     named("_z.jpg"),   named(""),
        named("a.jpg"),  named("img10.jpg"), named("IMG2.jpg"), named("A.JPG"),
        named("-a.jpg"), named("Zeta.jpg"),  named("ß.jpg"),
    };
    // "a.jpg" and "A.JPG" fold equal and keep import order; digits compare as text; "ß" is "ss".
    EXPECT_EQ(names(sortedByFileName(importOrder)),
              (QStringList{"", "-a.jpg", "_z.jpg", "a.jpg", "A.JPG", "B.jpg", "é.jpg", "img10.jpg",
                           "IMG2.jpg", "ß.jpg", "Zeta.jpg"}));
    EXPECT_EQ(names(sortedByFileName({named("É.jpg"), named("e.jpg"), named("f.jpg")})),
              (QStringList{"É.jpg", "e.jpg", "f.jpg"}));
    EXPECT_EQ(names(sortedByFileName({named("e.jpg"), named("É.jpg")})),
              (QStringList{"e.jpg", "É.jpg"}));
    EXPECT_EQ(names(sortedByFileName({named("sst"), named("ßs"), named("SSa")})),
              (QStringList{"SSa", "ßs", "sst"}));
    EXPECT_EQ(names(sortedLocalItems({named("b"), named("a")}, LocalSortOrder::ByFileName)),
              (QStringList{"a", "b"}));
}

TEST(LocalSortByName, AWorkerSortStopsWhenToldAndCatchesUpWithTheListAsItIsNow) {
    const auto a = named("a"), b = named("b"), c = named("c"), d = named("d");
    int steps = 0;
    const auto stop = [&](qsizetype done, qsizetype total) {
        EXPECT_EQ(done, ++steps);
        EXPECT_EQ(total, 3);
        return steps < 2;
    };
    EXPECT_FALSE(sortedLocalItems({c, b, a}, LocalSortOrder::ByFileName, stop).has_value());
    EXPECT_EQ(steps, 2);
    const auto sorted = sortedLocalItems({c, b, a}, LocalSortOrder::ByFileName,
                                         [](qsizetype, qsizetype) { return true; });
    ASSERT_TRUE(sorted.has_value());
    // b was taken out and d imported while it sorted.
    EXPECT_EQ(names(sortedAsNow(*sorted, {c, a, d})), (QStringList{"a", "c", "d"}));
}

TEST(LocalSortButton, ImageAndFrameFollowTheOrder) {
    EXPECT_EQ(sortButtonImage(LocalSortOrder::ByCreationDate), "sortbydate.png");
    EXPECT_EQ(sortButtonImage(LocalSortOrder::ByFileName), "sortbyfilename.png");
    EXPECT_EQ(sortButtonFrame(LocalSortOrder::ByCreationDate, 800, 7), QRect(671, 7, 129, 23));
    EXPECT_EQ(sortButtonFrame(LocalSortOrder::ByFileName, 800, 7), QRect(665, 7, 135, 23));
}

TEST(LocalRemoval, SelectedAndAllLeaveBothListsAndSortsDoNotBringThemBack) {
    const auto a = named("a.jpg"), b = named("b.jpg"), c = named("c.jpg"), d = named("d.jpg");
    QList<IKImageItemPtr> importOrder = {a, b, c, d};
    QList<IKImageItemPtr> shown = {d, b, c, a}; // as a sort might have left it
    const auto twin = named("b.jpg");           // same name, other item: identity decides
    const auto selected = itemsAtIndexes(shown, {3, 1, 99, -1});
    EXPECT_EQ(names(selected), (QStringList{"b.jpg", "a.jpg"}));
    removeItems(shown, importOrder, selected + QList<IKImageItemPtr>{twin});
    EXPECT_EQ(names(shown), (QStringList{"d.jpg", "c.jpg"}));
    EXPECT_EQ(names(importOrder), (QStringList{"c.jpg", "d.jpg"}));
    EXPECT_EQ(names(sortedByFileName(importOrder)), (QStringList{"c.jpg", "d.jpg"}));

    removeItems(shown, importOrder, {});
    EXPECT_EQ(shown.size(), 2);
    removeAllItems(shown, importOrder);
    EXPECT_TRUE(shown.isEmpty());
    EXPECT_TRUE(importOrder.isEmpty());
    EXPECT_EQ(std::size(kClearedPanelFields), 21u);
}

TEST(LocalExifDateFilter, DatesDecideAndUnreadableFilesStay) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString park = copyFixture("St James Park.jpg", dir.path());
    const QString clip = copyFixture("clip.mp4", dir.path());
    ASSERT_FALSE(park.isEmpty());
    ASSERT_FALSE(clip.isEmpty());
    const QString png = dir.filePath("plain.png");
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::red);
    ASSERT_TRUE(image.save(png));
    const QString plain = dir.filePath("plain.jpg");
    ASSERT_TRUE(writeFile(plain, plainJpeg()));
    const QString tiffOnly = dir.filePath("tiffonly.jpg");
    ASSERT_TRUE(writeFile(tiffOnly, jpegWithTiffDate("not a date at all")));
    const QString garbage = dir.filePath("broken.jpg");
    ASSERT_TRUE(writeFile(garbage, "definitely not an image"));

    EXPECT_EQ(exifDateStatus(park), ExifDateStatus::HasDate);
    EXPECT_EQ(exifDateStatus(png), ExifDateStatus::NoDate);
    EXPECT_EQ(exifDateStatus(plain), ExifDateStatus::NoDate);
    EXPECT_EQ(exifDateStatus(tiffOnly), ExifDateStatus::HasDate); // any text counts
    EXPECT_EQ(exifDateStatus(clip), ExifDateStatus::Unreadable);  // not an image: kept
    EXPECT_EQ(exifDateStatus(garbage), ExifDateStatus::Unreadable);
    EXPECT_EQ(exifDateStatus(dir.filePath("missing.jpg")), ExifDateStatus::Unreadable);
    EXPECT_TRUE(hasExifDate(park));
    EXPECT_FALSE(hasExifDate(png));
    EXPECT_FALSE(hasExifDate(clip));

    QList<IKImageItemPtr> importOrder;
    for (const QString &p : {park, png, clip, plain, tiffOnly, garbage})
        importOrder << makeLocalItem(p);
    QList<IKImageItemPtr> shown = sortedByFileName(importOrder);
    EXPECT_EQ(names(itemsWithoutExifDate(shown)), (QStringList{"plain.jpg", "plain.png"}));

    // The worker reads a snapshot; only the caller changes the lists afterwards.
    QFuture<QList<IKImageItemPtr>> job = QtConcurrent::run(itemsWithoutExifDate, shown);
    const QList<IKImageItemPtr> toRemove = job.result();
    removeItems(shown, importOrder, toRemove);
    EXPECT_EQ(names(shown),
              (QStringList{"broken.jpg", "clip.mp4", "St James Park.jpg", "tiffonly.jpg"}));
    EXPECT_EQ(names(importOrder),
              (QStringList{"St James Park.jpg", "clip.mp4", "tiffonly.jpg", "broken.jpg"}));
    EXPECT_EQ(names(sortedByFileName(importOrder)), names(shown));

    QList<IKImageItemPtr> shown2 = {makeLocalItem(png), makeLocalItem(park)};
    QList<IKImageItemPtr> import2 = shown2;
    removeItemsWithoutExifDate(shown2, import2);
    EXPECT_EQ(names(shown2), (QStringList{"St James Park.jpg"}));
    EXPECT_EQ(names(import2), (QStringList{"St James Park.jpg"}));
}

TEST(LocalExifDateFilter, SupportedRawIsReadThroughItsTemporary) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // A DNG under a name the RAW-temporary list takes; LibRaw goes by content.
    const QString raw = dir.filePath("shot.NEF");
    ASSERT_TRUE(
        writeFile(raw, makeMinimalDng(plainJpeg(), "Maker", "Model", "2020:01:02 03:04:05")));
    QFile::remove(rawTemporaryPathFor(raw));
    EXPECT_EQ(exifDateStatus(raw), ExifDateStatus::HasDate);
    EXPECT_TRUE(QFileInfo::exists(rawTemporaryPathFor(raw)));
    QFile::remove(rawTemporaryPathFor(raw));
}

namespace {

// Runs `call` aside and gives up after a generous while: a read that blocks on a FIFO would
// otherwise hang the whole test program. Opening the FIFOs for writing and closing them
// again hands a blocked reader its end of file, so the call can finish and the test fail.
template <typename Result>
bool finishesWithoutBlocking(const QStringList &fifos, std::function<Result()> call, Result *out) {
    auto future = std::async(std::launch::async, std::move(call));
    const bool ready = future.wait_for(std::chrono::seconds(20)) == std::future_status::ready;
    while (future.wait_for(std::chrono::milliseconds(100)) != std::future_status::ready) {
        for (const QString &fifo : fifos) {
            const int fd = ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0)
                ::close(fd);
        }
    }
    *out = future.get();
    return ready;
}

} // namespace

TEST(LocalListFifo, SortByDateAndTheDateFilterNeverOpenAFifo) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString park = copyFixture("St James Park.jpg", dir.path());
    const QString plain = dir.filePath("plain.jpg");
    ASSERT_TRUE(writeFile(plain, plainJpeg()));
    // A FIFO and a FIFO behind a link, under photo and RAW names; the import would mark
    // them, but a list item can also become one after the import.
    const QString fifo = dir.filePath("pipe.jpg");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
    const QString rawFifo = dir.filePath("pipe.NEF");
    ASSERT_EQ(::mkfifo(QFile::encodeName(rawFifo).constData(), 0644), 0);
    const QString link = dir.filePath("link.jpg");
    ASSERT_TRUE(QFile::link(fifo, link));

    QList<IKImageItemPtr> items;
    for (const QString &path : {fifo, park, rawFifo, link, plain})
        items << makeLocalItem(path);
    QString error;
    ASSERT_TRUE(FileDates::setCreationDate(park, utc(10, 0, 0), &error)) << error.toStdString();
    ASSERT_TRUE(FileDates::setCreationDate(plain, utc(9, 0, 0), &error)) << error.toStdString();

    QList<IKImageItemPtr> sorted;
    EXPECT_TRUE(finishesWithoutBlocking<QList<IKImageItemPtr>>(
        {fifo, rawFifo}, [&] { return sortedByCreationDate(items); }, &sorted));
    // Dated files first, newest first; the FIFOs last in list order.
    EXPECT_EQ(names(sorted),
              (QStringList{"St James Park.jpg", "plain.jpg", "pipe.jpg", "pipe.NEF", "link.jpg"}));

    QList<IKImageItemPtr> undated;
    EXPECT_TRUE(finishesWithoutBlocking<QList<IKImageItemPtr>>(
        {fifo, rawFifo}, [&] { return itemsWithoutExifDate(items); }, &undated));
    // Only the plain JPEG lacks a date; FIFOs are kept like unreadable files.
    EXPECT_EQ(names(undated), (QStringList{"plain.jpg"}));
    for (const QString &path : {fifo, rawFifo, link})
        EXPECT_EQ(exifDateStatus(path), ExifDateStatus::Unreadable) << path.toStdString();

    // An item the import found unreadable is not opened either, even once it is a file.
    auto marked = makeLocalItem(plain);
    marked->editRare().unreadableReason = QStringLiteral("not a regular file");
    EXPECT_TRUE(itemsWithoutExifDate({marked}).isEmpty());
    EXPECT_EQ(names(sortedByCreationDate({marked, makeLocalItem(park)})),
              (QStringList{"St James Park.jpg", "plain.jpg"}));
}
