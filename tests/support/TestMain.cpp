// Test main of the programs that drive windows: every test runs in a private home folder,
// offscreen, with a QApplication, so no test can touch the user's real settings or pictures.
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char **argv) {
    const TestEnvironment environment;
    if (!environment.ready())
        return 2;
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("PhotoKestry"));
    QApplication::setApplicationName(QStringLiteral("PhotoKestry"));
    ::testing::InitGoogleTest(&argc, argv);
    TestEnvironment::installListeners();
    return RUN_ALL_TESTS();
}
