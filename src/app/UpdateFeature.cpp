// The update check menu item and the application object's utility methods.
#include "app/AppDelegate.h"

#include "app/PRUpdateController.h"
#include "app/WindowDescription.h"
#include "app/core/VersionDecoder.h"
#include "platform/core/RawExifReader.h"

void buildUpdateController(AppDelegate &d) {
    d.updateController = new PRUpdateController(&d);
    d.updateController->awakeFromNib();
    d.updateController->hidUpdateWindow();
}

void AppDelegate::CheckforUpdateAction() {
    if (!updateController)
        buildUpdateController(*this);
    updateController->checkUpdate = true;
    updateController->checkServerVersion();
}

void AppDelegate::getSystemVersionMajor(int *major, int *minor, int *bugFix) {
    decodeSystemVersion(systemVersionSelector(), major, minor, bugFix);
}

QStringList AppDelegate::ReadExifDataFromPiture(const QString &path) {
    RawExifState state{bhasThumImage, theImageData};
    const QStringList log = ::ReadExifDataFromPiture(path, state);
    bhasThumImage = state.bhasThumImage;
    theImageData = state.theImageData;
    return log;
}
