#include "app/core/UpdateCheck.h"
#include "app/AppDelegate.h"
#include "app/PRUpdateController.h"
#include "platform/core/Workspace.h"
#include "support/LocalHttpServer.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QMainWindow>
#include <QMessageBox>
#include <QWidget>
#include <gtest/gtest.h>
#include <memory>

namespace {
QByteArray httpOk(const QByteArray &body) {
    return "HTTP/1.1 200 OK\r\nContent-Type: application/xml\r\nContent-Length: " +
           QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

QByteArray versionPlist(const QByteArray &version, const QByteArray &news) {
    QByteArray keys;
    if (!version.isNull())
        keys += "<key>lastestVersion</key><string>" + version + "</string>";
    if (!news.isNull())
        keys += "<key>WhatsNew</key><string>" + news + "</string>";
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE plist PUBLIC \"-//Apple//DTD "
           "PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
           "<plist version=\"1.0\"><dict>" +
           keys + "</dict></plist>\n";
}

enum class Shown { Update, UpToDate, Failure, Nothing };

struct Check {
    std::unique_ptr<PRUpdateController> controller = std::make_unique<PRUpdateController>();

    Shown run(const QUrl &site, const QString &current, bool asked = true) {
        qputenv("PHOTOKESTRY_UPDATE_SITE", site.toString().toUtf8());
        controller->hidUpdateWindow();
        controller->currentVersion = current;
        controller->checkUpdate = asked;
        controller->checkServerVersion();
        waitFor([&] { return controller->connect.isNull(); });
        qunsetenv("PHOTOKESTRY_UPDATE_SITE");
        if (controller->window()->isVisible())
            return Shown::Update;
        if (controller->noUpdateWindow->isVisible())
            return Shown::UpToDate;
        if (controller->failureAlert && controller->failureAlert->isVisible())
            return Shown::Failure;
        return Shown::Nothing;
    }
};
} // namespace

TEST(UpdateCheck, VersionsCompareNumberByNumber) {
    EXPECT_TRUE(CompareOneString("3.2.1", "3.2.0"));
    EXPECT_FALSE(CompareOneString("3.2.1", "3.2.1"));
    EXPECT_TRUE(CompareOneString("3.10", "3.9.1"));
    EXPECT_FALSE(CompareOneString("2.1.10", "2.2"));
    EXPECT_TRUE(CompareOneString("3.2.0.1", "3.2"));
    EXPECT_FALSE(CompareOneString("3.2.0", "3.2"));
    EXPECT_FALSE(CompareOneString("", "1.0"));
    EXPECT_TRUE(CompareOneString("1.0", ""));
    EXPECT_EQ(whatsNewText("Faster*Safer"), "Faster\nSafer");
}

TEST(UpdateCheck, OnlyHttpsOrThisComputer) {
    EXPECT_TRUE(isAcceptableUpdateUrl(QUrl("https://www.photokestry.com/product/x.plist")));
    EXPECT_TRUE(isAcceptableUpdateUrl(QUrl("http://127.0.0.1:8080/product/x.plist")));
    EXPECT_TRUE(isAcceptableUpdateUrl(QUrl("http://localhost/product/x.plist")));
    EXPECT_FALSE(isAcceptableUpdateUrl(QUrl("http://www.photokestry.com/product/x.plist")));
    EXPECT_FALSE(isAcceptableUpdateUrl(QUrl("ftp://127.0.0.1/x")));
    qputenv("PHOTOKESTRY_UPDATE_SITE", "https://mirror.example/base/");
    EXPECT_EQ(versionListUrl().toString(),
              "https://mirror.example/product/photokestryVersion.plist");
    qunsetenv("PHOTOKESTRY_UPDATE_SITE");
    const QByteArray maker = qgetenv("PHOTOKESTRY_MAKER_SITE");
    qunsetenv("PHOTOKESTRY_MAKER_SITE");
    EXPECT_EQ(versionListUrl().scheme(), QStringLiteral("https"));
    EXPECT_EQ(downloadPageUrl().scheme(), QStringLiteral("https"));
    if (!maker.isNull())
        qputenv("PHOTOKESTRY_MAKER_SITE", maker);
}

TEST(UpdateCheck, AnswersOfTheServer) {
    QByteArray answer;
    CannedHttpServer server([&](const QByteArray &) { return answer; });
    ASSERT_TRUE(server.isListening());

    {
        Check c;
        answer = httpOk(versionPlist("3.2.1", "Faster import*Safer writes"));
        EXPECT_EQ(c.run(server.base(), "3.2.0"), Shown::Update);
        EXPECT_EQ(server.targets.last(), "/product/photokestryVersion.plist");
        EXPECT_EQ(c.controller->newversionlab->text(), "Tavelund Photo Kestry 3.2.1 is available.");
        EXPECT_EQ(c.controller->currentversionlab->text(),
                  "You are using 3.2.0 version. Would you like to download it now?");
        EXPECT_EQ(c.controller->whatsnewContentView->text(), "Faster import\nSafer writes");
        QUrl opened;
        Workspace::setUrlOpener([&](const QUrl &u) {
            opened = u;
            return true;
        });
        c.controller->ClickGoDownloadAction();
        Workspace::setUrlOpener({});
        EXPECT_EQ(opened, downloadPageUrl());
        EXPECT_TRUE(c.controller->window()->isVisible());
        c.controller->ClickNotNowAction();
        EXPECT_FALSE(c.controller->window()->isVisible());
    }
    {
        Check c;
        answer = httpOk(versionPlist("3.2.1", "x"));
        EXPECT_EQ(c.run(server.base(), "3.2.1"), Shown::UpToDate);
        c.controller->ClickOkAction();
        EXPECT_FALSE(c.controller->noUpdateWindow->isVisible());
    }
    {
        Check c;
        answer = httpOk(versionPlist("3.9.1", "x"));
        EXPECT_EQ(c.run(server.base(), "3.10"), Shown::UpToDate);
    }
    {
        // An older server version is only shown as "up to date" when the user asked.
        Check c;
        answer = httpOk(versionPlist("3.1", "x"));
        EXPECT_EQ(c.run(server.base(), "3.2", false), Shown::Nothing);
    }
    {
        Check c;
        answer = httpOk(versionPlist(QByteArray(), "news only"));
        EXPECT_EQ(c.run(server.base(), "3.2"), Shown::Failure);
    }
    {
        Check c;
        answer = httpOk("this is not a property list \x01\x02");
        EXPECT_EQ(c.run(server.base(), "3.2"), Shown::Failure);
        EXPECT_EQ(c.controller->failureAlert->text(), "Unable to check for updates.");
    }
    {
        Check c;
        answer = httpOk(QByteArray(3 << 20, 'x'));
        EXPECT_EQ(c.run(server.base(), "3.2"), Shown::Failure);
    }
    {
        Check c;
        answer = "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
        EXPECT_EQ(c.run(server.base(), "3.2"), Shown::Failure);
    }
    // No version list is left behind in the temporary folder.
    EXPECT_TRUE(QDir::temp().entryList({"version-*.plist"}, QDir::Files).isEmpty());
    EXPECT_FALSE(
        QFile::exists("/tmp/version.plist") &&
        QFileInfo("/tmp/version.plist").lastModified().secsTo(QDateTime::currentDateTime()) < 60);
}

TEST(UpdateCheck, UnreachableOrInsecureServerIsReported) {
    quint16 port = 0;
    {
        CannedHttpServer gone([](const QByteArray &) { return QByteArray(); });
        port = gone.port();
    }
    Check c;
    EXPECT_EQ(c.run(QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(port)), "1.0"), Shown::Failure);
    Check quiet;
    EXPECT_EQ(quiet.run(QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(port)), "1.0", false),
              Shown::Nothing);
    Check insecure;
    EXPECT_EQ(insecure.run(QUrl("http://updates.example.com/"), "1.0"), Shown::Failure);
}

TEST(UpdateCheck, MenuItemAsksTheServer) {
    CannedHttpServer server(
        [](const QByteArray &) { return httpOk(versionPlist("999.0", "New")); });
    qputenv("PHOTOKESTRY_UPDATE_SITE", server.base().toString().toUtf8());
    {
        AppDelegate d;
        d.launch();
        ASSERT_NE(d.updateController, nullptr);
        EXPECT_FALSE(d.updateController->currentVersion.isEmpty());
        EXPECT_FALSE(d.updateController->window()->isVisible()); // nothing at launch
        EXPECT_TRUE(server.targets.isEmpty());
        QAction *item = d.window->findChild<QAction *>("CheckforUpdateAction");
        ASSERT_NE(item, nullptr);
        item->trigger();
        EXPECT_TRUE(d.updateController->checkUpdate);
        EXPECT_TRUE(waitFor([&] { return d.updateController->window()->isVisible(); }));
        EXPECT_EQ(d.updateController->newversionlab->text(),
                  "Tavelund Photo Kestry 999.0 is available.");
    }
    qunsetenv("PHOTOKESTRY_UPDATE_SITE");
}

// A server's answer reaches the property-list reader: one with a NUL in a string is a failed
// check, not the end of the program.
TEST(UpdateCheck, AnAnswerWithANulInAStringIsRefused) {
    // {"lastestVersion": "9<NUL>9"} with the value as UTF-16, built byte by byte.
    QByteArray list("bplist00");
    const int dictAt = int(list.size());
    list += QByteArray("\xd1\x01\x02", 3);
    const int keyAt = int(list.size());
    list += char(0x5e) + QByteArray("lastestVersion");
    const int valueAt = int(list.size());
    list += QByteArray("\x63\x00\x39\x00\x00\x00\x39", 7);
    const int table = int(list.size());
    list += char(dictAt);
    list += char(keyAt);
    list += char(valueAt);
    list += QByteArray(6, '\0') + char(1) + char(1) + QByteArray(7, '\0') + char(3) +
            QByteArray(8, '\0') + QByteArray(7, '\0') + char(table);
    QString error;
    const VersionList parsed = parseVersionList(list, &error);
    EXPECT_FALSE(parsed.isDictionary);
    EXPECT_FALSE(error.isEmpty());
}
