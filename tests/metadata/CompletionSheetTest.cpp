#include "app/AppDelegate.h"
#include "app/core/Settings.h"
#include "platform/AlertSheet.h"
#include "platform/core/Workspace.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QMainWindow>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {
class CompletionSheet : public ::testing::Test {
  protected:
    void SetUp() override {
        clearUserDefaults();
        Workspace::setUrlOpener([](const QUrl &) { return true; });
        d = std::make_unique<AppDelegate>();
        d->launch();
    }
    void TearDown() override {
        d.reset();
        Workspace::setUrlOpener({});
    }
    QMessageBox *openSheet() {
        const auto sheets = d->window->findChildren<QMessageBox *>();
        for (QMessageBox *s : sheets)
            if (s->isVisible())
                return s;
        return nullptr;
    }
    std::unique_ptr<AppDelegate> d;
};
} // namespace

TEST_F(CompletionSheet, SuppressionBoxStoresOnlyWhenChecked) {
    d->LocalPhotoMetadataChangedCompletedAlert();
    QPointer<QMessageBox> sheet = openSheet();
    ASSERT_TRUE(sheet);
    EXPECT_EQ(sheet->text(), "Photo metadata updated successfully.");
    ASSERT_TRUE(suppressionButton(sheet));
    sheet->buttons().first()->click();
    EXPECT_FALSE(userDefaults()->contains("LocalPhotoMetadataAlertSuppress"));

    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    d->LocalPhotoMetadataChangedCompletedAlert();
    sheet = openSheet();
    ASSERT_TRUE(sheet);
    suppressionButton(sheet)->setChecked(true);
    sheet->buttons().first()->click();
    EXPECT_TRUE(userDefaults()->value("LocalPhotoMetadataAlertSuppress").toBool());

    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    d->LocalPhotoMetadataChangedCompletedAlert();
    EXPECT_EQ(openSheet(), nullptr);
}

TEST_F(CompletionSheet, FailuresAreToldEvenWhenSuppressed) {
    userDefaults()->setValue("LocalPhotoMetadataAlertSuppress", true);
    d->LocalPhotoMetadataChangedCompletedAlert({"broken.jpg", "empty.png"});
    QMessageBox *sheet = openSheet();
    ASSERT_TRUE(sheet);
    EXPECT_NE(sheet->text(), "Photo metadata updated successfully.");
    EXPECT_TRUE(sheet->informativeText().contains("broken.jpg"));
    EXPECT_TRUE(sheet->informativeText().contains("empty.png"));
}

TEST(Reveal, RecordedWhenReplaced) {
    QStringList seen;
    Workspace::setRevealer([&](const QString &p, const QString &root) { seen << p << root; });
    Workspace::selectFile("/x/y.jpg", "/x");
    Workspace::setRevealer({});
    EXPECT_EQ(seen, (QStringList{"/x/y.jpg", "/x"}));
}
