// The XMP sidecar merge window.
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

void buildXmpMergeWindow(AppDelegate &d) {
    QWidget *w = newAuxiliaryWindow(d, "writeXmpWindow", AppDelegate::tr("Merge XMP Sidecar Files"));
    d.writeXmpWindow = w;
    auto *grid = new QGridLayout(w);
    d.writeXmpImgView = new PKImageView(w);
    d.writeXmpImgView->setObjectName(QStringLiteral("writeXmpImgView"));
    grid->addWidget(d.writeXmpImgView, 0, 0);
    auto *content = new QVBoxLayout;
    content->setContentsMargins(16, 16, 16, 16);
    d.writeXmpProcesser = new QProgressBar(w);
    d.writeXmpProcesser->setObjectName(QStringLiteral("writeXmpProcesser"));
    content->addWidget(d.writeXmpProcesser);
    content->addStretch(1);
    grid->addLayout(content, 0, 0);
}
