// Test main: every test program runs in a private home folder, offscreen, with a
// QApplication, so no test can touch the user's real settings or pictures.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

int main(int argc, char **argv) {
    QTemporaryDir home(QDir::tempPath() + QStringLiteral("/pk-test-home-XXXXXX"));
    if (!home.isValid())
        return 2;
    const QByteArray h = home.path().toUtf8();
    qputenv("HOME", h);
    qputenv("XDG_CONFIG_HOME", h + "/.config");
    qputenv("XDG_DATA_HOME", h + "/.local/share");
    qputenv("XDG_CACHE_HOME", h + "/.cache");
    qputenv("XDG_RUNTIME_DIR", h + "/.run");
    QDir().mkpath(home.path() + QStringLiteral("/.run"));
    QFile::setPermissions(home.path() + QStringLiteral("/.run"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("TMPDIR", h + "/tmp");
    QDir().mkpath(home.path() + QStringLiteral("/tmp"));
    // Tests never reach the network: map tiles and place names go to a closed local port
    // unless a test points them at its own server.
    qputenv("PHOTOKESTRY_GEOCODER_URL", "http://127.0.0.1:9");
    qputenv("PHOTOKESTRY_TILE_URL", "http://127.0.0.1:9/{z}/{x}/{y}.png");
    qputenv("PHOTOKESTRY_MAKER_SITE", "http://127.0.0.1:9/");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("PhotoKestry"));
    QApplication::setApplicationName(QStringLiteral("PhotoKestry"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
