// The rules the library exports share, on folders laid out as a library package lays them.
#include "export/core/ExportRules.h"
#include "export/core/LibraryMetadataExport.h"
#include "export/core/PlainExport.h"
#include "metadata/core/SafeFileName.h"
#include "platform/core/FileDates.h"
#include "platform/core/FreeFileName.h"
#include "platform/core/ImageSource.h"
#include "support/TestSupport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

void writeFile(const QString &path, const QByteArray &bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(bytes);
}

QByteArray readAll(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList filesUnder(const QString &folder) {
    QStringList out;
    QDir dir(folder);
    for (const QFileInfo &i : dir.entryInfoList(
             QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name)) {
        if (i.isDir())
            for (const QString &f : filesUnder(i.filePath()))
                out << i.fileName() + QLatin1Char('/') + f;
        else
            out << i.fileName();
    }
    return out;
}

ExportEntry entry(const QString &path, const QString &name, int index) {
    auto item = std::make_shared<IKImageItem>();
    item->filePath = path;
    item->fileName = name;
    item->fileThumbPath = path;
    item->photoLibFileNode = std::make_shared<PRPicFileInfo>();
    return ExportEntry{item, item, index};
}

struct LibraryExportRules : ::testing::Test {
    QTemporaryDir dir;
    QString package() const { return dir.filePath("L.photoslibrary"); }
    QString storage() const { return dir.filePath("S"); }
};

} // namespace

TEST_F(LibraryExportRules, RendersAreFoundBesideTheOriginalByItsOwnNameAndKeepTheirExtension) {
    const QString heic = package() + "/originals/A/IMG_5.HEIC";
    const QString upper = package() + "/originals/B/IMG_6.JPG";
    const QString plain = package() + "/originals/C/IMG_7.JPG";
    const QString masters = package() + "/Masters/2019/IMG_8.JPG";
    writeFile(heic, "heic");
    writeFile(upper, "jpg");
    writeFile(plain, "jpg");
    writeFile(masters, "jpg");
    writeFile(package() + "/resources/renders/A/IMG_5_1_201_a.jpeg", "render5");
    writeFile(package() + "/resources/renders/B/IMG_6_1_201_a.jpg", "render6");

    EXPECT_EQ(editedRenderPath(heic), package() + "/resources/renders/A/IMG_5_1_201_a.jpeg");
    // The lower-case form of the original's extension comes first.
    EXPECT_EQ(editedRenderPath(upper), package() + "/resources/renders/B/IMG_6_1_201_a.jpg");
    EXPECT_EQ(editedRenderPath(plain), "");
    EXPECT_EQ(editedRenderPath(masters), "");

    // The item's shown name is not what the render is looked up by, but gives the name out.
    ExportEntry e = entry(heic, "Holiday.HEIC", 0);
    ExportSource s = exportSource(*e.item, true);
    EXPECT_EQ(s.path, package() + "/resources/renders/A/IMG_5_1_201_a.jpeg");
    EXPECT_EQ(s.name, "Holiday.jpeg");
    EXPECT_FALSE(s.substituted);
    s = exportSource(*e.item, false);
    EXPECT_EQ(s.path, heic);
    EXPECT_EQ(s.name, "Holiday.HEIC");

    // An iCloud photo goes out as its large thumbnail, else its thumbnail, edited or not.
    e.item->bICloudDownloadPhoto = false;
    e.item->fileThumbPath = package() + "/resources/derivatives/I/IMG_5_1_105_c.jpeg";
    e.item->fileLargeThumbPath = package() + "/resources/derivatives/masters/I/IMG_5_4_5005_c.jpeg";
    s = exportSource(*e.item, true);
    EXPECT_EQ(s.path, e.item->fileThumbPath);
    EXPECT_EQ(s.name, "Holiday.jpeg");
    EXPECT_TRUE(s.substituted);
    writeFile(e.item->fileLargeThumbPath, "large");
    EXPECT_EQ(exportSource(*e.item, false).path, e.item->fileLargeThumbPath);
}

TEST_F(LibraryExportRules, NamesAndFoldersStayInsideTheStorageFolder) {
    EXPECT_EQ(clashName("IMG_1.JPG", 2), "IMG_1 2.JPG");
    EXPECT_EQ(clashName("St James Park.jpg", 7), "St James Park 7.jpg");
    EXPECT_EQ(libraryFolderName("2019-10/11 Paris Clermont"), "2019-10-11 Paris Clermont");
    EXPECT_EQ(libraryFolderName(""), "");
    EXPECT_EQ(libraryFolderName(".."), "Untitled");
    EXPECT_EQ(libraryFolderName("../../etc"), "etc");
    // Every name the library gives becomes one plain name: no folder, no option, no dots.
    for (const auto &[given, plain] :
         QList<QPair<QString, QString>>{{"../../x.jpg", "x.jpg"},
                                        {"/etc/x.jpg", "etc-x.jpg"},
                                        {"-rf .jpg", "rf.jpg"},
                                        {QString("a") + QChar(0) + "b\\n\t.JPG", "ab-n.JPG"},
                                        {".", "Untitled"},
                                        {"..", "Untitled"},
                                        {".jpg", "Untitled.jpg"},
                                        {"", "Untitled"},
                                        {"Île 😀.heic", "Île 😀.heic"}})
        EXPECT_EQ(plainFileName(given), plain) << given.toStdString();
    // Long names are cut once, at 255 bytes between characters, keeping the extension; a
    // letter keeps its accent; the clash number still fits.
    const QString accented = QString("e") + QChar(0x0301);
    const QString huge = QString(2 * 1024 * 1024, QChar(0x00e9)) + ".jpeg";
    const QString cut = plainFileName(huge);
    EXPECT_TRUE(cut.endsWith(".jpeg"));
    EXPECT_LE(cut.toUtf8().size(), 255);
    EXPECT_GE(cut.toUtf8().size(), 250);
    const QString pairs = plainFileName(QString(200, 'x') + accented.repeated(40));
    EXPECT_LE(pairs.toUtf8().size(), 255);
    EXPECT_FALSE(pairs.endsWith('e')) << "an accent was cut off its letter";
    const QString emoji = plainFileName(QString("😀").repeated(100) + ".png");
    EXPECT_FALSE(emoji.contains(QChar(0xfffd)));
    EXPECT_TRUE(QString(emoji).remove("😀") == ".png") << emoji.toStdString();
    EXPECT_LE(clashName(cut, 12345).toUtf8().size(), 255);
    EXPECT_TRUE(clashName(cut, 12345).endsWith(" 12345.jpeg"));
    EXPECT_EQ(libraryFolderName(QString(2 * 1024 * 1024, 'A')).size(), 255);
    EXPECT_EQ(yearMonthFolder(QDateTime(QDate(2019, 3, 7), QTime(10, 0)), true), "2019/2019-3");
    EXPECT_EQ(yearMonthFolder(QDateTime(QDate(2019, 12, 7), QTime(10, 0)), false), "2019/12");
    EXPECT_EQ(libraryDate("2019-05-03 10:20:30"), QDateTime(QDate(2019, 5, 3), QTime(10, 20, 30)));
    EXPECT_EQ(libraryDate("2019:05:03 10:20:30"), QDateTime(QDate(2019, 5, 3), QTime(10, 20, 30)));
    EXPECT_FALSE(libraryDate("Unkown Date").isValid());
}

TEST_F(LibraryExportRules, FlatCopiesNeverReplaceAFileAndTakeTheNextFreeName) {
    const QString source = package() + "/originals/A/IMG_1.JPG";
    writeFile(source, "photo bytes");
    const QDateTime when(QDate(2015, 6, 1), QTime(8, 0));
    ASSERT_TRUE(FileDates::setDates(source, when));
    writeFile(storage() + "/IMG_1.JPG", "older one");
    writeFile(storage() + "/IMG_1 2.JPG", "older two");

    PlainExportSettings settings;
    settings.storageFolder = storage();
    // Index 7 in the whole list: the third name is "IMG_1 7.JPG", whatever the rank.
    const QList<ExportEntry> once = {entry(source, "IMG_1.JPG", 7)};
    ExportReport r = exportPlainCopies(once, settings);
    ASSERT_EQ(r.writtenCount(), 1) << r.notWritten().join("; ").toStdString();
    EXPECT_EQ(r.photos[0].outputPath, storage() + "/IMG_1 7.JPG");
    EXPECT_EQ(r.revealPath, storage() + "/IMG_1 7.JPG");
    EXPECT_EQ(readAll(storage() + "/IMG_1 7.JPG"), "photo bytes");
    // Copies keep the source's file dates.
    EXPECT_EQ(FileDates::modificationDate(storage() + "/IMG_1 7.JPG"), when);
    EXPECT_EQ(FileDates::creationDate(storage() + "/IMG_1 7.JPG"), when);

    // Where the three names are all taken, the next free "B n.E".
    r = exportPlainCopies(once, settings);
    EXPECT_EQ(r.photos[0].outputPath, storage() + "/IMG_1 3.JPG");
    EXPECT_EQ(readAll(storage() + "/IMG_1.JPG"), "older one");
    EXPECT_EQ(readAll(storage() + "/IMG_1 2.JPG"), "older two");
    EXPECT_EQ(filesUnder(storage()),
              (QStringList{"IMG_1 2.JPG", "IMG_1 3.JPG", "IMG_1 7.JPG", "IMG_1.JPG"}));

    // A missing original is named with its reason; the run goes on.
    const QList<ExportEntry> two = {entry(package() + "/originals/A/gone.dng", "gone.dng", 0),
                                    entry(source, "IMG_1.JPG", 1)};
    r = exportPlainCopies(two, settings);
    EXPECT_EQ(r.writtenCount(), 1);
    ASSERT_EQ(r.notWritten().size(), 1);
    EXPECT_EQ(r.notWritten()[0], "gone.dng: its file is not in the library");

    // After Cancel nothing more goes out, and each photo left says so.
    const QStringList before = filesUnder(storage());
    r = exportPlainCopies(once, settings, [] { return true; });
    EXPECT_EQ(r.writtenCount(), 0);
    EXPECT_EQ(r.notWritten(), QStringList{"IMG_1.JPG: cancelled"});
    EXPECT_EQ(filesUnder(storage()), before);
}

TEST_F(LibraryExportRules, SortedCopiesGoByAlbumOrByTheLibraryCameraDate) {
    const QString source = package() + "/originals/A/IMG_2.JPG";
    writeFile(source, "bytes");
    ExportEntry inAlbum = entry(source, "IMG_2.JPG", 3);
    inAlbum.item->photoLibFileNode->fileAlbum = "2019-10/11 Paris Clermont";
    inAlbum.item->photoLibFileNode->cameraDate.setText("2019-03-07 10:00:00");
    ExportEntry noAlbum = entry(source, "IMG_2.JPG", 4);
    noAlbum.item->photoLibFileNode->cameraDate.setText("2019-03-07 10:00:00");

    PlainExportSettings settings;
    settings.storageFolder = storage();
    settings.layout = PlainLayout::Album;
    ExportReport r = exportPlainCopies({inAlbum, inAlbum, noAlbum}, settings);
    EXPECT_EQ(r.writtenCount(), 3);
    EXPECT_EQ(r.revealPath, "");
    EXPECT_EQ(r.revealRoot, storage());
    EXPECT_EQ(filesUnder(storage()),
              (QStringList{"2019-10-11 Paris Clermont/IMG_2 2.JPG",
                           "2019-10-11 Paris Clermont/IMG_2.JPG", "IMG_2.JPG"}));

    settings.layout = PlainLayout::YearMonth;
    r = exportPlainCopies({noAlbum}, settings);
    ASSERT_EQ(r.writtenCount(), 1);
    EXPECT_EQ(r.photos[0].outputPath, storage() + "/2019/2019-3/IMG_2.JPG");
    const QDateTime when(QDate(2019, 3, 7), QTime(10, 0));
    EXPECT_EQ(FileDates::modificationDate(r.photos[0].outputPath), when);
    EXPECT_EQ(FileDates::creationDate(r.photos[0].outputPath), when);

    // A camera date the scan could not read: filed by the source file's own date.
    noAlbum.item->photoLibFileNode->cameraDate.setText("Unkown Date");
    ASSERT_TRUE(FileDates::setDates(source, QDateTime(QDate(2016, 11, 2), QTime(9, 0))));
    r = exportPlainCopies({noAlbum}, settings);
    ASSERT_EQ(r.writtenCount(), 1);
    EXPECT_EQ(r.photos[0].outputPath, storage() + "/2016/2016-11/IMG_2.JPG");
}

TEST_F(LibraryExportRules, AStorageFolderThatTakesNoFilesIsOneReasonAndNothingIsWritten) {
    const QString source = package() + "/originals/A/IMG_1.JPG";
    writeFile(source, "bytes");
    // A folder that cannot be made: a file stands where its parent would be.
    writeFile(dir.filePath("plain file"), "x");
    PlainExportSettings blocked;
    blocked.storageFolder = dir.filePath("plain file/S");
    const ExportReport none = exportPlainCopies({entry(source, "IMG_1.JPG", 0)}, blocked);
    EXPECT_TRUE(none.photos.isEmpty());
    EXPECT_EQ(none.notWritten().size(), 1);
    EXPECT_TRUE(none.notWritten()[0].contains("cannot be created"));

    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only folders";
    QDir().mkpath(storage());
    ::chmod(QFile::encodeName(storage()).constData(), 0555);
    PlainExportSettings settings;
    settings.storageFolder = storage();
    const ExportReport r = exportPlainCopies({entry(source, "IMG_1.JPG", 0)}, settings);
    ::chmod(QFile::encodeName(storage()).constData(), 0755);
    EXPECT_TRUE(r.photos.isEmpty());
    EXPECT_FALSE(r.folderReason.isEmpty());
    EXPECT_TRUE(filesUnder(storage()).isEmpty());
}

TEST_F(LibraryExportRules, LibraryValuesGoIntoTheFilesOwnDictionaries) {
    QVariantMap working;
    working["{GPS}"] = QVariantMap{{"Latitude", 51.5},    {"LatitudeRef", "N"}, {"Longitude", 0.13},
                                   {"LongitudeRef", "W"}, {"Altitude", 2.6},    {"AltitudeRef", 0}};
    working["{TIFF}"] = QVariantMap{{"Artist", "Jeff Hitchcock"}};
    working["{Exif}"] = QVariantMap{{"UserComment", "kept"}};
    PRPicFileInfo file, library;
    file.setLatitudeText("51.503572");
    file.setLongitudeText("-0.131806");
    file.editRare().fileAuthor = "Jeff Hitchcock";
    file.editRare().fileComments = "kept";
    file.fileKeywords = "London,Park";
    library.setLatitudeText("51.503572");
    library.setLongitudeText("-0.131807");
    library.fileKeywords = "Kids, Trip";
    library.fileTitle = "I found one!";
    library.cameraDate.setText("Unkown Date");
    LibraryExportSettings settings;
    applyLibraryValues(working, file, library, settings);

    const QVariantMap gps = working["{GPS}"].toMap();
    // Only the longitude differs as text; the file's latitude and altitude stay.
    EXPECT_DOUBLE_EQ(gps["Latitude"].toDouble(), 51.5);
    EXPECT_DOUBLE_EQ(gps["Longitude"].toDouble(), 0.131807);
    EXPECT_EQ(gps["LongitudeRef"].toString(), "W");
    EXPECT_DOUBLE_EQ(gps["Altitude"].toDouble(), 2.6);
    EXPECT_EQ(working["{TIFF}"].toMap()["Artist"].toString(), "Jeff Hitchcock");
    EXPECT_EQ(working["{Exif}"].toMap()["UserComment"].toString(), "kept");
    EXPECT_FALSE(working["{Exif}"].toMap().contains("DateTimeOriginal"));
    EXPECT_EQ(working["{IPTC}"].toMap()["Keywords"].toStringList(), (QStringList{"Kids", "Trip"}));
    EXPECT_EQ(working["{IPTC}"].toMap()["ObjectName"].toString(), "I found one!");

    // No library position: the file's is kept, and never becomes 0, 0.
    QVariantMap bare;
    PRPicFileInfo unplaced;
    unplaced.cameraDate.setText("2019-05-03 10:20:30");
    applyLibraryValues(bare, file, unplaced, settings);
    EXPECT_FALSE(bare.contains("{GPS}"));
    EXPECT_EQ(bare["{Exif}"].toMap()["DateTimeOriginal"].toString(), "2019:05:03 10:20:30");
    EXPECT_EQ(bare["{Exif}"].toMap()["DateTimeDigitized"].toString(), "2019:05:03 10:20:30");
}

TEST_F(LibraryExportRules, AMetadataCopyOfARealPhotoCarriesTheLibraryValuesUnderItsOwnName) {
    const QString source = package() + "/originals/S/St James Park.jpg";
    QDir().mkpath(QFileInfo(source).absolutePath());
    ASSERT_TRUE(QFile::copy(fixturePath("St James Park.jpg"), source));
    writeFile(storage() + "/St James Park.jpg", "someone's file");
    writeFile(storage() + "/St James Park 2.jpg", "another");
    ExportEntry e = entry(source, "St James Park.jpg", 0);
    e.item->photoLibFileNode->fileTitle = "Library title";
    e.item->photoLibFileNode->fileKeywords = "UK, London";
    e.item->photoLibFileNode->setLatitudeText("48.858370");
    e.item->photoLibFileNode->setLongitudeText("2.294481");
    e.item->photoLibFileNode->createDate.setText("2018-01-02 03:04:05");
    LibraryExportSettings settings;
    settings.storageFolder = storage();
    const ExportReport r = exportWithLibraryMetadata({e}, settings);
    ASSERT_EQ(r.writtenCount(), 1) << r.notWritten().join("; ").toStdString();
    EXPECT_EQ(r.photos[0].outputPath, storage() + "/St James Park 3.jpg");
    EXPECT_EQ(readAll(storage() + "/St James Park.jpg"), "someone's file");
    EXPECT_EQ(readAll(storage() + "/St James Park 2.jpg"), "another");
    EXPECT_EQ(FileDates::modificationDate(r.photos[0].outputPath),
              QDateTime(QDate(2018, 1, 2), QTime(3, 4, 5)));
    // The refreshed original record is the file's.
    ASSERT_TRUE(e.item->originalFileNode);
    EXPECT_EQ(e.item->originalFileNode->fileTitle, "St. James's Park");

    QFile f(r.photos[0].outputPath);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QVariantMap props = ImageSource(f.readAll()).properties(0);
    EXPECT_EQ(props["{IPTC}"].toMap()["ObjectName"].toString(), "Library title");
    EXPECT_EQ(props["{IPTC}"].toMap()["Keywords"].toStringList(), (QStringList{"UK", "London"}));
    const QVariantMap gps = props["{GPS}"].toMap();
    EXPECT_NEAR(gps["Latitude"].toDouble(), 48.85837, 1e-5);
    EXPECT_EQ(gps["LongitudeRef"].toString(), "E");
    EXPECT_NEAR(gps["Altitude"].toDouble(), 2.6, 0.05);
    EXPECT_FALSE(props["{TIFF}"].toMap()["Artist"].toString().isEmpty());
}

TEST_F(LibraryExportRules, NamedCandidatesComeFirstThenTheNextFreeSpacedNumber) {
    QDir().mkpath(storage());
    writeFile(storage() + "/A.jpg", "a");
    writeFile(storage() + "/A 2.jpg", "a2");
    writeFile(storage() + "/tmp", "t");
    QString why;
    EXPECT_EQ(moveToFirstFreeOf(storage() + "/tmp", storage(), {"A.jpg", "A 2.jpg"}, &why),
              storage() + "/A 3.jpg");
    EXPECT_EQ(spacedNumberedFileName("A.jpg", 1), "A.jpg");
    EXPECT_EQ(spacedNumberedFileName("A.jpg", 4), "A 4.jpg");
}

TEST_F(LibraryExportRules, AFullDiskLeavesNoPartialFileAndStopsTheRun) {
    QDir().mkpath(storage());
    QString why;
    if (!mountScratch(storage(), "tmpfs", "size=64k", &why))
        GTEST_SKIP() << why.toStdString();
    const QString big = package() + "/originals/A/big.jpg";
    const QString small = package() + "/originals/A/small.jpg";
    writeFile(big, QByteArray(200 * 1024, 'x'));
    writeFile(small, "small");
    PlainExportSettings settings;
    settings.storageFolder = storage();
    const ExportReport r = exportPlainCopies(
        {entry(small, "small.jpg", 0), entry(big, "big.jpg", 1), entry(small, "later.jpg", 2)},
        settings);
    const QStringList left = filesUnder(storage());
    unmountScratch(storage());
    EXPECT_EQ(left, QStringList{"small.jpg"});
    EXPECT_EQ(r.writtenCount(), 1);
    // The run stopped at the full disk and says how many went out.
    EXPECT_EQ(r.photos.size(), 2);
    EXPECT_TRUE(r.folderReason.contains("1 photos were exported")) << r.folderReason.toStdString();
}

TEST_F(LibraryExportRules, MetadataCopiesOntoAFullDiskAreRefusedAndLeaveNothing) {
    QDir().mkpath(storage());
    QString why;
    if (!mountScratch(storage(), "tmpfs", "size=1m", &why))
        GTEST_SKIP() << why.toStdString();
    const QString source = package() + "/originals/S/St James Park.jpg";
    QDir().mkpath(QFileInfo(source).absolutePath());
    ASSERT_TRUE(QFile::copy(fixturePath("St James Park.jpg"), source));
    LibraryExportSettings settings;
    settings.storageFolder = storage();
    const ExportReport r = exportWithLibraryMetadata(
        {entry(source, "St James Park.jpg", 0), entry(source, "St James Park.jpg", 1)}, settings);
    const QStringList left = filesUnder(storage());
    unmountScratch(storage());
    EXPECT_TRUE(left.isEmpty()) << left.join(", ").toStdString();
    EXPECT_EQ(r.writtenCount(), 0);
    EXPECT_EQ(r.notWritten(), (QStringList{"St James Park.jpg: the storage folder is full",
                                           "St James Park.jpg: the storage folder is full"}));
}
