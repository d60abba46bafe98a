// The sheet that repairs the file names of referenced photos.
#include "app/AppDelegate.h"
#include "app/WindowDescription.h"

#include "platform/ImageView.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QMainWindow>
#include <QPushButton>

void buildFixReferencedNameWindow(AppDelegate &d) {
    // A sheet of the main window, so it cannot outlive it or fall behind it.
    auto *sheet = new QDialog(d.window);
    sheet->setObjectName(QStringLiteral("fixReferencedNameWindow"));
    sheet->setWindowTitle(AppDelegate::tr("Fix Referenced File Names"));
    sheet->setWindowModality(Qt::WindowModal);
    d.libraryWindows.fixReferencedNameWindow = sheet;
    auto *grid = new QGridLayout(sheet);
    d.libraryWindows.fixReferencedNameImgView = new PKImageView(sheet);
    d.libraryWindows.fixReferencedNameImgView->setObjectName(
        QStringLiteral("fixReferencedNameWindowBackground"));
    grid->addWidget(d.libraryWindows.fixReferencedNameImgView, 0, 0);
    auto *column = new QVBoxLayout;
    column->setContentsMargins(16, 16, 16, 16);
    grid->addLayout(column, 0, 0);
    PK_OUTLET(column, sheet, d, libraryWindows.copyPhotoLibFileNameBtn);
    PK_OUTLET(column, sheet, d, libraryWindows.copyOrigFileNameBtn);
    // Changing the library is the default; renaming files on disk is asked for.
    d.libraryWindows.copyOrigFileNameBtn->setChecked(true);
    QObject::connect(
        d.libraryWindows.copyOrigFileNameBtn, &QCheckBox::clicked, &d,
        &AppDelegate::forward<&LibraryWindowsPart::CheckCopyOrigFileNameReferenceFileAction>);
    QObject::connect(
        d.libraryWindows.copyPhotoLibFileNameBtn, &QCheckBox::clicked, &d,
        &AppDelegate::forward<&LibraryWindowsPart::CheckCopyPhotoLibFileNameReferenceFileAction>);
    column->addStretch(1);
    auto *buttons = new QDialogButtonBox(sheet);
    QPushButton *start = buttons->addButton(AppDelegate::tr("Start"), QDialogButtonBox::AcceptRole);
    start->setObjectName(QStringLiteral("startFixReferencedNameBtn"));
    buttons->addButton(QDialogButtonBox::Cancel);
    column->addWidget(buttons);
    QObject::connect(
        start, &QPushButton::clicked, &d,
        &AppDelegate::forward<&LibraryWindowsPart::StartCopyFileNameReferenceFileAction>);
    QObject::connect(buttons, &QDialogButtonBox::rejected, sheet, &QDialog::reject);
}
