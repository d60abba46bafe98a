// The window that repairs the file names of referenced photos.
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

void buildFixReferencedNameWindow(AppDelegate &d) {
    QWidget *w = newAuxiliaryWindow(d, "fixReferencedNameWindow", AppDelegate::tr("Fix Referenced File Names"));
    d.fixReferencedNameWindow = w;
    auto *grid = new QGridLayout(w);
    d.fixReferencedNameImgView = new PKImageView(w);
    d.fixReferencedNameImgView->setObjectName(QStringLiteral("fixReferencedNameImgView"));
    grid->addWidget(d.fixReferencedNameImgView, 0, 0);
    auto *content = new QVBoxLayout;
    content->setContentsMargins(16, 16, 16, 16);
    d.copyPhotoLibFileNameBtn = new QCheckBox(w);
    d.copyPhotoLibFileNameBtn->setObjectName(QStringLiteral("copyPhotoLibFileNameBtn"));
    content->addWidget(d.copyPhotoLibFileNameBtn);
    d.copyOrigFileNameBtn = new QCheckBox(w);
    d.copyOrigFileNameBtn->setObjectName(QStringLiteral("copyOrigFileNameBtn"));
    content->addWidget(d.copyOrigFileNameBtn);
    content->addStretch(1);
    grid->addLayout(content, 0, 0);
}
