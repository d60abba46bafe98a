// The library merge window.
#include "app/AppDelegate.h"
#include "app/WindowDescription.h"

#include "platform/ImageView.h"

#include <QCheckBox>

void buildLibraryMergeWindow(AppDelegate &d) {
    QVBoxLayout *column = newColumnWindow(d, d.photolibMergeWindow, "photolibMergeWindow",
                                          AppDelegate::tr("Merge Photo Libraries"));
    QWidget *w = d.photolibMergeWindow;
    PK_OUTLET(column, w, d, photolibTableview);
    d.photolibTableview->setMinimumHeight(120);
    PK_OUTLET(column, w, d, photolibDoNotImportDupBtn);
    PK_OUTLET(column, w, d, photolibKeepAblumBtn);
    PK_OUTLET(column, w, d, photolibKeepPhotoMetaBtn);
    column->addStretch(1);
}
