#pragma once

// Drives a live application object as the user does: finds the controls by their object
// names among its windows, presses, types and selects, and hands the tests the pieces for
// their public methods. Tests read no piece's fields.
#include <QList>
#include <QObject>
#include <QString>
#include <QWidget>
#include <gtest/gtest.h>

class AppDelegate;
class CameraWindow;
class EditSheet;
class GpsWindow;
class Clipboard;
class LibraryDatabase;
class LibraryPanels;
class LibraryWindows;
class LensWindow;
class QAbstractButton;
class QLineEdit;
struct MainWindowController;

class AppDriver {
  public:
    explicit AppDriver(AppDelegate &app) : d(app) {}

    // The pieces, for their public methods (the test includes the header of those it calls).
    AppDelegate &app() { return d; }
    MainWindowController &mainWindow();
    LibraryDatabase &libraryDatabase();
    LibraryPanels &libraryPanels();
    LibraryWindows &libraryWindows();
    LensWindow &lensWindow();
    CameraWindow &cameraWindow();
    GpsWindow &gpsWindow();
    EditSheet &editSheet();
    Clipboard &clipboard();

    // The control or menu item named `name` in the main window, else in another window of
    // the program; null, with a failure naming it, when there is none.
    template <class W = QWidget> W *find(const QString &name) const {
        W *found = qobject_cast<W *>(lookUp(name));
        if (!found)
            ADD_FAILURE() << "no " << W::staticMetaObject.className() << " named "
                          << name.toStdString();
        return found;
    }
    // The same, where none is an answer.
    QObject *lookUp(const QString &name) const;
    // The control named `name` inside the window named `window`, for names two windows share.
    template <class W = QWidget> W *findIn(const QString &window, const QString &name) const {
        QWidget *outer = find(window);
        W *found = outer ? outer->findChild<W *>(name) : nullptr;
        if (outer && !found)
            ADD_FAILURE() << "no " << W::staticMetaObject.className() << " named "
                          << name.toStdString() << " in " << window.toStdString();
        return found;
    }

    // Presses a button as the user does: an image button acts on its mouse press, another
    // on its click.
    void click(const QString &name);
    void click(QAbstractButton *button);
    // Types `text` into a field: its new text and the edit signal the user's keys give.
    void type(const QString &name, const QString &text);
    void type(QLineEdit *field, const QString &text);
    // The text of a label, field or button.
    QString text(const QString &name) const;
    // Triggers the menu item named `name`.
    void trigger(const QString &name);
    // Selects `rows` of the list view `name`, as a click and shift-clicks would.
    void selectRows(const QString &name, const QList<int> &rows);

  private:
    AppDelegate &d;
};

// The driver of `app`, for one step: drive(*d).click("applyPhotolibEiteViewBtn").
inline AppDriver drive(AppDelegate &app) {
    return AppDriver(app);
}
