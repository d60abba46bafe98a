// Test main of test_core: the same private home as the other programs, but a QGuiApplication,
// since nothing in pk_core may need widgets.
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <QGuiApplication>

int main(int argc, char **argv) {
    const TestEnvironment environment;
    if (!environment.ready())
        return 2;
    QGuiApplication app(argc, argv);
    QGuiApplication::setOrganizationName(QStringLiteral("PhotoKestry"));
    QGuiApplication::setApplicationName(QStringLiteral("PhotoKestry"));
    ::testing::InitGoogleTest(&argc, argv);
    TestEnvironment::installListeners();
    return RUN_ALL_TESTS();
}
