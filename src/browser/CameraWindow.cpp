// The camera and iOS device window.
#include "app/AppDelegate.h"
#include "app/WindowDescription.h"

#include "platform/ImageView.h"

#include <QListView>
#include <QProgressBar>
#include <QPushButton>

void buildCameraWindow(AppDelegate &d) {
    QVBoxLayout *column = newColumnWindow(d, d.deviceWindow, "deviceWindow",
                                          AppDelegate::tr("Camera"), &d.deviceWindowImageView);
    QWidget *w = d.deviceWindow;
    PK_OUTLET(column, w, d, hasDeviceImageView);
    PK_OUTLET(column, w, d, imageBrowserView);
    PK_OUTLET(column, w, d, downloadPhotoBtn);
    PK_OUTLET(column, w, d, deletePhotoBtn);
    PK_OUTLET(column, w, d, viewExifBtn);
    PK_OUTLET(column, w, d, removeExifBtn);
    PK_OUTLET(column, w, d, camerataskProgressor);
    PK_OUTLET(column, w, d, devicebottomWindowImageView);
    d.hasDeviceImageView->setMinimumHeight(40);
    d.devicebottomWindowImageView->setMinimumHeight(24);
    d.downloadPhotoBtn->setText(AppDelegate::tr("Download"));
    d.deletePhotoBtn->setText(AppDelegate::tr("Delete"));
    d.viewExifBtn->setText(AppDelegate::tr("View Metadata"));
    d.removeExifBtn->setText(AppDelegate::tr("Remove Metadata"));
    column->addStretch(1);
}
