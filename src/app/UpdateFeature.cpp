// The update check menu item and the application object's utility methods.
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

void MainWindowController::CheckforUpdateAction() {
    if (!d.updateController)
        buildUpdateController(d);
    d.updateController->checkUpdate = true;
    d.updateController->checkServerVersion();
}

void MainWindowController::getSystemVersionMajor(int *major, int *minor, int *bugFix) {
    decodeSystemVersion(systemVersionSelector(), major, minor, bugFix);
}

QStringList MainWindowController::ReadExifDataFromPiture(const QString &path) {
    RawExifState state{d.bhasThumImage, d.theImageData};
    const QStringList log = ::ReadExifDataFromPiture(path, state);
    d.bhasThumImage = state.bhasThumImage;
    d.theImageData = state.theImageData;
    return log;
}
