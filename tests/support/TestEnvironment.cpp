#include "support/TestEnvironment.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

namespace {

// Tests never reach the network: map tiles, place names and the maker's site go to a closed
// local port unless a test points them at its own server.
void keepServersLocal() {
    qputenv("PHOTOKESTRY_GEOCODER_URL", "http://127.0.0.1:9");
    qputenv("PHOTOKESTRY_TILE_URL", "http://127.0.0.1:9/{z}/{x}/{y}.png");
    qputenv("PHOTOKESTRY_MAKER_SITE", "http://127.0.0.1:9/");
    qunsetenv("PHOTOKESTRY_UPDATE_SITE");
}

// A test that unsets a server variable to check the public default must not leave the tests
// after it asking the public server (slow, and answers arriving late change later tests).
class ServerReset : public ::testing::EmptyTestEventListener {
    void OnTestEnd(const ::testing::TestInfo &) override { keepServersLocal(); }
};

} // namespace

void TestEnvironment::installListeners() {
    ::testing::UnitTest::GetInstance()->listeners().Append(new ServerReset);
}

TestEnvironment::TestEnvironment()
    : m_home(QDir::tempPath() + QStringLiteral("/pk-test-home-XXXXXX")) {
    const QString fixtures = fixturesDir();
    if (!QFileInfo(fixtures + QStringLiteral("/photos")).isDir()) {
        std::fprintf(stderr,
                     "Test fixtures not found in %s (set PK_FIXTURES_DIR to the folder holding "
                     "photos/)\n",
                     qUtf8Printable(QDir::cleanPath(fixtures)));
        return;
    }
    if (!m_home.isValid()) {
        std::fprintf(stderr, "Cannot create a private home folder under %s\n",
                     qUtf8Printable(QDir::tempPath()));
        return;
    }
    const QByteArray h = m_home.path().toUtf8();
    qputenv("HOME", h);
    qputenv("XDG_CONFIG_HOME", h + "/.config");
    qputenv("XDG_DATA_HOME", h + "/.local/share");
    qputenv("XDG_CACHE_HOME", h + "/.cache");
    qputenv("XDG_RUNTIME_DIR", h + "/.run");
    QDir().mkpath(m_home.path() + QStringLiteral("/.run"));
    QFile::setPermissions(m_home.path() + QStringLiteral("/.run"),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("TMPDIR", h + "/tmp");
    QDir().mkpath(m_home.path() + QStringLiteral("/tmp"));
    keepServersLocal();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    m_ready = true;
}
