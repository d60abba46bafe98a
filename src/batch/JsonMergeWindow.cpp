// The Google Takeout JSON merge window.
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

void buildJsonMergeWindow(AppDelegate &d) {
    QWidget *w = newAuxiliaryWindow(d, "writeJsonWindow", AppDelegate::tr("Merge Google Takeout Metadata"));
    d.writeJsonWindow = w;
    auto *grid = new QGridLayout(w);
    d.writeJsonImgView = new PKImageView(w);
    d.writeJsonImgView->setObjectName(QStringLiteral("writeJsonImgView"));
    grid->addWidget(d.writeJsonImgView, 0, 0);
    auto *content = new QVBoxLayout;
    content->setContentsMargins(16, 16, 16, 16);
    content->addStretch(1);
    grid->addLayout(content, 0, 0);
}
