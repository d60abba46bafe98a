// The library merge window.
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

void buildLibraryMergeWindow(AppDelegate &d) {
    QWidget *w = newAuxiliaryWindow(d, "photolibMergeWindow", AppDelegate::tr("Merge Photo Libraries"));
    d.photolibMergeWindow = w;
    auto *grid = new QGridLayout(w);
    auto *content = new QVBoxLayout;
    content->setContentsMargins(16, 16, 16, 16);
    d.photolibTableview = new QWidget(w);
    d.photolibTableview->setObjectName(QStringLiteral("photolibTableview"));
    d.photolibTableview->setMinimumHeight(120);
    content->addWidget(d.photolibTableview);
    d.photolibDoNotImportDupBtn = new QCheckBox(w);
    d.photolibDoNotImportDupBtn->setObjectName(QStringLiteral("photolibDoNotImportDupBtn"));
    content->addWidget(d.photolibDoNotImportDupBtn);
    d.photolibKeepAblumBtn = new QCheckBox(w);
    d.photolibKeepAblumBtn->setObjectName(QStringLiteral("photolibKeepAblumBtn"));
    content->addWidget(d.photolibKeepAblumBtn);
    d.photolibKeepPhotoMetaBtn = new QCheckBox(w);
    d.photolibKeepPhotoMetaBtn->setObjectName(QStringLiteral("photolibKeepPhotoMetaBtn"));
    content->addWidget(d.photolibKeepPhotoMetaBtn);
    content->addStretch(1);
    grid->addLayout(content, 0, 0);
}
