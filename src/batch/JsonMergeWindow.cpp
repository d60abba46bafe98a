// The Google Takeout JSON merge window.
#include "app/AppDelegate.h"
#include "app/WindowDescription.h"

#include "browser/PRButton.h"
#include "platform/ImageView.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>

void buildJsonMergeWindow(AppDelegate &d) {
    QVBoxLayout *column =
        newColumnWindow(d, d.writeJsonWindow, "writeJsonWindow",
                        AppDelegate::tr("Merge Google Takeout Metadata"), &d.writeJsonImgView);
    QWidget *w = d.writeJsonWindow;
    QLabel *text = PK_OUTLET(column, w, d, writeGooglePhotoLab);
    text->setWordWrap(true);
    text->setText(AppDelegate::tr(
        "The merge process will match the json files and photos in the Google Takeout folder, "
        "and automatically batch merge the json metadata into the corresponding photos."));
    QProgressBar *bar = PK_OUTLET(column, w, d, writeJsonProcesser);
    bar->setRange(0, 100);
    bar->setValue(0);
    bar->hide();
    auto *buttons = new QHBoxLayout;
    d.CancelJsonBtn = new PRButton(AppDelegate::tr("Cancel"), w);
    d.CancelJsonBtn->setObjectName(QStringLiteral("CancelJsonBtn"));
    d.writeJsonBtn = new PRButton(AppDelegate::tr("Choose Takeout Folders…"), w);
    d.writeJsonBtn->setObjectName(QStringLiteral("writeJsonBtn"));
    buttons->addStretch(1);
    buttons->addWidget(d.CancelJsonBtn);
    buttons->addWidget(d.writeJsonBtn);
    column->addLayout(buttons);
    column->addStretch(1);
}
