#include "app/AppDelegate.h"
#include "app/PreferencesWindow.h"
#include "app/core/Settings.h"
#include "platform/ChoiceButtons.h"
#include "platform/ColorWell.h"
#include "platform/core/Workspace.h"
#include "support/AppDriver.h"
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
        d->preferencesWindow().ShowPreferenceSetting();
    }
    void TearDown() override {
        d.reset();
        Workspace::setUrlOpener({});
    }

    // The user picks `folder` in the folder chooser.
    void chooseFolder(const QString &folder) {
        d->preferencesWindow().ChangeStoreLocation();
        ASSERT_TRUE(d->preferencesWindow().folderPanel());
        d->preferencesWindow().folderPanel()->setDirectory(QFileInfo(folder).absolutePath());
        d->preferencesWindow().folderPanel()->selectFile(folder);
        QMetaObject::invokeMethod(d->preferencesWindow().folderPanel(), "accept");
        QApplication::processEvents();
    }

    // The question the preferences window shows, if any.
    QMessageBox *question() {
        for (QMessageBox *box : drive(*d).find("preferenceWindow")->findChildren<QMessageBox *>())
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
    drive(*d).find<QRadioButton>("overwritePhotoBtn")->click();
    EXPECT_TRUE(drive(*d).find<QRadioButton>("overwritePhotoBtn")->isChecked());
    EXPECT_FALSE(drive(*d).find<QRadioButton>("unoverwritePhotoBtn")->isChecked());
    drive(*d)
        .find<QRadioButton>("overwritePhotoBtn")
        ->click(); // a second click keeps the choice, as a radio button does
    EXPECT_TRUE(drive(*d).find<QRadioButton>("overwritePhotoBtn")->isChecked());
    drive(*d).find<QRadioButton>("unoverwritePhotoBtn")->click();
    EXPECT_TRUE(drive(*d).find<QRadioButton>("unoverwritePhotoBtn")->isChecked());
    EXPECT_FALSE(drive(*d).find<QRadioButton>("overwritePhotoBtn")->isChecked());

    drive(*d).find<QRadioButton>("uncompressStampPhotoBtn")->click();
    EXPECT_FALSE(drive(*d).find<QRadioButton>("compressStampPhotoBtn")->isChecked());
    drive(*d).find<QRadioButton>("compressStampPhotoBtn")->click();
    EXPECT_TRUE(drive(*d).find<QRadioButton>("compressStampPhotoBtn")->isChecked());
    EXPECT_FALSE(drive(*d).find<QRadioButton>("uncompressStampPhotoBtn")->isChecked());

    for (PKChoiceButtons *choices : {drive(*d).find<PKChoiceButtons>("postionBtn"),
                                     drive(*d).find<PKChoiceButtons>("dateFormatBtn")}) {
        ASSERT_GE(choices->choices().size(), 4);
        for (const QString &c : choices->choices()) {
            choices->button(c)->click();
            EXPECT_EQ(choices->currentText(), c);
            EXPECT_EQ(ticked(choices), 1) << c.toStdString();
        }
    }
    drive(*d).find<PKChoiceButtons>("postionBtn")->button("Lower right corner")->click();
    drive(*d).find<PKChoiceButtons>("dateFormatBtn")->button("YYYY/MM/DD HH:MM")->click();
    d->preferencesWindow().ResetPreferenceSetting();
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
    EXPECT_EQ(drive(*d).find<PKChoiceButtons>("postionBtn")->currentText(), "Lower left corner");
    EXPECT_EQ(ticked(drive(*d).find<PKChoiceButtons>("postionBtn")), 1);
}

TEST_F(PreferencesWindowTest, OverwritingOriginalsIsConfirmedOnce) {
    drive(*d).find<QRadioButton>("overwritePhotoBtn")->click();
    QMessageBox *box = question();
    ASSERT_TRUE(box);
    EXPECT_EQ(box->icon(), QMessageBox::Warning);
    EXPECT_EQ(box->windowModality(), Qt::WindowModal);
    EXPECT_TRUE(box->informativeText().contains("replace the original file"));
    answer("Cancel");
    EXPECT_FALSE(drive(*d).find<QRadioButton>("overwritePhotoBtn")->isChecked());
    EXPECT_TRUE(drive(*d).find<QRadioButton>("unoverwritePhotoBtn")->isChecked());
    EXPECT_FALSE(userDefaults()->contains("OverwriteOriginalsConfirmed"));
    d->preferencesWindow().ResetPreferenceSetting();
    EXPECT_EQ(stored("PhotoOverWrite"), "NO");

    d->preferencesWindow().ShowPreferenceSetting();
    drive(*d).find<QRadioButton>("overwritePhotoBtn")->click();
    answer("Overwrite Originals");
    EXPECT_TRUE(drive(*d).find<QRadioButton>("overwritePhotoBtn")->isChecked());
    EXPECT_TRUE(userDefaults()->value("OverwriteOriginalsConfirmed").toBool());

    // Confirmed once: later ticks, in this window or after a relaunch, ask nothing.
    drive(*d).find<QRadioButton>("unoverwritePhotoBtn")->click();
    drive(*d).find<QRadioButton>("overwritePhotoBtn")->click();
    EXPECT_EQ(question(), nullptr);
    d->preferencesWindow().ResetPreferenceSetting();
    EXPECT_EQ(stored("PhotoOverWrite"), "YES");
    d.reset();
    d = std::make_unique<AppDelegate>();
    d->launch();
    d->preferencesWindow().ShowPreferenceSetting();
    drive(*d).find<QRadioButton>("unoverwritePhotoBtn")->click();
    drive(*d).find<QRadioButton>("overwritePhotoBtn")->click();
    EXPECT_EQ(question(), nullptr);
    EXPECT_TRUE(drive(*d).find<QRadioButton>("overwritePhotoBtn")->isChecked());
}

TEST_F(PreferencesWindowTest, ShowingStoredOverwritingAsksNothing) {
    d.reset();
    userDefaults()->setValue("PhotoOverWrite", "YES");
    d = std::make_unique<AppDelegate>();
    d->launch();
    d->preferencesWindow().ShowPreferenceSetting();
    EXPECT_TRUE(drive(*d).find<QRadioButton>("overwritePhotoBtn")->isChecked());
    drive(*d).find<QRadioButton>("overwritePhotoBtn")->click();
    EXPECT_EQ(question(), nullptr) << "the originals were already being replaced";
}

TEST_F(PreferencesWindowTest, SaveStoresEverySetting) {
    const QString folder = testHome() + "/Chosen/Not yet there";
    QDir().mkpath(folder);
    chooseFolder(folder);
    EXPECT_EQ(drive(*d).find<QLabel>("storePathlab")->text(), folder);
    // Gone again by the time the user saves: Save makes it.
    ASSERT_TRUE(QDir(folder).removeRecursively());
    EXPECT_NE(d->preferences().storagelocation, folder); // only shown until Save

    drive(*d).find<QRadioButton>("overwritePhotoBtn")->click();
    answer("Overwrite Originals");
    drive(*d).find<QRadioButton>("uncompressStampPhotoBtn")->click();
    drive(*d).find<PKChoiceButtons>("postionBtn")->setCurrentText("Upper right corner");
    drive(*d).find<PKChoiceButtons>("dateFormatBtn")->setCurrentText("DD.MM.YYYY");
    QFont font("DejaVu Sans");
    font.setPointSize(22);
    d->preferencesWindow().changeFont(font);
    EXPECT_EQ(drive(*d).find<QLabel>("showFontlab")->text(), "DejaVu Sans 22");
    drive(*d).find<PKColorWell>("colorwell")->setColor(Qt::red);

    d->preferencesWindow().ResetPreferenceSetting();
    EXPECT_FALSE(drive(*d).find("preferenceWindow")->isVisible());
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
    drive(*d).find<QRadioButton>("unoverwritePhotoBtn")->click();
    drive(*d).find<QRadioButton>("compressStampPhotoBtn")->click();
    d->preferencesWindow().ResetPreferenceSetting();
    EXPECT_EQ(stored("PhotoOverWrite"), "NO");
    EXPECT_EQ(stored("PhotoCompress"), "YES");
    d.reset();
    d = std::make_unique<AppDelegate>();
    d->launch();
    EXPECT_EQ(d->preferences().currentFontColor, QColor(Qt::white));
    EXPECT_EQ(drive(*d).find<PKColorWell>("colorwell")->color(), QColor(Qt::white));
    EXPECT_EQ(d->preferences().currentFontname, "DejaVu Sans");
    EXPECT_EQ(d->preferences().currentFontSize, 22);
    EXPECT_EQ(d->preferences().storagelocation, folder);
    EXPECT_EQ(drive(*d).find<PKChoiceButtons>("postionBtn")->currentText(), "Upper right corner");
}

TEST_F(PreferencesWindowTest, CancelPutsEveryControlBack) {
    confirmOverwriteOnce();
    const QString before = d->preferences().storagelocation;
    const auto storedBefore = userDefaults()->allKeys();
    QDir().mkpath(testHome() + "/Elsewhere");
    chooseFolder(testHome() + "/Elsewhere");
    EXPECT_EQ(drive(*d).find<QLabel>("storePathlab")->text(), testHome() + "/Elsewhere");
    drive(*d).find<QRadioButton>("overwritePhotoBtn")->click();
    drive(*d).find<QRadioButton>("uncompressStampPhotoBtn")->click();
    drive(*d).find<PKChoiceButtons>("postionBtn")->setCurrentText("Upper left corner");
    drive(*d).find<PKChoiceButtons>("dateFormatBtn")->setCurrentText("YYYY.MM.DD");
    QFont font("DejaVu Serif");
    font.setPointSize(30);
    d->preferencesWindow().changeFont(font);
    drive(*d).find<PKColorWell>("colorwell")->setColor(Qt::blue);

    d->preferencesWindow().CancelPreferenceSetting();
    EXPECT_FALSE(drive(*d).find("preferenceWindow")->isVisible());
    EXPECT_EQ(d->preferences().storagelocation, before);
    EXPECT_EQ(stored("storagePath"), before);
    EXPECT_EQ(drive(*d).find<QLabel>("storePathlab")->text(), before);
    // The features read these controls: a cancelled overwrite must not stay on.
    EXPECT_FALSE(drive(*d).find<QRadioButton>("overwritePhotoBtn")->isChecked());
    EXPECT_TRUE(drive(*d).find<QRadioButton>("unoverwritePhotoBtn")->isChecked());
    EXPECT_TRUE(drive(*d).find<QRadioButton>("compressStampPhotoBtn")->isChecked());
    EXPECT_EQ(drive(*d).find<PKChoiceButtons>("postionBtn")->currentText(), "Lower left corner");
    EXPECT_EQ(drive(*d).find<PKChoiceButtons>("dateFormatBtn")->currentText(), "MM/DD/YYYY HH:MM");
    EXPECT_EQ(d->preferences().currentFontname, defaultFontFamily());
    EXPECT_EQ(d->preferences().currentFontSize, 14);
    EXPECT_EQ(drive(*d).find<QLabel>("showFontlab")->text(), defaultFontFamily() + " 14");
    EXPECT_EQ(drive(*d).find<PKColorWell>("colorwell")->color(), QColor(Qt::white));
    EXPECT_EQ(stored("PhotoOverWrite"), "NO");
    EXPECT_EQ(userDefaults()->allKeys(), storedBefore);

    // A Save after the Cancel stores what the controls now show.
    d->preferencesWindow().ResetPreferenceSetting();
    EXPECT_EQ(stored("storagePath"), before);
    EXPECT_EQ(stored("PhotoOverWrite"), "NO");
}

TEST_F(PreferencesWindowTest, ClosingTheWindowIsACancel) {
    confirmOverwriteOnce();
    drive(*d).find<QRadioButton>("overwritePhotoBtn")->click();
    drive(*d).find("preferenceWindow")->close();
    EXPECT_FALSE(drive(*d).find<QRadioButton>("overwritePhotoBtn")->isChecked());
    EXPECT_TRUE(drive(*d).find<QRadioButton>("unoverwritePhotoBtn")->isChecked());
}

TEST_F(PreferencesWindowTest, CancelledFolderChooserChangesNothing) {
    const QString shown = drive(*d).find<QLabel>("storePathlab")->text();
    d->preferencesWindow().ChangeStoreLocation();
    ASSERT_TRUE(d->preferencesWindow().folderPanel());
    QMetaObject::invokeMethod(d->preferencesWindow().folderPanel(), "reject");
    QApplication::processEvents();
    EXPECT_EQ(drive(*d).find<QLabel>("storePathlab")->text(), shown);
}

TEST_F(PreferencesWindowTest, FontPanelStartsAtTheChosenFont) {
    QFont font("DejaVu Serif");
    font.setPointSize(20);
    d->preferencesWindow().changeFont(font);
    d->preferencesWindow().ShowFontPanelAction();
    ASSERT_TRUE(d->preferencesWindow().fontDialog());
    EXPECT_TRUE(d->preferencesWindow().fontDialog()->isVisible());
    EXPECT_EQ(d->preferencesWindow().fontDialog()->currentFont().family(), "DejaVu Serif");
    EXPECT_EQ(d->preferences().currentFontname, "DejaVu Serif")
        << "opening the panel changes nothing";
    EXPECT_EQ(d->preferences().currentFontSize, 20);
    d->preferencesWindow().ResetPreferenceSetting();
    EXPECT_FALSE(d->preferencesWindow().fontDialog()->isVisible());
}
