// The features on videos: the date windows on the sample videos (their QuickTime creation date
// is shown and written through exiftool), and the removals, the edit sheet and the GPS window
// on a video made here. Every track and packet stays as it was.
#include "app/AppDelegate.h"
#include "app/core/Settings.h"
#include "browser/DropTargets.h"
#include "browser/MainWindowController.h"
#include "browser/core/LocalImport.h"
#include "metadata/DateWindows.h"
#include "metadata/EditSheet.h"
#include "metadata/GpsWindow.h"
#include "metadata/MetadataMenus.h"
#include "platform/core/FileDates.h"
#include "platform/core/SafeWrite.h"
#include "platform/core/Workspace.h"
#include "support/AppDriver.h"
#include "support/ImageTestHelpers.h"
#include "support/JobWait.h"
#include "support/TestSupport.h"

#include <QCheckBox>
#include <QCryptographicHash>
#include <QDirIterator>
#include <QFile>
#include <QJsonObject>
#include <QLineEdit>
#include <QListView>
#include <QMainWindow>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <ctime>
#include <gtest/gtest.h>
#include <tuple>

namespace {

// The local photo browser.
QListView *localBrowser(AppDelegate &d) {
    return drive(d).find<QListView>("localImageBrowserView");
}

QByteArray fileDigest(const QString &path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Md5).toHex();
}

// ffmpeg's digest of every decoded audio and video frame.
QByteArray streamDigest(const QString &path) {
    QProcess p;
    p.start(QStringLiteral("ffmpeg"),
            {"-v", "error", "-i", path, "-map", "0:v", "-map", "0:a", "-f", "md5", "-"});
    p.waitForFinished(-1);
    return p.readAllStandardOutput().trimmed();
}

// The tracks as ffprobe lists them, timed-metadata ones too: "video avc1", "data mebx".
QStringList tracks(const QString &path) {
    QProcess p;
    p.start(QStringLiteral("ffprobe"),
            {"-v", "error", "-show_entries", "stream=codec_type,codec_tag_string", "-of", "csv=p=0",
             path});
    p.waitForFinished(-1);
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed().split('\n');
}

QStringList temporariesIn(const QString &dir) {
    QStringList found;
    QDirIterator it(dir, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString p = it.next();
        if (QFileInfo(p).fileName().startsWith(QLatin1String(SafeWrite::kTemporaryPrefix)))
            found << p;
    }
    return found;
}

// A sample video with the dates it holds and what a write must keep of it.
struct Video {
    QString name;
    QString shown; // its creation date as the window shows it, on its own wall clock
    QString zone;  // the offset its dates keep: its own, else Tokyo's
    QString path;
    QByteArray bytes, packets;
    QStringList trackList;
    QFile::Permissions mode;
};

class VideoDates : public ::testing::Test {
  protected:
    void SetUp() override {
        // A zone away from UTC, so that a date written in the wrong zone shows.
        oldTz = qgetenv("TZ");
        qputenv("TZ", "Asia/Tokyo");
        tzset();
        clearUserDefaults();
        storage = dir.filePath("out");
        userDefaults()->setValue("storagePath", storage);
        Workspace::setUrlOpener([](const QUrl &) { return true; });
        Workspace::setRevealer([](const QString &, const QString &) {});
        d = std::make_unique<AppDelegate>();
        d->launch();
        localBrowser(*d)->setModel(&model);
        // The iPhone video: a Keys date in -08:00 and two "mebx" timed-metadata tracks. The
        // other has only the movie header's UTC date, shown in local time.
        for (const auto &[name, shown, zone] :
             {std::tuple{"IMG_0123.mov", "2020:01:05 14:13:13", "-08:00"},
              std::tuple{"clip.mp4", "2020:12:05 14:21:52", "+09:00"}}) {
            Video v;
            v.name = name;
            v.shown = shown;
            v.zone = zone;
            v.path = copyFixture(v.name, dir.path());
            QFile::setPermissions(v.path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                              QFile::ReadOther);
            v.bytes = fileDigest(v.path);
            v.packets = streamDigest(v.path);
            v.trackList = tracks(v.path);
            v.mode = QFile::permissions(v.path);
            videos << v;
        }
    }
    void TearDown() override {
        localBrowser(*d)->setModel(nullptr);
        d.reset();
        Workspace::setRevealer({});
        Workspace::setUrlOpener({});
        if (oldTz.isNull())
            qunsetenv("TZ");
        else
            qputenv("TZ", oldTz);
        tzset();
    }
    void select(const QStringList &paths) {
        d->localLists().localPhotoItemArray.clear();
        for (const QString &p : paths)
            d->localLists().localPhotoItemArray << makeLocalItem(p);
        model.clear();
        model.setRowCount(int(paths.size()));
        model.setColumnCount(1);
        for (int i = 0; i < paths.size(); ++i)
            localBrowser(*d)->selectionModel()->select(model.index(i, 0),
                                                       QItemSelectionModel::Select);
        d->selection().currentChooseFilePath = paths.value(0);
    }
    // The written video holds `wallClock` (with the video's own offset) in all three date
    // boxes and every track and packet of the original.
    void expectWritten(const Video &v, const QString &written, const QString &wallClock,
                       const QString &utc) {
        SCOPED_TRACE(written.toStdString());
        const QJsonObject j = exiftoolJson(written, {"-G1", "-a"});
        EXPECT_EQ(j["UserData:DateTimeOriginal"].toString(), wallClock + v.zone);
        EXPECT_EQ(j["Keys:CreationDate"].toString(), wallClock + v.zone);
        EXPECT_EQ(j["QuickTime:CreateDate"].toString(), utc);
        EXPECT_EQ(streamDigest(written), v.packets);
        EXPECT_EQ(tracks(written), v.trackList);
        EXPECT_NE(fileDigest(written), v.bytes);
    }

    // A small .mov as a phone leaves it: a date in +01:00, a title in two boxes, an artist
    // and a position in Keys, UserData and XMP.
    QString makeVideo(const QString &name) {
        const QString path = dir.filePath(name);
        QProcess ffmpeg;
        ffmpeg.start("ffmpeg", {"-v", "error", "-f", "lavfi", "-i", "testsrc=s=64x48:d=1", "-f",
                                "lavfi", "-i", "sine=d=1", "-c:v", "libx264", "-pix_fmt", "yuv420p",
                                "-c:a", "aac", "-shortest", path});
        QProcess exiftool;
        if (ffmpeg.waitForFinished(-1) && ffmpeg.exitCode() == 0)
            exiftool.start("exiftool",
                           {"-q", "-overwrite_original", "-Keys:GPSCoordinates#=48.8583 2.2945 35",
                            "-UserData:GPSCoordinates#=48.8583 2.2945 35",
                            "-XMP-exif:GPSLatitude=48.8583", "-XMP-exif:GPSLongitude=2.2945",
                            "-Keys:CreationDate=2020:01:11 10:00:00+01:00",
                            "-UserData:DateTimeOriginal=2020:01:11 10:00:00+01:00",
                            "-QuickTime:CreateDate=2020:01:11 09:00:00", "-ItemList:Title=Old",
                            "-Keys:Title=Old", "-ItemList:Artist=Ann", path});
        exiftool.waitForFinished(-1);
        return path;
    }
    QString sheetText() {
        QString said;
        for (QMessageBox *sheet : d->window->findChildren<QMessageBox *>())
            if (sheet->isVisible())
                said += sheet->text() + sheet->informativeText() + sheet->detailedText();
        return said;
    }
    void closeSheets() {
        for (QMessageBox *sheet : d->window->findChildren<QMessageBox *>())
            sheet->hide();
    }
    // The edit sheet's field `name`, and typing into it.
    QLineEdit *field(const char *name) {
        return drive(*d).findIn<QLineEdit>("eidtMetaWindow", name);
    }
    void type(const char *name, const QString &text) { drive(*d).type(field(name), text); }

    QByteArray oldTz;
    QTemporaryDir dir;
    QString storage;
    QStandardItemModel model;
    std::unique_ptr<AppDelegate> d;
    QList<Video> videos;
};

} // namespace

TEST_F(VideoDates, SingleWindowShowsAndWritesTheCreationDateIntoACopy) {
    ASSERT_EQ(videos[0].trackList.count("data,mebx"), 2);
    // The same wall clock is another instant in the iPhone video's own zone.
    const QStringList utc = {"2021:03:04 13:06:07", "2021:03:03 20:06:07"};
    for (const Video &v : videos) {
        SCOPED_TRACE(v.name.toStdString());
        select({v.path});
        d->dateWindows().ShowChangeDateWindow();
        EXPECT_EQ(drive(*d).find<QLineEdit>("orignalDatelab")->text(), v.shown);
        EXPECT_EQ(drive(*d).find<QLineEdit>("diginalDatelab")->text(), v.shown);
        drive(*d).find<QLineEdit>("orignalDatelab")->setText("2021-03-04 05:06:07");
        drive(*d).find<QLineEdit>("diginalDatelab")->setText("2021-03-04 05:06:07");
        d->dateWindows().ClickDateChangedSaveAction();
        ASSERT_TRUE(waitForJobs(*d));
        const QString written = storage + "/" + v.name;
        expectWritten(v, written, "2021:03:04 05:06:07", utc[int(&v - &videos[0])]);
        EXPECT_EQ(FileDates::creationDate(written), QDateTime(QDate(2021, 3, 4), QTime(5, 6, 7)));
        // The original is not touched when overwriting is off.
        EXPECT_EQ(fileDigest(v.path), v.bytes);
    }
    // A second write of the same video goes on in its copy: the edits add up there.
    d->dateWindows().ShowChangeDateWindow();
    drive(*d).find<QLineEdit>("orignalDatelab")->setText("2022-01-02 03:04:05");
    drive(*d).find<QLineEdit>("diginalDatelab")->setText("2022-01-02 03:04:05");
    d->dateWindows().ClickDateChangedSaveAction();
    ASSERT_TRUE(waitForJobs(*d));
    const QStringList names = QDir(storage).entryList(QDir::Files);
    EXPECT_EQ(names, (QStringList{"clip.mp4", "IMG_0123.mov"})) << names.join(", ").toStdString();
    expectWritten(videos[1], storage + "/clip.mp4", "2022:01:02 03:04:05", "2022:01:01 18:04:05");
    EXPECT_EQ(fileDigest(videos[1].path), videos[1].bytes);
    EXPECT_TRUE(temporariesIn(dir.path()).isEmpty())
        << temporariesIn(dir.path()).join(", ").toStdString();
}

TEST_F(VideoDates, BatchHourShiftOverwritesTheVideosInPlace) {
    d->preferences().overwrite = true;
    select({videos[0].path, videos[1].path});
    d->dateWindows().ChangeDateExifFromPhoto();
    ASSERT_TRUE(waitForJobs(*d));
    drive(*d).find<QLineEdit>("hourVaulab")->setText("1");
    drive(*d).find<QPushButton>("AddTimeBtn")->setChecked(true);
    d->dateWindows().ClickMutiDateChangedSaveAction();
    ASSERT_TRUE(waitForJobs(*d));
    const QStringList utc = {"2020:01:05 23:13:13", "2020:12:05 06:21:52"};
    for (int k = 0; k < 2; ++k) {
        const Video &v = videos[k];
        SCOPED_TRACE(v.name.toStdString());
        QDateTime moved = QDateTime::fromString(v.shown, "yyyy:MM:dd HH:mm:ss").addSecs(3600);
        expectWritten(v, v.path, moved.toString("yyyy:MM:dd HH:mm:ss"), utc[k]);
        // The replacement keeps the original's mode and takes the moved date as file date.
        EXPECT_EQ(QFile::permissions(v.path), v.mode);
        EXPECT_EQ(FileDates::creationDate(v.path), moved);
        EXPECT_FALSE(QFileInfo::exists(storage + "/" + v.name));
    }
    EXPECT_TRUE(temporariesIn(dir.path()).isEmpty())
        << temporariesIn(dir.path()).join(", ").toStdString();
}

TEST_F(VideoDates, AFileThatIsNoVideoIsNamedAndLeavesNothing) {
    const QString broken = dir.filePath("broken.mov");
    QFile f(broken);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(4096, 'x'));
    f.close();
    const QByteArray before = fileDigest(broken);
    select({broken});
    d->dateWindows().ShowChangeDateWindow();
    drive(*d).find<QLineEdit>("orignalDatelab")->setText("2021-03-04 05:06:07");
    drive(*d).find<QLineEdit>("diginalDatelab")->setText("2021-03-04 05:06:07");
    d->dateWindows().ClickDateChangedSaveAction();
    ASSERT_TRUE(waitForJobs(*d));
    EXPECT_EQ(fileDigest(broken), before);
    const QString said = sheetText();
    EXPECT_TRUE(said.contains("broken.mov")) << said.toStdString();
    EXPECT_FALSE(QFileInfo::exists(storage + "/broken.mov"));
    EXPECT_TRUE(temporariesIn(dir.path()).isEmpty());
}

TEST_F(VideoDates, CreationDateOfTheFileBecomesTheVideosCameraDate) {
    const Video &v = videos[1];
    const QDateTime created(QDate(2019, 7, 8), QTime(9, 10, 11));
    ASSERT_TRUE(FileDates::setCreationDate(v.path, created));
    select({v.path});
    d->dateWindows().ClickCopyCreatedDateToCameraDateAction();
    ASSERT_TRUE(waitForJobs(*d));
    expectWritten(v, storage + "/" + v.name, "2019:07:08 09:10:11", "2019:07:08 00:10:11");
    EXPECT_EQ(fileDigest(v.path), v.bytes);
}

namespace {

// The numbers of an ISO 6709 position as exiftool -n gives them ("-33.85 151.21 35").
QList<double> numbers(const QJsonValue &value) {
    QList<double> out;
    for (const QString &part : value.toVariant().toString().split(' ', Qt::SkipEmptyParts))
        out << part.toDouble();
    return out;
}

QStringList gpsTags(const QJsonObject &tags) {
    QStringList out;
    for (auto it = tags.begin(); it != tags.end(); ++it)
        if (it.key().contains("GPS"))
            out << it.key();
    return out;
}

} // namespace

TEST_F(VideoDates, RemovingGpsTakesThePositionFromEveryBoxAndSaysWhenThereIsNone) {
    const QString video = makeVideo("trip.mov");
    const QJsonObject before = exiftoolJson(video, {"-G1", "-a"});
    ASSERT_GE(gpsTags(before).size(), 4) << gpsTags(before).join(", ").toStdString();
    const QByteArray packets = streamDigest(video);
    select({video});
    d->metadataMenus().RemoveGPSDataFromPhoto();
    ASSERT_TRUE(waitForJobs(*d));
    const QString written = storage + "/trip.mov";
    const QJsonObject after = exiftoolJson(written, {"-G1", "-a"});
    EXPECT_TRUE(gpsTags(after).isEmpty()) << gpsTags(after).join(", ").toStdString();
    for (const char *kept :
         {"Keys:CreationDate", "UserData:DateTimeOriginal", "QuickTime:CreateDate",
          "ItemList:Title", "Keys:Title", "ItemList:Artist"})
        EXPECT_EQ(after[kept], before[kept]) << kept;
    EXPECT_EQ(streamDigest(written), packets);
    EXPECT_EQ(tracks(written), tracks(video));

    // A video with no position has nothing to remove: it is named, and no copy is made.
    closeSheets();
    select({videos[1].path});
    d->metadataMenus().RemoveGPSDataFromPhoto();
    ASSERT_TRUE(waitForJobs(*d));
    EXPECT_TRUE(sheetText().contains("clip.mp4")) << sheetText().toStdString();
    EXPECT_FALSE(QFileInfo::exists(storage + "/clip.mp4"));
}

TEST_F(VideoDates, EditSheetAndGpsWindowWriteTitleArtistAndPositionAndLeaveTheDates) {
    const QString video = makeVideo("harbour.mov");
    const QJsonObject before = exiftoolJson(video, {"-G1", "-a", "-n"});
    const QByteArray packets = streamDigest(video);
    select({video});
    drive(*d).editSheet().StartEditViewAction();
    // The sheet opens on the video's own values.
    EXPECT_EQ(field("titlelab")->text(), "Old");
    EXPECT_EQ(field("artistlab")->text(), "Ann");
    EXPECT_NEAR(field("gpsLatilab")->text().toDouble(), 48.8583, 1e-4);
    EXPECT_NEAR(field("gpsLongtlab")->text().toDouble(), 2.2945, 1e-4);
    type("titlelab", "Harbour");
    type("artistlab", "Kim");
    type("copyrightlab", "Kim 2020");
    type("gpsLatilab", "-33.85");
    type("gpsLongtlab", "151.21");
    drive(*d).editSheet().ClickApplyChangeAction();
    ASSERT_TRUE(waitForJobs(*d));
    const QString written = storage + "/harbour.mov";
    QJsonObject after = exiftoolJson(written, {"-G1", "-a", "-n"});
    EXPECT_EQ(after["ItemList:Title"].toString(), "Harbour");
    EXPECT_EQ(after["Keys:Title"].toString(), "Harbour");
    EXPECT_EQ(after["ItemList:Artist"].toString(), "Kim");
    for (const char *box : {"Keys:GPSCoordinates", "UserData:GPSCoordinates"}) {
        const QList<double> p = numbers(after[box]);
        ASSERT_EQ(p.size(), 3) << box;
        EXPECT_NEAR(p[0], -33.85, 1e-4) << box;
        EXPECT_NEAR(p[1], 151.21, 1e-4) << box;
        EXPECT_NEAR(p[2], 35, 1e-3) << box; // the altitude stays
    }
    EXPECT_NEAR(after["XMP-exif:GPSLatitude"].toDouble(), -33.85, 1e-4);
    EXPECT_NEAR(after["XMP-exif:GPSLongitude"].toDouble(), 151.21, 1e-4);
    for (const char *kept :
         {"Keys:CreationDate", "UserData:DateTimeOriginal", "QuickTime:CreateDate"})
        EXPECT_EQ(after[kept], before[kept]) << kept;
    EXPECT_EQ(streamDigest(written), packets);
    // The copyright has no box in a video: the ending names it and the video.
    EXPECT_TRUE(sheetText().contains("harbour.mov: copyright")) << sheetText().toStdString();

    // The GPS window shows the video's position as now written and writes only the position,
    // into the same copy.
    closeSheets();
    drive(*d).gpsWindow().EditeGPSExifDataPhoto();
    ASSERT_TRUE(drive(*d).find<QWidget>("changeGPSWindow")->isVisible());
    EXPECT_NEAR(drive(*d).text("latitudelab").toDouble(), -33.85, 1e-4);
    drive(*d).type("latitudelab", "10.5");
    drive(*d).type("longtitudelab", "-20.25");
    drive(*d).gpsWindow().ClickSaveChangeGPSAction();
    ASSERT_TRUE(waitForJobs(*d));
    EXPECT_TRUE(sheetText().isEmpty()) << sheetText().toStdString();
    after = exiftoolJson(written, {"-G1", "-a", "-n"});
    EXPECT_EQ(numbers(after["Keys:GPSCoordinates"]).mid(0, 2), (QList<double>{10.5, -20.25}));
    EXPECT_EQ(numbers(after["UserData:GPSCoordinates"]).mid(0, 2), (QList<double>{10.5, -20.25}));
    EXPECT_NEAR(after["XMP-exif:GPSLongitude"].toDouble(), -20.25, 1e-4);
    EXPECT_EQ(after["ItemList:Title"].toString(), "Harbour");
    for (const char *kept :
         {"Keys:CreationDate", "UserData:DateTimeOriginal", "QuickTime:CreateDate"})
        EXPECT_EQ(after[kept], before[kept]) << kept;
    EXPECT_EQ(tracks(written), tracks(video));

    // Opened again, the sheet shows the copy's values; a new title alone rewrites no other box.
    closeSheets();
    drive(*d).editSheet().StartEditViewAction();
    EXPECT_EQ(field("titlelab")->text(), "Harbour");
    EXPECT_EQ(field("artistlab")->text(), "Kim");
    EXPECT_NEAR(field("gpsLatilab")->text().toDouble(), 10.5, 1e-4);
    const QJsonObject copy = exiftoolJson(written, {"-G1", "-a"});
    type("titlelab", "Quay");
    drive(*d).editSheet().ClickApplyChangeAction();
    ASSERT_TRUE(waitForJobs(*d));
    EXPECT_TRUE(sheetText().contains("updated successfully")) << sheetText().toStdString();
    const QJsonObject last = exiftoolJson(written, {"-G1", "-a"});
    EXPECT_EQ(last["ItemList:Title"].toString(), "Quay");
    EXPECT_EQ(last["Keys:Title"].toString(), "Quay");
    QStringList moved;
    for (const QString &k : last.keys())
        if (last[k] != copy[k] && !k.startsWith("System:") && !k.startsWith("File:") &&
            !k.startsWith("Composite:") && k != "QuickTime:MediaDataOffset")
            moved << k;
    EXPECT_EQ(moved, (QStringList{"ItemList:Title", "Keys:Title"}));
    EXPECT_EQ(streamDigest(written), packets);
}
