// Photos on drives formatted for cameras and other systems: small exFAT, FAT and NTFS images
// mounted through FUSE, which needs no kernel module. Every writer that names a new file
// writes there as it does on ext4, and never replaces a file it did not write.
#include "../library/LibraryTestSupport.h"
#include "batch/core/BatchRename.h"
#include "batch/core/SidecarMerge.h"
#include "export/core/LibraryMetadataExport.h"
#include "export/core/PlainExport.h"
#include "library/core/LibraryWorkingCopy.h"
#include "library/core/SqliteDatabase.h"
#include "metadata/core/WriteRecipe.h"
#include "platform/core/CameraDevice.h"
#include "platform/core/FileDates.h"
#include "platform/core/PhotosApplication.h"
#include "platform/core/SafeWrite.h"
#include "support/ImageTestHelpers.h"
#include "support/LocalHttpServer.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimeZone>
#include <gtest/gtest.h>

#include <sys/statfs.h>

namespace {

QString program(const QString &name) {
    return QStandardPaths::findExecutable(name, {"/usr/sbin", "/sbin", "/usr/bin", "/bin"});
}

// Runs a program to its end; false with what it said.
bool run(const QString &name, const QStringList &args, QString *why, QString *out = nullptr) {
    const QString path = program(name);
    if (path.isEmpty()) {
        *why = name + " is not installed";
        return false;
    }
    QProcess p;
    p.start(path, args);
    const bool ended = p.waitForFinished(60000);
    if (out)
        *out = QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
    if (ended && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0)
        return true;
    *why = QStringLiteral("%1 failed: %2")
               .arg(name, QString::fromLocal8Bit(p.readAllStandardError()).trimmed());
    return false;
}

// A 64 MB image of one kind in a temporary folder, mounted through FUSE while it lives.
class Drive {
  public:
    Drive(const Drive &) = delete;
    Drive &operator=(const Drive &) = delete;
    Drive() = default;
    ~Drive() {
        QString why;
        if (mounted_ && !run("fusermount", {"-u", root}, &why))
            run("fusermount", {"-u", "-z", root}, &why);
        if (!loop_.isEmpty())
            run("losetup", {"-d", loop_}, &why);
    }

    bool mount(const QString &kind, QString *why) {
        if (!QFileInfo::exists("/dev/fuse")) {
            *why = "there is no /dev/fuse here";
            return false;
        }
        const QString image = scratch_.filePath(kind + ".img");
        root = scratch_.filePath("drive");
        QFile file(image);
        if (!QDir().mkpath(root) || !file.open(QIODevice::WriteOnly) || !file.resize(64 << 20)) {
            *why = "no room for the image";
            return false;
        }
        file.close();
        if (kind == "exfat") {
            if (!run("mkfs.exfat", {image}, why))
                return false;
            // As root, exfat-fuse mounts block devices only.
            mounted_ = run("mount.exfat-fuse", {image, root}, why) ||
                       (run("losetup", {"-f", "--show", image}, why, &loop_) &&
                        run("mount.exfat-fuse", {loop_, root}, why));
        } else if (kind == "vfat") {
            mounted_ =
                run("mkfs.vfat", {image}, why) && run("fusefat", {"-o", "rw+", image, root}, why);
        } else {
            mounted_ =
                run("mkntfs", {"-F", "-Q", "-q", image}, why) && run("ntfs-3g", {image, root}, why);
        }
        struct statfs fs {};
        if (mounted_ &&
            (::statfs(QFile::encodeName(root).constData(), &fs) != 0 || fs.f_type != 0x65735546)) {
            *why = "the image is not mounted through FUSE";
            return false;
        }
        return mounted_;
    }

    QString root;

  private:
    QTemporaryDir scratch_;
    QString loop_;
    bool mounted_ = false;
};

bool sameBytes(const QString &a, const QString &b) {
    return QProcess::execute("cmp", {"-s", a, b}) == 0;
}

QString lensOf(const QString &path) {
    return exiftool(path).value("EXIF:LensModel").toString();
}

// FAT keeps modification times to two seconds.
bool sameTime(const QDateTime &a, const QDateTime &b) {
    return a.isValid() && b.isValid() && std::abs(a.msecsTo(b)) <= 2000;
}

WriteRecipeOptions lensOptions(const QString &model) {
    WriteRecipeOptions o;
    o.change = [=](QVariantMap &working, const IKImageItem &) {
        QVariantMap exif = subDictionary(working, "{Exif}");
        exif["LensModel"] = model;
        working["{Exif}"] = exif;
        return true;
    };
    return o;
}

ExportEntry exportEntry(const QString &path, int index) {
    auto item = std::make_shared<IKImageItem>();
    item->filePath = path;
    item->fileName = QFileInfo(path).fileName();
    item->fileThumbPath = path;
    item->photoLibFileNode = std::make_shared<PRPicFileInfo>();
    return ExportEntry{item, item, index};
}

// What our writers may have left under `root`: temporaries, and the empty files a name is
// reserved with (a library's own empty files aside).
QStringList leftovers(const QString &root, const QString &library) {
    QStringList found;
    QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo f(it.next());
        if (f.fileName().startsWith(SafeWrite::kTemporaryPrefix) ||
            (f.size() == 0 && !f.filePath().startsWith(library + "/")))
            found << f.filePath();
    }
    return found;
}

const char *const kPhotos[] = {"wedding.jpg", "St James Park.jpg", "IMG_1994.JPG", "IMG_3092.heic"};

class RemovableDrive : public ::testing::TestWithParam<const char *> {
  protected:
    void SetUp() override {
        QString why;
        if (!drive.mount(GetParam(), &why))
            GTEST_SKIP() << GetParam() << ": " << why.toStdString();
        d = drive.root;
        local = here.path();
    }
    Drive drive;
    QTemporaryDir here; // on the disk the tests run from
    QString d, local;
};

} // namespace

// The write recipe (new copies beside a file of the same name, then over the originals), a
// plain and a metadata export, a batch rename (copies and in place), a Takeout merge (in place,
// and folders merged from another disk), a camera download and a library's copy back.
TEST_P(RemovableDrive, EveryWriterWritesThereAsOnExt4) {
    const QDateTime taken(QDate(2019, 5, 3), QTime(10, 20, 30));
    QList<IKImageItemPtr> items;
    QDir().mkpath(local + "/photos");
    for (const char *name : kPhotos) {
        const QString path = copyFixture(name, local + "/photos");
        ASSERT_FALSE(path.isEmpty());
        ASSERT_TRUE(FileDates::setDates(path, taken));
        items << itemFor(path);
    }
    const qsizetype count = items.size();

    // The recipe's new copies, one beside a file of its name that is not ours.
    const QString edited = d + "/Edited";
    ASSERT_TRUE(QDir().mkpath(edited));
    ASSERT_TRUE(writeAll(edited + "/wedding.jpg", "theirs"));
    WriteRecipeReport report = runWriteRecipe(items, edited, false, lensOptions("Drive"));
    EXPECT_EQ(report.writtenCount(), count) << report.notWritten().join("; ").toStdString();
    EXPECT_EQ(readAll(edited + "/wedding.jpg"), "theirs");
    EXPECT_EQ(report.photos[0].outputPath, edited + "/wedding (2).jpg");
    // NTFS keeps our creation dates; exFAT and FAT keep none, and the result says so.
    const bool keepsCreation = QLatin1String(GetParam()) == "ntfs";
    for (const WriteRecipeResult &photo : report.photos) {
        SCOPED_TRACE(photo.outputPath.toStdString());
        EXPECT_EQ(lensOf(photo.outputPath), "Drive");
        EXPECT_TRUE(sameTime(FileDates::modificationDate(photo.outputPath), taken));
        EXPECT_EQ(photo.leftOut, keepsCreation ? QStringList() : QStringList{"creation date"});
        if (keepsCreation) {
            EXPECT_EQ(FileDates::creationDate(photo.outputPath), taken);
        }
    }
    EXPECT_EQ(jpegScanData(readAll(edited + "/wedding (2).jpg")),
              jpegScanData(readAll(items[0]->filePath)));

    // Over originals that live on the drive.
    // Not "DCIM": a mounted drive with one is a mass-storage camera to every program watching.
    const QString drivePhotos = d + "/Photos";
    ASSERT_TRUE(QDir().mkpath(drivePhotos));
    QList<IKImageItemPtr> onDrive;
    for (const char *name : kPhotos) {
        ASSERT_FALSE(copyFixture(name, drivePhotos).isEmpty());
        onDrive << itemFor(drivePhotos + "/" + name);
    }
    report = runWriteRecipe(onDrive, edited, true, lensOptions("Over"));
    EXPECT_EQ(report.writtenCount(), count) << report.notWritten().join("; ").toStdString();
    for (const IKImageItemPtr &item : onDrive)
        EXPECT_EQ(lensOf(item->filePath), "Over") << item->filePath.toStdString();

    // A plain and a metadata export, beside files that are not theirs.
    const QString exported = d + "/Export";
    ASSERT_TRUE(QDir().mkpath(exported));
    ASSERT_TRUE(writeAll(exported + "/IMG_1994.JPG", "theirs"));
    QList<ExportEntry> entries;
    for (qsizetype i = 0; i < count; ++i)
        entries << exportEntry(items[i]->filePath, int(i));
    PlainExportSettings plain;
    plain.storageFolder = exported;
    const ExportReport copies = exportPlainCopies(entries, plain);
    EXPECT_EQ(copies.writtenCount(), count) << copies.notWritten().join("; ").toStdString();
    for (qsizetype i = 0; i < count; ++i)
        EXPECT_TRUE(sameBytes(copies.photos[i].outputPath, items[i]->filePath))
            << copies.photos[i].outputPath.toStdString();
    EXPECT_EQ(copies.photos[2].outputPath, exported + "/IMG_1994 2.JPG");
    EXPECT_EQ(readAll(exported + "/IMG_1994.JPG"), "theirs");
    ExportEntry titled = exportEntry(items[1]->filePath, 0);
    titled.item->photoLibFileNode->fileTitle = "Library title";
    LibraryExportSettings withMetadata;
    withMetadata.storageFolder = exported;
    const ExportReport metadata = exportWithLibraryMetadata({titled}, withMetadata);
    ASSERT_EQ(metadata.writtenCount(), 1) << metadata.notWritten().join("; ").toStdString();
    EXPECT_EQ(exiftool(metadata.photos[0].outputPath).value("IPTC:ObjectName").toString(),
              "Library title");

    // A batch rename: copies beside a file of the new name, then the originals in place.
    batchrename::Settings naming;
    naming.naming.customText = "Trip";
    naming.storage = d + "/Renamed";
    ASSERT_TRUE(QDir().mkpath(naming.storage));
    ASSERT_TRUE(writeAll(naming.storage + "/Trip.jpg", "theirs"));
    QList<batchrename::Photo> renamed;
    for (const IKImageItemPtr &item : items.mid(0, 2))
        renamed << batchrename::Photo{item->filePath, item->fileName};
    const auto rename = [](const batchrename::Settings &s, const QList<batchrename::Photo> &list) {
        JobRunner runner;
        EXPECT_TRUE(batchrename::start(runner, s, list));
        return runner.waitForResults();
    };
    QList<JobResult> results = rename(naming, renamed);
    ASSERT_EQ(results.size(), 2);
    EXPECT_EQ(results[0].outputPath, naming.storage + "/Trip (2).jpg")
        << results[0].reason.toStdString();
    EXPECT_EQ(results[1].outputPath, naming.storage + "/Trip (3).jpg")
        << results[1].reason.toStdString();
    for (int i = 0; i < 2; ++i)
        EXPECT_TRUE(sameBytes(results[i].outputPath, renamed[i].filePath));
    EXPECT_EQ(readAll(naming.storage + "/Trip.jpg"), "theirs");
    naming.overwrite = true;
    naming.naming.customText = "Moved";
    const QByteArray before = readAll(onDrive[0]->filePath);
    results = rename(naming, {{onDrive[0]->filePath, onDrive[0]->fileName}});
    ASSERT_EQ(results.size(), 1);
    EXPECT_EQ(results[0].outputPath, drivePhotos + "/Moved.jpg") << results[0].reason.toStdString();
    EXPECT_EQ(readAll(drivePhotos + "/Moved.jpg"), before);
    EXPECT_FALSE(QFileInfo::exists(onDrive[0]->filePath));

    // A Takeout merge into photos on the drive, and a folder of another disk merged into one
    // there: moved across, every byte checked.
    const QString takeout = d + "/Takeout/Photos from 2017";
    ASSERT_TRUE(QDir().mkpath(takeout));
    const QString merged = copyFixture("wedding.jpg", takeout);
    ASSERT_TRUE(
        writeAll(merged + ".json", R"({"title": "wedding.jpg", "description": "On the drive",
        "photoTakenTime": {"timestamp": "1500000000"},
        "geoData": {"latitude": 37.7749, "longitude": -122.4194, "altitude": 12.5}})"));
    const SidecarMergeSummary summary = ScanJsonPhotosItemThreader(d + "/Takeout", {});
    EXPECT_EQ(summary.merged.size(), 1) << summary.text().toStdString();
    EXPECT_EQ(exiftool(merged).value("EXIF:ImageDescription").toString(), "On the drive");
    EXPECT_TRUE(sameTime(FileDates::modificationDate(merged),
                         QDateTime::fromSecsSinceEpoch(1500000000, QTimeZone::utc())));
    const QString part = local + "/Takeout-2/Photos from 2017";
    ASSERT_TRUE(QDir().mkpath(part));
    const QString moving = copyFixture("St James Park.jpg", part);
    const QStringList notMoved =
        mergeFolderswithSourceArray({d + "/Takeout", local + "/Takeout-2"});
    EXPECT_TRUE(notMoved.isEmpty()) << notMoved.join("; ").toStdString();
    EXPECT_TRUE(sameBytes(takeout + "/St James Park.jpg", fixturePath("St James Park.jpg")));
    EXPECT_FALSE(QFileInfo::exists(moving));

    // A camera download beside a file of its name.
    const QString card = local + "/card/DCIM/100TEST";
    ASSERT_TRUE(QDir().mkpath(card));
    ASSERT_FALSE(copyFixture("IMG_1994.JPG", card).isEmpty());
    auto camera = std::make_shared<PKCameraDevice>(
        PKDeviceAddress{"Directory Browse", "disk:" + local + "/card"});
    QList<PKCameraFilePtr> files;
    bool opened = false;
    QObject::connect(camera.get(), &PKCameraDevice::didAddItems,
                     [&](const QList<PKCameraFilePtr> &added) { files << added; });
    QObject::connect(camera.get(), &PKCameraDevice::didOpenSession,
                     [&](const QString &) { opened = true; });
    camera->requestOpenSession();
    ASSERT_TRUE(waitFor([&] { return opened && files.size() == 1; }));
    QList<PKDownloadResult> downloads;
    camera->requestDownloadFile(files[0], drivePhotos, "IMG_1994.JPG",
                                [&](const PKDownloadResult &r) { downloads << r; });
    ASSERT_TRUE(waitFor([&] { return downloads.size() == 1; }));
    EXPECT_EQ(downloads[0].path, drivePhotos + "/IMG_1994 (2).JPG") << downloads[0].reason.toStdString();
    EXPECT_TRUE(sameBytes(downloads[0].path, fixturePath("IMG_1994.JPG")));
    EXPECT_EQ(lensOf(drivePhotos + "/IMG_1994.JPG"), "Over");

    // A library kept on the drive: opened, edited in its working copy, copied back.
    const QString library = copyLibrary("Test-13.0.0", local);
    ASSERT_FALSE(library.isEmpty());
    const QString package = d + "/Test.photoslibrary";
    QString why;
    ASSERT_TRUE(QDir().mkpath(package));
    ASSERT_TRUE(run("cp", {"-r", "--sparse=never", library + "/database", package}, &why))
        << why.toStdString();
    const QString database = package + "/database/Photos.sqlite";
    FakePhotosApplication nobody;
    LibraryWorkingCopy copy(&nobody);
    const LibraryStepResult open = copy.open(database);
    ASSERT_TRUE(open.ok) << open.reason.toStdString();
    {
        SqliteDatabase db;
        ASSERT_TRUE(
            db.open(copy.currentPhotolibDatabasePath(), SqliteDatabase::Mode::ReadWrite, &why));
        SqliteStatement *stmt =
            db.prepare("UPDATE ZADDITIONALASSETATTRIBUTES SET ZTITLE = ?1 WHERE Z_PK = 7");
        ASSERT_TRUE(stmt) << db.lastError().toStdString();
        stmt->bind(1, QStringLiteral("On the drive"));
        EXPECT_FALSE(stmt->step());
        EXPECT_FALSE(stmt->failed()) << stmt->error().toStdString();
    }
    const LibraryStepResult back = copy.copyBack();
    EXPECT_TRUE(back.ok) << back.reason.toStdString();
    copy.close();
    // Read from a copy: SQLite cannot open a database on FAT through FUSE, whose driver
    // changes no file's length.
    const QString checked = local + "/checked.sqlite";
    ASSERT_TRUE(QFile::copy(database, checked));
    EXPECT_FALSE(QFileInfo::exists(database + "-wal"));
    EXPECT_EQ(sqliteValue(checked, "PRAGMA integrity_check"), "ok");
    EXPECT_EQ(sqliteValue(checked, "SELECT ZTITLE FROM ZADDITIONALASSETATTRIBUTES WHERE Z_PK = 7"),
              "On the drive");

    const QStringList left = leftovers(d, package);
    EXPECT_TRUE(left.isEmpty()) << left.join(", ").toStdString();
}

INSTANTIATE_TEST_SUITE_P(Kinds, RemovableDrive, ::testing::Values("exfat", "vfat", "ntfs"),
                         [](const auto &info) { return std::string(info.param); });
