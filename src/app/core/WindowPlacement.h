#pragma once

#include <QRect>
#include <QSize>

// The main window's size on a first launch, and the least it may shrink to.
inline constexpr QSize kMainWindowDefaultSize{1200, 750};
inline constexpr QSize kMainWindowMinimumSize{760, 500};

// Where a window of `preferred` size goes on a first launch: centred on the screen's
// available area, shrunk to fit it (a laptop's 1366×768 has less than 750 pixels of
// height once the panels are there).
QRect centredWindowRect(const QRect &available, QSize preferred);

// Where a secondary window of `size` goes: centred over `owner` (the main window's frame),
// then moved, and shrunk where it must be, to lie whole inside `available`.
QRect centredOverOwner(const QRect &owner, QSize size, const QRect &available);

// The least size of the main window on a screen: never more than the screen holds.
QSize minimumWindowSize(const QRect &available, QSize minimum = kMainWindowMinimumSize);
