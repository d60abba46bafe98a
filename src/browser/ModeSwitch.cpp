// The local-photos view's tip: the list when it has photos, else the tip view.
#include "app/AppServices.h"
#include "browser/MainWindowController.h"

#include "platform/ImageView.h"

#include <QWidget>

void MainWindowController::ChangeToImportComputerPhoto() {
    if (leftTipCameraImageView)
        leftTipCameraImageView->hide();
    const bool empty = app.localLists().localPhotoItemArray.isEmpty();
    if (leftphotoScrView)
        leftphotoScrView->setVisible(!empty);
    if (leftTipView)
        leftTipView->setVisible(empty);
    setLocalMode(true);
}
