// The update check and the main window's utility methods.
#include "app/AppDelegate.h"
#include "browser/MainWindowController.h"

#include "app/PRUpdateController.h"
#include "app/WindowDescription.h"
#include "app/core/VersionDecoder.h"
#include "platform/core/RawExifReader.h"

void buildUpdateController(AppDelegate &d) {
    d.updateController = new PRUpdateController(&d);
    d.updateController->awakeFromNib();
    d.updateController->hidUpdateWindow();
}

void AppDelegate::checkForUpdate() {
    if (!updateController)
        buildUpdateController(*this);
    updateController->checkUpdate = true;
    updateController->checkServerVersion();
}

void MainWindowController::CheckforUpdateAction() {
    emit updateCheckRequested();
}

void MainWindowController::getSystemVersionMajor(int *major, int *minor, int *bugFix) {
    decodeSystemVersion(systemVersionSelector(), major, minor, bugFix);
}

QStringList MainWindowController::ReadExifDataFromPiture(const QString &path) {
    return ::ReadExifDataFromPiture(path, rawExif);
}
