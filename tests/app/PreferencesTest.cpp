#include "app/AppDelegate.h"
#include "app/core/Settings.h"
#include "platform/ColorWell.h"
#include "platform/core/Workspace.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFontDialog>
#include <QLabel>
#include <gtest/gtest.h>

namespace {

QString stored(const char *key) {
    return userDefaults()->value(QLatin1String(key)).toString();
}

class PreferencesWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        clearUserDefaults();
        Workspace::setUrlOpener([](const QUrl &) { return true; });
        d = std::make_unique<AppDelegate>();
        d->launch();
        d->ShowPreferenceSetting();
    }
    void TearDown() override {
        d.reset();
        Workspace::setUrlOpener({});
    }

    // The user picks `folder` in the folder chooser.
    void chooseFolder(const QString &folder) {
        d->ChangeStoreLocation();
        ASSERT_TRUE(d->theChangePanel);
        d->theChangePanel->setDirectory(QFileInfo(folder).absolutePath());
        d->theChangePanel->selectFile(folder);
        QMetaObject::invokeMethod(d->theChangePanel.data(), "accept");
        QApplication::processEvents();
    }

    std::unique_ptr<AppDelegate> d;
};

} // namespace

TEST_F(PreferencesWindowTest, CheckBoxesActAsExclusivePairs) {
    d->overwritePhotoBtn->click();
    EXPECT_TRUE(d->overwritePhotoBtn->isChecked());
    EXPECT_FALSE(d->unoverwritePhotoBtn->isChecked());
    d->overwritePhotoBtn->click();
    EXPECT_TRUE(d->unoverwritePhotoBtn->isChecked());
    d->unoverwritePhotoBtn->click();
    EXPECT_TRUE(d->overwritePhotoBtn->isChecked());

    d->uncompressStampPhotoBtn->click();
    EXPECT_TRUE(d->uncompressStampPhotoBtn->isChecked());
    EXPECT_FALSE(d->compressStampPhotoBtn->isChecked());
    d->compressStampPhotoBtn->click();
    EXPECT_TRUE(d->compressStampPhotoBtn->isChecked());
    EXPECT_FALSE(d->uncompressStampPhotoBtn->isChecked());
}

TEST_F(PreferencesWindowTest, SaveStoresEverySetting) {
    const QString folder = testHome() + "/Chosen/Not yet there";
    QDir().mkpath(folder);
    chooseFolder(folder);
    EXPECT_EQ(d->storePathlab->text(), folder);
    // Gone again by the time the user saves: Save makes it.
    ASSERT_TRUE(QDir(folder).removeRecursively());
    EXPECT_NE(d->preferences.storagelocation, folder); // only shown until Save

    d->overwritePhotoBtn->click();
    d->uncompressStampPhotoBtn->click();
    d->postionBtn->setCurrentText("Upper right corner");
    d->dateFormatBtn->setCurrentText("DD.MM.YYYY");
    QFont font("DejaVu Sans");
    font.setPointSize(22);
    d->changeFont(font);
    EXPECT_EQ(d->showFontlab->text(), "DejaVu Sans 22");
    d->colorwell->setColor(Qt::red);

    d->ResetPreferenceSetting();
    EXPECT_FALSE(d->preferenceWindow->isVisible());
    EXPECT_EQ(stored("PhotoOverWrite"), "YES");
    EXPECT_EQ(stored("PhotoCompress"), "NO");
    EXPECT_EQ(stored("Postion"), "Upper right corner");
    EXPECT_EQ(stored("Dateformat"), "DD.MM.YYYY");
    EXPECT_EQ(stored("fontName"), "DejaVu Sans");
    EXPECT_EQ(stored("fontsize"), "22");
    EXPECT_EQ(stored("storagePath"), folder);
    EXPECT_EQ(d->preferences.storagelocation, folder);
    EXPECT_TRUE(QFileInfo(folder).isDir()); // created on Save
    EXPECT_EQ(d->preferences.currentFontColor, QColor(Qt::red));

    // Back to the defaults, and the colour is never stored: white again next launch.
    d->unoverwritePhotoBtn->click();
    d->compressStampPhotoBtn->click();
    d->ResetPreferenceSetting();
    EXPECT_EQ(stored("PhotoOverWrite"), "NO");
    EXPECT_EQ(stored("PhotoCompress"), "YES");
    d.reset();
    d = std::make_unique<AppDelegate>();
    d->launch();
    EXPECT_EQ(d->preferences.currentFontColor, QColor(Qt::white));
    EXPECT_EQ(d->colorwell->color(), QColor(Qt::white));
    EXPECT_EQ(d->preferences.currentFontname, "DejaVu Sans");
    EXPECT_EQ(d->preferences.currentFontSize, 22);
    EXPECT_EQ(d->preferences.storagelocation, folder);
    EXPECT_EQ(d->postionBtn->currentText(), "Upper right corner");
}

TEST_F(PreferencesWindowTest, CancelPutsEveryControlBack) {
    const QString before = d->preferences.storagelocation;
    const auto storedBefore = userDefaults()->allKeys();
    QDir().mkpath(testHome() + "/Elsewhere");
    chooseFolder(testHome() + "/Elsewhere");
    EXPECT_EQ(d->storePathlab->text(), testHome() + "/Elsewhere");
    d->overwritePhotoBtn->click();
    d->uncompressStampPhotoBtn->click();
    d->postionBtn->setCurrentText("Upper left corner");
    d->dateFormatBtn->setCurrentText("YYYY.MM.DD");
    QFont font("DejaVu Serif");
    font.setPointSize(30);
    d->changeFont(font);
    d->colorwell->setColor(Qt::blue);

    d->CancelPreferenceSetting();
    EXPECT_FALSE(d->preferenceWindow->isVisible());
    EXPECT_EQ(d->preferences.storagelocation, before);
    EXPECT_EQ(stored("storagePath"), before);
    EXPECT_EQ(d->storePathlab->text(), before);
    // The features read these controls: a cancelled overwrite must not stay on.
    EXPECT_FALSE(d->overwritePhotoBtn->isChecked());
    EXPECT_TRUE(d->unoverwritePhotoBtn->isChecked());
    EXPECT_TRUE(d->compressStampPhotoBtn->isChecked());
    EXPECT_EQ(d->postionBtn->currentText(), "Lower left corner");
    EXPECT_EQ(d->dateFormatBtn->currentText(), "MM/DD/YYYY HH:MM");
    EXPECT_EQ(d->preferences.currentFontname, "Lucida Grande");
    EXPECT_EQ(d->preferences.currentFontSize, 14);
    EXPECT_EQ(d->showFontlab->text(), "Lucida Grande 14");
    EXPECT_EQ(d->colorwell->color(), QColor(Qt::white));
    EXPECT_EQ(stored("PhotoOverWrite"), "NO");
    EXPECT_EQ(userDefaults()->allKeys(), storedBefore);

    // A Save after the Cancel stores what the controls now show.
    d->ResetPreferenceSetting();
    EXPECT_EQ(stored("storagePath"), before);
    EXPECT_EQ(stored("PhotoOverWrite"), "NO");
}

TEST_F(PreferencesWindowTest, ClosingTheWindowIsACancel) {
    d->overwritePhotoBtn->click();
    d->preferenceWindow->close();
    EXPECT_FALSE(d->overwritePhotoBtn->isChecked());
    EXPECT_TRUE(d->unoverwritePhotoBtn->isChecked());
}

TEST_F(PreferencesWindowTest, CancelledFolderChooserChangesNothing) {
    const QString shown = d->storePathlab->text();
    d->ChangeStoreLocation();
    ASSERT_TRUE(d->theChangePanel);
    QMetaObject::invokeMethod(d->theChangePanel.data(), "reject");
    QApplication::processEvents();
    EXPECT_EQ(d->storePathlab->text(), shown);
}

TEST_F(PreferencesWindowTest, FontPanelStartsAtTheDefaultFont) {
    d->ShowFontPanelAction();
    ASSERT_TRUE(d->fontPanel);
    EXPECT_TRUE(d->fontPanel->isVisible());
    d->ResetPreferenceSetting();
    EXPECT_FALSE(d->fontPanel->isVisible());
}
