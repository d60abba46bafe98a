// The camera and iOS device window.
#include "app/AppDelegate.h"
#include "app/WindowDescription.h"

#include "browser/LocalPhotoModel.h"
#include "platform/ImageView.h"

#include <QAction>
#include <QItemSelectionModel>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

void buildCameraWindow(AppDelegate &d) {
    QVBoxLayout *column = newColumnWindow(d, d.deviceWindow, "deviceWindow",
                                          AppDelegate::tr("Camera"), &d.deviceWindowImageView);
    QWidget *w = d.deviceWindow;
    PK_OUTLET(column, w, d, hasDeviceImageView);
    PK_OUTLET(column, w, d, deviceNamelab);
    PK_OUTLET(column, w, d, imageBrowserView);
    PK_OUTLET(column, w, d, opendeviceBtn);
    PK_OUTLET(column, w, d, downloadPhotoBtn);
    PK_OUTLET(column, w, d, importEditPhotoBtn);
    PK_OUTLET(column, w, d, deletePhotoBtn);
    PK_OUTLET(column, w, d, viewExifBtn);
    PK_OUTLET(column, w, d, removeExifBtn);
    PK_OUTLET(column, w, d, camerataskProgressor);
    PK_OUTLET(column, w, d, devicebottomWindowImageView);
    d.hasDeviceImageView->setMinimumHeight(40);
    d.devicebottomWindowImageView->setMinimumHeight(24);
    d.opendeviceBtn->setText(AppDelegate::tr("Open Device"));
    d.downloadPhotoBtn->setText(AppDelegate::tr("Download"));
    d.importEditPhotoBtn->setText(AppDelegate::tr("Download and Edit"));
    d.deletePhotoBtn->setText(AppDelegate::tr("Delete"));
    d.viewExifBtn->setText(AppDelegate::tr("View Metadata"));
    d.removeExifBtn->setText(AppDelegate::tr("Remove Metadata"));
    column->addStretch(1);

    d.cameraPhotoModel = new LocalPhotoModel(&d.cameItemArray, d.imageBrowserView);
    d.imageBrowserView->setModel(d.cameraPhotoModel);
    d.imageBrowserView->setSelectionMode(QAbstractItemView::ExtendedSelection);

    const std::pair<QPushButton *, void (AppDelegate::*)()> actions[] = {
        {d.opendeviceBtn, &AppDelegate::OpenDeviceAction},
        {d.downloadPhotoBtn, &AppDelegate::DownloadPhotoAction},
        {d.importEditPhotoBtn, &AppDelegate::DownloadImportEditePhotoAction},
        {d.deletePhotoBtn, &AppDelegate::DeletePhotoAction},
        {d.viewExifBtn, &AppDelegate::ViewExifData},
    };
    for (const auto &[button, action] : actions)
        QObject::connect(button, &QPushButton::clicked, &d, action);
    // The buttons act on the selected photos, so they are on while there are some.
    auto updateButtons = [&d] {
        const bool any = d.imageBrowserView->selectionModel() &&
                         d.imageBrowserView->selectionModel()->hasSelection();
        for (QPushButton *b : {d.deletePhotoBtn, d.downloadPhotoBtn, d.importEditPhotoBtn,
                               d.viewExifBtn, d.removeExifBtn})
            b->setEnabled(any);
    };
    QObject::connect(d.imageBrowserView->selectionModel(), &QItemSelectionModel::selectionChanged,
                     &d, updateButtons);
    QObject::connect(d.cameraPhotoModel, &QAbstractItemModel::modelReset, &d, updateButtons);
    QObject::connect(d.cameraPhotoModel, &QAbstractItemModel::rowsRemoved, &d, updateButtons);
    // The removal menu from here works on the camera's photos, until it closes.
    QObject::connect(d.removeExifBtn, &QPushButton::clicked, &d, [&d] {
        if (!d.removeExifMenu)
            return;
        if (!d.removeExifMenu->property("pkCameraHook").toBool()) {
            d.removeExifMenu->setProperty("pkCameraHook", true);
            // The chosen action runs after the menu hides, so the flag goes after it.
            QObject::connect(d.removeExifMenu, &QMenu::aboutToHide, &d, [&d] {
                QTimer::singleShot(0, &d, [&d] { d.removalMenuFromCamera = false; });
            });
        }
        d.removalMenuFromCamera = true;
        d.popUpButtonMenu(d.removeExifMenu, d.removeExifBtn, d.removeExifBtn->height() / 4.0);
    });
    if (d.changtoiOSmodemenu)
        QObject::connect(d.changtoiOSmodemenu, &QAction::triggered, &d,
                         &AppDelegate::ChangeToImportiOSDevicePhoto);
}
