#include "app/core/VersionDecoder.h"
#include "base/DisjointSet.h"
#include "base/THFileUtility.h"
#include "base/THLock.h"
#include "base/THWebUtility.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <atomic>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <vector>

namespace {
QByteArray patterned(int size) {
    QByteArray b(size, '\0');
    for (int i = 0; i < size; ++i)
        b[i] = char((i * 7 + i / 251) & 0xFF);
    return b;
}

QString writeFile(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return path;
}
} // namespace

TEST(WebUtility, DigestsMatchKnownVectors) {
    EXPECT_EQ(THWebUtility::hashString("abc", 0), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(THWebUtility::hashString("abc", 1), "a9993e364706816aba3e25717850c26c9cd0d89d");
    EXPECT_EQ(THWebUtility::hashString("abc", 2),
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(THWebUtility::hashString("abc", 3),
              "ddaf35a193617abacc417349ae20413112e6fa4e89a97ea20a9eeee64b55d39a2192992a274fc1a8"
              "36ba3c23a3feebbd454d4423643ce80e2a9ac94fa54ca49f");
    EXPECT_EQ(THWebUtility::hashString("", 0), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_TRUE(THWebUtility::hashString("abc", 4).isNull());
    EXPECT_TRUE(THWebUtility::hashString(QString(), 0).isNull());
    EXPECT_TRUE(THWebUtility::hashData(QByteArray(), 0, true).isNull());

    const QString data = "what do ya want for nothing?";
    EXPECT_EQ(THWebUtility::hMacString(data, "Jefe", 0), "750c783e6ab0b503eaa86e310a5db738");
    EXPECT_EQ(THWebUtility::hMacString(data, "Jefe", 1),
              "effcdf6ae5eb2fa2d27416d5f184df9c259a7c79");
    EXPECT_EQ(THWebUtility::hMacString(data, "Jefe", 2),
              "5bdcc146bf60754e6a042426089575c75a003f089d2739839dec58b964ec3843");
    EXPECT_EQ(THWebUtility::hMacString(data, "Jefe", 3),
              "164b7a7bfcf819e2e395fbe73b56e0a387bd64222e831fd610270cd7ea2505549758bf75c05a994a"
              "6d034f65f8f0e6fdcaeab1a34d4a6b4b636e070a38bce737");
    EXPECT_TRUE(THWebUtility::hMacString(data, QString(), 2).isNull());
    EXPECT_TRUE(THWebUtility::hMacString(data, "Jefe", 7).isNull());
}

TEST(WebUtility, FileDigestsAndSampledMd5) {
    QTemporaryDir dir;
    const QByteArray small = patterned(4095), large = patterned(10000);
    const QString smallPath = writeFile(dir.filePath("small.bin"), small);
    const QString largePath = writeFile(dir.filePath("large.bin"), large);
    const QString emptyPath = writeFile(dir.filePath("empty.bin"), QByteArray());

    EXPECT_EQ(THWebUtility::lazyMD5File(smallPath), THWebUtility::hashData(small, 0));
    QCryptographicHash md5(QCryptographicHash::Md5);
    md5.addData(large.mid(0, 4096));
    md5.addData(large.mid(3333, 4096));
    md5.addData(large.mid(6666, 3334));
    EXPECT_EQ(THWebUtility::lazyMD5File(largePath), QString::fromLatin1(md5.result().toHex()));
    EXPECT_TRUE(THWebUtility::lazyMD5File(emptyPath).isNull());

    for (int kind = 0; kind < 4; ++kind)
        EXPECT_EQ(THWebUtility::hashFile(largePath, kind), THWebUtility::hashData(large, kind));
    EXPECT_TRUE(THWebUtility::hashFile(dir.filePath("missing"), 0).isNull());
    EXPECT_TRUE(THWebUtility::hashFile(largePath, 4).isNull());
}

TEST(WebUtility, PackageHashFollowsItsContents) {
    QTemporaryDir dir;
    const QString pkg = dir.filePath("Test.photoslibrary");
    QDir().mkpath(pkg + "/database");
    QDir().mkpath(pkg + "/.hidden");
    writeFile(pkg + "/database/Photos.sqlite", "12345");
    writeFile(pkg + "/.DS_Store", "x");
    EXPECT_TRUE(THWebUtility::isFilePackage(pkg));
    const QString first = THWebUtility::lazyHashFile(pkg);
    EXPECT_EQ(first, THWebUtility::hashString("database,database/Photos.sqlite-5", 0));
    writeFile(pkg + "/.hidden/ignored", "y");
    EXPECT_EQ(THWebUtility::lazyHashPackage(pkg), first);
    writeFile(pkg + "/database/Photos.sqlite", "123456");
    EXPECT_NE(THWebUtility::lazyHashPackage(pkg), first);
    // A plain folder is not a package, and a file is sampled.
    EXPECT_FALSE(THWebUtility::isFilePackage(dir.path()));
    EXPECT_EQ(THWebUtility::lazyHashFile(pkg + "/database/Photos.sqlite"),
              THWebUtility::hashString("123456", 0));
}

TEST(FileUtility, FactsOfPaths) {
    QTemporaryDir dir;
    const QString file = writeFile(dir.filePath("f.txt"), "hello");
    QFile::link(file, dir.filePath("link"));
    EXPECT_TRUE(THFileUtility::fileIsRegular(file));
    EXPECT_FALSE(THFileUtility::fileIsDirectory(file));
    EXPECT_TRUE(THFileUtility::fileIsDirectory(dir.path()));
    EXPECT_FALSE(THFileUtility::fileIsRegular(dir.filePath("link")));
    EXPECT_TRUE(S_ISREG(THFileUtility::fileTypeByPath(file)));
    EXPECT_TRUE(S_ISLNK(THFileUtility::fileTypeByPath(dir.filePath("link"))));
    EXPECT_EQ(THFileUtility::fileTypeByPath(dir.filePath("missing")), 0xE000);
    EXPECT_EQ(THFileUtility::fileSizeByPath(file), 5u);
    EXPECT_EQ(THFileUtility::fileSizeByPath(dir.filePath("missing")), 0u);
}

TEST(Lock, OneHolderPerKeyAndNothingLeftBehind) {
    THLock::lockCreate();
    std::atomic<int> holders[2] = {0, 0};
    std::atomic<int> worst{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t)
        threads.emplace_back([&, t] {
            const int k = t % 2;
            const QString key = k ? QStringLiteral("b") : QStringLiteral("a");
            for (int i = 0; i < 2000; ++i) {
                THLock::lockForKey(key);
                const int now = ++holders[k];
                int seen = worst.load();
                while (now > seen && !worst.compare_exchange_weak(seen, now)) {
                }
                --holders[k];
                THLock::unLockForKey(key);
            }
        });
    for (auto &th : threads)
        th.join();
    EXPECT_EQ(worst.load(), 1);
    EXPECT_EQ(THLock::keyCount(), 0);
    // Releasing a key nobody holds changes nothing.
    THLock::unLockForKey("never");
    EXPECT_EQ(THLock::keyCount(), 0);
}

TEST(DisjointSetTest, FindAndUnion) {
    DisjointSet set;
    EXPECT_EQ(set.find("x"), "x");
    set.unionItem("a", "b");
    set.unionItem("b", "c");
    EXPECT_EQ(set.find("c"), "a");
    EXPECT_EQ(set.parent().value("c"), "a");
    set.unionItem("d", "c");
    EXPECT_EQ(set.find("a"), "d");
    // A long chain neither recurses nor loses elements.
    DisjointSet chain;
    for (int i = 1; i < 100000; ++i)
        chain.unionItem(QString::number(i), QString::number(i - 1));
    EXPECT_EQ(chain.find("0"), "99999");
}

TEST(VersionDecoderTest, PackedAndSeparateNumbers) {
    std::map<std::string, long> answers;
    const VersionSelector selector = [&](const char *code) -> std::optional<long> {
        auto it = answers.find(code);
        if (it == answers.end())
            return std::nullopt;
        return it->second;
    };
    int ma = -1, mi = -1, bf = -1;
    answers = {{"sysv", 0x1039}};
    decodeSystemVersion(selector, &ma, &mi, &bf);
    EXPECT_EQ(ma, 10);
    EXPECT_EQ(mi, 3);
    EXPECT_EQ(bf, 9);
    answers = {{"sysv", 0x1049}, {"sys1", 10}, {"sys2", 15}, {"sys3", 7}};
    decodeSystemVersion(selector, &ma, &mi, &bf);
    EXPECT_EQ(ma, 10);
    EXPECT_EQ(mi, 15);
    EXPECT_EQ(bf, 7);
    answers = {{"sysv", 0x1049}, {"sys1", 10}};
    decodeSystemVersion(selector, &ma, nullptr, &bf);
    EXPECT_EQ(ma, 10);
    EXPECT_EQ(bf, 0);
}

TEST(Thumbnail, ExactSizeOrNothing) {
    QImage source(40, 20, QImage::Format_RGB32);
    source.fill(Qt::red);
    const QImage t = thumbnailImage(source, 10, 30);
    EXPECT_EQ(t.size(), QSize(10, 30));
    EXPECT_EQ(QColor(t.pixel(5, 15)), QColor(Qt::red));
    EXPECT_TRUE(thumbnailImage(QImage(), 10, 10).isNull());
}
