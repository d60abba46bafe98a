#include "browser/DropTargets.h"
#include "browser/PRButton.h"
#include "browser/PRProgressView.h"
#include "browser/core/DragRules.h"
#include "platform/core/NotificationCenter.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

struct Recorder : QObject {
    QStringList seen;
    QList<QObject *> senders;
    void watch(const char *name) {
        NotificationCenter::defaultCenter().addObserver(this, QLatin1String(name),
                                                        [this, name](QObject *sender) {
                                                            seen << QLatin1String(name);
                                                            senders << sender;
                                                        });
    }
    ~Recorder() override { NotificationCenter::defaultCenter().removeObserver(this); }
};

QList<QUrl> urls(const QStringList &paths) {
    QList<QUrl> out;
    for (const QString &p : paths)
        out << QUrl::fromLocalFile(p);
    return out;
}

} // namespace

TEST(Notifications, DeliveredAtOnceInRegistrationOrderUntilTheObserverGoes) {
    QStringList order;
    auto first = std::make_unique<QObject>();
    QObject second;
    NotificationCenter &nc = NotificationCenter::defaultCenter();
    nc.addObserver(first.get(), "Test", [&](QObject *) { order << "first"; });
    nc.addObserver(&second, "Test", [&](QObject *o) { order << (o == &second ? "me" : "?"); });
    nc.postNotificationName("Test", &second);
    EXPECT_EQ(order, (QStringList{"first", "me"}));
    first.reset();
    nc.postNotificationName("Test", &second);
    nc.postNotificationName("Other", &second);
    EXPECT_EQ(order, (QStringList{"first", "me", "me"}));
    nc.removeObserver(&second);
}

TEST(Controls, ButtonsActOnMouseDownOnlyThroughNotifications) {
    Recorder r;
    r.watch(kMybuttonMouseDown);
    r.watch(kMyClosebuttonMouseDown);
    PRButton button("Go");
    PRClosedButton close;
    QSignalSpy clicked(&button, &QPushButton::clicked);
    QTest::mousePress(&button, Qt::LeftButton);
    EXPECT_EQ(r.seen, QStringList{kMybuttonMouseDown});
    EXPECT_EQ(r.senders.first(), &button);
    QTest::mouseRelease(&button, Qt::LeftButton);
    EXPECT_EQ(clicked.count(), 0);
    EXPECT_FALSE(button.isDown());
    QTest::mousePress(&close, Qt::LeftButton);
    EXPECT_EQ(r.seen.last(), QLatin1String(kMyClosebuttonMouseDown));
}

TEST(DragRules, OnlyTheFirstItemIsJudged) {
    QTemporaryDir dir;
    const QString folder = dir.filePath("album");
    QDir().mkpath(folder);
    EXPECT_TRUE(acceptsDrag(urls({"/x/a.JPG", "/x/readme.txt"}), false));
    EXPECT_TRUE(acceptsDrag(urls({"/x/clip.mov"}), false));
    EXPECT_FALSE(acceptsDrag(urls({"/x/readme.txt", "/x/a.jpg"}), true));
    EXPECT_FALSE(acceptsDrag(urls({folder}), false));
    EXPECT_TRUE(acceptsDrag(urls({folder, "/x/readme.txt"}), true));
    EXPECT_FALSE(acceptsDrag({}, true));
    EXPECT_FALSE(acceptsDrag({QUrl("https://example.org/a.jpg")}, true));
    EXPECT_EQ(dropTargetNotification(urls({folder})),
              QLatin1String(kNSDragOperationImageViewFolderNote));
    EXPECT_EQ(dropTargetNotification(urls({"/x/a.jpg", folder})),
              QLatin1String(kNSDragOperationImageViewNote));
}

TEST(DropTargets, DropsReplaceTheListAndPostTheirNote) {
    QTemporaryDir dir;
    const QString folder = dir.filePath("album");
    QDir().mkpath(folder);
    Recorder r;
    r.watch(kNSDragOperationImageNote);
    r.watch(kNSDragOperationImageViewNote);
    r.watch(kNSDragOperationImageViewFolderNote);

    PRDragImageView pane;
    EXPECT_TRUE(pane.acceptDrops());
    EXPECT_TRUE(pane.geturlArray().isEmpty());
    pane.performDrop(urls({"/x/a.jpg", folder, "/x/b.png"}));
    EXPECT_EQ(r.seen.last(), QLatin1String(kNSDragOperationImageViewNote));
    EXPECT_EQ(pane.geturlArray().size(), 3);
    pane.performDrop(urls({folder}));
    EXPECT_EQ(r.seen.last(), QLatin1String(kNSDragOperationImageViewFolderNote));
    EXPECT_EQ(pane.geturlArray(), urls({folder}));

    NSDragImageBrowserView browser;
    browser.performDrop(urls({"/x/a.jpg", "/x/b.jpg"}));
    EXPECT_EQ(r.seen.last(), QLatin1String(kNSDragOperationImageNote));
    EXPECT_EQ(r.senders.last(), &browser);
    EXPECT_EQ(browser.geturlArray().size(), 2);
}

TEST(ProgressView, BarWidthFollowsTheValue) {
    PRProgressView bar;
    bar.resize(200, 12);
    bar.setProgressValue(0);
    EXPECT_TRUE(bar.barRect().isEmpty());
    bar.setProgressValue(1.5f);
    EXPECT_TRUE(bar.barRect().isEmpty());
    bar.setProgressValue(1);
    EXPECT_DOUBLE_EQ(bar.barRect().width(), 196);
    bar.setProgressValue(0.01f);
    EXPECT_DOUBLE_EQ(bar.barRect().width(), 2);
    bar.setProgressValue(0.5f);
    EXPECT_DOUBLE_EQ(bar.barRect().width(), 96);
}
