// The batch rename window.
#include "app/AppDelegate.h"
#include "app/WindowDescription.h"

#include "platform/ImageView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>

void buildRenameWindow(AppDelegate &d) {
    QVBoxLayout *column = newColumnWindow(d, d.renameWindow, "renameWindow",
                                          AppDelegate::tr("Rename Photos"), &d.renameActionImgView);
    QWidget *w = d.renameWindow;
    PK_OUTLET(column, w, d, customerFileNameBtn);
    PK_OUTLET(column, w, d, keepFileNameBtn);
    PK_OUTLET(column, w, d, replaceInvaidStrBtn);
    PK_OUTLET(column, w, d, seqNumBtn);
    PK_OUTLET(column, w, d, keepCurrentFileNameBtn);
    PK_OUTLET(column, w, d, checkKeepFirstFileName);
    PK_OUTLET(column, w, d, checkKeepLastFileName);
    PK_OUTLET(column, w, d, checkRemoveFirstFileName);
    PK_OUTLET(column, w, d, checkRemoveLastFileName);
    PK_OUTLET(column, w, d, metaFileNameBtn);
    PK_OUTLET(column, w, d, addTagsButton);
    PK_OUTLET(column, w, d, tagpostionButton);
    PK_OUTLET(column, w, d, renameDateFormatBtn);
    PK_OUTLET(column, w, d, filenameFormatstrlab);
    column->addStretch(1);
}
