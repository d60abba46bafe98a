// The Google Takeout JSON merge window.
#include "batch/SidecarMerges.h"

#include "app/WindowDescription.h"
#include "browser/PRButton.h"
#include "platform/ImageView.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>

void SidecarMerges::buildJsonMergeWindow() {
    QVBoxLayout *column = newColumnWindow(ownWindows, writeJsonWindow, "writeJsonWindow",
                                          tr("Merge Google Takeout Metadata"), &writeJsonImgView);
    QWidget *w = writeJsonWindow;
    QLabel *text = addOutlet(column, w, writeGooglePhotoLab, "sidecarMerges.writeGooglePhotoLab");
    text->setWordWrap(true);
    text->setText(
        tr("The merge process will match the json files and photos in the Google Takeout folder, "
           "and automatically batch merge the json metadata into the corresponding photos."));
    QProgressBar *bar =
        addOutlet(column, w, writeJsonProcesser, "sidecarMerges.writeJsonProcesser");
    bar->setRange(0, 100);
    bar->setValue(0);
    bar->hide();
    auto *buttons = new QHBoxLayout;
    CancelJsonBtn = new PRButton(tr("Cancel"), w);
    CancelJsonBtn->setObjectName(QStringLiteral("CancelJsonBtn"));
    writeJsonBtn = new PRButton(tr("Choose Takeout Folders…"), w);
    writeJsonBtn->setObjectName(QStringLiteral("writeJsonBtn"));
    buttons->addStretch(1);
    buttons->addWidget(CancelJsonBtn);
    buttons->addWidget(writeJsonBtn);
    column->addLayout(buttons);
    column->addStretch(1);
    PRButton::whenPressed(writeJsonBtn, [this] { BatchWriteJsonFileToPhotos(); });
    PRButton::whenPressed(CancelJsonBtn, [this] { CanelJsonMetadataToPhotosAction(); });
}
