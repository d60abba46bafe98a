// The Google Takeout JSON merge window.
#include "app/AppDelegate.h"
#include "app/WindowDescription.h"

#include "platform/ImageView.h"

void buildJsonMergeWindow(AppDelegate &d) {
    QVBoxLayout *column =
        newColumnWindow(d, d.writeJsonWindow, "writeJsonWindow",
                        AppDelegate::tr("Merge Google Takeout Metadata"), &d.writeJsonImgView);
    QWidget *w = d.writeJsonWindow;
    Q_UNUSED(w);
    column->addStretch(1);
}
