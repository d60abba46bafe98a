// The iCloud originals download window.
#include "app/AppDelegate.h"
#include "app/WindowDescription.h"

#include "platform/ImageView.h"

void buildICloudDownloadWindow(AppDelegate &d) {
    QVBoxLayout *column = newColumnWindow(
        d, d.libraryWindows.downloadiCloudPhotosWindow, "downloadiCloudPhotosWindow",
        AppDelegate::tr("Download iCloud Photos"), &d.libraryWindows.downloadiCloudPhotosImgView);
    QWidget *w = d.libraryWindows.downloadiCloudPhotosWindow;
    Q_UNUSED(w);
    column->addStretch(1);
}
