// The progress sheet of a library merge.
#include "export/MergeWindow.h"

#include "app/WindowDescription.h"

#include "platform/ImageView.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

void MergeWindow::buildProcessWindow() {
    QVBoxLayout *column =
        newColumnWindow(ownWindows, photolibMergeProcessWindow, "photolibMergeProcessWindow",
                        tr("Merging Photo Libraries"));
    QWidget *w = photolibMergeProcessWindow;
    addOutlet(column, w, photolibMergeProcesser, "photolibMergeProcesser");
    photolibMergeProcesser->setRange(0, 1);
    addOutlet(column, w, photolibMergeProcessTipLab, "photolibMergeProcessTipLab");
    photolibMergeProcessTipLab->setWordWrap(true);
    column->addStretch(1);
    // The merge's one Cancel: its window covers the status bar's.
    auto *cancel = new QPushButton(tr("Cancel"), w);
    cancel->setObjectName(QStringLiteral("photolibMergeCancelBtn"));
    column->addWidget(cancel, 0, Qt::AlignRight);
    // Room for a phase text and the photo under way on two or three lines.
    w->setMinimumSize(460, 170);
}
