// The progress window of a library merge.
#include "app/AppDelegate.h"
#include "app/WindowDescription.h"

#include "platform/ImageView.h"

void buildLibraryMergeProcessWindow(AppDelegate &d) {
    QVBoxLayout *column =
        newColumnWindow(d, d.photolibMergeProcessWindow, "photolibMergeProcessWindow",
                        AppDelegate::tr("Merging Photo Libraries"));
    QWidget *w = d.photolibMergeProcessWindow;
    Q_UNUSED(w);
    column->addStretch(1);
}
