// The batch title and caption window.
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

void buildBatchTitleWindow(AppDelegate &d) {
    QWidget *w = newAuxiliaryWindow(d, "batchTitleWindow", AppDelegate::tr("Batch Titles and Captions"));
    d.batchTitleWindow = w;
    auto *grid = new QGridLayout(w);
    auto *content = new QVBoxLayout;
    content->setContentsMargins(16, 16, 16, 16);
    d.useFileNameAsTitlePopButton = new QComboBox(w);
    d.useFileNameAsTitlePopButton->setObjectName(QStringLiteral("useFileNameAsTitlePopButton"));
    content->addWidget(d.useFileNameAsTitlePopButton);
    d.changephotoTitle_addPhotoTagsPopButton = new QComboBox(w);
    d.changephotoTitle_addPhotoTagsPopButton->setObjectName(QStringLiteral("changephotoTitle_addPhotoTagsPopButton"));
    content->addWidget(d.changephotoTitle_addPhotoTagsPopButton);
    content->addStretch(1);
    grid->addLayout(content, 0, 0);
}
