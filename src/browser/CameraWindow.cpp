// The camera and iOS device window.
#include "browser/CameraWindow.h"

#include "app/AppServices.h"
#include "app/WindowDescription.h"
#include "browser/MainWindow.h"

#include "browser/LocalPhotoModel.h"
#include "platform/Artwork.h"
#include "platform/ImageView.h"
#include "platform/core/CameraDevice.h"

#include <QAction>
#include <QGridLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

CameraWindow::CameraWindow(AppServices &app, MainWindow &mainWindow,
                           std::function<bool()> localMode)
    : app(app), mainWindow(mainWindow), localMode(std::move(localMode)) {}

CameraWindow::~CameraWindow() {
    qDeleteAll(ownWindows);
}

void CameraWindow::build() {
    QVBoxLayout *column = newColumnWindow(ownWindows, deviceWindow, "deviceWindow", tr("Camera"),
                                          &deviceWindowImageView);
    QWidget *w = deviceWindow;
    // Closing the window stops the listings it was showing.
    onWindowClose(w, [this] { stopListings(); });
    addOutlet(column, w, hasDeviceImageView, "cameraWindow.hasDeviceImageView");
    addOutlet(column, w, deviceNamelab, "cameraWindow.deviceNamelab");
    addOutlet(column, w, imageBrowserView, "cameraWindow.imageBrowserView");
    // The buttons in two rows under the photos, which take the window's height.
    auto *buttons = new QGridLayout;
    const std::pair<QPushButton **, const char *> buttonOutlets[] = {
        {&opendeviceBtn, "opendeviceBtn"},
        {&downloadPhotoBtn, "downloadPhotoBtn"},
        {&importEditPhotoBtn, "importEditPhotoBtn"},
        {&deletePhotoBtn, "deletePhotoBtn"},
        {&viewExifBtn, "viewExifBtn"},
        {&removeExifBtn, "removeExifBtn"},
    };
    for (int i = 0; i < 6; ++i) {
        QPushButton *&button = *buttonOutlets[i].first;
        button = new QPushButton(w);
        button->setObjectName(QLatin1String(buttonOutlets[i].second));
        buttons->addWidget(button, i / 3, i % 3);
    }
    column->addLayout(buttons);
    addOutlet(column, w, camerataskProgressor, "cameraWindow.camerataskProgressor");
    addOutlet(column, w, devicebottomWindowImageView, "cameraWindow.devicebottomWindowImageView");
    column->setStretchFactor(imageBrowserView, 1);
    hasDeviceImageView->setMinimumHeight(40);
    devicebottomWindowImageView->setMinimumHeight(24);
    opendeviceBtn->setText(tr("Open Device"));
    downloadPhotoBtn->setText(tr("Download"));
    importEditPhotoBtn->setText(tr("Download and Edit"));
    deletePhotoBtn->setText(tr("Delete"));
    viewExifBtn->setText(tr("View Metadata"));
    removeExifBtn->setText(tr("Remove Metadata"));
    // Room for a few rows of photos.
    w->resize(720, 620);

    cameraPhotoModel = new LocalPhotoModel(&cameItemArray, imageBrowserView);
    imageBrowserView->setModel(cameraPhotoModel);
    imageBrowserView->setSelectionMode(QAbstractItemView::ExtendedSelection);

    const std::pair<QPushButton *, void (CameraWindow::*)()> actions[] = {
        {opendeviceBtn, &CameraWindow::OpenDeviceAction},
        {downloadPhotoBtn, &CameraWindow::DownloadPhotoAction},
        {importEditPhotoBtn, &CameraWindow::DownloadImportEditePhotoAction},
        {deletePhotoBtn, &CameraWindow::DeletePhotoAction},
        {viewExifBtn, &CameraWindow::ViewExifData},
    };
    for (const auto &[button, action] : actions)
        connect(button, &QPushButton::clicked, this,
                [this, action = action] { (this->*action)(); });
    // The buttons act on the selected photos, so they are on while there are some.
    auto updateButtons = [this] {
        const bool any = imageBrowserView->selectionModel() &&
                         imageBrowserView->selectionModel()->hasSelection();
        for (QPushButton *b :
             {deletePhotoBtn, downloadPhotoBtn, importEditPhotoBtn, viewExifBtn, removeExifBtn})
            b->setEnabled(any);
    };
    connect(imageBrowserView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            updateButtons);
    connect(cameraPhotoModel, &QAbstractItemModel::modelReset, this, updateButtons);
    connect(cameraPhotoModel, &QAbstractItemModel::rowsRemoved, this, updateButtons);
    updateButtons();
    // The removal menu from here works on the camera's photos, until it closes.
    connect(removeExifBtn, &QPushButton::clicked, this, [this] {
        QMenu *menu = mainWindow.removalMenu();
        if (!menu)
            return;
        if (!menu->property("pkCameraHook").toBool()) {
            menu->setProperty("pkCameraHook", true);
            // The chosen action runs after the menu hides, so the flag goes after it.
            connect(menu, &QMenu::aboutToHide, this, [this] {
                QTimer::singleShot(0, this, [this] { removalMenuFromCamera = false; });
            });
        }
        removalMenuFromCamera = true;
        mainWindow.popUpButtonMenu(menu, removeExifBtn, removeExifBtn->height() / 4.0);
    });
    if (QAction *item = mainWindow.cameraModeItem())
        connect(item, &QAction::triggered, this, [this] { ChangeToImportiOSDevicePhoto(); });
}

void CameraWindow::prepareControls() {
    for (auto [view, name] : {std::pair{deviceWindowImageView, "mainwindow.png"},
                              std::pair{devicebottomWindowImageView, "bottomwindow.png"},
                              std::pair{hasDeviceImageView, "bgroud.png"}})
        if (view)
            view->setImage(namedImage(QLatin1String(name)));
    for (QPushButton *b :
         {deletePhotoBtn, downloadPhotoBtn, importEditPhotoBtn, viewExifBtn, removeExifBtn})
        if (b)
            b->setEnabled(false);
    if (camerataskProgressor)
        camerataskProgressor->hide();
}

void CameraWindow::clearPhotos() {
    cameItemArray.clear();
}
