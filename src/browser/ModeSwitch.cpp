// The local-photos view's tip: the list when it has photos, else the tip view.
#include "app/AppDelegate.h"

#include "platform/ImageView.h"

#include <QWidget>

void AppDelegate::ChangeToImportComputerPhoto() {
    if (mainWindow.leftTipCameraImageView)
        mainWindow.leftTipCameraImageView->hide();
    const bool empty = localPhotoItemArray.isEmpty();
    if (mainWindow.leftphotoScrView)
        mainWindow.leftphotoScrView->setVisible(!empty);
    if (mainWindow.leftTipView)
        mainWindow.leftTipView->setVisible(empty);
    blocalMode = true;
}
