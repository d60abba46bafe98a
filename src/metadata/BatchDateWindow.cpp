// The batch date window.
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

void buildBatchDateWindow(AppDelegate &d) {
    QWidget *w = newAuxiliaryWindow(d, "mutiDateWindow", AppDelegate::tr("Batch Change Dates"));
    d.mutiDateWindow = w;
    auto *grid = new QGridLayout(w);
    auto *content = new QVBoxLayout;
    content->setContentsMargins(16, 16, 16, 16);
    d.dateCustomView = new QWidget(w);
    d.dateCustomView->setObjectName(QStringLiteral("dateCustomView"));
    d.dateCustomView->setMinimumSize(160, 120);
    content->addWidget(d.dateCustomView);
    d.dateChoosePhotoBtn = new QPushButton(AppDelegate::tr("Choose a photo"), d.dateCustomView);
    d.dateChoosePhotoBtn->setObjectName(QStringLiteral("dateChoosePhotoBtn"));
    d.dateImageview = new PKImageView(d.dateCustomView);
    d.dateImageview->setObjectName(QStringLiteral("dateImageview"));
    d.AddDateUnitBtn = new QComboBox(w);
    d.AddDateUnitBtn->setObjectName(QStringLiteral("AddDateUnitBtn"));
    content->addWidget(d.AddDateUnitBtn);
    d.AddTimeBtn = new QPushButton(w);
    d.AddTimeBtn->setObjectName(QStringLiteral("AddTimeBtn"));
    content->addWidget(d.AddTimeBtn);
    d.RemoveTimeBtn = new QPushButton(w);
    d.RemoveTimeBtn->setObjectName(QStringLiteral("RemoveTimeBtn"));
    content->addWidget(d.RemoveTimeBtn);
    content->addStretch(1);
    grid->addLayout(content, 0, 0);
}
