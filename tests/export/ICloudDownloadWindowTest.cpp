// The download command and the reveal of one photo on Linux, where iCloud is out of reach.
#include "../library/LibraryEditTestSupport.h"
#include "../library/LibraryTestSupport.h"
#include "platform/core/Workspace.h"
#include "support/JobWait.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QSignalSpy>

namespace {

class ICloudWindow : public LibraryEditTest {
  protected:
    void SetUp() override {
        LibraryEditTest::SetUp();
        storage = dir.filePath(QStringLiteral("S"));
        d->preferences.storagelocation = storage;
        Workspace::setRevealer([this](const QString &p, const QString &root) {
            revealed << (p.isEmpty() ? root : p);
        });
    }
    void TearDown() override {
        Workspace::setRevealer({});
        LibraryEditTest::TearDown();
    }
    QString storage;
    QStringList revealed;
};

} // namespace

TEST_F(ICloudWindow, LocalOriginalsAreCopiedAndICloudOnesAreNamedWithTheReason) {
    ASSERT_TRUE(openLibrary("Test-10.15.7"));
    ASSERT_FALSE(item("DSC03584.dng")->bICloudDownloadPhoto);
    select({"DSC03584.dng", "Pumkins2.jpg"});
    d->DownloadICloudsfromphotolibraryAction();
    ASSERT_TRUE(d->downloadPhotosProgressor);
    EXPECT_EQ(
        d->downloadiCloudPhotoInfolab->text(),
        QString("2 full-resolution iCloud photos total %1 are being downloaded.").arg("22.01 MB"));
    QSignalSpy values(d->downloadPhotosProgressor, &QProgressBar::valueChanged);
    ASSERT_TRUE(waitForJobs(*d));
    QList<int> shown;
    for (const QList<QVariant> &v : values)
        shown << v.at(0).toInt();
    EXPECT_EQ(shown, (QList<int>{50, 100}));
    EXPECT_FALSE(d->downloadPhotosWindow->isVisible());
    const QList<SheetText> sheets = takeSheets();
    ASSERT_EQ(sheets.size(), 1);
    EXPECT_EQ(sheets[0].informative,
              "DSC03584.dng: iCloud Photos cannot be reached from Linux (its thumbnail is "
              "DSC03584.jpeg)");
    EXPECT_EQ(fileBytes(storage + "/Pumkins2.jpg"), fileBytes(item("Pumkins2.jpg")->filePath));
    EXPECT_TRUE(QFileInfo::exists(storage + "/DSC03584.jpeg"));
    EXPECT_EQ(revealed, QStringList{storage});
}

TEST_F(ICloudWindow, ShowingAnICloudPhotoSaysWhyItCannotBeDownloaded) {
    ASSERT_TRUE(openLibrary("Test-10.15.7"));
    select({"DSC03584.dng", "Pumkins2.jpg"});
    d->ShowphotoinFinderAction();
    EXPECT_EQ(revealed, QStringList{item("Pumkins2.jpg")->filePath});
    const QList<SheetText> sheets = takeSheets();
    ASSERT_EQ(sheets.size(), 1);
    EXPECT_EQ(sheets[0].text,
              "The original iCloud photo is stored in iCloud. It may take some time to download.");
    EXPECT_EQ(sheets[0].informative, "iCloud Photos cannot be reached from Linux");
    EXPECT_TRUE(QDir(storage).entryList(QDir::Files).isEmpty());
}
