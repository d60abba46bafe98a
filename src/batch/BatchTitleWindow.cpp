// The batch title and caption window.
#include "app/AppDelegate.h"
#include "app/WindowDescription.h"

#include "platform/ImageView.h"

#include <QComboBox>

void buildBatchTitleWindow(AppDelegate &d) {
    QVBoxLayout *column = newColumnWindow(d, d.batchTitleWindow, "batchTitleWindow",
                                          AppDelegate::tr("Batch Titles and Captions"));
    QWidget *w = d.batchTitleWindow;
    PK_OUTLET(column, w, d, useFileNameAsTitlePopButton);
    PK_OUTLET(column, w, d, changephotoTitle_addPhotoTagsPopButton);
    column->addStretch(1);
}
