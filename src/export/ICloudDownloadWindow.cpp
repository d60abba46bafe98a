// The iCloud originals download window.
#include "app/AppDelegate.h"
#include "app/WindowDescription.h"

#include "platform/ImageView.h"

void buildICloudDownloadWindow(AppDelegate &d) {
    QVBoxLayout *column =
        newColumnWindow(d, d.downloadiCloudPhotosWindow, "downloadiCloudPhotosWindow",
                        AppDelegate::tr("Download iCloud Photos"), &d.downloadiCloudPhotosImgView);
    QWidget *w = d.downloadiCloudPhotosWindow;
    Q_UNUSED(w);
    column->addStretch(1);
}
