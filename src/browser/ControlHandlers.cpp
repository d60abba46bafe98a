// What the custom controls' notifications do. Each handler knows its control by
// comparing the sender with the outlets.
#include "app/AppDelegate.h"

#include "browser/PRButton.h"

#include <QMainWindow>

void AppDelegate::MyClosebuttonMouseDownHandle(QObject *sender) {
    if (sender == closedButton && window)
        window->close();
}

// The buttons of the main window and the drop handlers come with the browser and the
// import; until a button is named here it does nothing, as a PRButton should.
void AppDelegate::MybuttonMouseDownHandle(QObject *) {}
void AppDelegate::PRbuttonMouseEnteredHandle(QObject *) {}
void AppDelegate::PRbuttonMouseExitedHandle(QObject *) {}
void AppDelegate::PRDragOperationImageNoteHandle(QObject *) {}
void AppDelegate::NSDragOperationImageViewNoteHandle(QObject *) {}
void AppDelegate::NSDragOperationImageViewFolderNoteHandle(QObject *) {}
