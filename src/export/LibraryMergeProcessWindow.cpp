// The progress sheet of a library merge.
#include "app/AppDelegate.h"
#include "app/WindowDescription.h"

#include "platform/ImageView.h"

#include <QLabel>
#include <QProgressBar>

void buildLibraryMergeProcessWindow(AppDelegate &d) {
    QVBoxLayout *column =
        newColumnWindow(d, d.mergeWindow.photolibMergeProcessWindow, "photolibMergeProcessWindow",
                        AppDelegate::tr("Merging Photo Libraries"));
    QWidget *w = d.mergeWindow.photolibMergeProcessWindow;
    PK_OUTLET(column, w, d, mergeWindow.photolibMergeProcesser);
    d.mergeWindow.photolibMergeProcesser->setRange(0, 1);
    PK_OUTLET(column, w, d, mergeWindow.photolibMergeProcessTipLab);
    d.mergeWindow.photolibMergeProcessTipLab->setWordWrap(true);
    column->addStretch(1);
}
