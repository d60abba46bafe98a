// The download command and the reveal of one photo on Linux, where iCloud is out of reach.
#include "../library/LibraryEditTestSupport.h"
#include "../library/LibraryTestSupport.h"
#include "export/core/CloudDownload.h"
#include "library/LibraryWindows.h"
#include "platform/core/CloudPhotoLibrary.h"
#include "platform/core/Workspace.h"
#include "support/JobWait.h"

#include <QAbstractButton>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMainWindow>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>

namespace {

class ICloudWindow : public LibraryEditTest {
  protected:
    void SetUp() override {
        LibraryEditTest::SetUp();
        storage = dir.filePath(QStringLiteral("S"));
        d->preferences().storagelocation = storage;
        Workspace::setRevealer([this](const QString &p, const QString &root) {
            revealed << (p.isEmpty() ? root : p);
        });
    }
    void TearDown() override {
        Workspace::setRevealer({});
        LibraryEditTest::TearDown();
    }
    QMessageBox *visibleSheet() const {
        for (QMessageBox *box : d->window->findChildren<QMessageBox *>())
            if (box->isVisible())
                return box;
        return nullptr;
    }
    void clickSheetButton(const QString &text) {
        QMessageBox *sheet = visibleSheet();
        ASSERT_TRUE(sheet);
        for (QAbstractButton *b : sheet->buttons())
            if (b->text() == text)
                return b->click();
        ADD_FAILURE() << "no button " << text.toStdString();
    }
    QString storage;
    QStringList revealed;
};

} // namespace

TEST_F(ICloudWindow, LocalOriginalsAreCopiedAndICloudOnesAreNamedWithTheReason) {
    ASSERT_TRUE(openLibrary("Test-10.15.7"));
    ASSERT_FALSE(item("DSC03584.dng")->bICloudDownloadPhoto);
    select({"DSC03584.dng", "Pumkins2.jpg"});
    d->libraryWindows().DownloadICloudsfromphotolibraryAction();
    ASSERT_TRUE(drive(*d).find<QProgressBar>("downloadPhotosProgressor"));
    EXPECT_EQ(
        drive(*d).find<QLabel>("downloadiCloudPhotoInfolab")->text(),
        QString("2 full-resolution iCloud photos total %1 are being downloaded.").arg("22.01 MB"));
    QSignalSpy values(drive(*d).find<QProgressBar>("downloadPhotosProgressor"),
                      &QProgressBar::valueChanged);
    ASSERT_TRUE(waitForJobs(*d));
    QList<int> shown;
    for (const QList<QVariant> &v : values)
        shown << v.at(0).toInt();
    EXPECT_EQ(shown, (QList<int>{50, 100}));
    EXPECT_FALSE(drive(*d).find<QWidget>("downloadiCloudPhotosWindow")->isVisible());
    // The sheet names the photo not downloaded; the folder is shown beside it.
    QMessageBox *sheet = visibleSheet();
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->text(), "Some originals were not downloaded.");
    EXPECT_EQ(sheet->informativeText(),
              "DSC03584.dng: iCloud Photos cannot be reached from Linux (its thumbnail is "
              "DSC03584.jpeg)");
    clickSheetButton(" Ok ");
    EXPECT_EQ(fileBytes(storage + "/Pumkins2.jpg"), fileBytes(item("Pumkins2.jpg")->filePath));
    EXPECT_TRUE(QFileInfo::exists(storage + "/DSC03584.jpeg"));
    EXPECT_EQ(revealed, QStringList{storage});
}

TEST_F(ICloudWindow, ShowingAnICloudPhotoSaysWhyItCannotBeDownloaded) {
    ASSERT_TRUE(openLibrary("Test-10.15.7"));
    select({"DSC03584.dng", "Pumkins2.jpg"});
    d->libraryWindows().ShowphotoinFinderAction();
    EXPECT_EQ(revealed, QStringList{item("Pumkins2.jpg")->filePath});
    const QList<SheetText> sheets = takeSheets();
    ASSERT_EQ(sheets.size(), 1);
    EXPECT_EQ(sheets[0].text,
              "The original iCloud photo is stored in iCloud. It may take some time to download.");
    EXPECT_EQ(sheets[0].informative, "iCloud Photos cannot be reached from Linux");
    EXPECT_TRUE(QDir(storage).entryList(QDir::Files).isEmpty());
}

TEST_F(ICloudWindow, WithAServiceTheOriginalIsFetchedByTheProgressOfEachPhoto) {
    FakeCloudPhotoLibrary fake;
    fake.late = true;
    setCloudPhotoLibrary(&fake);
    ASSERT_TRUE(openLibrary("Test-10.15.7"));
    const QString uuid = photoUuidOf(*item("DSC03584.dng"));
    ASSERT_EQ(uuid, "D05A5FE3-15FB-49A1-A15D-AB3DA6F8B068");
    fake.served << FakeCloudPhotoLibrary::Served{{uuid, "DSC03584.dng", 1}, "raw", {}};
    select({"DSC03584.dng", "Pumkins2.jpg", "wedding.jpg"});
    d->libraryWindows().DownloadICloudsfromphotolibraryAction();
    ASSERT_TRUE(drive(*d).find<QProgressBar>("downloadPhotosProgressor"));
    QSignalSpy values(drive(*d).find<QProgressBar>("downloadPhotosProgressor"),
                      &QProgressBar::valueChanged);
    ASSERT_TRUE(waitForJobs(*d));
    QList<int> shown;
    for (const QList<QVariant> &v : values)
        shown << v.at(0).toInt();
    EXPECT_EQ(shown, (QList<int>{33, 66, 100}));
    for (const SheetText &t : takeSheets())
        ADD_FAILURE() << t.informative.toStdString();
    EXPECT_EQ(fileBytes(storage + "/DSC03584.dng"), "raw");
    EXPECT_TRUE(drive(*d)
                    .find<QLabel>("downloadiCloudPhotoInfolab")
                    ->text()
                    .startsWith("3 full-resolution iCloud photos total "))
        << drive(*d).find<QLabel>("downloadiCloudPhotoInfolab")->text().toStdString();

    // Shown in the file manager: asked first, then fetched beside the first one.
    select({"DSC03584.dng"});
    d->libraryWindows().ShowphotoinFinderAction();
    ASSERT_TRUE(visibleSheet());
    EXPECT_EQ(visibleSheet()->informativeText(), "Do you want to download it locally?");
    clickSheetButton(" Download ");
    ASSERT_TRUE(waitForJobs(*d));
    EXPECT_EQ(fileBytes(storage + "/DSC03584 2.dng"), "raw");
    EXPECT_FALSE(QFileInfo::exists(storage + "/DSC03584 3.dng"));
    setCloudPhotoLibrary(nullptr);
}

TEST_F(ICloudWindow, ACancelledDownloadWritesNothingMoreAndSaysSo) {
    FakeCloudPhotoLibrary fake;
    fake.hold = true; // the run waits at its first question to the service
    setCloudPhotoLibrary(&fake);
    ASSERT_TRUE(openLibrary("Test-10.15.7"));
    select({"DSC03584.dng", "Pumkins2.jpg"});
    d->libraryWindows().DownloadICloudsfromphotolibraryAction();
    auto *cancel = drive(*d)
                       .find<QWidget>("downloadiCloudPhotosWindow")
                       ->findChild<QPushButton *>("downloadPhotosCancelBtn");
    ASSERT_TRUE(cancel);
    EXPECT_TRUE(cancel->isVisible());
    cancel->click();
    fake.release();
    ASSERT_TRUE(waitForJobs(*d));
    EXPECT_FALSE(drive(*d).find<QWidget>("downloadiCloudPhotosWindow")->isVisible());
    QMessageBox *sheet = visibleSheet();
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->text(), "The download was cancelled.");
    EXPECT_TRUE(sheet->informativeText().contains("DSC03584.dng: cancelled"));
    EXPECT_TRUE(sheet->informativeText().contains("Pumkins2.jpg: cancelled"));
    EXPECT_TRUE(QDir(storage).entryList(QDir::Files).isEmpty());
    EXPECT_TRUE(revealed.isEmpty());
    setCloudPhotoLibrary(nullptr);
}
