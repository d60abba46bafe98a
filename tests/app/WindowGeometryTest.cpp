// The main window comes back where the user left it; photos named on the command line
// arrive in the local list.
#include "app/AppDelegate.h"
#include "app/core/Settings.h"
#include "app/core/WindowPlacement.h"
#include "browser/MainWindowController.h"
#include "platform/core/Workspace.h"
#include "support/AppDriver.h"
#include "support/JobWait.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QMainWindow>
#include <QScreen>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class WindowGeometry : public ::testing::Test {
  protected:
    void SetUp() override {
        clearUserDefaults();
        Workspace::setUrlOpener([](const QUrl &) { return true; });
    }
    void TearDown() override { Workspace::setUrlOpener({}); }

    static std::unique_ptr<AppDelegate> launch() {
        auto d = std::make_unique<AppDelegate>();
        d->launch();
        return d;
    }
    static QRect screenArea(AppDelegate &d) { return d.window->screen()->availableGeometry(); }
};

} // namespace

TEST_F(WindowGeometry, FirstLaunchCentresTheWindowOnTheScreen) {
    auto d = launch();
    const QRect area = screenArea(*d);
    const QRect frame = d->window->geometry();
    EXPECT_TRUE(area.contains(frame));
    EXPECT_EQ(frame.size(), kMainWindowDefaultSize.boundedTo(area.size()));
    EXPECT_LE(std::abs(frame.center().x() - area.center().x()), 1);
    EXPECT_LE(std::abs(frame.center().y() - area.center().y()), 1);
    EXPECT_TRUE(storedMainWindowGeometry(*userDefaults()).isEmpty());
}

TEST_F(WindowGeometry, ClosingKeepsTheSizeAndPlaceForTheNextLaunch) {
    // The least the window takes: never smaller than the default least, wider where its
    // bars need it.
    const auto [area, size] = [] {
        auto d = launch();
        return std::pair(screenArea(*d), d->window->minimumSize());
    }();
    EXPECT_EQ(size.boundedTo(kMainWindowMinimumSize.boundedTo(area.size())),
              kMainWindowMinimumSize.boundedTo(area.size()));
    const QRect chosen(area.topLeft() + QPoint(10, 20), size);
    {
        auto d = launch();
        d->window->setGeometry(chosen);
        ASSERT_EQ(d->window->geometry(), chosen);
        d->window->close(); // as the title bar's close button or File ▸ Quit does
    }
    EXPECT_FALSE(storedMainWindowGeometry(*userDefaults()).isEmpty());
    auto next = launch();
    EXPECT_EQ(next->window->geometry(), chosen);
}

TEST_F(WindowGeometry, QuitFromTheMenuKeepsTheGeometryToo) {
    QRect chosen;
    {
        auto d = launch();
        QAction *quit = d->window->findChild<QAction *>("quitMenuItem");
        ASSERT_NE(quit, nullptr);
        const QRect area = screenArea(*d);
        chosen =
            QRect(area.topLeft() + QPoint(30, 40), d->window->minimumSize().boundedTo(area.size()));
        d->window->setGeometry(chosen);
        quit->trigger();
        EXPECT_FALSE(d->window->isVisible());
    }
    ASSERT_FALSE(storedMainWindowGeometry(*userDefaults()).isEmpty());
    auto next = launch();
    EXPECT_EQ(next->window->geometry(), chosen);
}

TEST_F(WindowGeometry, AStoredValueThatIsNoGeometryGivesTheFirstLaunchPlace) {
    userDefaults()->setValue(QLatin1String(SettingsKey::MainWindowGeometry),
                             QByteArray("not a geometry"));
    auto d = launch();
    const QRect area = screenArea(*d);
    EXPECT_TRUE(area.contains(d->window->geometry()));
    EXPECT_EQ(d->window->size(), kMainWindowDefaultSize.boundedTo(area.size()));
}

TEST_F(WindowGeometry, PhotosNamedAtLaunchArriveInTheLocalList) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString photo = copyFixture("St James Park.jpg", dir.path());
    const QString video = copyFixture("clip.mp4", dir.path());
    ASSERT_FALSE(photo.isEmpty());
    ASSERT_FALSE(video.isEmpty());
    auto d = launch();
    d->openLaunchPaths({photo, video, dir.path() + "/missing.jpg"});
    ASSERT_TRUE(waitForJobs(*d));
    QStringList paths;
    for (const IKImageItemPtr &item : d->localLists().localPhotoItemArray)
        paths << item->filePath;
    EXPECT_EQ(paths, (QStringList{photo, video}));
    EXPECT_TRUE(drive(*d).find("leftphotoScrView")->isVisible());
    EXPECT_FALSE(drive(*d).find("leftTipView")->isVisible());
    // The missing one is named, not silently dropped.
    auto *alert = d->window->findChild<QWidget *>("importProblemsAlert");
    ASSERT_NE(alert, nullptr);
}
