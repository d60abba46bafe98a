// The image-output actions of the window: their selection, their one closing message and
// their reveal, the place stamp's one-at-a-time geocoding.
#include "app/AppDelegate.h"
#include "app/Jobs.h"
#include "app/core/Settings.h"
#include "batch/ImageOutput.h"
#include "batch/core/UprightDecode.h"
#include "browser/DropTargets.h"
#include "browser/MainWindowController.h"
#include "platform/core/JobRunner.h"
#include "platform/core/Workspace.h"
#include "support/AppDriver.h"
#include "support/ImageTestHelpers.h"
#include "support/JobWait.h"
#include "support/LocalHttpServer.h"
#include "support/TestSupport.h"

#include <QAbstractButton>
#include <QDir>
#include <QListView>
#include <QMainWindow>
#include <QMenu>
#include <QMessageBox>
#include <QNetworkProxy>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QUrlQuery>
#include <gtest/gtest.h>

namespace {

// The local photo browser.
QListView *localBrowser(AppDelegate &d) {
    return drive(d).find<QListView>("localImageBrowserView");
}

QByteArray httpAnswer(const QByteArray &body) {
    return "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nConnection: close\r\n"
           "Content-Length: " +
           QByteArray::number(body.size()) + "\r\n\r\n" + body;
}

struct Reveal {
    QString path, root;
};

class ImageOutputFeature : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        clearUserDefaults();
        userDefaults()->setValue("storagePath", out());
        Workspace::setUrlOpener([](const QUrl &) { return true; });
        Workspace::setRevealer([this](const QString &p, const QString &root) {
            revealed.append({p, root});
        });
        d = std::make_unique<AppDelegate>();
        d->launch();
    }
    void TearDown() override {
        if (d && localBrowser(*d))
            localBrowser(*d)->setModel(nullptr);
        d.reset();
        Workspace::setRevealer({});
        Workspace::setUrlOpener({});
    }
    QString out() const { return dir.filePath("out"); }
    // Shows `paths` in the local browser and selects the rows in `rows` (all when empty).
    void show(const QStringList &paths, const QList<int> &rows = {}) {
        d->localLists().localPhotoItemArray.clear();
        for (const QString &p : paths)
            d->localLists().localPhotoItemArray << itemFor(p);
        model = std::make_unique<QStandardItemModel>(int(paths.size()), 1);
        localBrowser(*d)->setModel(model.get());
        for (int i = 0; i < paths.size(); ++i)
            if (rows.isEmpty() || rows.contains(i))
                localBrowser(*d)->selectionModel()->select(model->index(i, 0),
                                                           QItemSelectionModel::Select);
    }
    QList<QMessageBox *> openSheets() {
        QList<QMessageBox *> open;
        for (QMessageBox *s : d->window->findChildren<QMessageBox *>())
            if (s->isVisible())
                open << s;
        return open;
    }
    QStringList outputs() const { return QDir(out()).entryList(QDir::Files | QDir::Hidden); }

    QTemporaryDir dir;
    QList<Reveal> revealed;
    std::unique_ptr<AppDelegate> d;
    std::unique_ptr<QStandardItemModel> model;
};

} // namespace

TEST_F(ImageOutputFeature, RecompressionNamesWhatGaveNoOutputInOneMessage) {
    const QString park = copyFixture("St James Park.jpg", dir.path());
    const QString video = copyFixture("IMG_0123.mov", dir.path());
    const QString empty = dir.filePath("empty.jpg");
    ASSERT_TRUE(writeAll(empty, {}));
    show({park, video, empty});
    d->imageOutput().CompressPhotosWithOptions("40%");
    ASSERT_TRUE(waitForJobs(*d));
    EXPECT_FLOAT_EQ(d->preferences().currentCompressNum, 0.4f);
    EXPECT_EQ(outputs(), QStringList{"St James Park.jpg"}) << "a video gives no output";
    const QList<QMessageBox *> sheets = openSheets();
    ASSERT_EQ(sheets.size(), 1);
    EXPECT_TRUE(sheets[0]->informativeText().contains("IMG_0123.mov: "));
    EXPECT_TRUE(sheets[0]->informativeText().contains("empty.jpg: "));
    EXPECT_FALSE(sheets[0]->informativeText().contains("St James Park"));
    EXPECT_TRUE(sheets[0]->informativeText().contains(out()));
    // The message's button is the job's one reveal: the storage folder.
    EXPECT_TRUE(revealed.isEmpty());
    for (QAbstractButton *b : sheets[0]->buttons())
        if (b->text() == "Show in Folder")
            b->click();
    ASSERT_EQ(revealed.size(), 1);
    EXPECT_TRUE(revealed[0].path.isEmpty());
    EXPECT_EQ(revealed[0].root, out());
}

TEST_F(ImageOutputFeature, ResizeFromItsMenuSaysNothingWhenAllWentWell) {
    const QString park = copyFixture("St James Park.jpg", dir.path());
    show({park});
    auto *menu = d->window->findChild<QMenu *>("resizePhotoMenu");
    ASSERT_TRUE(menu);
    QAction *item = nullptr;
    for (QAction *a : menu->actions())
        if (a->text() == "640 x 480")
            item = a;
    ASSERT_TRUE(item);
    item->trigger();
    ASSERT_TRUE(waitForJobs(*d));
    EXPECT_TRUE(openSheets().isEmpty());
    EXPECT_EQ(decodeUprightFile(out() + "/St James Park.jpg").image.size(), QSize(640, 480));
    EXPECT_EQ(outputs(), QStringList{"St James Park.jpg"}) << "no temporary in the storage folder";
}

TEST_F(ImageOutputFeature, ConversionRevealsOnlyWhenTheListsFirstItemIsSelected) {
    const QString heic = copyFixture("IMG_3092.heic", dir.path());
    const QString wedding = copyFixture("wedding.jpg", dir.path());
    show({heic, wedding}, {1});
    d->imageOutput().ClickConvertHEICtoJPEGAction();
    ASSERT_TRUE(waitForJobs(*d));
    EXPECT_EQ(outputs(), QStringList{"wedding.jpg"});
    EXPECT_TRUE(revealed.isEmpty());
    // Without a reveal the ending's sheet is what tells the job was done.
    ASSERT_EQ(openSheets().size(), 1);
    EXPECT_EQ(openSheets().first()->icon(), QMessageBox::Information);
    openSheets().first()->close();

    show({heic, wedding});
    d->imageOutput().ClickConvertHEICtoJPEGAction();
    ASSERT_TRUE(waitForJobs(*d));
    EXPECT_EQ(outputs(), (QStringList{"IMG_3092.jpg", "wedding (2).jpg", "wedding.jpg"}));
    ASSERT_EQ(revealed.size(), 1);
    EXPECT_EQ(revealed[0].path, out() + "/IMG_3092.jpg");
    EXPECT_TRUE(openSheets().isEmpty());
}

TEST_F(ImageOutputFeature, DateStampWithAndWithoutRecompressionAndOverwrite) {
    const QString park = copyFixture("St James Park.jpg", dir.path());
    const QByteArray before = readAll(park);
    show({park});
    d->preferences().compress = false;
    d->imageOutput().AddDateStampsOnPhotoAction();
    ASSERT_TRUE(waitForJobs(*d));
    EXPECT_EQ(outputs(), QStringList{"St James Park.tiff"});
    ASSERT_EQ(revealed.size(), 1);
    EXPECT_EQ(revealed[0].path, out() + "/St James Park.tiff");

    d->preferences().compress = true;
    d->preferences().overwrite = true;
    d->imageOutput().AddDateStampsOnPhotoAction();
    ASSERT_TRUE(waitForJobs(*d));
    EXPECT_EQ(outputs(), QStringList{"St James Park.tiff"}) << "the original took the result";
    EXPECT_NE(readAll(park), before);
    ASSERT_EQ(revealed.size(), 2);
    EXPECT_EQ(revealed[1].path, park);
    EXPECT_EQ(revealed[1].root, dir.path());
    EXPECT_TRUE(openSheets().isEmpty());
}

TEST_F(ImageOutputFeature, PlaceStampNamesThePhotoWithoutAPosition) {
    QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
    CannedHttpServer server([](const QByteArray &) {
        return httpAnswer(R"({"address":{"suburb":"St. James's","city":"London",)"
                          R"("country":"United Kingdom"}})");
    });
    ASSERT_TRUE(server.isListening());
    qputenv("PHOTOKESTRY_GEOCODER_URL", server.base().toString().toUtf8());
    const QString park = copyFixture("St James Park.jpg", dir.path());
    const QString second = dir.filePath("second.jpg");
    ASSERT_TRUE(QFile::copy(park, second));
    const QString wedding = copyFixture("wedding.jpg", dir.path()); // no position
    show({park, wedding, second});
    constexpr auto walk = Jobs::OneAtATime::PlaceStamp;
    d->imageOutput().AddLocationPlaceOnPhotoAction();
    JobRunner *const first = d->jobs().runningJob(walk);
    ASSERT_TRUE(first);
    d->imageOutput().AddLocationPlaceOnPhotoAction(); // refused while the walk runs
    EXPECT_EQ(d->jobs().runningJob(walk), first);
    ASSERT_TRUE(waitForJobs(*d));
    // The copy has the same position: its place comes from the geocoder's cache.
    EXPECT_EQ(server.targets.size(), 1);
    EXPECT_EQ(outputs(), (QStringList{"second.jpg", "St James Park.jpg"}));
    const QList<QMessageBox *> sheets = openSheets();
    ASSERT_EQ(sheets.size(), 1);
    EXPECT_TRUE(sheets[0]->informativeText().contains("wedding.jpg: "));
    EXPECT_EQ(exiftool(out() + "/second.jpg").value("IPTC:ObjectName").toString(),
              "St. James's Park");

    // Cancelled while the server keeps its answer: nothing is written and the walk ends.
    sheets[0]->done(0);
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost));
    qputenv("PHOTOKESTRY_GEOCODER_URL",
            QByteArray("http://127.0.0.1:") + QByteArray::number(silent.serverPort()));
    d->imageOutput().AddLocationPlaceOnPhotoAction();
    ASSERT_TRUE(waitFor([&] { return silent.hasPendingConnections(); }));
    ASSERT_TRUE(d->jobs().runningJob(walk));
    d->jobs().runningJob(walk)->cancel();
    ASSERT_TRUE(waitForJobs(*d));
    qunsetenv("PHOTOKESTRY_GEOCODER_URL");
    EXPECT_FALSE(d->jobs().runningJob(walk));
    EXPECT_EQ(outputs(), (QStringList{"second.jpg", "St James Park.jpg"}));
    ASSERT_EQ(openSheets().size(), 1);
    EXPECT_TRUE(openSheets()[0]->informativeText().contains("St James Park.jpg: cancelled"));
}

TEST_F(ImageOutputFeature, ResizeEncodesAtTheLastRecompressionsQuality) {
    const QString park = copyFixture("St James Park.jpg", dir.path());
    show({park});
    d->imageOutput().ResizePhotosWithOptions("1920 x 1080");
    ASSERT_TRUE(waitForJobs(*d));
    const QString atStart = out() + "/St James Park.jpg";
    ASSERT_TRUE(QFileInfo::exists(atStart));
    ASSERT_TRUE(QFile::rename(atStart, dir.filePath("resized at 0.9.jpg")));
    d->imageOutput().CompressPhotosWithOptions("20%");
    ASSERT_TRUE(waitForJobs(*d));
    d->imageOutput().ResizePhotosWithOptions("1920 x 1080");
    ASSERT_TRUE(waitForJobs(*d));
    const QString after = out() + "/St James Park (2).jpg";
    EXPECT_EQ(decodeUprightFile(after).image.size(), QSize(1920, 1080));
    EXPECT_LT(QFileInfo(after).size(), QFileInfo(dir.filePath("resized at 0.9.jpg")).size() / 2);
}

TEST_F(ImageOutputFeature, NothingSelectedDoesNothing) {
    show({copyFixture("wedding.jpg", dir.path())}, {5});
    d->imageOutput().CompressPhotosWithOptions("80%");
    d->imageOutput().ClickConvertHEICtoJPEGAction();
    d->imageOutput().AddCopyrightOnPhotoAction();
    d->imageOutput().AddLocationPlaceOnPhotoAction();
    ASSERT_TRUE(waitForJobs(*d));
    EXPECT_FALSE(d->jobs().runningJob(Jobs::OneAtATime::PlaceStamp));
    EXPECT_TRUE(outputs().isEmpty());
    EXPECT_TRUE(openSheets().isEmpty());
    EXPECT_TRUE(revealed.isEmpty());
}

TEST_F(ImageOutputFeature, OfTwoOutputsOfOneNameTheFirstInTheListKeepsTheName) {
    // The HEIC takes far longer to decode than the small JPEG after it.
    const QString heic = dir.filePath("IMG_1.heic");
    const QString jpeg = dir.filePath("IMG_1.jpg");
    ASSERT_TRUE(QFile::copy(fixturePath("IMG_3092.heic"), heic));
    ASSERT_TRUE(QFile::copy(fixturePath("Fritest.jpeg"), jpeg));
    show({heic, jpeg});
    d->imageOutput().ClickConvertHEICtoJPEGAction();
    ASSERT_TRUE(waitForJobs(*d));
    EXPECT_EQ(decodeUprightFile(out() + "/IMG_1.jpg").image.size(), QSize(3024, 4032));
    EXPECT_EQ(decodeUprightFile(out() + "/IMG_1 (2).jpg").image.size(), QSize(1080, 601));
    ASSERT_EQ(revealed.size(), 1);
    EXPECT_EQ(revealed[0].path, out() + "/IMG_1.jpg");
}
