// The XMP sidecar merge window.
#include "batch/SidecarMerges.h"

#include "app/WindowDescription.h"
#include "browser/PRButton.h"
#include "platform/ImageView.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>

void SidecarMerges::buildXmpMergeWindow() {
    QVBoxLayout *column = newColumnWindow(ownWindows, writeXmpWindow, "writeXmpWindow",
                                          tr("Merge XMP Sidecar Files"), &writeXmpImgView);
    QWidget *w = writeXmpWindow;
    auto *text = new QLabel(tr("Choose a folder: each XMP sidecar file in it and "
                               "its subfolders is merged into the photo of the "
                               "same name."),
                            w);
    text->setWordWrap(true);
    column->addWidget(text);
    addOutlet(column, w, writeXmpProcesser, "sidecarMerges.writeXmpProcesser");
    auto *buttons = new QHBoxLayout;
    CancelXmpBtn = new PRButton(tr("Cancel"), w);
    CancelXmpBtn->setObjectName(QStringLiteral("CancelXmpBtn"));
    writeXmpBtn = new PRButton(tr("Choose XMP Folder…"), w);
    writeXmpBtn->setObjectName(QStringLiteral("writeXmpBtn"));
    buttons->addStretch(1);
    buttons->addWidget(CancelXmpBtn);
    buttons->addWidget(writeXmpBtn);
    column->addLayout(buttons);
    column->addStretch(1);
    PRButton::whenPressed(writeXmpBtn, [this] { BatchWriteXMPFileToFile(); });
    PRButton::whenPressed(CancelXmpBtn, [this] { CanelXMPMetadataToPhotosAction(); });
}
