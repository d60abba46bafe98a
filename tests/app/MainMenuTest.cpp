// The menu bar in the desktop's order, the shortcuts people expect, none twice.
#include "app/AppDelegate.h"
#include "app/core/Settings.h"
#include "browser/DropTargets.h"
#include "browser/MainWindowController.h"
#include "platform/core/Workspace.h"
#include "support/AppDriver.h"
#include "support/JobWait.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QItemSelectionModel>
#include <QListView>
#include <QMainWindow>
#include <QMap>
#include <QMenu>
#include <QMenuBar>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

QString plain(QString title) {
    return title.remove(QLatin1Char('&'));
}

// Every action reachable from `menu`, submenus included, each once.
void collect(QMenu *menu, QList<QAction *> &out, QSet<QMenu *> &seen) {
    if (!menu || seen.contains(menu))
        return;
    seen.insert(menu);
    for (QAction *a : menu->actions()) {
        if (a->isSeparator() || out.contains(a))
            continue;
        out << a;
        collect(a->menu(), out, seen);
    }
}

class MainMenu : public ::testing::Test {
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

    QMenu *menu(const QString &title) {
        for (QAction *a : d->window->menuBar()->actions())
            if (plain(a->text()) == title)
                return a->menu();
        return nullptr;
    }
    QAction *item(const QString &menuTitle, const QString &title) {
        if (QMenu *m = menu(menuTitle))
            for (QAction *a : m->actions())
                if (plain(a->text()) == title)
                    return a;
        return nullptr;
    }
    QList<QAction *> allActions() {
        QList<QAction *> out;
        QSet<QMenu *> seen;
        for (QAction *top : d->window->menuBar()->actions())
            collect(top->menu(), out, seen);
        // Actions that hold shortcuts outside the menus, on the window or its views.
        for (QWidget *w : d->window->findChildren<QWidget *>())
            for (QAction *a : w->actions())
                if (!out.contains(a))
                    out << a;
        return out;
    }

    std::unique_ptr<AppDelegate> d;
};

} // namespace

TEST_F(MainMenu, MenusStandInTheDesktopsOrder) {
    QStringList titles;
    for (QAction *a : d->window->menuBar()->actions())
        titles << plain(a->text());
    EXPECT_EQ(titles, (QStringList{"File", "Edit", "Actions", "Devices", "Help"}));
    for (const QString &title : titles)
        EXPECT_FALSE(title.contains("Photo Kestry")) << title.toStdString();
}

TEST_F(MainMenu, FileHoldsTheWaysInAndQuit) {
    QStringList entries;
    for (QAction *a : menu("File")->actions())
        entries << (a->isSeparator() ? QStringLiteral("-") : plain(a->text()));
    EXPECT_EQ(entries,
              (QStringList{"Add Photos…", "Add Photos or Folders…", "Clear and Add Photos…", "-",
                           "Open Photo Library…", "-", "Quit"}));
    EXPECT_EQ(item("File", "Add Photos…")->shortcut(), QKeySequence("Ctrl+O"));
    EXPECT_EQ(item("File", "Add Photos or Folders…")->shortcut(), QKeySequence("Ctrl+Shift+O"));
    EXPECT_EQ(item("File", "Open Photo Library…")->shortcut(), QKeySequence("Ctrl+Shift+L"));
    EXPECT_EQ(item("File", "Quit")->shortcut(), QKeySequence("Ctrl+Q"));
    EXPECT_EQ(item("File", "Open Photo Library…"),
              drive(*d).find<QAction>("openPhotoLibraryMenuItem"));
}

TEST_F(MainMenu, PreferencesInEditAboutAndUpdatesInHelp) {
    QAction *prefs = item("Edit", "Preferences…");
    ASSERT_NE(prefs, nullptr);
    EXPECT_EQ(prefs->shortcut(), QKeySequence("Ctrl+,"));
    EXPECT_EQ(item("Edit", "Select All")->shortcut(), QKeySequence("Ctrl+A"));
    QAction *about = item("Help", "About Photo Kestry");
    ASSERT_NE(about, nullptr);
    EXPECT_TRUE(about->shortcuts().isEmpty());
    EXPECT_NE(item("Help", "Check for Updates…"), nullptr);
    for (const char *title : {"Photo Kestry Guide", "Video Guides", "Support"})
        EXPECT_NE(item("Help", title), nullptr) << title;
    EXPECT_EQ(item("Devices", "Show iOS Devices"), drive(*d).find<QAction>("changtoiOSmodemenu"));
    EXPECT_EQ(item("Actions", "Remove Selected Photos from List")->shortcut(),
              QKeySequence(QKeySequence::Delete));

    prefs->trigger();
    EXPECT_TRUE(drive(*d).find("preferenceWindow")->isVisible());
    about->trigger();
    EXPECT_TRUE(drive(*d).find("aboutWindow")->isVisible());
}

TEST_F(MainMenu, NoTwoActionsShareAShortcut) {
    QMap<QString, QString> owner; // shortcut → action
    QStringList clashes;
    int withShortcut = 0;
    for (QAction *a : allActions()) {
        if (!a->shortcuts().isEmpty())
            ++withShortcut;
        for (const QKeySequence &key : a->shortcuts()) {
            const QString k = key.toString(QKeySequence::PortableText);
            if (owner.contains(k) && owner.value(k) != a->text())
                clashes << QStringLiteral("%1: %2 and %3").arg(k, owner.value(k), a->text());
            owner.insert(k, a->text());
        }
    }
    EXPECT_TRUE(clashes.isEmpty()) << clashes.join("\n").toStdString();
    EXPECT_GE(withShortcut, 8);
}

TEST_F(MainMenu, EveryFormerItemIsStillThere) {
    // The items of the program-named menu and of the former File and Help menus, moved.
    QStringList all;
    for (QAction *a : allActions())
        all << plain(a->text());
    for (const char *title : {"Add Photos…",
                              "Add Photos or Folders…",
                              "Clear and Add Photos…",
                              "Open Photo Library…",
                              "Preferences…",
                              "Check for Updates…",
                              "Quit",
                              "About Photo Kestry",
                              "Photo Kestry Guide",
                              "Video Guides",
                              "Support",
                              "Paste All Metadata",
                              "Copy GPS data from a selected photo",
                              "Remove Metadata",
                              "Import and Export Metadata",
                              "Edit Photo Metadata…",
                              "Merge XMP Sidecar Files…",
                              "Dates",
                              "Copy Tags",
                              "Name Copies after the Place",
                              "Remove GPS Data",
                              "Apply Template…",
                              "Show iOS Devices"})
        EXPECT_TRUE(all.contains(QString::fromUtf8(title))) << title;
}

TEST_F(MainMenu, SelectAllAndDelActOnTheLocalList) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QStringList files{copyFixture("wedding.jpg", dir.path()),
                            copyFixture("Fritest.jpeg", dir.path())};
    ASSERT_FALSE(files.contains(QString()));
    d->openLaunchPaths(files);
    ASSERT_TRUE(waitForJobs(*d));
    ASSERT_EQ(d->localLists().localPhotoItemArray.size(), 2);

    d->window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(d->window));
    // From the menu, wherever the focus is.
    item("Edit", "Select All")->trigger();
    auto *localList = drive(*d).find<QListView>("localImageBrowserView");
    auto *libraryList = drive(*d).find<QListView>("photoLibBrowserView");
    ASSERT_TRUE(localList && libraryList);
    EXPECT_EQ(localList->selectionModel()->selectedIndexes().size(), 2);

    // In the library view, Del must not take anything off the hidden local list.
    drive(*d).find("localphotoView")->hide();
    drive(*d).find("photolibView")->show();
    libraryList->setFocus();
    QTest::keyClick(libraryList, Qt::Key_Delete);
    EXPECT_EQ(d->localLists().localPhotoItemArray.size(), 2);

    drive(*d).find("photolibView")->hide();
    drive(*d).find("localphotoView")->show();
    localList->setFocus();
    QTest::keyClick(localList, Qt::Key_Delete);
    EXPECT_TRUE(d->localLists().localPhotoItemArray.isEmpty());
    // Off the list only: the files stay.
    for (const QString &f : files)
        EXPECT_TRUE(QFileInfo::exists(f)) << f.toStdString();
}
