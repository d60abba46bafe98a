#include "support/AppDriver.h"

#include "app/AppDelegate.h"
#include "browser/CameraWindow.h"
#include "metadata/Clipboard.h"
#include "metadata/EditSheet.h"
#include "metadata/GpsWindow.h"
#include "metadata/LensWindow.h"

#include "browser/PRButton.h"
#include "browser/core/DragRules.h"
#include "platform/core/NotificationCenter.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMainWindow>

MainWindowController &AppDriver::mainWindow() {
    return d.mainWindowController();
}

LibraryDatabase &AppDriver::libraryDatabase() {
    return d.libraryDatabase();
}

LibraryPanels &AppDriver::libraryPanels() {
    return d.libraryPanels();
}

LensWindow &AppDriver::lensWindow() {
    return d.lensWindow();
}

CameraWindow &AppDriver::cameraWindow() {
    return d.cameraWindow();
}

GpsWindow &AppDriver::gpsWindow() {
    return d.gpsWindow();
}

EditSheet &AppDriver::editSheet() {
    return d.editSheet();
}

Clipboard &AppDriver::clipboard() {
    return d.clipboard();
}

LibraryWindows &AppDriver::libraryWindows() {
    return d.libraryWindows();
}

QObject *AppDriver::lookUp(const QString &name) const {
    QList<QWidget *> windows;
    if (d.mainWindow())
        windows << d.mainWindow();
    for (QWidget *top : QApplication::topLevelWidgets())
        if (!windows.contains(top))
            windows << top;
    for (QWidget *window : windows) {
        if (window->objectName() == name)
            return window;
        if (QObject *found = window->findChild<QObject *>(name))
            return found;
    }
    // The outlets a window builder names after their piece ("dateWindows.AddTimeBtn").
    const QString outlet = QLatin1Char('.') + name;
    for (QWidget *window : windows)
        for (QObject *child : window->findChildren<QObject *>())
            if (child->objectName().endsWith(outlet))
                return child;
    return nullptr;
}

void AppDriver::click(const QString &name) {
    click(find<QAbstractButton>(name));
}

void AppDriver::click(QAbstractButton *button) {
    ASSERT_TRUE(button);
    if (qobject_cast<PRButton *>(button))
        NotificationCenter::defaultCenter().postNotificationName(QLatin1String(kMybuttonMouseDown),
                                                                 button);
    else
        button->click();
}

void AppDriver::type(const QString &name, const QString &text) {
    type(find<QLineEdit>(name), text);
}

void AppDriver::type(QLineEdit *field, const QString &text) {
    ASSERT_TRUE(field);
    field->setText(text);
    emit field->textEdited(text);
}

QString AppDriver::text(const QString &name) const {
    QObject *found = lookUp(name);
    if (auto *label = qobject_cast<QLabel *>(found))
        return label->text();
    if (auto *field = qobject_cast<QLineEdit *>(found))
        return field->text();
    if (auto *button = qobject_cast<QAbstractButton *>(found))
        return button->text();
    ADD_FAILURE() << "no text named " << name.toStdString();
    return {};
}

void AppDriver::trigger(const QString &name) {
    if (auto *item = find<QAction>(name))
        item->trigger();
}

void AppDriver::selectRows(const QString &name, const QList<int> &rows) {
    auto *view = find<QListView>(name);
    ASSERT_TRUE(view && view->model() && view->selectionModel());
    QItemSelection chosen;
    for (int row : rows)
        chosen.select(view->model()->index(row, 0), view->model()->index(row, 0));
    view->selectionModel()->select(chosen, QItemSelectionModel::ClearAndSelect);
}
