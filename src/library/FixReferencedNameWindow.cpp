// The window that repairs the file names of referenced photos.
#include "app/AppDelegate.h"
#include "app/WindowDescription.h"

#include "platform/ImageView.h"

#include <QCheckBox>

void buildFixReferencedNameWindow(AppDelegate &d) {
    QVBoxLayout *column =
        newColumnWindow(d, d.fixReferencedNameWindow, "fixReferencedNameWindow",
                        AppDelegate::tr("Fix Referenced File Names"), &d.fixReferencedNameImgView);
    QWidget *w = d.fixReferencedNameWindow;
    PK_OUTLET(column, w, d, copyPhotoLibFileNameBtn);
    PK_OUTLET(column, w, d, copyOrigFileNameBtn);
    column->addStretch(1);
}
