#include "LibraryTestSupport.h"
#include "app/AppDelegate.h"
#include "library/LibraryDatabase.h"
#include "library/core/LibraryWorkingCopy.h"
#include "platform/core/PhotosApplication.h"
#include "platform/core/Workspace.h"
#include "support/AppDriver.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
class LibraryDatabaseFeature : public ::testing::Test {
  protected:
    void SetUp() override {
        clearUserDefaults();
        Workspace::setUrlOpener([](const QUrl &) { return true; });
        setPhotosApplication(&photos);
        d = std::make_unique<AppDelegate>();
        d->launch();
        library = copyLibrary(QStringLiteral("Test-13.0.0"), dir.path());
        original = library + QStringLiteral("/database/Photos.sqlite");
        auto copy = std::make_shared<LibraryWorkingCopy>(&photos);
        ASSERT_TRUE(copy->open(original).ok);
        d->libraryDatabase().useLibraryWorkingCopy(copy);
        ASSERT_EQ(d->library().originalPhotolibDatabasePath, original);
        ASSERT_TRUE(d->libraryDatabase().readOnlyReason().isEmpty());
    }
    void TearDown() override {
        d.reset();
        setPhotosApplication(nullptr);
        Workspace::setUrlOpener({});
    }
    QMessageBox *openSheet() {
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        for (QMessageBox *s : d->window->findChildren<QMessageBox *>())
            if (s->isVisible())
                return s;
        return nullptr;
    }
    void press(QMessageBox *sheet, const QString &title) {
        for (QAbstractButton *b : sheet->buttons())
            if (b->text() == title) {
                b->click();
                return;
            }
        ADD_FAILURE() << "no button " << title.toStdString();
    }
    FakePhotosApplication photos;
    QTemporaryDir dir;
    QString library, original;
    std::unique_ptr<AppDelegate> d;
};
} // namespace

TEST_F(LibraryDatabaseFeature, OnlyThePhotoApplicationIsOfferedToEnd) {
    EXPECT_FALSE(d->libraryDatabase().CheckPhotosApplicationRun());
    // Any other program is named with its id and left to the user to close.
    photos.heldBy << DatabaseHolder{4242, QStringLiteral("python3"), QStringLiteral("open file")};
    EXPECT_TRUE(d->libraryDatabase().CheckPhotosApplicationRun());
    d->libraryDatabase().showQuitPhotosOffer();
    QMessageBox *sheet = openSheet();
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->text(), QStringLiteral("The library is in use by another program."));
    EXPECT_EQ(sheet->informativeText(),
              QStringLiteral("python3 (4242) has the library \"%1\" open. Close it and try again.")
                  .arg(library));
    EXPECT_EQ(sheet->buttons().size(), 1);
    press(sheet, QStringLiteral(" Ok "));
    EXPECT_TRUE(photos.ended.isEmpty());

    photos.heldBy = {DatabaseHolder{4243, QStringLiteral("Photos"), QStringLiteral("lock")}};
    d->libraryDatabase().showQuitPhotosOffer();
    sheet = openSheet();
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->text(), QStringLiteral("You need to quit the running Photos application."));
    EXPECT_TRUE(sheet->informativeText().contains(QStringLiteral("Photos (4243)")));
    press(sheet, QStringLiteral(" Cancel "));
    EXPECT_TRUE(photos.ended.isEmpty());

    // The photo application quit while the offer was open and its id went to another program.
    d->libraryDatabase().showQuitPhotosOffer();
    sheet = openSheet();
    ASSERT_TRUE(sheet);
    photos.heldBy = {DatabaseHolder{4243, QStringLiteral("python3"), QStringLiteral("open file")}};
    press(sheet, QStringLiteral(" Ok "));
    EXPECT_TRUE(photos.ended.isEmpty());

    photos.heldBy = {DatabaseHolder{4243, QStringLiteral("Photos"), QStringLiteral("lock")}};
    d->libraryDatabase().showQuitPhotosOffer();
    sheet = openSheet();
    ASSERT_TRUE(sheet);
    press(sheet, QStringLiteral(" Ok "));
    EXPECT_EQ(photos.ended, QList<qint64>{4243});
}

TEST_F(LibraryDatabaseFeature, CopyBackWhileHeldShowsTheFailureAndKeepsTheLibrary) {
    photos.heldBy << DatabaseHolder{4242, QStringLiteral("Photos"), QStringLiteral("lock")};
    const QByteArray before = fileBytes(original);
    d->libraryDatabase().CopyDatabasetoPhotoLibrary();
    QMessageBox *sheet = openSheet();
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->text(), QStringLiteral("Photo Library metadata can't update"));
    EXPECT_TRUE(sheet->informativeText().contains(QStringLiteral("Photos (4242)")));
    EXPECT_EQ(fileBytes(original), before);
    press(sheet, QStringLiteral(" Ok "));

    photos.heldBy.clear();
    const LibraryStepResult r = d->libraryDatabase().CopyDatabasetoPhotoLibraryWithoutAlert();
    EXPECT_TRUE(r.ok) << r.reason.toStdString();
    EXPECT_FALSE(openSheet());
}

TEST_F(LibraryDatabaseFeature, RestoreAsksThenRestores) {
    d->libraryDatabase().RestorePhotoLibraryDatabase();
    QMessageBox *sheet = openSheet();
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->text(), QStringLiteral("Are you sure you want to restore the photo library?"));
    press(sheet, QStringLiteral(" Ok "));
    sheet = openSheet();
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->text(), QStringLiteral("Restore Photo Library metadata has been completed."));
    EXPECT_EQ(sqliteValue(original, QStringLiteral("PRAGMA integrity_check")),
              QStringLiteral("ok"));
}
