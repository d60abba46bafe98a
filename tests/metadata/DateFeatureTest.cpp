// The date windows and date copies, run through the application object on copies of the
// sample photos, and checked with our reader, with exiftool and on the file dates.
#include "app/AppDelegate.h"
#include "app/core/Settings.h"
#include "browser/DropTargets.h"
#include "browser/MainWindowController.h"
#include "browser/core/LocalImport.h"
#include "metadata/DateWindows.h"
#include "metadata/core/DateCopies.h"
#include "platform/ImageView.h"
#include "platform/core/FileDates.h"
#include "platform/core/ImageSource.h"
#include "platform/core/Workspace.h"
#include "support/AppDriver.h"
#include "support/ImageTestHelpers.h"
#include "support/JobWait.h"
#include "support/TestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QListView>
#include <QMainWindow>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QTimeZone>
#include <ctime>
#include <gtest/gtest.h>

namespace {

// The local photo browser.
QListView *localBrowser(AppDelegate &d) {
    return drive(d).find<QListView>("localImageBrowserView");
}

void exiftoolSet(const QString &path, const QStringList &assignments) {
    QProcess p;
    p.start("exiftool", assignments + QStringList{"-overwrite_original", path});
    p.waitForFinished(30000);
}

QByteArray digestOf(const QString &path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

QString exifOriginal(const QString &path) {
    return ImageSource::fromPath(path)
        .properties(0)
        .value("{Exif}")
        .toMap()
        .value("DateTimeOriginal")
        .toString();
}

// The instant IPTC's creation date and time name, as exiftool shows them ("-07:00" zones).
QDateTime iptcInstant(const QJsonObject &j) {
    const QString time = j["IPTC:TimeCreated"].toString();
    QDateTime at = QDateTime::fromString(j["IPTC:DateCreated"].toString() + " " + time.left(8),
                                         "yyyy:MM:dd HH:mm:ss");
    at.setTimeZone(QTimeZone::utc());
    const int zone = time.mid(9, 2).toInt() * 3600 + time.mid(12, 2).toInt() * 60;
    return at.addSecs(time.mid(8, 1) == "-" ? zone : -zone);
}

QDateTime local(int y, int mo, int d, int h, int mi, int s) {
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s));
}

class DateFeature : public ::testing::Test {
  protected:
    void SetUp() override {
        // A zone away from UTC, so that a date shifted twice by the offset shows.
        oldTz = qgetenv("TZ");
        qputenv("TZ", "Asia/Tokyo");
        tzset();
        clearUserDefaults();
        storage = dir.filePath("out");
        userDefaults()->setValue("storagePath", storage);
        Workspace::setUrlOpener([](const QUrl &) { return true; });
        Workspace::setRevealer([this](const QString &p, const QString &) { revealed << p; });
        d = std::make_unique<AppDelegate>();
        d->launch();
        localBrowser(*d)->setModel(&model);
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
    // Puts the photos into the local list and selects them all.
    void selectPhotos(const QStringList &paths) {
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
    QString copy(const QString &fixture, const QString &as = QString()) {
        const QString path = copyFixture(fixture, dir.path());
        if (as.isEmpty())
            return path;
        const QString renamed = dir.filePath(as);
        QFile::rename(path, renamed);
        return renamed;
    }
    QMessageBox *openSheet(QWidget *on) {
        for (QMessageBox *s : on->findChildren<QMessageBox *>())
            if (s->isVisible())
                return s;
        return nullptr;
    }
    QString out(const QString &name) { return storage + "/" + name; }

    QByteArray oldTz;
    QTemporaryDir dir;
    QString storage;
    QStringList revealed;
    QStandardItemModel model;
    std::unique_ptr<AppDelegate> d;
};

} // namespace

TEST_F(DateFeature, FixedDateStepsFiveMinutesOverThreePhotos) {
    selectPhotos({copy("St James Park.jpg"), copy("wedding.jpg"), copy("Fritest.jpeg")});
    d->dateWindows().ChangeDateExifFromPhoto();
    ASSERT_TRUE(waitForJobs(*d));
    EXPECT_TRUE(drive(*d).find<QWidget>("changeMutiDateWindow")->isVisible());
    drive(*d).find<QLineEdit>("mutSetDatelab")->setText("2021-03-04 05:06:07");
    drive(*d).find<QCheckBox>("AddDateNumBtn")->setChecked(true);
    drive(*d).find<QLineEdit>("AddDateNumlab")->setText("5");
    drive(*d).find<QComboBox>("AddDateUnitBtn")->setCurrentText("Minute");
    d->dateWindows().ClickMutiDateChangedSaveAction();
    ASSERT_TRUE(waitForJobs(*d));
    EXPECT_FALSE(drive(*d).find<QWidget>("changeMutiDateWindow")->isVisible());
    const QStringList names = {"St James Park.jpg", "wedding.jpg", "Fritest.jpeg"};
    for (int k = 0; k < 3; ++k) {
        SCOPED_TRACE(names[k].toStdString());
        const QDateTime want = local(2021, 3, 4, 5, 6 + 5 * k, 7);
        const QString expected = want.toString("yyyy:MM:dd HH:mm:ss");
        EXPECT_EQ(exifOriginal(out(names[k])), expected);
        const QJsonObject j = exiftool(out(names[k]));
        EXPECT_EQ(j["EXIF:DateTimeOriginal"].toString(), expected);
        EXPECT_EQ(j["EXIF:CreateDate"].toString(), expected);
        EXPECT_EQ(j["EXIF:ModifyDate"].toString(), expected);
        // IPTC keeps the zone its time had (-07:00) and the new wall clock: the photos' Exif
        // names that zone (Fritest) or none.
        const QDateTime instant = QDateTime(want.date(), want.time(), QTimeZone(-7 * 3600));
        EXPECT_TRUE(j["IPTC:TimeCreated"].toString().endsWith("-07:00"));
        EXPECT_EQ(iptcInstant(j), instant) << j["IPTC:TimeCreated"].toString().toStdString();
        EXPECT_EQ(FileDates::creationDate(out(names[k])), want);
        EXPECT_EQ(FileDates::modificationDate(out(names[k])), want);
    }
    EXPECT_EQ(revealed.size(), 1); // one reveal per job: the first photo
    EXPECT_EQ(openSheet(d->window), nullptr);
}

TEST_F(DateFeature, AmountsCarryAcrossTheYearAndBackOverFebruary) {
    const QString a = copy("wedding.jpg", "a.jpg");
    const QString b = copy("Fritest.jpeg", "b.jpg");
    exiftoolSet(a, {"-DateTimeOriginal=2021:12:31 23:30:00"});
    exiftoolSet(b, {"-DateTimeOriginal=2021:03:01 10:00:00"});
    selectPhotos({a});
    d->dateWindows().ChangeDateExifFromPhoto();
    ASSERT_TRUE(waitForJobs(*d));
    drive(*d).find<QLineEdit>("hourVaulab")->setText("1");
    drive(*d).find<QPushButton>("AddTimeBtn")->setChecked(true);
    d->dateWindows().ClickMutiDateChangedSaveAction();
    ASSERT_TRUE(waitForJobs(*d));
    EXPECT_EQ(exiftool(out("a.jpg"))["EXIF:DateTimeOriginal"].toString(), "2022:01:01 00:30:00");
    EXPECT_EQ(FileDates::creationDate(out("a.jpg")), local(2022, 1, 1, 0, 30, 0));

    selectPhotos({b});
    d->dateWindows().ChangeDateExifFromPhoto();
    ASSERT_TRUE(waitForJobs(*d));
    drive(*d).find<QLineEdit>("dayVaulab")->setText("1");
    drive(*d).find<QPushButton>("RemoveTimeBtn")->setChecked(true);
    d->dateWindows().ClickRemoveTimeAction();
    ASSERT_TRUE(waitForJobs(*d));
    EXPECT_FALSE(drive(*d).find<QPushButton>("AddTimeBtn")->isChecked());
    d->dateWindows().ClickMutiDateChangedSaveAction();
    ASSERT_TRUE(waitForJobs(*d));
    EXPECT_EQ(exifOriginal(out("b.jpg")), "2021:02:28 10:00:00");
}

TEST_F(DateFeature, AmountsOnAPhotoWithoutADateGiveAPlainCopy) {
    QImage image(20, 20, QImage::Format_RGB32);
    image.fill(Qt::red);
    const QString plain = dir.filePath("plain.jpg");
    ASSERT_TRUE(image.save(plain, "JPEG"));
    const QDateTime created = local(2015, 6, 7, 8, 9, 10);
    ASSERT_TRUE(FileDates::setCreationDate(plain, created));
    selectPhotos({plain});
    d->dateWindows().ChangeDateExifFromPhoto();
    ASSERT_TRUE(waitForJobs(*d));
    drive(*d).find<QLineEdit>("dayVaulab")->setText("3");
    d->dateWindows().ClickMutiDateChangedSaveAction();
    ASSERT_TRUE(waitForJobs(*d));
    EXPECT_EQ(digestOf(out("plain.jpg")), digestOf(plain));
    EXPECT_EQ(FileDates::creationDate(out("plain.jpg")), created);
    EXPECT_EQ(FileDates::modificationDate(out("plain.jpg")), created);
}

TEST_F(DateFeature, ReferenceShiftMovesEachDateByItsOwnShift) {
    const QString park = copy("St James Park.jpg");
    selectPhotos({park});
    d->dateWindows().ChangeDateExifFromPhoto();
    ASSERT_TRUE(waitForJobs(*d));
    drive(*d).find<PKImageView>("dateImageview")->setImage(QPixmap(4, 4));
    drive(*d).find<QLineEdit>("beforeorignalDatelab")->setText("2018:10:13 09:18:12");
    drive(*d).find<QLineEdit>("beforediginalDatelab")->setText("2018:10:13 09:18:12");
    drive(*d).find<QLineEdit>("afterorignalDatelab")->setText("2018:10:14 09:18:12");
    drive(*d).find<QLineEdit>("afterdiginalDatelab")->setText("2018-10-13 10:18:12");
    d->dateWindows().ClickMutiDateChangedSaveAction();
    ASSERT_TRUE(waitForJobs(*d));
    const QJsonObject j = exiftool(out("St James Park.jpg"));
    EXPECT_EQ(j["EXIF:DateTimeOriginal"].toString(), "2018:10:14 09:18:12");
    EXPECT_EQ(j["EXIF:CreateDate"].toString(), "2018:10:13 10:18:12");
    EXPECT_EQ(FileDates::creationDate(out("St James Park.jpg")), local(2018, 10, 14, 9, 18, 12));
    EXPECT_EQ(FileDates::modificationDate(out("St James Park.jpg")),
              local(2018, 10, 13, 10, 18, 12));
    // The reference goes with its dates, so the next save is not steered into method 1.
    EXPECT_TRUE(drive(*d).find<PKImageView>("dateImageview")->image().isNull());
    EXPECT_TRUE(drive(*d).find<QLineEdit>("afterorignalDatelab")->text().isEmpty());
}

TEST_F(DateFeature, InvalidDatesWriteNothingAndKeepTheWindow) {
    selectPhotos({copy("wedding.jpg")});
    d->dateWindows().ChangeDateExifFromPhoto();
    ASSERT_TRUE(waitForJobs(*d));
    drive(*d).find<QLineEdit>("mutSetDatelab")->setText("2021-13-45 99:00:00");
    d->dateWindows().ClickMutiDateChangedSaveAction();
    ASSERT_TRUE(waitForJobs(*d));
    QMessageBox *sheet = openSheet(drive(*d).find<QWidget>("changeMutiDateWindow"));
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->text(), "Invalid date format");
    EXPECT_EQ(sheet->informativeText(),
              "Input the valid date format: YYYY:MM:DD HH:MM:SS or YYYY-MM-DD HH:MM:SS");
    sheet->buttons().first()->click();
    EXPECT_TRUE(drive(*d).find<QWidget>("changeMutiDateWindow")->isVisible());
    EXPECT_EQ(drive(*d).find<QLineEdit>("mutSetDatelab")->text(), "2021-13-45 99:00:00");
    EXPECT_FALSE(QFile::exists(out("wedding.jpg")));

    d->dateWindows().ClickMutiCreatedDateChangedSaveAction();
    ASSERT_TRUE(waitForJobs(*d));
    EXPECT_FALSE(QFile::exists(out("wedding.jpg")));
}

TEST_F(DateFeature, EmptySelectionAsksForAPhoto) {
    selectPhotos({});
    d->dateWindows().ChangeDateExifFromPhoto();
    ASSERT_TRUE(waitForJobs(*d));
    QMessageBox *sheet = openSheet(d->window);
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->text(), "No Item has been selected");
    EXPECT_EQ(sheet->informativeText(), "Please select at least one item to process.");
    EXPECT_FALSE(drive(*d).find<QWidget>("changeMutiDateWindow")->isVisible());
}

TEST_F(DateFeature, FileDatesBatchStepsAndLeavesTheBytes) {
    const QStringList photos = {copy("St James Park.jpg"), copy("wedding.jpg"),
                                copy("Fritest.jpeg")};
    selectPhotos(photos);
    d->dateWindows().ChangeDateExifFromPhoto();
    ASSERT_TRUE(waitForJobs(*d));
    drive(*d).find<QLineEdit>("mutSetDatelab")->setText("2020:02:29 23:55:00");
    drive(*d).find<QCheckBox>("AddDateNumBtn")->setChecked(true);
    drive(*d).find<QLineEdit>("AddDateNumlab")->setText("5");
    drive(*d).find<QComboBox>("AddDateUnitBtn")->setCurrentText("Minute");
    d->dateWindows().ClickMutiCreatedDateChangedSaveAction();
    ASSERT_TRUE(waitForJobs(*d));
    for (int k = 0; k < 3; ++k) {
        const QString o = out(QFileInfo(photos[k]).fileName());
        EXPECT_EQ(digestOf(o), digestOf(photos[k]));
        const QDateTime want = local(2020, 2, 29, 23, 55, 0).addSecs(300 * k);
        EXPECT_EQ(FileDates::creationDate(o), want);
        EXPECT_EQ(FileDates::modificationDate(o), want);
    }
    QMessageBox *sheet = openSheet(d->window);
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->text(), "Photo metadata updated successfully.");
}

TEST_F(DateFeature, SingleWindowWritesBothDatesAndTheFileDates) {
    const QString park = copy("St James Park.jpg");
    selectPhotos({park});
    d->dateWindows().ShowChangeDateWindow();
    EXPECT_TRUE(drive(*d).find<QWidget>("changeDateWindow")->isVisible());
    EXPECT_EQ(drive(*d).find<QLineEdit>("orignalDatelab")->text(), "2018:10:13 09:18:12");
    drive(*d).find<QLineEdit>("orignalDatelab")->setText("2021-03-04 05:06:07");
    drive(*d).find<QLineEdit>("diginalDatelab")->setText("2021-03-05 06:07:08");
    d->dateWindows().ClickDateChangedSaveAction();
    ASSERT_TRUE(waitForJobs(*d));
    EXPECT_FALSE(drive(*d).find<QWidget>("changeDateWindow")->isVisible());
    const QJsonObject j = exiftool(out("St James Park.jpg"));
    EXPECT_EQ(j["EXIF:DateTimeOriginal"].toString(), "2021:03:04 05:06:07");
    EXPECT_EQ(j["EXIF:CreateDate"].toString(), "2021:03:05 06:07:08");
    EXPECT_EQ(j["EXIF:ModifyDate"].toString(), "2021:03:04 05:06:07");
    // The IPTC copy moves too, to the same wall clock in the -07:00 its time had.
    EXPECT_EQ(j["IPTC:TimeCreated"].toString(), "05:06:07-07:00");
    EXPECT_EQ(FileDates::creationDate(out("St James Park.jpg")), local(2021, 3, 4, 5, 6, 7));
}

TEST_F(DateFeature, SingleWindowRefusesATextThatIsNotADate) {
    selectPhotos({copy("wedding.jpg")});
    d->dateWindows().ShowChangeDateWindow();
    drive(*d).find<QLineEdit>("orignalDatelab")->setText("next tuesday");
    drive(*d).find<QLineEdit>("diginalDatelab")->setText("2021:03:05 06:07:08");
    d->dateWindows().ClickDateChangedSaveAction();
    ASSERT_TRUE(waitForJobs(*d));
    ASSERT_TRUE(openSheet(drive(*d).find<QWidget>("changeDateWindow")));
    EXPECT_TRUE(drive(*d).find<QWidget>("changeDateWindow")->isVisible());
    EXPECT_FALSE(QFile::exists(out("wedding.jpg")));
}

TEST_F(DateFeature, SingleWindowFileDatesKeepTheContent) {
    const QString w = copy("wedding.jpg");
    selectPhotos({w});
    d->dateWindows().ShowChangeDateWindow();
    drive(*d).find<QLineEdit>("orignalDatelab")->setText("2001:02:03 04:05:06");
    drive(*d).find<QLineEdit>("diginalDatelab")->setText("2001:02:03 04:05:06");
    d->dateWindows().ClickCreatedDateChangedSaveAction();
    ASSERT_TRUE(waitForJobs(*d));
    EXPECT_EQ(digestOf(out("wedding.jpg")), digestOf(w));
    EXPECT_EQ(FileDates::creationDate(out("wedding.jpg")), local(2001, 2, 3, 4, 5, 6));
    EXPECT_EQ(FileDates::modificationDate(out("wedding.jpg")), local(2001, 2, 3, 4, 5, 6));
}

TEST_F(DateFeature, CameraDateFromFileNames) {
    const QString named = copy("wedding.jpg", "IMG_20200105_123045.jpg");
    const QString detected = copy("Fritest.jpeg", "party 5 January 2019.jpeg");
    const QString none = copy("St James Park.jpg", "holiday.jpg");
    selectPhotos({named, detected, none});
    d->dateWindows().ClickSetCameraDateFromFileNameAction();
    ASSERT_TRUE(waitForJobs(*d));
    const QJsonObject j = exiftool(out("IMG_20200105_123045.jpg"));
    EXPECT_EQ(j["EXIF:DateTimeOriginal"].toString(), "2020:01:05 12:30:45");
    EXPECT_EQ(j["EXIF:ModifyDate"].toString(), "2020:01:05 12:30:45");
    EXPECT_EQ(FileDates::creationDate(out("IMG_20200105_123045.jpg")),
              local(2020, 1, 5, 12, 30, 45));
    const QJsonObject k = exiftool(out("party 5 January 2019.jpeg"));
    EXPECT_EQ(k["EXIF:DateTimeOriginal"].toString(), "2019:01:05 00:00:00");
    // Midnight of the photo's own zone, which its Exif and its IPTC time name (-07:00).
    EXPECT_EQ(k["IPTC:DateCreated"].toString(), "2019:01:05");
    EXPECT_EQ(k["IPTC:TimeCreated"].toString(), "00:00:00-07:00");
    EXPECT_FALSE(QFile::exists(out("holiday.jpg")));
    QMessageBox *sheet = openSheet(d->window);
    ASSERT_TRUE(sheet);
    EXPECT_TRUE(sheet->informativeText().contains("holiday.jpg"));
}

TEST_F(DateFeature, CreatedDateToCameraDateAndBack) {
    const QString w = copy("wedding.jpg");
    ASSERT_TRUE(FileDates::setCreationDate(w, local(2010, 5, 6, 7, 8, 9)));
    selectPhotos({w});
    d->dateWindows().ClickCopyCreatedDateToCameraDateAction();
    ASSERT_TRUE(waitForJobs(*d));
    const QJsonObject j = exiftool(out("wedding.jpg"));
    EXPECT_EQ(j["EXIF:DateTimeOriginal"].toString(), "2010:05:06 07:08:09");
    EXPECT_EQ(j["EXIF:CreateDate"].toString(), "2010:05:06 07:08:09");
    EXPECT_EQ(j["EXIF:ModifyDate"].toString(), "2010:05:06 07:08:09");

    // Camera date to file dates, beside a file already at the output path: that file stays.
    const QString park = copy("St James Park.jpg");
    QDir().mkpath(storage);
    QFile stale(out("St James Park.jpg"));
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.write("stale");
    stale.close();
    selectPhotos({park});
    d->dateWindows().ClickCopyExifDateToCreateDateAction();
    ASSERT_TRUE(waitForJobs(*d));
    EXPECT_EQ(readAll(out("St James Park.jpg")), "stale");
    EXPECT_EQ(digestOf(out("St James Park (2).jpg")), digestOf(park));
    EXPECT_EQ(FileDates::creationDate(out("St James Park (2).jpg")),
              local(2018, 10, 13, 9, 18, 12));
    EXPECT_EQ(FileDates::modificationDate(out("St James Park (2).jpg")),
              local(2018, 10, 13, 9, 18, 12));
}

TEST_F(DateFeature, VideosGetTheirCreationDateAndAreNeverReplaced) {
    const QString clip = copy("clip.mp4");
    const QByteArray before = digestOf(clip);
    d->preferences().overwrite = true;
    selectPhotos({clip});
    d->dateWindows().ClickCopyExifDateToCreateDateAction();
    ASSERT_TRUE(waitForJobs(*d));
    EXPECT_EQ(digestOf(clip), before);
    EXPECT_EQ(digestOf(out("clip.mp4")), before);
    EXPECT_EQ(FileDates::creationDate(out("clip.mp4")).toUTC(),
              QDateTime(QDate(2020, 12, 5), QTime(5, 21, 52), QTimeZone::utc()));
    EXPECT_EQ(revealed, QStringList{out("clip.mp4")});
}

TEST_F(DateFeature, FileDatesIntoEachOtherWithOverwrite) {
    const QString w = copy("wedding.jpg");
    const QByteArray before = digestOf(w);
    ASSERT_TRUE(FileDates::setCreationDate(w, local(2011, 1, 2, 3, 4, 5)));
    ASSERT_TRUE(FileDates::setModificationDate(w, local(2012, 1, 2, 3, 4, 5)));
    d->preferences().overwrite = true;
    selectPhotos({w});
    d->dateWindows().ClickCopyCreatedDateToModifyDateAction();
    ASSERT_TRUE(waitForJobs(*d));
    EXPECT_EQ(digestOf(w), before);
    EXPECT_EQ(FileDates::modificationDate(w), local(2011, 1, 2, 3, 4, 5));
    EXPECT_FALSE(QFile::exists(out("wedding.jpg")));

    d->preferences().overwrite = false;
    ASSERT_TRUE(FileDates::setModificationDate(w, local(2013, 1, 2, 3, 4, 5)));
    d->dateWindows().ClickCopyModiyDateToCreateDateAction();
    ASSERT_TRUE(waitForJobs(*d));
    EXPECT_EQ(FileDates::creationDate(out("wedding.jpg")), local(2013, 1, 2, 3, 4, 5));
}

TEST_F(DateFeature, NothingSelectedShowsNoCompletionSheet) {
    selectPhotos({});
    d->dateWindows().ClickCopyCreatedDateToModifyDateAction();
    ASSERT_TRUE(waitForJobs(*d));
    d->dateWindows().ClickSetCameraDateFromFileNameAction();
    ASSERT_TRUE(waitForJobs(*d));
    d->dateWindows().ClickCopyExifDateToCreateDateAction();
    ASSERT_TRUE(waitForJobs(*d));
    EXPECT_EQ(openSheet(d->window), nullptr);
}

TEST_F(DateFeature, FixedDateWithoutSteppingAndReferenceOutsideLocalMode) {
    const QString a = copy("wedding.jpg"), b = copy("Fritest.jpeg");
    selectPhotos({a, b});
    d->dateWindows().ChangeDateExifFromPhoto();
    ASSERT_TRUE(waitForJobs(*d));
    drive(*d).find<QLineEdit>("mutSetDatelab")->setText("2019-08-07 06:05:04");
    d->dateWindows().ClickMutiDateChangedSaveAction();
    ASSERT_TRUE(waitForJobs(*d));
    EXPECT_EQ(exifOriginal(out("wedding.jpg")), "2019:08:07 06:05:04");
    EXPECT_EQ(exifOriginal(out("Fritest.jpeg")), "2019:08:07 06:05:04");

    // The reference method changes local photos only.
    QFile::remove(out("wedding.jpg"));
    drive(*d).find<PKImageView>("dateImageview")->setImage(QPixmap(4, 4));
    drive(*d).find<QLineEdit>("beforeorignalDatelab")->setText("2019:08:07 06:05:04");
    drive(*d).find<QLineEdit>("beforediginalDatelab")->setText("2019:08:07 06:05:04");
    drive(*d).find<QLineEdit>("afterorignalDatelab")->setText("2019:08:08 06:05:04");
    drive(*d).find<QLineEdit>("afterdiginalDatelab")->setText("2019:08:08 06:05:04");
    d->mainWindowController().setLocalMode(false);
    d->dateWindows().ClickMutiDateChangedSaveAction();
    ASSERT_TRUE(waitForJobs(*d));
    d->mainWindowController().setLocalMode(true);
    EXPECT_FALSE(QFile::exists(out("wedding.jpg")));
    EXPECT_FALSE(drive(*d).find<QWidget>("changeMutiDateWindow")->isVisible());
    EXPECT_TRUE(drive(*d).find<QLineEdit>("beforeorignalDatelab")->text().isEmpty());
}

TEST_F(DateFeature, ExiftoolSetsAllDatesOfOneFile) {
    const QString w = copy("wedding.jpg");
    EXPECT_TRUE(d->dateWindows().ChangeRawPhotoWithDate("2022-02-03 04:05:06", w));
    const QJsonObject j = exiftool(w);
    EXPECT_EQ(j["EXIF:DateTimeOriginal"].toString(), "2022:02:03 04:05:06");
    EXPECT_EQ(j["EXIF:CreateDate"].toString(), "2022:02:03 04:05:06");
    EXPECT_EQ(j["EXIF:ModifyDate"].toString(), "2022:02:03 04:05:06");
    const QByteArray before = digestOf(w);
    EXPECT_FALSE(d->dateWindows().ChangeRawPhotoWithDate("soon", w));
    EXPECT_EQ(digestOf(w), before);
    EXPECT_FALSE(d->dateWindows().runExifToolCommandWithArguments(
        {"-AllDates=2022:01:01 00:00:00", dir.filePath("missing.jpg")}));
}

TEST(DateCopies, FreshCopiesAndSafeReplacement) {
    QTemporaryDir dir;
    const QString src = copyFixture("wedding.jpg", dir.path());
    const QString outPath = dir.filePath("out/sub/wedding.jpg");
    QDir().mkpath(dir.filePath("out/sub"));
    QFile stale(outPath);
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.write("old");
    stale.close();
    const DateCopyOutcome c =
        copyPhotoWithDates(src, outPath, local(2000, 1, 2, 3, 4, 5), QDateTime(), false);
    ASSERT_TRUE(c.written) << c.reason.toStdString();
    // A file already at the output path is never replaced: the copy takes the next name.
    EXPECT_EQ(c.finalPath, dir.filePath("out/sub/wedding (2).jpg"));
    EXPECT_EQ(readAll(outPath), "old");
    EXPECT_EQ(digestOf(c.finalPath), digestOf(src));
    EXPECT_EQ(FileDates::creationDate(c.finalPath), local(2000, 1, 2, 3, 4, 5));

    // No copy: the original stays.
    QString why;
    EXPECT_FALSE(replaceOriginalWithCopy(dir.filePath("none.jpg"), src, &why));
    EXPECT_TRUE(QFile::exists(src));
    // A copy never lands on its own source.
    EXPECT_FALSE(copyPhotoWithDates(src, src, QDateTime(), QDateTime(), false).written);
    EXPECT_EQ(digestOf(src), digestOf(fixturePath("wedding.jpg")));

    EXPECT_EQ(
        importedFolderOutputPath("/store", "/home/u/Pictures/Trip/day1/a.jpg", "/home/u/Pictures"),
        "/store/Trip/day1/a.jpg");
    auto item = [](const QString &p) {
        auto i = std::make_shared<IKImageItem>();
        i->filePath = p;
        i->fileName = QFileInfo(p).fileName();
        return i;
    };
    EXPECT_EQ(dateCopyOutputPaths({item("/a/x.jpg"), item("/b/x.jpg")}, "/s"),
              (QStringList{"/s/x.jpg", "/s/x (2).jpg"}));
}

TEST_F(DateFeature, ReferencePhotoFromThePanelIsClearedOnReset) {
    const QString park = copy("St James Park.jpg");
    selectPhotos({park, copy("wedding.jpg")});
    d->dateWindows().ChangeDateExifFromPhoto();
    ASSERT_TRUE(waitForJobs(*d));
    QFileDialog panel;
    panel.setOption(QFileDialog::DontUseNativeDialog);
    panel.setDirectory(dir.path());
    panel.selectFile(park);
    ASSERT_EQ(panel.selectedFiles().value(0), park);
    d->dateWindows().openPanelDidEnd3(&panel, 0);
    ASSERT_TRUE(waitForJobs(*d));
    EXPECT_TRUE(
        drive(*d).find<PKImageView>("dateImageview")->image().isNull()); // cancel takes nothing
    d->dateWindows().openPanelDidEnd3(&panel, 1);
    ASSERT_TRUE(waitForJobs(*d));
    EXPECT_FALSE(drive(*d).find<PKImageView>("dateImageview")->image().isNull());
    EXPECT_EQ(drive(*d).find<QLineEdit>("beforeorignalDatelab")->text(), "2018:10:13 09:18:12");
    EXPECT_EQ(drive(*d).find<QLineEdit>("beforediginalDatelab")->text(), "2018:10:13 09:18:12");
    EXPECT_TRUE(drive(*d).find<QPushButton>("dateChoosePhotoBtn")->isHidden());
    EXPECT_EQ(d->selection().currentChooseFilePath, park);
    d->dateWindows().ChangeDateExifFromPhoto();
    ASSERT_TRUE(waitForJobs(*d));
    EXPECT_TRUE(drive(*d).find<PKImageView>("dateImageview")->image().isNull());
    EXPECT_TRUE(drive(*d).find<QLineEdit>("beforeorignalDatelab")->text().isEmpty());
    EXPECT_FALSE(drive(*d).find<QPushButton>("dateChoosePhotoBtn")->isHidden());
}

TEST_F(DateFeature, CancelClosesTheWindowOfTheSelection) {
    selectPhotos({copy("wedding.jpg"), copy("Fritest.jpeg")});
    d->dateWindows().ChangeDateExifFromPhoto();
    ASSERT_TRUE(waitForJobs(*d));
    drive(*d).find<QWidget>("changeDateWindow")->show();
    d->dateWindows().ClickDateChangedCancelAction();
    ASSERT_TRUE(waitForJobs(*d));
    EXPECT_FALSE(drive(*d).find<QWidget>("changeMutiDateWindow")->isVisible());
    EXPECT_TRUE(drive(*d).find<QWidget>("changeDateWindow")->isVisible());
    selectPhotos({copy("St James Park.jpg")});
    d->dateWindows().ClickDateChangedCancelAction();
    ASSERT_TRUE(waitForJobs(*d));
    EXPECT_FALSE(drive(*d).find<QWidget>("changeDateWindow")->isVisible());
}
