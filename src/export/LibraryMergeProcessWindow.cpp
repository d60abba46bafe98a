// The progress window of a library merge.
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

void buildLibraryMergeProcessWindow(AppDelegate &d) {
    QWidget *w = newAuxiliaryWindow(d, "photolibMergeProcessWindow", AppDelegate::tr("Merging Photo Libraries"));
    d.photolibMergeProcessWindow = w;
    auto *grid = new QGridLayout(w);
    auto *content = new QVBoxLayout;
    content->setContentsMargins(16, 16, 16, 16);
    content->addStretch(1);
    grid->addLayout(content, 0, 0);
}
