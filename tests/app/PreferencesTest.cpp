#include "app/AppDelegate.h"
#include "app/core/Settings.h"
#include "platform/ChoiceButtons.h"
#include "platform/ColorWell.h"
#include "platform/core/Workspace.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QButtonGroup>
#include <QDir>
#include <QFileDialog>
#include <QFontDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
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
        d->preferencesWindow.ShowPreferenceSetting();
    }
    void TearDown() override {
        d.reset();
        Workspace::setUrlOpener({});
    }

    // The user picks `folder` in the folder chooser.
    void chooseFolder(const QString &folder) {
        d->preferencesWindow.ChangeStoreLocation();
        ASSERT_TRUE(d->preferencesWindow.theChangePanel);
        d->preferencesWindow.theChangePanel->setDirectory(QFileInfo(folder).absolutePath());
        d->preferencesWindow.theChangePanel->selectFile(folder);
        QMetaObject::invokeMethod(d->preferencesWindow.theChangePanel.data(), "accept");
        QApplication::processEvents();
    }

    // The question the preferences window shows, if any.
    QMessageBox *question() {
        for (QMessageBox *box :
             d->preferencesWindow.preferenceWindow->findChildren<QMessageBox *>())
            if (box->isVisible())
                return box;
        return nullptr;
    }
    // The user answers the open question with the button titled `text`.
    void answer(const QString &text) {
        QMessageBox *box = question();
        ASSERT_TRUE(box);
        for (QAbstractButton *b : box->buttons())
            if (b->text() == text) {
                b->click();
                QApplication::processEvents();
                return;
            }
        FAIL() << "no button " << text.toStdString();
    }
    void confirmOverwriteOnce() { userDefaults()->setValue("OverwriteOriginalsConfirmed", true); }

    std::unique_ptr<AppDelegate> d;
};

int ticked(const PKChoiceButtons *choices) {
    int n = 0;
    for (const QString &c : choices->choices())
        n += choices->button(c)->isChecked() ? 1 : 0;
    return n;
}

} // namespace

TEST_F(PreferencesWindowTest, ExclusiveChoicesAreRadioButtonsThatUntickEachOther) {
    confirmOverwriteOnce();
    d->preferencesWindow.overwritePhotoBtn->click();
    EXPECT_TRUE(d->preferencesWindow.overwritePhotoBtn->isChecked());
    EXPECT_FALSE(d->preferencesWindow.unoverwritePhotoBtn->isChecked());
    d->preferencesWindow.overwritePhotoBtn
        ->click(); // a second click keeps the choice, as a radio button does
    EXPECT_TRUE(d->preferencesWindow.overwritePhotoBtn->isChecked());
    d->preferencesWindow.unoverwritePhotoBtn->click();
    EXPECT_TRUE(d->preferencesWindow.unoverwritePhotoBtn->isChecked());
    EXPECT_FALSE(d->preferencesWindow.overwritePhotoBtn->isChecked());

    d->preferencesWindow.uncompressStampPhotoBtn->click();
    EXPECT_FALSE(d->preferencesWindow.compressStampPhotoBtn->isChecked());
    d->preferencesWindow.compressStampPhotoBtn->click();
    EXPECT_TRUE(d->preferencesWindow.compressStampPhotoBtn->isChecked());
    EXPECT_FALSE(d->preferencesWindow.uncompressStampPhotoBtn->isChecked());

    for (PKChoiceButtons *choices :
         {d->preferencesWindow.postionBtn, d->preferencesWindow.dateFormatBtn}) {
        ASSERT_GE(choices->choices().size(), 4);
        for (const QString &c : choices->choices()) {
            choices->button(c)->click();
            EXPECT_EQ(choices->currentText(), c);
            EXPECT_EQ(ticked(choices), 1) << c.toStdString();
        }
    }
    d->preferencesWindow.postionBtn->button("Lower right corner")->click();
    d->preferencesWindow.dateFormatBtn->button("YYYY/MM/DD HH:MM")->click();
    d->preferencesWindow.ResetPreferenceSetting();
    // Stored as the pop-ups stored them, so that earlier settings read back.
    EXPECT_EQ(stored("Postion"), "Lower right corner");
    EXPECT_EQ(stored("Dateformat"), "YYYY/MM/DD HH:MM");
    EXPECT_EQ(stored("PhotoOverWrite"), "NO");
    EXPECT_EQ(stored("PhotoCompress"), "YES");
}

TEST_F(PreferencesWindowTest, AStoredChoiceThatIsNoLongerOfferedLeavesTheDefault) {
    d.reset();
    userDefaults()->setValue("Postion", "Centre");
    d = std::make_unique<AppDelegate>();
    d->launch();
    EXPECT_EQ(d->preferences().postion, "Centre");
    EXPECT_EQ(d->preferencesWindow.postionBtn->currentText(), "Lower left corner");
    EXPECT_EQ(ticked(d->preferencesWindow.postionBtn), 1);
}

TEST_F(PreferencesWindowTest, OverwritingOriginalsIsConfirmedOnce) {
    d->preferencesWindow.overwritePhotoBtn->click();
    QMessageBox *box = question();
    ASSERT_TRUE(box);
    EXPECT_EQ(box->icon(), QMessageBox::Warning);
    EXPECT_EQ(box->windowModality(), Qt::WindowModal);
    EXPECT_TRUE(box->informativeText().contains("replace the original file"));
    answer("Cancel");
    EXPECT_FALSE(d->preferencesWindow.overwritePhotoBtn->isChecked());
    EXPECT_TRUE(d->preferencesWindow.unoverwritePhotoBtn->isChecked());
    EXPECT_FALSE(userDefaults()->contains("OverwriteOriginalsConfirmed"));
    d->preferencesWindow.ResetPreferenceSetting();
    EXPECT_EQ(stored("PhotoOverWrite"), "NO");

    d->preferencesWindow.ShowPreferenceSetting();
    d->preferencesWindow.overwritePhotoBtn->click();
    answer("Overwrite Originals");
    EXPECT_TRUE(d->preferencesWindow.overwritePhotoBtn->isChecked());
    EXPECT_TRUE(userDefaults()->value("OverwriteOriginalsConfirmed").toBool());

    // Confirmed once: later ticks, in this window or after a relaunch, ask nothing.
    d->preferencesWindow.unoverwritePhotoBtn->click();
    d->preferencesWindow.overwritePhotoBtn->click();
    EXPECT_EQ(question(), nullptr);
    d->preferencesWindow.ResetPreferenceSetting();
    EXPECT_EQ(stored("PhotoOverWrite"), "YES");
    d.reset();
    d = std::make_unique<AppDelegate>();
    d->launch();
    d->preferencesWindow.ShowPreferenceSetting();
    d->preferencesWindow.unoverwritePhotoBtn->click();
    d->preferencesWindow.overwritePhotoBtn->click();
    EXPECT_EQ(question(), nullptr);
    EXPECT_TRUE(d->preferencesWindow.overwritePhotoBtn->isChecked());
}

TEST_F(PreferencesWindowTest, ShowingStoredOverwritingAsksNothing) {
    d.reset();
    userDefaults()->setValue("PhotoOverWrite", "YES");
    d = std::make_unique<AppDelegate>();
    d->launch();
    d->preferencesWindow.ShowPreferenceSetting();
    EXPECT_TRUE(d->preferencesWindow.overwritePhotoBtn->isChecked());
    d->preferencesWindow.overwritePhotoBtn->click();
    EXPECT_EQ(question(), nullptr) << "the originals were already being replaced";
}

TEST_F(PreferencesWindowTest, SaveStoresEverySetting) {
    const QString folder = testHome() + "/Chosen/Not yet there";
    QDir().mkpath(folder);
    chooseFolder(folder);
    EXPECT_EQ(d->preferencesWindow.storePathlab->text(), folder);
    // Gone again by the time the user saves: Save makes it.
    ASSERT_TRUE(QDir(folder).removeRecursively());
    EXPECT_NE(d->preferences().storagelocation, folder); // only shown until Save

    d->preferencesWindow.overwritePhotoBtn->click();
    answer("Overwrite Originals");
    d->preferencesWindow.uncompressStampPhotoBtn->click();
    d->preferencesWindow.postionBtn->setCurrentText("Upper right corner");
    d->preferencesWindow.dateFormatBtn->setCurrentText("DD.MM.YYYY");
    QFont font("DejaVu Sans");
    font.setPointSize(22);
    d->preferencesWindow.changeFont(font);
    EXPECT_EQ(d->preferencesWindow.showFontlab->text(), "DejaVu Sans 22");
    d->preferencesWindow.colorwell->setColor(Qt::red);

    d->preferencesWindow.ResetPreferenceSetting();
    EXPECT_FALSE(d->preferencesWindow.preferenceWindow->isVisible());
    EXPECT_EQ(stored("PhotoOverWrite"), "YES");
    EXPECT_EQ(stored("PhotoCompress"), "NO");
    EXPECT_EQ(stored("Postion"), "Upper right corner");
    EXPECT_EQ(stored("Dateformat"), "DD.MM.YYYY");
    EXPECT_EQ(stored("fontName"), "DejaVu Sans");
    EXPECT_EQ(stored("fontsize"), "22");
    EXPECT_EQ(stored("storagePath"), folder);
    EXPECT_EQ(d->preferences().storagelocation, folder);
    EXPECT_TRUE(QFileInfo(folder).isDir()); // created on Save
    EXPECT_EQ(d->preferences().currentFontColor, QColor(Qt::red));

    // Back to the defaults, and the colour is never stored: white again next launch.
    d->preferencesWindow.unoverwritePhotoBtn->click();
    d->preferencesWindow.compressStampPhotoBtn->click();
    d->preferencesWindow.ResetPreferenceSetting();
    EXPECT_EQ(stored("PhotoOverWrite"), "NO");
    EXPECT_EQ(stored("PhotoCompress"), "YES");
    d.reset();
    d = std::make_unique<AppDelegate>();
    d->launch();
    EXPECT_EQ(d->preferences().currentFontColor, QColor(Qt::white));
    EXPECT_EQ(d->preferencesWindow.colorwell->color(), QColor(Qt::white));
    EXPECT_EQ(d->preferences().currentFontname, "DejaVu Sans");
    EXPECT_EQ(d->preferences().currentFontSize, 22);
    EXPECT_EQ(d->preferences().storagelocation, folder);
    EXPECT_EQ(d->preferencesWindow.postionBtn->currentText(), "Upper right corner");
}

TEST_F(PreferencesWindowTest, CancelPutsEveryControlBack) {
    confirmOverwriteOnce();
    const QString before = d->preferences().storagelocation;
    const auto storedBefore = userDefaults()->allKeys();
    QDir().mkpath(testHome() + "/Elsewhere");
    chooseFolder(testHome() + "/Elsewhere");
    EXPECT_EQ(d->preferencesWindow.storePathlab->text(), testHome() + "/Elsewhere");
    d->preferencesWindow.overwritePhotoBtn->click();
    d->preferencesWindow.uncompressStampPhotoBtn->click();
    d->preferencesWindow.postionBtn->setCurrentText("Upper left corner");
    d->preferencesWindow.dateFormatBtn->setCurrentText("YYYY.MM.DD");
    QFont font("DejaVu Serif");
    font.setPointSize(30);
    d->preferencesWindow.changeFont(font);
    d->preferencesWindow.colorwell->setColor(Qt::blue);

    d->preferencesWindow.CancelPreferenceSetting();
    EXPECT_FALSE(d->preferencesWindow.preferenceWindow->isVisible());
    EXPECT_EQ(d->preferences().storagelocation, before);
    EXPECT_EQ(stored("storagePath"), before);
    EXPECT_EQ(d->preferencesWindow.storePathlab->text(), before);
    // The features read these controls: a cancelled overwrite must not stay on.
    EXPECT_FALSE(d->preferencesWindow.overwritePhotoBtn->isChecked());
    EXPECT_TRUE(d->preferencesWindow.unoverwritePhotoBtn->isChecked());
    EXPECT_TRUE(d->preferencesWindow.compressStampPhotoBtn->isChecked());
    EXPECT_EQ(d->preferencesWindow.postionBtn->currentText(), "Lower left corner");
    EXPECT_EQ(d->preferencesWindow.dateFormatBtn->currentText(), "MM/DD/YYYY HH:MM");
    EXPECT_EQ(d->preferences().currentFontname, defaultFontFamily());
    EXPECT_EQ(d->preferences().currentFontSize, 14);
    EXPECT_EQ(d->preferencesWindow.showFontlab->text(), defaultFontFamily() + " 14");
    EXPECT_EQ(d->preferencesWindow.colorwell->color(), QColor(Qt::white));
    EXPECT_EQ(stored("PhotoOverWrite"), "NO");
    EXPECT_EQ(userDefaults()->allKeys(), storedBefore);

    // A Save after the Cancel stores what the controls now show.
    d->preferencesWindow.ResetPreferenceSetting();
    EXPECT_EQ(stored("storagePath"), before);
    EXPECT_EQ(stored("PhotoOverWrite"), "NO");
}

TEST_F(PreferencesWindowTest, ClosingTheWindowIsACancel) {
    confirmOverwriteOnce();
    d->preferencesWindow.overwritePhotoBtn->click();
    d->preferencesWindow.preferenceWindow->close();
    EXPECT_FALSE(d->preferencesWindow.overwritePhotoBtn->isChecked());
    EXPECT_TRUE(d->preferencesWindow.unoverwritePhotoBtn->isChecked());
}

TEST_F(PreferencesWindowTest, CancelledFolderChooserChangesNothing) {
    const QString shown = d->preferencesWindow.storePathlab->text();
    d->preferencesWindow.ChangeStoreLocation();
    ASSERT_TRUE(d->preferencesWindow.theChangePanel);
    QMetaObject::invokeMethod(d->preferencesWindow.theChangePanel.data(), "reject");
    QApplication::processEvents();
    EXPECT_EQ(d->preferencesWindow.storePathlab->text(), shown);
}

TEST_F(PreferencesWindowTest, FontPanelStartsAtTheChosenFont) {
    QFont font("DejaVu Serif");
    font.setPointSize(20);
    d->preferencesWindow.changeFont(font);
    d->preferencesWindow.ShowFontPanelAction();
    ASSERT_TRUE(d->preferencesWindow.fontPanel);
    EXPECT_TRUE(d->preferencesWindow.fontPanel->isVisible());
    EXPECT_EQ(d->preferencesWindow.fontPanel->currentFont().family(), "DejaVu Serif");
    EXPECT_EQ(d->preferences().currentFontname, "DejaVu Serif")
        << "opening the panel changes nothing";
    EXPECT_EQ(d->preferences().currentFontSize, 20);
    d->preferencesWindow.ResetPreferenceSetting();
    EXPECT_FALSE(d->preferencesWindow.fontPanel->isVisible());
}
