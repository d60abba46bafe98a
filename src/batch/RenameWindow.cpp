// The batch rename window.
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

void buildRenameWindow(AppDelegate &d) {
    QWidget *w = newAuxiliaryWindow(d, "renameWindow", AppDelegate::tr("Rename Photos"));
    d.renameWindow = w;
    auto *grid = new QGridLayout(w);
    d.renameActionImgView = new PKImageView(w);
    d.renameActionImgView->setObjectName(QStringLiteral("renameActionImgView"));
    grid->addWidget(d.renameActionImgView, 0, 0);
    auto *content = new QVBoxLayout;
    content->setContentsMargins(16, 16, 16, 16);
    d.customerFileNameBtn = new QCheckBox(w);
    d.customerFileNameBtn->setObjectName(QStringLiteral("customerFileNameBtn"));
    content->addWidget(d.customerFileNameBtn);
    d.keepFileNameBtn = new QCheckBox(w);
    d.keepFileNameBtn->setObjectName(QStringLiteral("keepFileNameBtn"));
    content->addWidget(d.keepFileNameBtn);
    d.replaceInvaidStrBtn = new QCheckBox(w);
    d.replaceInvaidStrBtn->setObjectName(QStringLiteral("replaceInvaidStrBtn"));
    content->addWidget(d.replaceInvaidStrBtn);
    d.seqNumBtn = new QCheckBox(w);
    d.seqNumBtn->setObjectName(QStringLiteral("seqNumBtn"));
    content->addWidget(d.seqNumBtn);
    d.keepCurrentFileNameBtn = new QCheckBox(w);
    d.keepCurrentFileNameBtn->setObjectName(QStringLiteral("keepCurrentFileNameBtn"));
    content->addWidget(d.keepCurrentFileNameBtn);
    d.checkKeepFirstFileName = new QCheckBox(w);
    d.checkKeepFirstFileName->setObjectName(QStringLiteral("checkKeepFirstFileName"));
    content->addWidget(d.checkKeepFirstFileName);
    d.checkKeepLastFileName = new QCheckBox(w);
    d.checkKeepLastFileName->setObjectName(QStringLiteral("checkKeepLastFileName"));
    content->addWidget(d.checkKeepLastFileName);
    d.checkRemoveFirstFileName = new QCheckBox(w);
    d.checkRemoveFirstFileName->setObjectName(QStringLiteral("checkRemoveFirstFileName"));
    content->addWidget(d.checkRemoveFirstFileName);
    d.checkRemoveLastFileName = new QCheckBox(w);
    d.checkRemoveLastFileName->setObjectName(QStringLiteral("checkRemoveLastFileName"));
    content->addWidget(d.checkRemoveLastFileName);
    d.metaFileNameBtn = new QCheckBox(w);
    d.metaFileNameBtn->setObjectName(QStringLiteral("metaFileNameBtn"));
    content->addWidget(d.metaFileNameBtn);
    d.addTagsButton = new QComboBox(w);
    d.addTagsButton->setObjectName(QStringLiteral("addTagsButton"));
    content->addWidget(d.addTagsButton);
    d.tagpostionButton = new QComboBox(w);
    d.tagpostionButton->setObjectName(QStringLiteral("tagpostionButton"));
    content->addWidget(d.tagpostionButton);
    d.renameDateFormatBtn = new QComboBox(w);
    d.renameDateFormatBtn->setObjectName(QStringLiteral("renameDateFormatBtn"));
    content->addWidget(d.renameDateFormatBtn);
    d.filenameFormatstrlab = new QLabel(w);
    d.filenameFormatstrlab->setObjectName(QStringLiteral("filenameFormatstrlab"));
    content->addWidget(d.filenameFormatstrlab);
    content->addStretch(1);
    grid->addLayout(content, 0, 0);
}
