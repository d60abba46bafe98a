#include "app/core/Settings.h"
#include "support/TestSupport.h"

#include <QFontDatabase>
#include <gtest/gtest.h>

TEST(StampFont, TheDefaultIsAnInstalledFamilyAndMissingOnesFallBackToIt) {
    const QStringList installed = QFontDatabase::families();
    ASSERT_FALSE(installed.isEmpty());
    EXPECT_TRUE(installed.contains(defaultFontFamily())) << defaultFontFamily().toStdString();
    EXPECT_EQ(installedFontFamily("No Such Family Anywhere"), defaultFontFamily());
    EXPECT_EQ(installedFontFamily(""), defaultFontFamily());
    EXPECT_EQ(installedFontFamily(installed.last()), installed.last());
}
