#include "app/AppDelegate.h"
#include "app/PreferencesWindow.h"
#include "app/Sheets.h"
#include "app/core/MakerSite.h"
#include "app/core/Settings.h"
#include "app/core/WindowPlacement.h"
#include "batch/NamingWindows.h"
#include "browser/DropTargets.h"
#include "browser/MainWindowController.h"
#include "metadata/Clipboard.h"
#include "metadata/DateWindows.h"
#include "platform/ChoiceButtons.h"
#include "platform/core/Workspace.h"
#include "support/AppDriver.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMainWindow>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSet>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

QStringList itemsOf(QComboBox *box) {
    QStringList out;
    for (int i = 0; i < box->count(); ++i)
        out << box->itemText(i);
    return out;
}

QMap<QString, QString> storedSettings() {
    QMap<QString, QString> out;
    auto defaults = userDefaults();
    for (const QString &key : defaults->allKeys())
        out.insert(key, defaults->value(key).toString());
    return out;
}

class Launch : public ::testing::Test {
  protected:
    void SetUp() override {
        clearUserDefaults();
        QDir(defaultStoragePath()).removeRecursively();
        QDir(applicationSupportFolder()).removeRecursively();
        opened.clear();
        Workspace::setUrlOpener([this](const QUrl &url) {
            opened << url;
            return true;
        });
    }
    void TearDown() override { Workspace::setUrlOpener({}); }

    std::unique_ptr<AppDelegate> launch() {
        auto d = std::make_unique<AppDelegate>();
        d->launch();
        return d;
    }

    QList<QUrl> opened;
};

} // namespace

TEST_F(Launch, FirstStartWritesEachMissingDefaultOnce) {
    auto d = launch();
    EXPECT_EQ(AppDelegate::GetAppDelegater(), d.get());

    const auto stored = storedSettings();
    EXPECT_EQ(QSet<QString>(stored.keyBegin(), stored.keyEnd()),
              (QSet<QString>{"storagePath", "fontName", "fontsize", "Postion", "Dateformat",
                             "FirstStartData", "PhotoCompress", "PhotoOverWrite"}));
    EXPECT_EQ(stored.value("storagePath"), testHome() + "/Pictures/com.Tavelund.lumavistforios");
    EXPECT_EQ(stored.value("fontName"), defaultFontFamily());
    EXPECT_TRUE(QFontDatabase::families().contains(stored.value("fontName")));
    EXPECT_EQ(stored.value("fontsize"), "14");
    EXPECT_EQ(stored.value("Postion"), "Lower left corner");
    EXPECT_EQ(stored.value("Dateformat"), "MM/DD/YYYY HH:MM");
    EXPECT_EQ(stored.value("FirstStartData"), "YES");
    EXPECT_EQ(stored.value("PhotoCompress"), "YES");
    EXPECT_EQ(stored.value("PhotoOverWrite"), "NO");

    EXPECT_TRUE(QFileInfo(d->preferences().storagelocation).isDir());
    EXPECT_TRUE(QFileInfo(testHome() + "/.local/share/PhotoKestry/backup").isDir());
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened.first(), welcomePageUrl());

    EXPECT_EQ(drive(*d).find<QLabel>("storePathlab")->text(), d->preferences().storagelocation);
    EXPECT_EQ(drive(*d).find<QLabel>("showFontlab")->text(), defaultFontFamily() + " 14");
    EXPECT_EQ(d->preferences().currentFontname, defaultFontFamily());
    EXPECT_EQ(d->preferences().currentFontSize, 14);
    EXPECT_EQ(d->preferences().currentFontColor, QColor(Qt::white));
    EXPECT_TRUE(drive(*d).find<QRadioButton>("compressStampPhotoBtn")->isChecked());
    EXPECT_FALSE(drive(*d).find<QRadioButton>("uncompressStampPhotoBtn")->isChecked());
    EXPECT_TRUE(drive(*d).find<QRadioButton>("unoverwritePhotoBtn")->isChecked());
    EXPECT_FALSE(drive(*d).find<QRadioButton>("overwritePhotoBtn")->isChecked());
    EXPECT_EQ(drive(*d).find<QLineEdit>("filenameFormatstrlab")->text(), "{ExistingFileName}");
}

TEST_F(Launch, SecondStartWritesNothingAndOpensNoPage) {
    launch().reset();
    const auto before = storedSettings();
    opened.clear();
    auto d = launch();
    EXPECT_EQ(storedSettings(), before);
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_EQ(drive(*d).find<PKChoiceButtons>("postionBtn")->currentText(), "Lower left corner");
    EXPECT_EQ(drive(*d).find<PKChoiceButtons>("dateFormatBtn")->currentText(), "MM/DD/YYYY HH:MM");
}

TEST_F(Launch, StoredValuesReachTheControls) {
    {
        auto defaults = userDefaults();
        defaults->setValue("storagePath", testHome() + "/Elsewhere/out");
        defaults->setValue("fontName", "DejaVu Serif");
        // "fontsize" lost: stamps must not come out at size 0.
        defaults->setValue("Postion", "Upper right corner");
        defaults->setValue("Dateformat", "YYYY.MM.DD");
        defaults->setValue("FirstStartData", "YES");
        defaults->setValue("PhotoCompress", "maybe");
        defaults->setValue("PhotoOverWrite", "YES");
    }
    auto d = launch();
    EXPECT_EQ(d->preferences().storagelocation, testHome() + "/Elsewhere/out");
    EXPECT_TRUE(QFileInfo(d->preferences().storagelocation).isDir());
    EXPECT_EQ(d->preferences().currentFontSize, 14);
    EXPECT_EQ(drive(*d).find<QLabel>("showFontlab")->text(), "DejaVu Serif 14");
    EXPECT_EQ(drive(*d).find<PKChoiceButtons>("postionBtn")->currentText(), "Upper right corner");
    EXPECT_EQ(drive(*d).find<PKChoiceButtons>("dateFormatBtn")->currentText(), "YYYY.MM.DD");
    EXPECT_FALSE(drive(*d).find<QRadioButton>("compressStampPhotoBtn")->isChecked());
    EXPECT_TRUE(drive(*d).find<QRadioButton>("uncompressStampPhotoBtn")->isChecked());
    EXPECT_TRUE(drive(*d).find<QRadioButton>("overwritePhotoBtn")->isChecked());
    EXPECT_FALSE(drive(*d).find<QRadioButton>("unoverwritePhotoBtn")->isChecked());
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_FALSE(userDefaults()->contains("fontsize"));
}

TEST_F(Launch, AStoredFontThatIsNotInstalledGivesWayToTheDesktopFont) {
    ASSERT_FALSE(QFontDatabase::families().contains("Lucida Grande"));
    userDefaults()->setValue("fontName", "Lucida Grande");
    userDefaults()->setValue("fontsize", 18);
    auto d = launch();
    EXPECT_EQ(d->preferences().currentFontname, defaultFontFamily());
    EXPECT_TRUE(QFontDatabase::families().contains(d->preferences().currentFontname));
    EXPECT_EQ(d->preferences().currentFontSize, 18);
    EXPECT_EQ(drive(*d).find<QLabel>("showFontlab")->text(), defaultFontFamily() + " 18");
    // The store keeps the name: the font may be installed later.
    EXPECT_EQ(userDefaults()->value("fontName").toString(), "Lucida Grande");
    // A Cancel in the preferences window reads the store again, and falls back again.
    d->preferencesWindow().CancelPreferenceSetting();
    EXPECT_EQ(d->preferences().currentFontname, defaultFontFamily());
}

TEST_F(Launch, AnyOverwriteValueButNoTurnsOverwriteOn) {
    for (const char *value : {"YES", "yes", "1", ""}) {
        userDefaults()->setValue("PhotoOverWrite", QString::fromLatin1(value));
        auto d = launch();
        EXPECT_TRUE(drive(*d).find<QRadioButton>("overwritePhotoBtn")->isChecked()) << value;
        EXPECT_FALSE(drive(*d).find<QRadioButton>("unoverwritePhotoBtn")->isChecked()) << value;
    }
}

TEST_F(Launch, StorageFolderThatCannotBeCreatedIsReported) {
    const QString blocker = testHome() + "/blocker";
    QFile f(blocker);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    userDefaults()->setValue("storagePath", blocker + "/photos");
    auto d = launch();
    const auto alerts = d->window->findChildren<QMessageBox *>();
    ASSERT_EQ(alerts.size(), 1);
    QPointer<QMessageBox> alert = alerts.first();
    EXPECT_TRUE(alert->informativeText().contains(blocker + "/photos"));
    EXPECT_TRUE(alert->informativeText().contains("is a file"));
    EXPECT_TRUE(alert->isVisible());
    alert->buttons().first()->click();
    EXPECT_TRUE(alert.isNull() || !alert->isVisible());
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(alert.isNull());
}

TEST_F(Launch, MainWindowFitsTheScreenAndKeepsAMinimum) {
    auto d = launch();
    const QRect screen = d->window->screen()->availableGeometry();
    // The least size is the default least, wider where the views' bars need it to show
    // every button whole, and never more than the screen.
    EXPECT_EQ(d->window->minimumHeight(), minimumWindowSize(screen).height());
    EXPECT_GE(d->window->minimumWidth(), minimumWindowSize(screen).width());
    EXPECT_LE(d->window->minimumWidth(), screen.width());
    EXPECT_TRUE(screen.contains(d->window->geometry()));
    EXPECT_EQ(d->window->size(), kMainWindowDefaultSize.boundedTo(screen.size()));
    d->window->resize(200, 150);
    EXPECT_GE(d->window->width(), d->window->minimumWidth());
    EXPECT_GE(d->window->height(), d->window->minimumHeight());
    EXPECT_TRUE(drive(*d).find("localphotoView")->isVisible());
    EXPECT_FALSE(drive(*d).find("photolibView")->isVisible());
    EXPECT_TRUE(drive(*d).find("leftTipView")->isVisible());
    EXPECT_FALSE(drive(*d).find("leftphotoScrView")->isVisible());
    for (QListView *b :
         std::initializer_list<QListView *>{drive(*d).find<QListView>("imageBrowserView"),
                                            drive(*d).find<QListView>("localImageBrowserView"),
                                            drive(*d).find<QListView>("photoLibBrowserView")}) {
        EXPECT_EQ(b->iconSize(), QSize(85, 85));
        EXPECT_EQ(b->viewMode(), QListView::IconMode);
    }
    EXPECT_FALSE(drive(*d).find<QAction>("pasteExifMenuItem")->isEnabled());
    EXPECT_FALSE(drive(*d).find<QAction>("pasteAllPhotoMetaMenuItem")->isEnabled());
    EXPECT_FALSE(drive(*d).find<QPushButton>("deletePhotoBtn")->isEnabled());
    EXPECT_FALSE(drive(*d).find<QComboBox>("renameDateFormatBtn")->isEnabled());
    EXPECT_EQ(drive(*d).find<QAction>("quickActionMenu")->menu(),
              drive(*d).find<QMenu>("removeExifMenu"));
    EXPECT_EQ(drive(*d).find<QAction>("exportandimportActionMenu")->menu(),
              drive(*d).find<QMenu>("importandExportMenu"));
}

TEST_F(Launch, InitialStateOfTheApplicationObject) {
    auto d = launch();
    EXPECT_TRUE(d->mainWindowController().localMode());
    EXPECT_FLOAT_EQ(d->preferences().currentCompressNum, 0.9f);
    EXPECT_TRUE(d->selection().currentExifDictionary.isEmpty());
    EXPECT_TRUE(d->selection().currentChooseFilePath.isNull());
    for (const QString *s :
         {&d->selection().oldTitleStr, &d->selection().oldGpsTimeStr,
          &d->selection().currentLocationStr, &d->library().currentPhotolibPath}) {
        EXPECT_TRUE(s->isEmpty());
        EXPECT_FALSE(s->isNull());
    }
    EXPECT_TRUE(d->mainWindowController().importedFolder().isEmpty());
    EXPECT_TRUE(d->localLists().localPhotoItemArray.isEmpty());
    EXPECT_TRUE(drive(*d).clipboard().copied(Clipboard::Section::Gps).isEmpty());
    EXPECT_FALSE(drive(*d).clipboard().holds(Clipboard::Section::Exif));
    d.reset();
    EXPECT_EQ(AppDelegate::GetAppDelegater(), nullptr);
}

TEST_F(Launch, CheckBoxTitlesAndPopUpMenus) {
    auto d = launch();
    EXPECT_EQ(drive(*d).find<QCheckBox>("keepFileNameBtn")->text(), "Keep existing file name text");
    EXPECT_EQ(drive(*d).find<QCheckBox>("replaceInvaidStrBtn")->text(),
              "Replace invalid characters with _");
    EXPECT_EQ(drive(*d).find<QCheckBox>("seqNumBtn")->text(), "Start number at: 1");
    EXPECT_EQ(drive(*d).find<QCheckBox>("checkKeepLastFileName")->text(),
              "Keep the last part of the filename string (A string of filename separated by "
              "spaces and '-' delimiters.)");
    EXPECT_EQ(drive(*d).find<QCheckBox>("checkRemoveFirstFileName")->text(),
              "Remove the first part of the filename string (A string of filename separated by "
              "spaces and '-' delimiters.)");
    EXPECT_EQ(drive(*d).find<QRadioButton>("overwritePhotoBtn")->text(),
              "Overwrite original photos with the changed photos");
    EXPECT_EQ(drive(*d).find<QRadioButton>("unoverwritePhotoBtn")->text(),
              "Save the changed photos to another location:");
    EXPECT_EQ(drive(*d).find<QRadioButton>("compressStampPhotoBtn")->text(),
              "Lossless compression of changed photos");
    EXPECT_EQ(
        drive(*d).text("photolibKeepPhotoMetaBtn"),
        "Keep edited photo metadata tags(Title, Caption, keywords, GPS data) in photo library");
    EXPECT_EQ(drive(*d).find<QCheckBox>("copyOrigFileNameBtn")->text(),
              "Copy the filename from the original photo to the referenced file in the photo "
              "library");
    EXPECT_EQ(drive(*d).find<QPushButton>("AddTimeBtn")->text(), "Add Time");
    EXPECT_EQ(drive(*d).find<QPushButton>("RemoveTimeBtn")->text(), "Subtract Time");

    EXPECT_EQ(drive(*d).find<PKChoiceButtons>("postionBtn")->choices(),
              (QStringList{"Upper left corner", "Upper right corner", "Lower left corner",
                           "Lower right corner"}));
    EXPECT_EQ(drive(*d).find<PKChoiceButtons>("postionBtn")->currentText(), "Lower left corner");
    EXPECT_EQ(drive(*d).find<PKChoiceButtons>("dateFormatBtn")->choices(),
              (QStringList{"MM/DD/YYYY HH:MM", "DD/MM/YYYY HH:MM", "YYYY/MM/DD HH:MM", "MM.DD.YYYY",
                           "DD.MM.YYYY", "YYYY.MM.DD"}));
    EXPECT_EQ(drive(*d).find<QComboBox>("renameDateFormatBtn")->count(), 12);
    EXPECT_EQ(drive(*d).find<QComboBox>("renameDateFormatBtn")->currentText(),
              "Please Choose Date format");
    EXPECT_EQ(drive(*d).find<QComboBox>("renameDateFormatBtn")->itemText(11), "DDMMYYYY HHMMss");
    EXPECT_EQ(itemsOf(drive(*d).find<QComboBox>("tagpostionButton")),
              (QStringList{"the beginning of filename", "the end of filename"}));
    EXPECT_EQ(drive(*d).find<QComboBox>("tagpostionButton")->currentIndex(), 0);
    EXPECT_EQ(drive(*d).find<QComboBox>("addTagsButton")->count(), 11);
    EXPECT_EQ(drive(*d).find<QComboBox>("addTagsButton")->currentText(),
              "Insert photo metadata tag(s)");
    EXPECT_EQ(itemsOf(drive(*d).find<QComboBox>("AddDateUnitBtn")),
              (QStringList{"Second", "Minute", "Hour"}));
    EXPECT_EQ(drive(*d).find<QComboBox>("AddDateUnitBtn")->currentText(), "Second");
    EXPECT_EQ(drive(*d).find<QComboBox>("useFileNameAsTitlePopButton")->currentText(),
              "Use entire File Name as Photo Title");
    EXPECT_EQ(drive(*d).find<QComboBox>("useFileNameAsTitlePopButton")->count(), 3);
    EXPECT_EQ(drive(*d).find<QComboBox>("changephotoTitle_addPhotoTagsPopButton")->itemText(2),
              "Caption/Description");
    EXPECT_EQ(drive(*d).find<QComboBox>("changephotoTitle_addPhotoTagsPopButton")->currentText(),
              "Add photo metadata tag(s)");
}

TEST_F(Launch, CommonSheetEndClosesOnlyOnTheDefaultButton) {
    auto d = launch();
    QWidget sheet(d->window, Qt::Sheet);
    sheet.show();
    d->sheets().savePanelDidEnd3(&sheet, 0);
    EXPECT_TRUE(sheet.isVisible());
    d->sheets().savePanelDidEnd3(&sheet, -1);
    EXPECT_TRUE(sheet.isVisible());
    d->sheets().savePanelDidEnd3(&sheet, 1);
    EXPECT_FALSE(sheet.isVisible());
    d->sheets().savePanelDidEnd3(nullptr, 1);
}
