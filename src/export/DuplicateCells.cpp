#include "export/DuplicateCells.h"

#include "platform/core/Workspace.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace {
QLabel *whiteLabel(QWidget *parent, const char *name) {
    auto *l = new QLabel(parent);
    l->setObjectName(QLatin1String(name));
    l->setStyleSheet(QStringLiteral("color: white;"));
    return l;
}
} // namespace

PRDupNameCellView::PRDupNameCellView(QWidget *parent) : QWidget(parent) {
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(4, 2, 4, 2);
    imageView = new QLabel(this);
    imageView->setObjectName(QStringLiteral("imageView"));
    imageView->setFixedSize(48, 36);
    imageView->setAlignment(Qt::AlignCenter);
    fileNamelab = whiteLabel(this, "fileNamelab");
    fileSizelab = whiteLabel(this, "fileSizelab");
    grid->addWidget(imageView, 0, 0, 2, 1);
    grid->addWidget(fileNamelab, 0, 1);
    grid->addWidget(fileSizelab, 1, 1);
    grid->setColumnStretch(1, 1);
}

PRDupFilePathCellView::PRDupFilePathCellView(QWidget *parent) : QWidget(parent) {
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(4, 2, 4, 2);
    checkBtn = new QCheckBox(this);
    checkBtn->setObjectName(QStringLiteral("checkBtn"));
    textField = whiteLabel(this, "textField");
    fileNamelab = whiteLabel(this, "fileNamelab");
    filePathlab = whiteLabel(this, "filePathlab");
    fileDatelab = whiteLabel(this, "fileDatelab");
    findBtn = new QPushButton(tr("Show"), this);
    findBtn->setObjectName(QStringLiteral("findBtn"));
    row->addWidget(checkBtn);
    row->addWidget(textField, 1);
    row->addWidget(fileNamelab);
    row->addWidget(fileDatelab);
    row->addWidget(findBtn);
    filePathlab->hide();
    // clicked, not toggled: the table setting the box from the record must not toggle it.
    connect(checkBtn, &QCheckBox::clicked, this, &PRDupFilePathCellView::CheckTheFileAction);
    connect(findBtn, &QPushButton::clicked, this, &PRDupFilePathCellView::FindFileAction);
}

void PRDupFilePathCellView::CheckTheFileAction() {
    if (fileNode)
        fileNode->bSelected = !fileNode->bSelected;
}

void PRDupFilePathCellView::FindFileAction() {
    if (fileNode)
        Workspace::selectFile(fileNode->filePath, QString());
}
