// The XMP sidecar merge window.
#include "app/AppDelegate.h"
#include "app/WindowDescription.h"

#include "platform/ImageView.h"

#include <QProgressBar>

void buildXmpMergeWindow(AppDelegate &d) {
    QVBoxLayout *column =
        newColumnWindow(d, d.writeXmpWindow, "writeXmpWindow",
                        AppDelegate::tr("Merge XMP Sidecar Files"), &d.writeXmpImgView);
    QWidget *w = d.writeXmpWindow;
    PK_OUTLET(column, w, d, writeXmpProcesser);
    column->addStretch(1);
}
