#pragma once

#include <QList>
#include <QString>
#include <QVBoxLayout>

#include <functional>

class AppDelegate;
class QCheckBox;
class QComboBox;
class QMainWindow;
class QWidget;
class PKImageView;

// Our window description: each piece builds its own window in code; these build what the
// application object wires itself: the pop-up menus' other items, the update window, the
// menu bar.
void buildPopupMenus(AppDelegate &d); // app/PopupMenus.cpp
// Update check.
void buildUpdateController(AppDelegate &d); // app/UpdateFeature.cpp
// The main window's menu bar, in the desktop's order; built right after the window.
void buildMainMenu(AppDelegate &d, QMainWindow *w); // app/MainMenu.cpp

// A secondary window: a top-level widget owned by the list of windows of its piece.
QWidget *newAuxiliaryWindow(QList<QWidget *> &owner, const char *objectName, const QString &title);

// Opens a hidden secondary window centred on the screen of `owner` (the primary screen
// when null) and brings it to the front; a window already open only comes to the front,
// where the user left it.
void showCentredOnScreen(QWidget *window, QWidget *owner = nullptr);

// Calls `then` whenever `window` is asked to close (title bar or close()), before it hides.
void onWindowClose(QWidget *window, std::function<void()> then);

// A secondary window whose controls stand in a column over an optional background
// picture; returns the column. `background`, when given, receives the picture's view.
QVBoxLayout *newColumnWindow(QList<QWidget *> &owner, QWidget *&window, const char *objectName,
                             const QString &title, PKImageView **background = nullptr);

// Creates a control named after its outlet, stores it there and adds it to `column`.
template <typename T>
T *addOutlet(QVBoxLayout *column, QWidget *parent, T *&outlet, const char *name) {
    outlet = new T(parent);
    outlet->setObjectName(QLatin1String(name));
    column->addWidget(outlet);
    return outlet;
}
