// The camera and iOS device window.
#include "app/AppDelegate.h"
#include "app/WindowDescription.h"
#include "browser/MainWindowController.h"

#include "browser/LocalPhotoModel.h"
#include "platform/ImageView.h"

#include <QAction>
#include <QGridLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

void buildCameraWindow(AppDelegate &d) {
    QVBoxLayout *column =
        newColumnWindow(d, d.cameraWindow.deviceWindow, "deviceWindow", AppDelegate::tr("Camera"),
                        &d.cameraWindow.deviceWindowImageView);
    QWidget *w = d.cameraWindow.deviceWindow;
    // Closing the window stops the listings it was showing.
    onWindowClose(w, [&d] { d.cameraWindow.stopListings(); });
    PK_OUTLET(column, w, d, cameraWindow.hasDeviceImageView);
    PK_OUTLET(column, w, d, cameraWindow.deviceNamelab);
    PK_OUTLET(column, w, d, cameraWindow.imageBrowserView);
    // The buttons in two rows under the photos, which take the window's height.
    auto *buttons = new QGridLayout;
    const std::pair<QPushButton * CameraWindowPart::*, const char *> buttonOutlets[] = {
        {&CameraWindowPart::opendeviceBtn, "opendeviceBtn"},
        {&CameraWindowPart::downloadPhotoBtn, "downloadPhotoBtn"},
        {&CameraWindowPart::importEditPhotoBtn, "importEditPhotoBtn"},
        {&CameraWindowPart::deletePhotoBtn, "deletePhotoBtn"},
        {&CameraWindowPart::viewExifBtn, "viewExifBtn"},
        {&CameraWindowPart::removeExifBtn, "removeExifBtn"},
    };
    for (int i = 0; i < 6; ++i) {
        QPushButton *&button = d.cameraWindow.*buttonOutlets[i].first;
        button = new QPushButton(w);
        button->setObjectName(QLatin1String(buttonOutlets[i].second));
        buttons->addWidget(button, i / 3, i % 3);
    }
    column->addLayout(buttons);
    PK_OUTLET(column, w, d, cameraWindow.camerataskProgressor);
    PK_OUTLET(column, w, d, cameraWindow.devicebottomWindowImageView);
    column->setStretchFactor(d.cameraWindow.imageBrowserView, 1);
    d.cameraWindow.hasDeviceImageView->setMinimumHeight(40);
    d.cameraWindow.devicebottomWindowImageView->setMinimumHeight(24);
    d.cameraWindow.opendeviceBtn->setText(AppDelegate::tr("Open Device"));
    d.cameraWindow.downloadPhotoBtn->setText(AppDelegate::tr("Download"));
    d.cameraWindow.importEditPhotoBtn->setText(AppDelegate::tr("Download and Edit"));
    d.cameraWindow.deletePhotoBtn->setText(AppDelegate::tr("Delete"));
    d.cameraWindow.viewExifBtn->setText(AppDelegate::tr("View Metadata"));
    d.cameraWindow.removeExifBtn->setText(AppDelegate::tr("Remove Metadata"));
    // Room for a few rows of photos.
    w->resize(720, 620);

    d.cameraWindow.cameraPhotoModel =
        new LocalPhotoModel(&d.cameraWindow.cameItemArray, d.cameraWindow.imageBrowserView);
    d.cameraWindow.imageBrowserView->setModel(d.cameraWindow.cameraPhotoModel);
    d.cameraWindow.imageBrowserView->setSelectionMode(QAbstractItemView::ExtendedSelection);

    const std::pair<QPushButton *, void (AppDelegate::*)()> actions[] = {
        {d.cameraWindow.opendeviceBtn, &AppDelegate::forward<&CameraWindowPart::OpenDeviceAction>},
        {d.cameraWindow.downloadPhotoBtn,
         &AppDelegate::forward<&CameraWindowPart::DownloadPhotoAction>},
        {d.cameraWindow.importEditPhotoBtn,
         &AppDelegate::forward<&CameraWindowPart::DownloadImportEditePhotoAction>},
        {d.cameraWindow.deletePhotoBtn,
         &AppDelegate::forward<&CameraWindowPart::DeletePhotoAction>},
        {d.cameraWindow.viewExifBtn, &AppDelegate::forward<&CameraWindowPart::ViewExifData>},
    };
    for (const auto &[button, action] : actions)
        QObject::connect(button, &QPushButton::clicked, &d, action);
    // The buttons act on the selected photos, so they are on while there are some.
    auto updateButtons = [&d] {
        const bool any = d.cameraWindow.imageBrowserView->selectionModel() &&
                         d.cameraWindow.imageBrowserView->selectionModel()->hasSelection();
        for (QPushButton *b : {d.cameraWindow.deletePhotoBtn, d.cameraWindow.downloadPhotoBtn,
                               d.cameraWindow.importEditPhotoBtn, d.cameraWindow.viewExifBtn,
                               d.cameraWindow.removeExifBtn})
            b->setEnabled(any);
    };
    QObject::connect(d.cameraWindow.imageBrowserView->selectionModel(),
                     &QItemSelectionModel::selectionChanged, &d, updateButtons);
    QObject::connect(d.cameraWindow.cameraPhotoModel, &QAbstractItemModel::modelReset, &d,
                     updateButtons);
    QObject::connect(d.cameraWindow.cameraPhotoModel, &QAbstractItemModel::rowsRemoved, &d,
                     updateButtons);
    updateButtons();
    // The removal menu from here works on the camera's photos, until it closes.
    QObject::connect(d.cameraWindow.removeExifBtn, &QPushButton::clicked, &d, [&d] {
        if (!d.mainWindowController().removeExifMenu)
            return;
        if (!d.mainWindowController().removeExifMenu->property("pkCameraHook").toBool()) {
            d.mainWindowController().removeExifMenu->setProperty("pkCameraHook", true);
            // The chosen action runs after the menu hides, so the flag goes after it.
            QObject::connect(
                d.mainWindowController().removeExifMenu, &QMenu::aboutToHide, &d,
                [&d] { QTimer::singleShot(0, &d, [&d] { d.removalMenuFromCamera = false; }); });
        }
        d.removalMenuFromCamera = true;
        d.mainWindowController().popUpButtonMenu(d.mainWindowController().removeExifMenu,
                                                 d.cameraWindow.removeExifBtn,
                                                 d.cameraWindow.removeExifBtn->height() / 4.0);
    });
    if (d.mainWindowController().changtoiOSmodemenu)
        QObject::connect(d.mainWindowController().changtoiOSmodemenu, &QAction::triggered, &d,
                         &AppDelegate::forward<&CameraWindowPart::ChangeToImportiOSDevicePhoto>);
}
