#include "export/core/DuplicateScan.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Light and dark cells of a 4 x 4 grid, light where `pattern`'s bit is set (bit 0 top left,
// row by row); each cell becomes 8 x 8 hash cells.
QImage blocks(int width, int height, quint16 pattern) {
    QImage image(width, height, QImage::Format_RGB32);
    QPainter p(&image);
    for (int cell = 0; cell < 16; ++cell) {
        const QRect r(cell % 4 * width / 4, cell / 4 * height / 4, width / 4, height / 4);
        p.fillRect(r, (pattern >> cell) & 1 ? QColor(230, 220, 210) : QColor(30, 40, 50));
    }
    return image;
}

QString blocksHash(quint16 pattern) {
    QString bits;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            bits += (pattern >> (y / 8 * 4 + x / 8)) & 1 ? QLatin1Char('1') : QLatin1Char('0');
    return bits;
}

DuplicateScanEntry entry(const QString &name, const QString &type = QStringLiteral("Image")) {
    DuplicateScanEntry e;
    e.item = std::make_shared<IKImageItem>();
    e.item->fileName = name;
    e.fileName = name;
    e.fileType = type;
    e.fileThumbPath = QStringLiteral("/thumbs/") + name + QStringLiteral(".jpeg");
    e.filePath = QStringLiteral("/originals/") + name;
    e.fileSize = QStringLiteral("1.00 MB");
    e.originalfilesize = 1000000;
    return e;
}

QStringList memberNames(const PRDuplicateNodePtr &g) {
    QStringList out;
    for (const PRDupFileNodePtr &f : g->fileChildren())
        out << f->fileName;
    return out;
}

QList<QStringList> groupNames(const DuplicateScanResult &r) {
    QList<QStringList> out;
    for (const PRDuplicateNodePtr &g : r.groups)
        out << memberNames(g);
    return out;
}

} // namespace

TEST(DuplicateHash, PicturesMadeHereHashAsTheirCellsSay) {
    // White on the left half: each row is sixteen "1"s then sixteen "0"s, top row first.
    QImage half(64, 64, QImage::Format_RGB32);
    half.fill(Qt::black);
    QPainter(&half).fillRect(0, 0, 32, 64, Qt::white);
    const QString row = QString(16, QLatin1Char('1')) + QString(16, QLatin1Char('0'));
    EXPECT_EQ(perceptualHashFromImage(half), row.repeated(32));

    // An asymmetric pattern shows the reading order: top left first, row by row.
    const quint16 pattern = 0b0000'0000'0011'0001; // top left cell, and two of the second row
    const QString hash = perceptualHashFromImage(blocks(400, 400, pattern));
    EXPECT_EQ(hash.size(), 1024);
    EXPECT_EQ(hash, blocksHash(pattern));

    // Aspect is not kept: a wide picture fills the whole grid as a square one does.
    EXPECT_EQ(perceptualHashFromImage(blocks(1600, 200, pattern)), hash);

    EXPECT_TRUE(perceptualHashFromImage(QImage()).isNull());
}

TEST(DuplicateHash, UniformPicturesAreAllZerosAndGroupOnlyByTheirGrey) {
    const QString zeros(1024, QLatin1Char('0'));
    QStringList keys;
    // Every cell equals the mean, which must give "0" whatever the grey: summed naively in
    // doubles about half of all colours would come out all "1".
    for (const QColor &c :
         {QColor(0, 0, 0), QColor(1, 1, 1), QColor(77, 77, 77), QColor(128, 128, 128),
          QColor(200, 10, 90), QColor(255, 255, 255), QColor(13, 250, 7)}) {
        QImage flat(50, 70, QImage::Format_RGB32);
        flat.fill(c);
        EXPECT_EQ(perceptualHashFromImage(flat), zeros) << c.name().toStdString();
        keys << duplicateKey(averageHashFromImage(flat));
    }
    keys.removeDuplicates();
    EXPECT_EQ(keys.size(), 7) << "a black frame and a white one are no duplicates";

    QImage a(40, 40, QImage::Format_RGB32), b(90, 30, QImage::Format_RGB32);
    a.fill(QColor(128, 128, 128));
    b.fill(QColor(128, 128, 128));
    EXPECT_EQ(duplicateKey(averageHashFromImage(a)), duplicateKey(averageHashFromImage(b)));

    // Cells exactly at the mean are "0": a quarter black, half at grey 100, a quarter at
    // 200 has the mean 100.
    QImage three(32, 32, QImage::Format_RGB32);
    QPainter p(&three);
    p.fillRect(0, 0, 32, 8, QColor(0, 0, 0));
    p.fillRect(0, 8, 32, 16, QColor(100, 100, 100));
    p.fillRect(0, 24, 32, 8, QColor(200, 200, 200));
    p.end();
    EXPECT_EQ(perceptualHashFromImage(three),
              QString(768, QLatin1Char('0')) + QString(256, QLatin1Char('1')));
}

TEST(DuplicateHash, ThumbnailFilesAtTwoSizesHashTheSameAndBrokenOnesAreLeftOut) {
    QTemporaryDir dir;
    const quint16 pattern = 0b1010'0110'0101'1001;
    const QString big = dir.filePath(QStringLiteral("big.jpg"));
    const QString small = dir.filePath(QStringLiteral("small.jpg"));
    ASSERT_TRUE(blocks(360, 480, pattern).save(big, "JPEG", 85));
    ASSERT_TRUE(blocks(180, 240, pattern).save(small, "JPEG", 85));
    QString why;
    const AverageHash a = averageHashOfFile(big, &why);
    EXPECT_EQ(a.bits, blocksHash(pattern)) << why.toStdString();
    EXPECT_EQ(averageHashOfFile(small).bits, a.bits);

    // A JPEG cut short still decodes, the rest grey: it must not be hashed.
    QFile whole(big);
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    const QByteArray bytes = whole.readAll();
    const auto write = [&](const char *name, const QByteArray &data) {
        QFile f(dir.filePath(QLatin1String(name)));
        f.open(QIODevice::WriteOnly);
        f.write(data);
        return f.fileName();
    };
    const QString cut = write("cut.jpg", bytes.left(bytes.size() / 2));
    const QString padded = write("padded.jpg", bytes + QByteArray(64, '\0'));
    const QString empty = write("empty.jpg", QByteArray());
    const QString text = write("text.jpg", QByteArray("not a picture"));
    for (const QString &path : {cut, empty, text, dir.filePath(QStringLiteral("missing.jpg"))}) {
        QString reason;
        EXPECT_TRUE(averageHashOfFile(path, &reason).bits.isNull()) << path.toStdString();
        EXPECT_FALSE(reason.isEmpty()) << path.toStdString();
    }
    // Zeros after the end marker are padding, not a cut.
    EXPECT_EQ(averageHashOfFile(padded).bits, a.bits);
}

TEST(DuplicateGrouping, GroupsFollowTheListAndThePngRuleLooksAtTheFirstMemberOnly) {
    // Keys by hand: A and B interleaved, then C, with singles between them.
    QList<DuplicateScanEntry> entries;
    QList<QString> keys;
    const auto add = [&](const QString &name, const QString &key,
                         const QString &type = QStringLiteral("Image")) {
        entries << entry(name, type);
        keys << key;
    };
    add(QStringLiteral("b1.jpg"), QStringLiteral("B"));
    add(QStringLiteral("single.jpg"), QStringLiteral("S"));
    add(QStringLiteral("a1.heic"), QStringLiteral("A"));
    add(QStringLiteral("b2.jpg"), QStringLiteral("B"));
    add(QStringLiteral("unreadable.jpg"), QString());
    add(QStringLiteral("a2.mov"), QStringLiteral("A"), QStringLiteral("Movie"));
    add(QStringLiteral("c1.jpg"), QStringLiteral("C"));
    add(QStringLiteral("c2.jpg"), QStringLiteral("C"), QStringLiteral("Other"));
    add(QStringLiteral("unreadable2.jpg"), QString());
    const DuplicateScanResult r = groupDuplicates(entries, keys);
    EXPECT_EQ(
        groupNames(r),
        (QList<QStringList>{{"b1.jpg", "b2.jpg"}, {"a1.heic", "a2.mov"}, {"c1.jpg", "c2.jpg"}}));
    // A photo and a video count once each; a type that is neither counts nowhere.
    EXPECT_EQ(r.duplicatePhotosNum, 4);
    EXPECT_EQ(r.duplicateVideosNum, 1);
    EXPECT_EQ(r.listsOfTwoOrMore, 3);

    // The records carry the first member's fields and each member's own.
    const PRDuplicateNodePtr &g = r.groups.at(1);
    EXPECT_EQ(g->filePath, entries.at(2).fileThumbPath);
    EXPECT_EQ(g->fileName, QStringLiteral("a1.heic"));
    EXPECT_EQ(g->fileSize, QStringLiteral("1.00 MB"));
    EXPECT_EQ(g->fileNumber, 1000000u);
    EXPECT_FALSE(g->bSameName);
    EXPECT_TRUE(g->fileType.isEmpty());
    const PRDupFileNodePtr &f = g->fileChildren().at(1);
    EXPECT_EQ(f->filePath, entries.at(5).fileThumbPath);
    EXPECT_EQ(f->fileFullPath, entries.at(5).filePath);
    EXPECT_EQ(f->theItem, entries.at(5).item);
    EXPECT_FALSE(f->bSelected);

    // Four or more with a "png" first: dropped and not counted, yet still a list of two or
    // more. Three are kept; a png that is not first does not matter; case does not either.
    entries.clear();
    keys.clear();
    for (const char *n : {"p1.PNG", "p2.jpg", "p3.jpg", "p4.jpg"})
        add(QLatin1String(n), QStringLiteral("P4"));
    for (const char *n : {"t1.png", "t2.png", "t3.png"})
        add(QLatin1String(n), QStringLiteral("P3"));
    for (const char *n : {"j1.jpg", "j2.png", "j3.png", "j4.png"})
        add(QLatin1String(n), QStringLiteral("J4"));
    const DuplicateScanResult png = groupDuplicates(entries, keys);
    EXPECT_EQ(groupNames(png), (QList<QStringList>{{"t1.png", "t2.png", "t3.png"},
                                                   {"j1.jpg", "j2.png", "j3.png", "j4.png"}}));
    EXPECT_EQ(png.duplicatePhotosNum, 7);
    EXPECT_EQ(png.listsOfTwoOrMore, 3);
}

TEST(DuplicateScan, ScansFilesSkippingReferencedPhotosAndLeavingBrokenThumbnailsOut) {
    QTemporaryDir dir;
    const auto made = [&](const char *name, quint16 pattern) {
        const QString path = dir.filePath(QLatin1String(name));
        blocks(120, 160, pattern).save(path, "JPEG", 90);
        return path;
    };
    const QString one = made("one.jpg", 0x00ff);
    const QString oneAgain = made("one-again.jpg", 0x00ff);
    const QString two = made("two.jpg", 0x0f0f);
    const QString twoAgain = made("two-again.jpg", 0x0f0f);
    // Two halves of one picture: identical cut files, which must not form a group.
    QFile f(one);
    f.open(QIODevice::ReadOnly);
    const QByteArray half = f.readAll().left(f.size() / 2);
    for (const char *name : {"cut1.jpg", "cut2.jpg"}) {
        QFile c(dir.filePath(QLatin1String(name)));
        c.open(QIODevice::WriteOnly);
        c.write(half);
    }

    QList<DuplicateScanEntry> entries;
    const auto add = [&](const QString &name, const QString &thumb, bool referenced = false) {
        DuplicateScanEntry e = entry(name);
        e.fileThumbPath = thumb;
        e.bReferencePhoto = referenced;
        entries << e;
    };
    add(QStringLiteral("two.jpg"), two);
    add(QStringLiteral("one.jpg"), one);
    add(QStringLiteral("cut1.jpg"), dir.filePath(QStringLiteral("cut1.jpg")));
    add(QStringLiteral("ref.jpg"), two, true);
    add(QStringLiteral("cut2.jpg"), dir.filePath(QStringLiteral("cut2.jpg")));
    add(QStringLiteral("one-again.jpg"), oneAgain);
    add(QStringLiteral("ref-alone.jpg"), dir.filePath(QStringLiteral("gone.jpg")), true);
    add(QStringLiteral("two-again.jpg"), twoAgain);
    // One thumbnail shown by two items is read once, and both items are in its group.
    add(QStringLiteral("one-shared.jpg"), one);

    for (int threads : {1, 4}) {
        const DuplicateScanResult r = findDuplicateFiles(entries, threads);
        EXPECT_EQ(groupNames(r),
                  (QList<QStringList>{{"two.jpg", "two-again.jpg"},
                                      {"one.jpg", "one-again.jpg", "one-shared.jpg"}}))
            << threads;
        EXPECT_EQ(r.duplicatePhotosNum, 5);
        // Referenced photos are not read at all, so their missing thumbnail is not listed.
        ASSERT_EQ(r.unreadable.size(), 2) << r.unreadable.join(QLatin1Char('\n')).toStdString();
        EXPECT_TRUE(r.unreadable.at(0).startsWith(dir.filePath(QStringLiteral("cut1.jpg"))));
        EXPECT_FALSE(r.cancelled);
    }

    std::atomic_bool cancel{true};
    const DuplicateScanResult stopped = findDuplicateFiles(entries, 0, &cancel);
    EXPECT_TRUE(stopped.cancelled);
    EXPECT_TRUE(stopped.groups.isEmpty());
}
