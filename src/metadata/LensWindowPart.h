#pragma once

#include "app/PartBasics.h"

class QLineEdit;
class QWidget;

// The camera lens window.
struct LensWindowPart {
    AppDelegate &d; // the application object: the shared state and the other parts

    explicit LensWindowPart(AppDelegate &app) : d(app) {}

    QWidget *changelensWindow = nullptr;
    QLineEdit *lensMakelab = nullptr, *lensModellab = nullptr;

    // Camera and lens window.
    void ShowCameLensModel();
    void CancleCameLensModel();
    void ChangeCameLensModel();
};
