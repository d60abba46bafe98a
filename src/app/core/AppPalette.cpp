#include "app/core/AppPalette.h"

#include <algorithm>
#include <cmath>

namespace {

// The window and field greys carry a little red, like the artwork behind the browsers.
const QColor kWindow(52, 48, 47);
const QColor kBase(40, 37, 36);
const QColor kAlternateBase(48, 44, 43);
const QColor kButton(68, 63, 62);
const QColor kText(236, 233, 230);
const QColor kDisabledText(138, 131, 128);
const QColor kHighlight(42, 109, 176);

double channel(double c) {
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

} // namespace

QPalette applicationPalette() {
    QPalette p;
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        p.setColor(group, QPalette::Window, kWindow);
        p.setColor(group, QPalette::WindowText, kText);
        p.setColor(group, QPalette::Base, kBase);
        p.setColor(group, QPalette::AlternateBase, kAlternateBase);
        p.setColor(group, QPalette::Text, kText);
        p.setColor(group, QPalette::Button, kButton);
        p.setColor(group, QPalette::ButtonText, kText);
        p.setColor(group, QPalette::BrightText, QColor(255, 120, 110));
        p.setColor(group, QPalette::Highlight, kHighlight);
        p.setColor(group, QPalette::HighlightedText, Qt::white);
        p.setColor(group, QPalette::ToolTipBase, QColor(30, 28, 27));
        p.setColor(group, QPalette::ToolTipText, kText);
        p.setColor(group, QPalette::PlaceholderText, QColor(160, 152, 149));
        p.setColor(group, QPalette::Link, QColor(110, 178, 242));
        p.setColor(group, QPalette::LinkVisited, QColor(184, 148, 232));
        // The bevels Fusion draws around buttons, frames and check boxes.
        p.setColor(group, QPalette::Light, kButton.lighter(150));
        p.setColor(group, QPalette::Midlight, kButton.lighter(120));
        p.setColor(group, QPalette::Mid, kButton.darker(130));
        p.setColor(group, QPalette::Dark, kButton.darker(170));
        p.setColor(group, QPalette::Shadow, QColor(10, 9, 9));
    }
    // Disabled controls stay visible but step back; their selection loses its colour.
    for (QPalette::ColorRole role :
         {QPalette::WindowText, QPalette::Text, QPalette::ButtonText, QPalette::ToolTipText})
        p.setColor(QPalette::Disabled, role, kDisabledText);
    p.setColor(QPalette::Disabled, QPalette::Button, kWindow);
    p.setColor(QPalette::Disabled, QPalette::Highlight, QColor(80, 76, 74));
    p.setColor(QPalette::Disabled, QPalette::HighlightedText, kDisabledText);
    p.setColor(QPalette::Disabled, QPalette::PlaceholderText, kDisabledText.darker(120));
    // Fusion etches disabled text with Light one pixel down and right; on a dark ground the
    // etch reads as a blur, so it is left out.
    p.setColor(QPalette::Disabled, QPalette::Light, Qt::transparent);
    return p;
}

double relativeLuminance(const QColor &colour) {
    const QColor rgb = colour.toRgb();
    return 0.2126 * channel(rgb.redF()) + 0.7152 * channel(rgb.greenF()) +
           0.0722 * channel(rgb.blueF());
}

double contrastRatio(const QColor &a, const QColor &b) {
    const double la = relativeLuminance(a);
    const double lb = relativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}
