// The two merge windows: their buttons, their runs and their one ending each.
#include "app/AppDelegate.h"
#include "app/Jobs.h"
#include "app/core/Settings.h"
#include "batch/SidecarMerges.h"
#include "browser/MainWindowController.h"
#include "browser/PRButton.h"
#include "platform/core/JobRunner.h"
#include "platform/core/Workspace.h"
#include "support/AppDriver.h"
#include "support/ImageTestHelpers.h"
#include "support/JobWait.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QMainWindow>
#include <QMessageBox>
#include <QProgressBar>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QThreadPool>
#include <gtest/gtest.h>

namespace {

class SidecarMergeWindows : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        clearUserDefaults();
        userDefaults()->setValue("storagePath", dir.filePath("storage"));
        Workspace::setUrlOpener([](const QUrl &) { return true; });
        Workspace::setRevealer([this](const QString &p, const QString &root) {
            revealed << (p.isEmpty() ? root : p);
        });
        d = std::make_unique<AppDelegate>();
        d->launch();
    }
    void TearDown() override {
        d.reset();
        Workspace::setRevealer({});
        Workspace::setUrlOpener({});
    }
    QMessageBox *visibleSheet() {
        for (QMessageBox *s : d->window->findChildren<QMessageBox *>())
            if (s->isVisible())
                return s;
        return nullptr;
    }
    QString visibleSheetText() {
        QMessageBox *s = visibleSheet();
        return s ? s->text() + QLatin1Char('\n') + s->informativeText() : QString();
    }
    // The folder panel a merge button opened.
    QFileDialog *panel() { return drive(*d).find<QFileDialog>("sidecarFolderPanel"); }
    // Closes the open panel, gone at once as after the user's Cancel.
    void rejectPanel() {
        panel()->reject();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    bool windowShown(const char *name) { return drive(*d).find(name)->isVisible(); }
    QTemporaryDir dir;
    std::unique_ptr<AppDelegate> d;
    QStringList revealed;
};

QByteArray takeout(qint64 timestamp) {
    return QStringLiteral(R"({
  "title": "t",
  "description": "From the window",
  "photoTakenTime": {"timestamp": "%1", "formatted": "x"},
  "geoData": {"latitude": 0.0, "longitude": 0.0}
})")
        .arg(timestamp)
        .toUtf8();
}

} // namespace

TEST_F(SidecarMergeWindows, ButtonsOpenTheirPanels) {
    drive(*d).click("writeJsonBtn");
    ASSERT_TRUE(panel());
    EXPECT_TRUE(panel()->isVisible());
    EXPECT_EQ(panel()->fileMode(), QFileDialog::Directory);
    // The long message is shown whole, wrapped beside the folder box.
    auto *lookIn = panel()->findChild<QLabel *>("lookInLabel");
    ASSERT_TRUE(lookIn);
    QApplication::sendPostedEvents();
    EXPECT_TRUE(lookIn->text().startsWith("Select one or more downloaded Google Takeout"));
    if (lookIn->wordWrap())
        EXPECT_GE(lookIn->height(), lookIn->heightForWidth(lookIn->width()));
    else
        EXPECT_GE(lookIn->width(), lookIn->fontMetrics().horizontalAdvance(lookIn->text()));
    auto *folder = panel()->findChild<QComboBox *>("lookInCombo");
    ASSERT_TRUE(folder);
    EXPECT_GE(folder->width(), folder->fontMetrics().horizontalAdvance(folder->currentText()) + 40)
        << folder->currentText().toStdString();
    rejectPanel();
    EXPECT_EQ(d->jobs().runningJobCount(), 0);

    d->sidecarMerges().WriteXMPMetadataToPhotosAction();
    EXPECT_TRUE(windowShown("writeXmpWindow"));
    drive(*d).click("writeXmpBtn");
    EXPECT_FALSE(windowShown("writeXmpWindow"));
    ASSERT_TRUE(panel());
    rejectPanel();
    drive(*d).click("CancelXmpBtn");
    EXPECT_EQ(d->jobs().runningJobCount(), 0);
}

// Two Takeout folders: the second one's files join the first, the run writes the photo,
// and the end shows the summary and opens the merged folder once.
TEST_F(SidecarMergeWindows, TakeoutRunEndsWithItsSummary) {
    const QString a = dir.filePath("Takeout"), b = dir.filePath("Takeout 2");
    ASSERT_TRUE(QDir().mkpath(a) && QDir().mkpath(b + "/Photos from 2017"));
    const QString photo = copyFixture("wedding.jpg", b + "/Photos from 2017");
    ASSERT_TRUE(writeAll(photo + ".json", takeout(1500000000)));
    ASSERT_TRUE(writeAll(b + "/lost.jpg.json", takeout(1500000000)));
    // A link in a picked folder stays where it is, and what it leads to stays as it was.
    const QString outside = copyFixture("St James Park.jpg", dir.path());
    const QByteArray outsideBytes = readAll(outside);
    ASSERT_TRUE(QFile::link(outside, b + "/Photos from 2017/park.jpg"));
    ASSERT_TRUE(writeAll(b + "/Photos from 2017/park.jpg.json", takeout(1500000000)));

    ASSERT_TRUE(d->sidecarMerges().startJsonMerge({a, b}));
    EXPECT_TRUE(windowShown("writeJsonWindow"));
    // One run at a time: a second one, of either kind, is refused with a sheet.
    EXPECT_FALSE(d->sidecarMerges().startXmpMerge(a));
    EXPECT_FALSE(d->sidecarMerges().startJsonMerge({a}));
    EXPECT_TRUE(visibleSheetText().contains("already running"));
    for (QMessageBox *sheet : d->window->findChildren<QMessageBox *>())
        sheet->done(0);
    EXPECT_TRUE(
        drive(*d).text("writeGooglePhotoLab").startsWith("The merge process first combines"));
    ASSERT_TRUE(waitForJobs(*d));

    const QString merged = a + "/Photos from 2017/wedding.jpg";
    EXPECT_EQ(exiftool(merged).value("EXIF:ImageDescription").toString(), "From the window");
    EXPECT_EQ(drive(*d).find<QProgressBar>("writeJsonProcesser")->value(), 100);
    EXPECT_FALSE(windowShown("writeJsonWindow"));
    EXPECT_EQ(revealed, QStringList{a});
    const QString sheet = visibleSheetText();
    EXPECT_TRUE(sheet.contains("1 files merged from 3 sidecars")) << sheet.toStdString();
    EXPECT_TRUE(sheet.contains("lost.jpg.json")) << sheet.toStdString();
    EXPECT_TRUE(sheet.contains("park.jpg: a link: links are left alone")) << sheet.toStdString();
    // Something was not done: the summary warns.
    ASSERT_TRUE(visibleSheet());
    EXPECT_EQ(visibleSheet()->icon(), QMessageBox::Warning);
    EXPECT_TRUE(QFileInfo(b + "/Photos from 2017/park.jpg").isSymLink());
    EXPECT_EQ(readAll(outside), outsideBytes);
    EXPECT_FALSE(QDir(dir.filePath("storage")).exists() &&
                 !QDir(dir.filePath("storage")).isEmpty(QDir::Files | QDir::NoDotAndDotDot));

    // The window's Cancel stops the next run before it writes the photo.
    visibleSheet()->done(0);
    ASSERT_TRUE(writeAll(merged + ".json", takeout(1600000000)));
    const QByteArray mergedBytes = readAll(merged);
    // Every worker busy elsewhere, so that the Cancel comes before the run starts.
    QSemaphore release;
    const int workers = JobRunner::pool()->maxThreadCount();
    for (int i = 0; i < workers; ++i)
        JobRunner::pool()->start([&release] { release.acquire(); });
    ASSERT_TRUE(d->sidecarMerges().startJsonMerge({a}));
    drive(*d).click("CancelJsonBtn");
    EXPECT_FALSE(windowShown("writeJsonWindow"));
    release.release(workers);
    ASSERT_TRUE(waitForJobs(*d));
    EXPECT_EQ(readAll(merged), mergedBytes);
    EXPECT_TRUE(visibleSheetText().contains("0 files merged")) << visibleSheetText().toStdString();
}

TEST_F(SidecarMergeWindows, XmpRunRevealsItsFirstPhotoOnce) {
    const QString photo = copyFixture("wedding.jpg", dir.path());
    ASSERT_TRUE(writeAll(photo + ".xmp", R"(<x:xmpmeta xmlns:x="adobe:ns:meta/">
<rdf:RDF xmlns:rdf="http://www.w3.org/1999/02/22-rdf-syntax-ns#">
<rdf:Description rdf:about="" xmlns:dc="http://purl.org/dc/elements/1.1/">
<dc:subject><rdf:Bag><rdf:li>One</rdf:li><rdf:li>Two words</rdf:li></rdf:Bag></dc:subject>
</rdf:Description></rdf:RDF></x:xmpmeta>)"));
    ASSERT_TRUE(d->sidecarMerges().startXmpMerge(dir.path()));
    ASSERT_TRUE(waitForJobs(*d));
    EXPECT_EQ(revealed, QStringList{photo});
    EXPECT_FALSE(windowShown("writeXmpWindow"));
    EXPECT_EQ(exiftoolJson(photo, {"-G1"}).value("IPTC:Keywords").toArray(),
              (QJsonArray{"One", "Two words"}));
    EXPECT_TRUE(visibleSheetText().contains("1 files merged from 1 sidecars"));
    // Everything merged: no warning sign on the summary.
    ASSERT_TRUE(visibleSheet());
    EXPECT_EQ(visibleSheet()->icon(), QMessageBox::Information);
}
