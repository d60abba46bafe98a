// The camera and iOS device window.
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

void buildCameraWindow(AppDelegate &d) {
    QWidget *w = newAuxiliaryWindow(d, "deviceWindow", AppDelegate::tr("Camera"));
    d.deviceWindow = w;
    auto *grid = new QGridLayout(w);
    d.deviceWindowImageView = new PKImageView(w);
    d.deviceWindowImageView->setObjectName(QStringLiteral("deviceWindowImageView"));
    grid->addWidget(d.deviceWindowImageView, 0, 0);
    auto *content = new QVBoxLayout;
    content->setContentsMargins(16, 16, 16, 16);
    d.hasDeviceImageView = new PKImageView(w);
    d.hasDeviceImageView->setObjectName(QStringLiteral("hasDeviceImageView"));
    d.hasDeviceImageView->setMinimumHeight(40);
    content->addWidget(d.hasDeviceImageView);
    d.imageBrowserView = new QListView(w);
    d.imageBrowserView->setObjectName(QStringLiteral("imageBrowserView"));
    content->addWidget(d.imageBrowserView);
    d.downloadPhotoBtn = new QPushButton(w);
    d.downloadPhotoBtn->setObjectName(QStringLiteral("downloadPhotoBtn"));
    d.downloadPhotoBtn->setText(AppDelegate::tr("Download"));
    content->addWidget(d.downloadPhotoBtn);
    d.deletePhotoBtn = new QPushButton(w);
    d.deletePhotoBtn->setObjectName(QStringLiteral("deletePhotoBtn"));
    d.deletePhotoBtn->setText(AppDelegate::tr("Delete"));
    content->addWidget(d.deletePhotoBtn);
    d.viewExifBtn = new QPushButton(w);
    d.viewExifBtn->setObjectName(QStringLiteral("viewExifBtn"));
    d.viewExifBtn->setText(AppDelegate::tr("View Metadata"));
    content->addWidget(d.viewExifBtn);
    d.removeExifBtn = new QPushButton(w);
    d.removeExifBtn->setObjectName(QStringLiteral("removeExifBtn"));
    d.removeExifBtn->setText(AppDelegate::tr("Remove Metadata"));
    content->addWidget(d.removeExifBtn);
    d.camerataskProgressor = new QProgressBar(w);
    d.camerataskProgressor->setObjectName(QStringLiteral("camerataskProgressor"));
    content->addWidget(d.camerataskProgressor);
    d.devicebottomWindowImageView = new PKImageView(w);
    d.devicebottomWindowImageView->setObjectName(QStringLiteral("devicebottomWindowImageView"));
    d.devicebottomWindowImageView->setMinimumHeight(24);
    content->addWidget(d.devicebottomWindowImageView);
    content->addStretch(1);
    grid->addLayout(content, 0, 0);
}
