// The XMP sidecar merge window.
#include "app/AppDelegate.h"
#include "app/WindowDescription.h"

#include "browser/PRButton.h"
#include "platform/ImageView.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>

void buildXmpMergeWindow(AppDelegate &d) {
    QVBoxLayout *column = newColumnWindow(d, d.sidecarMerges.writeXmpWindow, "writeXmpWindow",
                                          AppDelegate::tr("Merge XMP Sidecar Files"),
                                          &d.sidecarMerges.writeXmpImgView);
    QWidget *w = d.sidecarMerges.writeXmpWindow;
    auto *text = new QLabel(AppDelegate::tr("Choose a folder: each XMP sidecar file in it and "
                                            "its subfolders is merged into the photo of the "
                                            "same name."),
                            w);
    text->setWordWrap(true);
    column->addWidget(text);
    PK_OUTLET(column, w, d, sidecarMerges.writeXmpProcesser);
    auto *buttons = new QHBoxLayout;
    d.sidecarMerges.CancelXmpBtn = new PRButton(AppDelegate::tr("Cancel"), w);
    d.sidecarMerges.CancelXmpBtn->setObjectName(QStringLiteral("CancelXmpBtn"));
    d.sidecarMerges.writeXmpBtn = new PRButton(AppDelegate::tr("Choose XMP Folder…"), w);
    d.sidecarMerges.writeXmpBtn->setObjectName(QStringLiteral("writeXmpBtn"));
    buttons->addStretch(1);
    buttons->addWidget(d.sidecarMerges.CancelXmpBtn);
    buttons->addWidget(d.sidecarMerges.writeXmpBtn);
    column->addLayout(buttons);
    column->addStretch(1);
}
