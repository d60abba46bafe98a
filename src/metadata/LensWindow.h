#pragma once

#include <QCoreApplication>

class AppServices;
class QLineEdit;
class QMenu;
class QWidget;
class CameraCopies;

// The camera lens window: the lens make and model written into the selected local photos,
// or into copies of the selected camera photos.
class LensWindow {
    Q_DECLARE_TR_FUNCTIONS(LensWindow)
  public:
    LensWindow(AppServices &app, CameraCopies &camera);
    ~LensWindow();

    void build();
    // The item that opens the window.
    void addShowItem(QMenu *menu);

    void ShowCameLensModel();
    void CancleCameLensModel();
    void ChangeCameLensModel();

  private:
    AppServices &app;
    CameraCopies &camera;
    QList<QWidget *> ownWindows; // the windows built without a parent

    QWidget *changelensWindow = nullptr;
    QLineEdit *lensMakelab = nullptr, *lensModellab = nullptr;
};
