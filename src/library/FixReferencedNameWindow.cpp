// The library's secondary windows: the sheet that repairs the file names of referenced photos
// and the iCloud originals download window.
#include "library/LibraryWindows.h"

#include "app/AppLook.h"
#include "app/AppServices.h"
#include "app/Jobs.h"
#include "app/WindowDescription.h"
#include "platform/Artwork.h"
#include "platform/ImageView.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QMainWindow>
#include <QPushButton>

LibraryWindows::LibraryWindows(AppServices &services, LibraryPanels &libraryPanels,
                               LibraryDatabase &libraryDatabase, EditSheet &sheet)
    : app(services), panels(libraryPanels), database(libraryDatabase), editSheet(sheet) {}

LibraryWindows::~LibraryWindows() {
    qDeleteAll(ownWindows);
}

void LibraryWindows::build() {
    buildFixReferencedNameWindow();
    buildICloudDownloadWindow();
    for (PKImageView *v : {fixReferencedNameImgView, downloadiCloudPhotosImgView})
        v->setImage(namedImage(QStringLiteral("editimageview.png")));
}

void LibraryWindows::buildFixReferencedNameWindow() {
    // A sheet of the main window, so it cannot outlive it or fall behind it.
    auto *sheet = new QDialog(app.mainWindow());
    sheet->setObjectName(QStringLiteral("fixReferencedNameWindow"));
    sheet->setWindowTitle(tr("Fix Referenced File Names"));
    sheet->setWindowModality(Qt::WindowModal);
    fixReferencedNameWindow = sheet;
    auto *grid = new QGridLayout(sheet);
    fixReferencedNameImgView = new PKImageView(sheet);
    fixReferencedNameImgView->setObjectName(QStringLiteral("fixReferencedNameWindowBackground"));
    grid->addWidget(fixReferencedNameImgView, 0, 0);
    auto *column = new QVBoxLayout;
    column->setContentsMargins(16, 16, 16, 16);
    grid->addLayout(column, 0, 0);
    const QFont font = optionFont();
    const std::pair<QCheckBox **, const char *> boxes[] = {
        {&copyPhotoLibFileNameBtn, "copyPhotoLibFileNameBtn"},
        {&copyOrigFileNameBtn, "copyOrigFileNameBtn"}};
    for (const auto &[box, name] : boxes) {
        *box = new QCheckBox(sheet);
        (*box)->setObjectName(QLatin1String(name));
        (*box)->setFont(font);
        column->addWidget(*box);
    }
    copyPhotoLibFileNameBtn->setText(QStringLiteral(
        "Copy the filename from the referenced file in the photo library to the original photo"));
    copyOrigFileNameBtn->setText(QStringLiteral(
        "Copy the filename from the original photo to the referenced file in the photo library"));
    // Changing the library is the default; renaming files on disk is asked for.
    copyOrigFileNameBtn->setChecked(true);
    QObject::connect(copyOrigFileNameBtn, &QCheckBox::clicked, sheet,
                     [this] { CheckCopyOrigFileNameReferenceFileAction(); });
    QObject::connect(copyPhotoLibFileNameBtn, &QCheckBox::clicked, sheet,
                     [this] { CheckCopyPhotoLibFileNameReferenceFileAction(); });
    column->addStretch(1);
    auto *buttons = new QDialogButtonBox(sheet);
    QPushButton *start = buttons->addButton(tr("Start"), QDialogButtonBox::AcceptRole);
    start->setObjectName(QStringLiteral("startFixReferencedNameBtn"));
    buttons->addButton(QDialogButtonBox::Cancel);
    column->addWidget(buttons);
    // Through the jobs: the repair's ending is named by the menu item that opened the sheet.
    QObject::connect(start, &QPushButton::clicked, &app.jobs(),
                     [this] { StartCopyFileNameReferenceFileAction(); });
    QObject::connect(buttons, &QDialogButtonBox::rejected, sheet, &QDialog::reject);
}

void LibraryWindows::buildICloudDownloadWindow() {
    QVBoxLayout *column =
        newColumnWindow(ownWindows, downloadiCloudPhotosWindow, "downloadiCloudPhotosWindow",
                        tr("Download iCloud Photos"), &downloadiCloudPhotosImgView);
    column->addStretch(1);
}
