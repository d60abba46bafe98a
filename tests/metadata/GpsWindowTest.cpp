#include "metadata/GpsWindow.h"
#include "app/AppDelegate.h"
#include "app/core/Settings.h"
#include "browser/DropTargets.h"
#include "browser/LocalPhotoModel.h"
#include "browser/MainWindowController.h"
#include "browser/core/LocalImport.h"
#include "metadata/core/GpsChanges.h"
#include "platform/MapView.h"
#include "platform/core/FileDates.h"
#include "platform/core/ImageSource.h"
#include "platform/core/Workspace.h"
#include "support/AppDriver.h"
#include "support/ImageTestHelpers.h"
#include "support/JobWait.h"
#include "support/LocalHttpServer.h"
#include "support/TestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QItemSelectionModel>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMainWindow>
#include <QMessageBox>
#include <QNetworkProxy>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimeZone>
#include <gtest/gtest.h>

namespace {

// The local photo browser.
QListView *localBrowser(AppDelegate &d) {
    return drive(d).find<QListView>("localImageBrowserView");
}

class GpsPositionWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        clearUserDefaults();
        // Selecting a photo with a position asks the geocoder: keep that on this machine.
        qputenv("PHOTOKESTRY_GEOCODER_URL", "http://127.0.0.1:9");
        userDefaults()->setValue("storagePath", dir.filePath("out"));
        Workspace::setUrlOpener([](const QUrl &) { return true; });
        Workspace::setRevealer([this](const QString &p, const QString &) { revealed << p; });
        d = std::make_unique<AppDelegate>();
        d->launch();
    }
    void TearDown() override {
        d.reset();
        qunsetenv("PHOTOKESTRY_GEOCODER_URL");
        Workspace::setRevealer({});
        Workspace::setUrlOpener({});
    }
    IKImageItemPtr add(const QString &fixture) {
        const QString path = copyFixture(fixture, dir.path());
        IKImageItemPtr item = makeLocalItem(path);
        d->mainWindowController().appendLocalItem(item);
        d->mainWindowController().LoadImportedPhotsonMainThread();
        return item;
    }
    void selectRow(int row) {
        localBrowser(*d)->selectionModel()->select(localBrowser(*d)->model()->index(row, 0),
                                                   QItemSelectionModel::ClearAndSelect);
    }
    QMessageBox *visibleAlert() {
        for (QMessageBox *box : d->window->findChildren<QMessageBox *>())
            if (box->isVisible())
                return box;
        return nullptr;
    }
    QString out(const QString &name) { return dir.filePath("out/" + name); }
    // The user answers `box` with its button titled `text`.
    void answer(QMessageBox *box, const QString &text) {
        ASSERT_TRUE(box);
        for (QAbstractButton *b : box->buttons())
            if (b->text() == text) {
                b->click();
                QApplication::processEvents();
                return;
            }
        FAIL() << "no button " << text.toStdString();
    }

    QTemporaryDir dir;
    std::unique_ptr<AppDelegate> d;
    QStringList revealed;
};

} // namespace

TEST(GpsStampsText, UtcStampsPlaceholdersAndRefusals) {
    QString problem;
    const auto stamps = parseGpsStamps("2020:05:01", "12:30:00", &problem);
    ASSERT_TRUE(stamps);
    EXPECT_TRUE(stamps->given);
    EXPECT_EQ(stamps->instant, QDateTime(QDate(2020, 5, 1), QTime(12, 30), QTimeZone::utc()));
    EXPECT_EQ(parseGpsStamps("2020-05-01", "7:05:09", &problem)->time, "07:05:09");
    const auto none = parseGpsStamps(kGpsDatePlaceholder, kGpsTimePlaceholder, &problem);
    ASSERT_TRUE(none);
    EXPECT_FALSE(none->given);
    EXPECT_FALSE(parseGpsStamps(kGpsDatePlaceholder, "12:00:00", &problem));
    EXPECT_FALSE(parseGpsStamps("2020:02:30", "12:00:00", &problem));
    EXPECT_FALSE(parseGpsStamps("2020:05:01", "25:00:00", &problem));
    EXPECT_TRUE(problem.contains("25:00:00"));

    const QVariantMap gps = gpsWithPositionAndStamps({{"Altitude", 12.0}}, {10, -20}, *stamps);
    EXPECT_EQ(gps["DateStamp"].toString(), "2020:05:01");
    EXPECT_EQ(gps["TimeStamp"].toString(), "12:30:00");
    EXPECT_EQ(gps["LongitudeRef"].toString(), "W");
    EXPECT_DOUBLE_EQ(gps["Altitude"].toDouble(), 12.0);
    const auto signedBack = signedCoordinates(gps);
    EXPECT_DOUBLE_EQ(*signedBack.longitude, -20.0);
    EXPECT_FALSE(signedCoordinates({{"Latitude", 5.0}}).longitude);
    EXPECT_DOUBLE_EQ(*signedCoordinates({{"Latitude", 5.0}}).latitude, 5.0); // no letter
}

TEST_F(GpsPositionWindow, SaveOnStJamesParkKeepsTheAltitudeAndTakesUtcStamps) {
    add("St James Park.jpg");
    selectRow(0);
    drive(*d).trigger("EditeGPSExifDataPhoto");
    ASSERT_TRUE(drive(*d).find<QWidget>("changeGPSWindow")->isVisible());
    EXPECT_NEAR(drive(*d).text("latitudelab").toDouble(), 51.503572, 1e-5);
    EXPECT_NEAR(drive(*d).text("longtitudelab").toDouble(), -0.131806, 1e-5);
    EXPECT_EQ(drive(*d).text("dateStamplab"), kGpsDatePlaceholder); // the photo has no stamps
    EXPECT_NEAR(drive(*d).find<PKMapView>("previewMapView")->centerLatitude(), 51.503572, 1e-5);

    drive(*d).type("latitudelab", "-33.5");
    drive(*d).click("PreviewCurrentGPSInMap");
    EXPECT_NEAR(drive(*d).find<PKMapView>("previewMapView")->centerLatitude(), -33.5, 1e-9);
    drive(*d).type("dateStamplab", "2020:05:01");
    drive(*d).type("timeStamplab", "12:30:00");
    drive(*d).click("ClickSaveChangeGPSAction");
    ASSERT_TRUE(waitForJobs(*d));
    EXPECT_FALSE(drive(*d).find<QWidget>("changeGPSWindow")->isVisible());
    EXPECT_EQ(visibleAlert(), nullptr);

    const QString written = out("St James Park.jpg");
    ASSERT_TRUE(QFile::exists(written));
    EXPECT_EQ(revealed.value(0), written);
    const QJsonObject tool = exiftoolNumbers(written);
    EXPECT_NEAR(tool["GPS:GPSLatitude"].toVariant().toDouble(), 33.5, 1e-4);
    EXPECT_EQ(tool["GPS:GPSLatitudeRef"].toString(), "S");
    EXPECT_NEAR(tool["GPS:GPSLongitude"].toVariant().toDouble(), 0.131806, 1e-4);
    EXPECT_EQ(tool["GPS:GPSLongitudeRef"].toString(), "W");
    EXPECT_NEAR(tool["GPS:GPSAltitude"].toVariant().toDouble(), 2.6, 0.01);
    EXPECT_EQ(tool["GPS:GPSDateStamp"].toString(), "2020:05:01");
    EXPECT_EQ(tool["GPS:GPSTimeStamp"].toString(), "12:30:00");
    EXPECT_EQ(tool["IFD0:Model"].toString(), "NIKON D7000");
    EXPECT_EQ(FileDates::modificationDate(written),
              QDateTime(QDate(2020, 5, 1), QTime(12, 30), QTimeZone::utc()));
    // The original keeps its position.
    EXPECT_NEAR(exiftoolNumbers(dir.filePath("St James Park.jpg"))["GPS:GPSLatitude"]
                    .toVariant()
                    .toDouble(),
                51.503572, 1e-4);
}

TEST_F(GpsPositionWindow, BadValuesAreRefusedAndNothingIsWritten) {
    drive(*d).gpsWindow().EditeGPSExifDataPhoto();
    QMessageBox *alert = visibleAlert();
    ASSERT_TRUE(alert);
    EXPECT_EQ(alert->text(), "No Item has been selected");
    alert->buttons().first()->click();

    add("IMG_1994.JPG"); // no position
    selectRow(0);
    drive(*d).gpsWindow().AddGPSExifDataPhoto();
    ASSERT_TRUE(drive(*d).find<QWidget>("changeGPSWindow")->isVisible());
    EXPECT_EQ(drive(*d).text("dateStamplab"), "YYYY:MM:DD");
    EXPECT_EQ(drive(*d).text("timeStamplab"), "HH:MM:SS");
    for (const auto &[lat, lon] : std::initializer_list<std::pair<QString, QString>>{
             {"", "10"}, {"north", "10"}, {"10", "200"}}) {
        drive(*d).type("latitudelab", lat);
        drive(*d).type("longtitudelab", lon);
        drive(*d).gpsWindow().ClickSaveChangeGPSAction();
        ASSERT_TRUE(waitForJobs(*d));
        alert = visibleAlert();
        ASSERT_TRUE(alert) << lat.toStdString();
        EXPECT_EQ(alert->text(), "Value Error");
        alert->buttons().first()->click();
        EXPECT_TRUE(drive(*d).find<QWidget>("changeGPSWindow")->isVisible());
    }
    drive(*d).type("latitudelab", "48.8584");
    drive(*d).type("longtitudelab", "2.2945");
    drive(*d).type("timeStamplab", "noon");
    drive(*d).gpsWindow().ClickSaveChangeGPSAction();
    ASSERT_TRUE(waitForJobs(*d));
    ASSERT_TRUE(visibleAlert());
    visibleAlert()->buttons().first()->click();
    EXPECT_FALSE(QFile::exists(out("IMG_1994.JPG")));

    // Both placeholders left alone: the position is written without stamps, and the
    // photo keeps its original's file dates.
    drive(*d).type("timeStamplab", "HH:MM:SS");
    drive(*d).gpsWindow().ClickSaveChangeGPSAction();
    ASSERT_TRUE(waitForJobs(*d));
    const QString written = out("IMG_1994.JPG");
    ASSERT_TRUE(QFile::exists(written));
    const QJsonObject tool = exiftoolNumbers(written);
    EXPECT_NEAR(tool["GPS:GPSLatitude"].toVariant().toDouble(), 48.8584, 1e-4);
    EXPECT_EQ(tool["GPS:GPSLongitudeRef"].toString(), "E");
    EXPECT_FALSE(tool.contains("GPS:GPSTimeStamp"));
    EXPECT_FALSE(tool.contains("GPS:GPSDateStamp"));
    EXPECT_EQ(FileDates::modificationDate(written),
              FileDates::modificationDate(dir.filePath("IMG_1994.JPG")));
}

TEST_F(GpsPositionWindow, EditingAPositionThePhotoLacksOffersToAddOne) {
    const IKImageItemPtr item = add("IMG_1994.JPG"); // no position
    selectRow(0);
    drive(*d).gpsWindow().EditeGPSExifDataPhoto();
    QMessageBox *question = visibleAlert();
    ASSERT_TRUE(question);
    EXPECT_EQ(question->text(), "This photo has no GPS position. Add one?");
    EXPECT_EQ(question->windowModality(), Qt::WindowModal);
    EXPECT_FALSE(drive(*d).find<QWidget>("changeGPSWindow")->isVisible());
    ASSERT_EQ(question->buttons().size(), 2);
    answer(question, "Cancel");
    EXPECT_FALSE(drive(*d).find<QWidget>("changeGPSWindow")->isVisible());
    EXPECT_EQ(visibleAlert(), nullptr);

    drive(*d).gpsWindow().EditeGPSExifDataPhoto();
    answer(visibleAlert(), "Add GPS Position…");
    ASSERT_TRUE(drive(*d).find<QWidget>("changeGPSWindow")->isVisible());
    EXPECT_EQ(drive(*d).text("dateStamplab"), "YYYY:MM:DD");
    drive(*d).type("latitudelab", "48.8584");
    drive(*d).type("longtitudelab", "2.2945");
    drive(*d).gpsWindow().ClickSaveChangeGPSAction();
    ASSERT_TRUE(waitForJobs(*d));
    const QJsonObject tool = exiftoolNumbers(out("IMG_1994.JPG"));
    EXPECT_NEAR(tool["GPS:GPSLatitude"].toVariant().toDouble(), 48.8584, 1e-4);
    EXPECT_FALSE(exiftoolNumbers(item->filePath).contains("GPS:GPSLatitude"));
}

TEST_F(GpsPositionWindow, StampsWithoutAPositionAreNoPositionToEdit) {
    const IKImageItemPtr item = add("wedding.jpg");
    QProcess tool;
    tool.start("exiftool", {"-q", "-overwrite_original", "-GPSDateStamp=2020:05:01",
                            "-GPSTimeStamp=12:30:00", item->filePath});
    ASSERT_TRUE(tool.waitForFinished(30000));
    ASSERT_EQ(tool.exitCode(), 0);
    selectRow(0);
    drive(*d).gpsWindow().EditeGPSExifDataPhoto();
    ASSERT_TRUE(visibleAlert());
    answer(visibleAlert(), "Add GPS Position…");
    ASSERT_TRUE(drive(*d).find<QWidget>("changeGPSWindow")->isVisible());
    EXPECT_EQ(drive(*d).text("dateStamplab"), "2020:05:01"); // the photo's own stamps
    EXPECT_EQ(drive(*d).text("timeStamplab"), "12:30:00");
}

TEST_F(GpsPositionWindow, PlaceNameFromALocalGeocoder) {
    QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
    CannedHttpServer server([](const QByteArray &) {
        const QByteArray body = R"({"address":{"suburb":"St. James's","city":"London",
            "country":"United Kingdom"}})";
        return "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nConnection: close\r\n"
               "Content-Length: " +
               QByteArray::number(body.size()) + "\r\n\r\n" + body;
    });
    ASSERT_TRUE(server.isListening());
    qputenv("PHOTOKESTRY_GEOCODER_URL", server.base().toString().toUtf8());
    const IKImageItemPtr item = add("St James Park.jpg");
    d->selection().currentCoords = QPointF(51.503572, -0.131806);
    drive(*d).gpsWindow().GetCityInfowithFileThreader(item);
    EXPECT_TRUE(waitFor([&] { return drive(*d).gpsWindow().placeFound(); }));
    EXPECT_EQ(item->rare().GPSLocationfileName, "St. James's, London, United Kingdom");
    ASSERT_FALSE(server.targets.isEmpty());
    EXPECT_TRUE(server.targets.last().contains("lat=51.50357"));
    qunsetenv("PHOTOKESTRY_GEOCODER_URL");
}
