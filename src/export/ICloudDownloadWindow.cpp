// The iCloud originals download window.
#include "app/AppDelegate.h"
#include "app/WindowDescription.h"

#include "platform/ImageView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QListView>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

void buildICloudDownloadWindow(AppDelegate &d) {
    QWidget *w = newAuxiliaryWindow(d, "downloadiCloudPhotosWindow", AppDelegate::tr("Download iCloud Photos"));
    d.downloadiCloudPhotosWindow = w;
    auto *grid = new QGridLayout(w);
    d.downloadiCloudPhotosImgView = new PKImageView(w);
    d.downloadiCloudPhotosImgView->setObjectName(QStringLiteral("downloadiCloudPhotosImgView"));
    grid->addWidget(d.downloadiCloudPhotosImgView, 0, 0);
    auto *content = new QVBoxLayout;
    content->setContentsMargins(16, 16, 16, 16);
    content->addStretch(1);
    grid->addLayout(content, 0, 0);
}
