// The duplicate finder window.
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

void buildDuplicateWindow(AppDelegate &d) {
    QWidget *w = newAuxiliaryWindow(d, "dupWindow", AppDelegate::tr("Find Duplicates"));
    d.dupWindow = w;
    auto *grid = new QGridLayout(w);
    d.dupGroudImageView = new PKImageView(w);
    d.dupGroudImageView->setObjectName(QStringLiteral("dupGroudImageView"));
    grid->addWidget(d.dupGroudImageView, 0, 0);
    auto *content = new QVBoxLayout;
    content->setContentsMargins(16, 16, 16, 16);
    d.scanDupProcesser = new QProgressBar(w);
    d.scanDupProcesser->setObjectName(QStringLiteral("scanDupProcesser"));
    content->addWidget(d.scanDupProcesser);
    d.scanningDupinfolab = new QLabel(w);
    d.scanningDupinfolab->setObjectName(QStringLiteral("scanningDupinfolab"));
    content->addWidget(d.scanningDupinfolab);
    d.previewDupContentView = new QWidget(w);
    d.previewDupContentView->setObjectName(QStringLiteral("previewDupContentView"));
    d.previewDupContentView->setMinimumSize(200, 150);
    content->addWidget(d.previewDupContentView);
    d.previewDupImageView = new PKImageView(d.previewDupContentView);
    d.previewDupImageView->setObjectName(QStringLiteral("previewDupImageView"));
    d.previewDupplayerView = new QWidget(d.previewDupContentView);
    d.previewDupplayerView->setObjectName(QStringLiteral("previewDupplayerView"));
    content->addStretch(1);
    grid->addLayout(content, 0, 0);
}
