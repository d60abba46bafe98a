#include "base/Logging.h"

#include <gtest/gtest.h>

#include <QString>

// A normal run prints no debug lines, but keeps information and warnings; each subsystem can
// be turned up on its own through QT_LOGGING_RULES.
TEST(Logging, DebugIsOffAndWarningsOnInEverySubsystem) {
    if (!qEnvironmentVariableIsEmpty("QT_LOGGING_RULES"))
        GTEST_SKIP() << "QT_LOGGING_RULES overrides the defaults";
    const std::pair<const QLoggingCategory &, const char *> categories[] = {
        {lcApp(), "pk.app"},          {lcBrowser(), "pk.browser"}, {lcMetadata(), "pk.metadata"},
        {lcLibrary(), "pk.library"},  {lcBatch(), "pk.batch"},     {lcExport(), "pk.export"},
        {lcPlatform(), "pk.platform"}};
    for (const auto &[category, name] : categories) {
        EXPECT_STREQ(category.categoryName(), name);
        EXPECT_FALSE(category.isDebugEnabled()) << name;
        EXPECT_TRUE(category.isInfoEnabled()) << name;
        EXPECT_TRUE(category.isWarningEnabled()) << name;
    }
}

TEST(Logging, RulesTurnOneSubsystemUp) {
    QLoggingCategory::setFilterRules(QStringLiteral("pk.metadata.debug=true"));
    EXPECT_TRUE(lcMetadata().isDebugEnabled());
    EXPECT_FALSE(lcLibrary().isDebugEnabled());
    QLoggingCategory::setFilterRules(QString());
    EXPECT_FALSE(lcMetadata().isDebugEnabled());
}
