#pragma once

class QMenu;

// Image output: its menu and the place stamp's one-at-a-time geocoding.
struct ImageOutputPart {
    QMenu *imageOutputMenu = nullptr;
    bool placeStampRunning = false; // its geocoding asks one position after the other
};
