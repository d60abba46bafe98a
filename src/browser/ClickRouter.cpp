// The click router: every image button posts its click, and this is where a click gets
// its effect. It is also the one place the browser reaches into the other features.
#include "app/AppDelegate.h"

#include "browser/PRButton.h"
#include "platform/AlertSheet.h"

#include <QApplication>
#include <QMainWindow>
#include <QMenu>
#include <functional>

namespace {
// Shows `image` on the button while the action runs, and again once it has returned.
void withImage(PRButton *button, const char *image, const std::function<void()> &action) {
    button->setImageName(QLatin1String(image));
    action();
    button->setImageName(QLatin1String(image));
}

struct Route {
    QObject *button;
    std::function<void()> click;
};
} // namespace

void AppDelegate::popUpButtonMenu(QMenu *menu, QWidget *button, qreal offset) {
    if (!menu || !button)
        return;
    // Below the button's lower edge, lowered by the offset.
    const QPoint at = button->mapToGlobal(QPoint(0, button->height() + int(offset)));
    menu->popup(at);
}

void AppDelegate::MybuttonMouseDownHandle(QObject *sender) {
    if (!sender)
        return;
    auto quarter = [](QWidget *b) { return b->height() / 4.0; };
    const Route routes[] = {
        {mainWindow.importPhotobtn,
         [&] {
             popUpButtonMenu(mainWindow.importPhotoMenu, mainWindow.importPhotobtn,
                             quarter(mainWindow.importPhotobtn));
         }},
        {mainWindow.remoMetaDataLocalBtn,
         [&] {
             popUpButtonMenu(mainWindow.removeExifMenu, mainWindow.remoMetaDataLocalBtn,
                             quarter(mainWindow.remoMetaDataLocalBtn));
         }},
        {mainWindow.editMetaDataLocalBtn,
         [&] {
             popUpButtonMenu(mainWindow.editExifMenu, mainWindow.editMetaDataLocalBtn,
                             mainWindow.editMetaDataLocalBtn->height());
         }},
        {mainWindow.importandExportBtn,
         [&] {
             popUpButtonMenu(mainWindow.importandExportMenu, mainWindow.importandExportBtn,
                             quarter(mainWindow.importandExportBtn));
         }},
        {mainWindow.localeditexifBtn,
         [&] {
             withImage(mainWindow.localeditexifBtn, "editexifnom.png",
                       [&] { StartEditViewAction(); });
         }},
        {mainWindow.cameraphotoBtn, [&] { ChangePhotoLibraryMenuAction(); }},
        {mainWindow.photolibcameraphotoBtn, [&] { ChangePhotoLibraryMenuAction(); }},
        {mainWindow.localphotoBtn, [&] { ChangeLocalPhotoMenuAction(); }},
        {mainWindow.photoliblocalphotoBtn, [&] { ChangeLocalPhotoMenuAction(); }},
        {mainWindow.filterPhotolibBtn,
         [&] {
             popUpButtonMenu(mainWindow.issuePhotoMenu, mainWindow.filterPhotolibBtn,
                             quarter(mainWindow.filterPhotolibBtn));
         }},
        {mainWindow.showPhotoTypelibBtn,
         [&] {
             popUpButtonMenu(mainWindow.showPhotoTypeMenu, mainWindow.showPhotoTypelibBtn,
                             quarter(mainWindow.showPhotoTypelibBtn));
         }},
        {mainWindow.sortLocalPhotoBtn,
         [&] {
             popUpButtonMenu(mainWindow.sortLocalPhotoMenu, mainWindow.sortLocalPhotoBtn,
                             quarter(mainWindow.sortLocalPhotoBtn));
         }},
        {mainWindow.PhotolibQuickBtn,
         [&] {
             popUpButtonMenu(mainWindow.PhotolibQuickMenu, mainWindow.PhotolibQuickBtn,
                             quarter(mainWindow.PhotolibQuickBtn));
         }},
        {mainWindow.PhotolibEditExifBtn,
         [&] {
             popUpButtonMenu(mainWindow.PhotolibEditExifMenu, mainWindow.PhotolibEditExifBtn,
                             quarter(mainWindow.PhotolibEditExifBtn));
         }},
        {libraryPanels.canclePhotolibEiteViewBtn, [&] { HidePhotoLibEditViewAction(); }},
        {libraryPanels.canclePhotoOrigEiteViewBtn, [&] { HidePhotoOriginalEditViewAction(); }},
        {libraryPanels.applyPhotolibEiteViewBtn, [&] { ApplyPhotoLibMetadataChangeAction(); }},
        {libraryPanels.applyPhotoOrigEiteViewBtn,
         [&] { ApplyOriginalPhotoMetadataChangeAction(); }},
        // One save button for both kinds of photo: the mode says whose dates change.
        {dateWindows.changeMutiPhotoDateBtn,
         [&] {
             dateWindows.changeMutiPhotoDateBtn->setImageName(QStringLiteral("savechanges.png"));
             if (blocalMode)
                 ClickMutiDateChangedSaveAction();
             else
                 ClickMutiDateChangedSavePhotoLibAction();
         }},
        // Sidecar merges.
        {sidecarMerges.writeJsonBtn, [&] { BatchWriteJsonFileToPhotos(); }},
        {sidecarMerges.CancelJsonBtn, [&] { CanelJsonMetadataToPhotosAction(); }},
        {sidecarMerges.writeXmpBtn, [&] { BatchWriteXMPFileToFile(); }},
        {sidecarMerges.CancelXmpBtn, [&] { CanelXMPMetadataToPhotosAction(); }},
        // Library merge.
        {mergeWindow.photolibMergeBtn, [&] { ClickMergePhotoLibraryAction(); }},
        {mergeWindow.photolibAddBtn, [&] { AddPhotoLibraryintoTableView(); }},
        {mergeWindow.photolibSubBtn, [&] { RemovePhotoLibraryFromTableView(); }},
        {mergeWindow.photolibStartBtn, [&] { ClickStartMergePhotoLibraryAction(); }},
    };
    for (const Route &route : routes) {
        if (route.button && route.button == sender) {
            route.click();
            return; // the first match decides
        }
    }
}

void AppDelegate::MyClosebuttonMouseDownHandle(QObject *sender) {
    if (!mainWindow.closedButton || sender != mainWindow.closedButton)
        return;
    const bool modern = macOsVer > 9;
    mainWindow.closedButton->setProperty("imageName", modern
                                                          ? QStringLiteral("Close_Down.png")
                                                          : QStringLiteral("titlebarreddown.png"));
    CloseTheMainWindow();
    mainWindow.closedButton->setProperty("imageName", modern ? QStringLiteral("Close_Nom.png")
                                                             : QStringLiteral("titlebarred.png"));
}

void AppDelegate::CloseTheMainWindow() {
    beginAlertSheet(window, tr("Are you sure you want to Exit ?"), QString(),
                    {tr(" Exit "), tr("Cancel")}, [](QMessageBox *, int code) {
                        if (code == 1)
                            QMetaObject::invokeMethod(qApp, &QCoreApplication::quit,
                                                      Qt::QueuedConnection);
                    });
}
