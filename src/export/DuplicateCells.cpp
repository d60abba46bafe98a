#include "export/DuplicateCells.h"

#include "browser/PanelValueLabel.h"
#include "platform/core/Workspace.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace {
QLabel *whiteLabel(QLabel *l, const char *name) {
    l->setObjectName(QLatin1String(name));
    l->setStyleSheet(QStringLiteral("color: white;"));
    return l;
}
QLabel *whiteLabel(QWidget *parent, const char *name) {
    return whiteLabel(new QLabel(parent), name);
}
// A name longer than its cell is shortened in the middle, whole in its tooltip.
QLabel *nameLabel(QWidget *parent, const char *name) {
    return whiteLabel(new PanelValueLabel(parent), name);
}
} // namespace

PRDupNameCellView::PRDupNameCellView(QWidget *parent) : QWidget(parent) {
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(4, 2, 4, 2);
    imageView = new QLabel(this);
    imageView->setObjectName(QStringLiteral("imageView"));
    imageView->setFixedSize(48, 36);
    imageView->setAlignment(Qt::AlignCenter);
    fileNamelab = nameLabel(this, "fileNamelab");
    fileSizelab = whiteLabel(this, "fileSizelab");
    grid->addWidget(imageView, 0, 0, 2, 1);
    grid->addWidget(fileNamelab, 0, 1);
    grid->addWidget(fileSizelab, 1, 1);
    grid->setColumnStretch(1, 1);
}

PRDupFilePathCellView::PRDupFilePathCellView(QWidget *parent) : QWidget(parent) {
    // The name on a line of its own, its size and date under it: a narrow table cuts none.
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(4, 2, 4, 2);
    grid->setVerticalSpacing(0);
    checkBtn = new QCheckBox(this);
    checkBtn->setObjectName(QStringLiteral("checkBtn"));
    textField = nameLabel(this, "textField");
    fileNamelab = whiteLabel(this, "fileNamelab");
    filePathlab = whiteLabel(this, "filePathlab");
    fileDatelab = whiteLabel(this, "fileDatelab");
    findBtn = new QPushButton(tr("Show"), this);
    findBtn->setObjectName(QStringLiteral("findBtn"));
    grid->addWidget(checkBtn, 0, 0, 2, 1);
    grid->addWidget(textField, 0, 1, 1, 2);
    grid->addWidget(fileNamelab, 1, 1);
    grid->addWidget(fileDatelab, 1, 2);
    grid->addWidget(findBtn, 0, 3, 2, 1);
    grid->setColumnStretch(2, 1);
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
