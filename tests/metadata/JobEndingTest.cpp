// The one ending of a window job: one sheet naming what was not written, one reveal.
#include "app/AppDelegate.h"
#include "app/Jobs.h"
#include "app/core/Settings.h"
#include "browser/DropTargets.h"
#include "browser/MainWindowController.h"
#include "metadata/LensWindow.h"
#include "metadata/MetadataMenus.h"
#include "metadata/core/RecipeJobReport.h"
#include "platform/core/JobRunner.h"
#include "platform/core/Workspace.h"
#include "support/AppDriver.h"
#include "support/ImageTestHelpers.h"
#include "support/JobWait.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QLineEdit>
#include <QListView>
#include <QMainWindow>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSemaphore>
#include <QStandardItemModel>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QThreadPool>
#include <gtest/gtest.h>

namespace {

// The local photo browser.
QListView *localBrowser(AppDelegate &d) {
    return drive(d).find<QListView>("localImageBrowserView");
}

class JobEnding : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        clearUserDefaults();
        userDefaults()->setValue("storagePath", dir.filePath("out"));
        Workspace::setUrlOpener([](const QUrl &) { return true; });
        Workspace::setRevealer([this](const QString &p, const QString &) { revealed << p; });
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
    void select(const QStringList &paths) {
        for (const QString &p : paths)
            d->localLists().localPhotoItemArray << itemFor(p);
        model = std::make_unique<QStandardItemModel>(int(paths.size()), 1);
        localBrowser(*d)->setModel(model.get());
        for (int i = 0; i < paths.size(); ++i)
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
    QTemporaryDir dir;
    QStringList revealed;
    std::unique_ptr<AppDelegate> d;
    std::unique_ptr<QStandardItemModel> model;
};

} // namespace

TEST_F(JobEnding, OneSheetNamesEveryPhotoNotWrittenAndOneRevealShowsTheFirst) {
    const QString broken = dir.filePath("broken.jpg");
    ASSERT_TRUE(writeAll(broken, QByteArray(4000, 'q')));
    const QString park = copyFixture("St James Park.jpg", dir.path());
    const QString wedding = copyFixture("wedding.jpg", dir.path());
    const QString empty = dir.filePath("empty.jpg");
    ASSERT_TRUE(writeAll(empty, {}));
    select({broken, park, wedding, empty});
    drive(*d).type(drive(*d).findIn<QLineEdit>("changelensWindow", "lensMakelab"), "Kestry");
    drive(*d).type(drive(*d).findIn<QLineEdit>("changelensWindow", "lensModellab"), "One Ending");
    drive(*d).lensWindow().ChangeCameLensModel();
    EXPECT_EQ(d->jobs().runningJobCount(), 1) << "the window does not wait for the photos";
    ASSERT_TRUE(waitForJobs(*d));

    const QList<QMessageBox *> sheets = openSheets();
    ASSERT_EQ(sheets.size(), 1);
    EXPECT_TRUE(sheets.first()->informativeText().contains("broken.jpg: "));
    EXPECT_TRUE(sheets.first()->informativeText().contains("empty.jpg: "));
    EXPECT_FALSE(sheets.first()->informativeText().contains("wedding.jpg"));
    // The sheet's button is the job's one reveal.
    EXPECT_TRUE(revealed.isEmpty());
    for (QAbstractButton *b : sheets.first()->buttons())
        if (b->text() == "Show in Folder")
            b->click();
    EXPECT_EQ(revealed, QStringList{dir.filePath("out/St James Park.jpg")});
    EXPECT_EQ(exiftool(dir.filePath("out/wedding.jpg")).value("EXIF:LensModel").toString(),
              "One Ending");
}

TEST_F(JobEnding, ACancelledJobNamesThePhotosItNeverReached) {
    QStringList paths;
    for (int i = 0; i < 24; ++i) {
        const QString path = dir.filePath(QStringLiteral("p%1.jpg").arg(i));
        ASSERT_TRUE(QFile::copy(fixturePath("wedding.jpg"), path));
        paths << path;
    }
    select(paths);
    drive(*d).type(drive(*d).findIn<QLineEdit>("changelensWindow", "lensMakelab"), "Kestry");
    drive(*d).type(drive(*d).findIn<QLineEdit>("changelensWindow", "lensModellab"), "Stopped");
    // Every worker busy elsewhere, so that the job is cancelled before any photo starts.
    QSemaphore release;
    const int workers = JobRunner::pool()->maxThreadCount();
    for (int i = 0; i < workers; ++i)
        JobRunner::pool()->start([&release] { release.acquire(); });
    drive(*d).lensWindow().ChangeCameLensModel();
    auto *cancel = d->window->statusBar()->findChild<QPushButton *>("JobCancelButton");
    ASSERT_TRUE(cancel);
    cancel->click();
    release.release(workers);
    ASSERT_TRUE(waitForJobs(*d));
    const QList<QMessageBox *> sheets = openSheets();
    ASSERT_EQ(sheets.size(), 1);
    EXPECT_TRUE(sheets.first()->informativeText().contains("p0.jpg: cancelled"));
    EXPECT_TRUE(revealed.isEmpty());
    EXPECT_FALSE(QDir(dir.filePath("out")).exists() &&
                 !QDir(dir.filePath("out")).entryList(QDir::Files).isEmpty());
    EXPECT_TRUE(d->window->statusBar()->findChildren<QProgressBar *>().isEmpty() ||
                !d->window->statusBar()->findChild<QWidget *>("JobProgress")->isVisible());
}

TEST_F(JobEnding, NothingWrittenAndNothingFailedEndsQuietly) {
    JobReport report;
    d->jobs().finishJob(report);
    EXPECT_TRUE(openSheets().isEmpty());
    EXPECT_TRUE(revealed.isEmpty());

    report.written = 2;
    report.revealPath = "/x/a.jpg";
    report.revealRoot = "/x";
    report.sheetOnSuccess = false;
    d->jobs().finishJob(report);
    EXPECT_TRUE(openSheets().isEmpty()) << "a quiet job says nothing when all went well";
    EXPECT_EQ(revealed, QStringList{"/x/a.jpg"});
}

TEST_F(JobEnding, TagCopyWithoutSelectionShowsTheNoSelectionSheet) {
    d->metadataMenus().ClickCopyTitletoCaptionAction();
    ASSERT_TRUE(waitForJobs(*d));
    const QList<QMessageBox *> sheets = openSheets();
    ASSERT_EQ(sheets.size(), 1);
    EXPECT_EQ(sheets.first()->text(), "No Item has been selected");
}
