// The Google Takeout JSON merge window.
#include "app/AppDelegate.h"
#include "app/WindowDescription.h"

#include "browser/PRButton.h"
#include "platform/ImageView.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>

void buildJsonMergeWindow(AppDelegate &d) {
    QVBoxLayout *column = newColumnWindow(d, d.sidecarMerges.writeJsonWindow, "writeJsonWindow",
                                          AppDelegate::tr("Merge Google Takeout Metadata"),
                                          &d.sidecarMerges.writeJsonImgView);
    QWidget *w = d.sidecarMerges.writeJsonWindow;
    QLabel *text = PK_OUTLET(column, w, d, sidecarMerges.writeGooglePhotoLab);
    text->setWordWrap(true);
    text->setText(AppDelegate::tr(
        "The merge process will match the json files and photos in the Google Takeout folder, "
        "and automatically batch merge the json metadata into the corresponding photos."));
    QProgressBar *bar = PK_OUTLET(column, w, d, sidecarMerges.writeJsonProcesser);
    bar->setRange(0, 100);
    bar->setValue(0);
    bar->hide();
    auto *buttons = new QHBoxLayout;
    d.sidecarMerges.CancelJsonBtn = new PRButton(AppDelegate::tr("Cancel"), w);
    d.sidecarMerges.CancelJsonBtn->setObjectName(QStringLiteral("CancelJsonBtn"));
    d.sidecarMerges.writeJsonBtn = new PRButton(AppDelegate::tr("Choose Takeout Folders…"), w);
    d.sidecarMerges.writeJsonBtn->setObjectName(QStringLiteral("writeJsonBtn"));
    buttons->addStretch(1);
    buttons->addWidget(d.sidecarMerges.CancelJsonBtn);
    buttons->addWidget(d.sidecarMerges.writeJsonBtn);
    column->addLayout(buttons);
    column->addStretch(1);
}
