// The local-photos view's tip: the list when it has photos, else the tip view.
#include "app/AppDelegate.h"

#include "platform/ImageView.h"

#include <QWidget>

void AppDelegate::ChangeToImportComputerPhoto() {
    if (leftTipCameraImageView)
        leftTipCameraImageView->hide();
    const bool empty = localPhotoItemArray.isEmpty();
    if (leftphotoScrView)
        leftphotoScrView->setVisible(!empty);
    if (leftTipView)
        leftTipView->setVisible(empty);
    blocalMode = true;
}
