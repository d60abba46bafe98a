#pragma once

#include <QFont>
#include <QIcon>

// One look for every window, sheet and dialog: the Fusion style with our palette, set on the
// application before any window is built, and the program's icon on every window.
void applyApplicationLook();

// The font of the options' titles (check boxes and radio buttons of the windows): the
// application's font at 12 points.
QFont optionFont();

// The program's icon at each size it ships in (48, 128 and 256 pixels).
QIcon applicationIcon();
