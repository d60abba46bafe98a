#pragma once

#include <QColor>
#include <QPalette>

// The one palette of every window, sheet and dialog: dark warm greys around the photos,
// light text, a blue selection. Every role of all three colour groups is set, so no style
// falls back to its own light defaults and leaves dark text on a dark ground.
QPalette applicationPalette();

// WCAG 2 relative luminance of a colour (0 black … 1 white), ignoring alpha.
double relativeLuminance(const QColor &colour);

// WCAG 2 contrast ratio of two colours: 1 (none) … 21 (black on white).
double contrastRatio(const QColor &a, const QColor &b);

// The ratio body text needs against its ground to read comfortably (WCAG AA).
inline constexpr double kReadableContrast = 4.5;
