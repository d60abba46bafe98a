#include "platform/core/RegularFile.h"

#include "platform/core/ImageSource.h"
#include "platform/core/RawTemporary.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <future>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Waits a generous while for `call`; a read blocked on `fifo` is then given an end of file,
// so that a failing test ends instead of hanging the test program.
template <typename F> auto withoutBlocking(const QString &fifo, F call, bool *ready) {
    auto future = std::async(std::launch::async, call);
    *ready = future.wait_for(std::chrono::seconds(20)) == std::future_status::ready;
    while (future.wait_for(std::chrono::milliseconds(100)) != std::future_status::ready) {
        const int fd = ::open(QFile::encodeName(fifo).constData(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0)
            ::close(fd);
    }
    return future.get();
}

} // namespace

TEST(RegularFile, ReadsFilesAndRefusesFifosFoldersAndDevicesWithoutBlocking) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString park = copyFixture("St James Park.jpg", dir.path());
    QFile original(park);
    ASSERT_TRUE(original.open(QIODevice::ReadOnly));
    EXPECT_TRUE(RegularFile::isRegular(park));
    const std::optional<QByteArray> bytes = RegularFile::readAll(park);
    ASSERT_TRUE(bytes.has_value());
    EXPECT_EQ(*bytes, original.readAll());

    const QString fifo = dir.filePath("pipe.jpg");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
    const QString link = dir.filePath("link.jpg");
    ASSERT_TRUE(QFile::link(fifo, link));
    for (const QString &path : {fifo, link}) {
        EXPECT_FALSE(RegularFile::isRegular(path));
        QString why;
        bool ready = false;
        const auto read = withoutBlocking(
            fifo, [&] { return RegularFile::readAll(path, &why); }, &ready);
        EXPECT_TRUE(ready) << path.toStdString();
        EXPECT_FALSE(read.has_value());
        EXPECT_TRUE(why.contains(QStringLiteral("FIFO"))) << why.toStdString();

        // Every reader that goes through a path: the image layer and RAW temporaries.
        const ImageSource source = withoutBlocking(
            fifo, [&] { return ImageSource::fromPath(path); }, &ready);
        EXPECT_TRUE(ready);
        EXPECT_FALSE(source.isValid());
        EXPECT_TRUE(source.errorString().contains(QStringLiteral("not a regular file")));
    }
    const QString rawFifo = dir.filePath("pipe.NEF");
    ASSERT_EQ(::mkfifo(QFile::encodeName(rawFifo).constData(), 0644), 0);
    bool ready = false;
    const QString temporary = withoutBlocking(
        rawFifo, [&] { return GetJPGImageFromRAWPhotowithImagePath(rawFifo); }, &ready);
    EXPECT_TRUE(ready);
    EXPECT_EQ(temporary, rawFifo); // no stand-in: the caller sees the unreadable original

    QString why;
    EXPECT_FALSE(RegularFile::readAll(dir.path(), &why).has_value());
    EXPECT_TRUE(why.contains(QStringLiteral("folder"))) << why.toStdString();
    EXPECT_FALSE(RegularFile::readAll(QStringLiteral("/dev/null"), &why).has_value());
    EXPECT_TRUE(why.contains(QStringLiteral("device"))) << why.toStdString();
    EXPECT_FALSE(RegularFile::readAll(dir.filePath("missing.jpg"), &why).has_value());
    EXPECT_FALSE(why.isEmpty());
    EXPECT_FALSE(RegularFile::isRegular(QString()));
}

TEST(RegularFile, ARoomIsReusedOnlyWhenNothingElseHoldsIt) {
    QTemporaryDir dir;
    const auto file = [&](const char *name, qsizetype size) {
        QByteArray bytes(size, Qt::Uninitialized);
        for (qsizetype i = 0; i < size; ++i)
            bytes[i] = char(i * 7 + size);
        QFile f(dir.filePath(QLatin1String(name)));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly) && f.write(bytes) == size);
        return std::pair{f.fileName(), bytes};
    };
    const auto [big, bigBytes] = file("big.jpg", 300000);
    const auto [small, smallBytes] = file("small.jpg", 1000);
    const auto [empty, emptyBytes] = file("empty.jpg", 0);
    QByteArray room;
    room.reserve(400000);
    const char *storage = room.constData();
    std::optional<QByteArray> read = RegularFile::readAll(big, nullptr, &room);
    ASSERT_TRUE(read);
    EXPECT_EQ(*read, bigBytes);
    EXPECT_EQ(read->constData(), storage);
    // Lent again once the reader gave it back; the smaller file is read whole and no more.
    room = *read;
    read.reset();
    read = RegularFile::readAll(small, nullptr, &room);
    ASSERT_TRUE(read);
    EXPECT_EQ(*read, smallBytes);
    EXPECT_EQ(read->constData(), storage);
    // Still held by `kept`: never written over.
    room = *read;
    const QByteArray kept = *read;
    read = RegularFile::readAll(big, nullptr, &room);
    ASSERT_TRUE(read);
    EXPECT_EQ(*read, bigBytes);
    EXPECT_EQ(kept, smallBytes);
    read = RegularFile::readAll(empty, nullptr, &room);
    ASSERT_TRUE(read);
    EXPECT_TRUE(read->isEmpty());
}
