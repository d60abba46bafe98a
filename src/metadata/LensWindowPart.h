#pragma once

class QLineEdit;
class QWidget;

// The camera lens window.
struct LensWindowPart {
    QWidget *changelensWindow = nullptr;
    QLineEdit *lensMakelab = nullptr, *lensModellab = nullptr;
};
