#include "app/core/AppPalette.h"

#include <gtest/gtest.h>

namespace {

struct Pair {
    QPalette::ColorRole text;
    QPalette::ColorRole ground;
    const char *name;
};

// Every text role with each ground it is drawn on by Qt's own widgets.
const Pair kPairs[] = {
    {QPalette::WindowText, QPalette::Window, "WindowText on Window"},
    {QPalette::Text, QPalette::Base, "Text on Base"},
    {QPalette::Text, QPalette::AlternateBase, "Text on AlternateBase"},
    {QPalette::ButtonText, QPalette::Button, "ButtonText on Button"},
    {QPalette::HighlightedText, QPalette::Highlight, "HighlightedText on Highlight"},
    {QPalette::ToolTipText, QPalette::ToolTipBase, "ToolTipText on ToolTipBase"},
    {QPalette::PlaceholderText, QPalette::Base, "PlaceholderText on Base"},
    {QPalette::Link, QPalette::Base, "Link on Base"},
    {QPalette::Link, QPalette::Window, "Link on Window"},
    {QPalette::LinkVisited, QPalette::Window, "LinkVisited on Window"},
    // A check box's label stands on the window, its box on the field colour.
    {QPalette::WindowText, QPalette::Base, "WindowText on Base"},
};

} // namespace

TEST(AppPalette, ContrastFollowsTheWcagFormula) {
    EXPECT_NEAR(contrastRatio(Qt::black, Qt::white), 21.0, 1e-9);
    EXPECT_NEAR(contrastRatio(Qt::white, Qt::black), 21.0, 1e-9);
    EXPECT_NEAR(contrastRatio(QColor(120, 40, 200), QColor(120, 40, 200)), 1.0, 1e-9);
    // #767676 is the lightest grey that still reads on white (4.54), #777777 just fails.
    EXPECT_GT(contrastRatio(QColor(0x76, 0x76, 0x76), Qt::white), kReadableContrast);
    EXPECT_LT(contrastRatio(QColor(0x77, 0x77, 0x77), Qt::white), kReadableContrast);
    // Green weighs most in luminance, blue least.
    EXPECT_GT(relativeLuminance(Qt::green), relativeLuminance(Qt::red));
    EXPECT_GT(relativeLuminance(Qt::red), relativeLuminance(Qt::blue));
}

TEST(AppPalette, EveryTextReadsOnItsGroundInActiveAndInactiveWindows) {
    const QPalette p = applicationPalette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
        for (const Pair &pair : kPairs)
            EXPECT_GE(contrastRatio(p.color(group, pair.text), p.color(group, pair.ground)),
                      kReadableContrast)
                << pair.name << " in group " << int(group);
}

TEST(AppPalette, DisabledTextStepsBackYetStaysVisible) {
    const QPalette p = applicationPalette();
    for (const Pair &pair : kPairs) {
        if (pair.text == QPalette::Link || pair.text == QPalette::LinkVisited)
            continue;
        const double enabled = contrastRatio(p.color(QPalette::Active, pair.text),
                                             p.color(QPalette::Active, pair.ground));
        const double disabled = contrastRatio(p.color(QPalette::Disabled, pair.text),
                                              p.color(QPalette::Disabled, pair.ground));
        EXPECT_GE(disabled, 2.0) << pair.name << " disabled";
        if (pair.text != QPalette::PlaceholderText) {
            EXPECT_LT(disabled, enabled) << pair.name << ": a disabled control must look so";
        }
    }
}

TEST(AppPalette, LightTextOnDarkGroundsInEveryGroup) {
    const QPalette p = applicationPalette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        for (const Pair &pair : kPairs)
            EXPECT_GT(relativeLuminance(p.color(group, pair.text)),
                      relativeLuminance(p.color(group, pair.ground)))
                << pair.name << " in group " << int(group);
}

TEST(AppPalette, DisabledTextHasNoEtch) {
    // The etch Fusion draws under disabled menu items and labels doubles their text.
    EXPECT_EQ(applicationPalette().color(QPalette::Disabled, QPalette::Light).alpha(), 0);
}

TEST(AppPalette, FusionBevelsAreSetToo) {
    // Unset bevel roles fall back to Qt's light defaults: white rims on dark buttons.
    const QPalette p = applicationPalette();
    const QPalette light; // Qt's default
    for (QPalette::ColorRole role :
         {QPalette::Light, QPalette::Midlight, QPalette::Mid, QPalette::Dark, QPalette::Shadow})
        EXPECT_LT(relativeLuminance(p.color(QPalette::Active, role)), 0.2) << int(role);
    EXPECT_NE(p.color(QPalette::Active, QPalette::Window),
              light.color(QPalette::Active, QPalette::Window));
}
