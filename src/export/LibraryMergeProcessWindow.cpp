// The progress sheet of a library merge.
#include "app/AppDelegate.h"
#include "app/WindowDescription.h"

#include "platform/ImageView.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

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
    // The merge's one Cancel: its window covers the status bar's.
    auto *cancel = new QPushButton(AppDelegate::tr("Cancel"), w);
    cancel->setObjectName(QStringLiteral("photolibMergeCancelBtn"));
    column->addWidget(cancel, 0, Qt::AlignRight);
    // Room for a phase text and the photo under way on two or three lines.
    w->setMinimumSize(460, 170);
}
