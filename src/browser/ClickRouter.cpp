// The click router: every image button posts its click, and this is where a click of the
// main window's buttons gets its effect.
#include "app/AppServices.h"
#include "browser/MainWindowController.h"

#include "browser/PRButton.h"
#include "platform/AlertSheet.h"

#include <QApplication>
#include <QMainWindow>
#include <QMenu>
#include <QTimer>
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

void MainWindowController::popUpButtonMenu(QMenu *menu, QWidget *button, qreal offset) {
    if (!menu || !button)
        return;
    // Below the button's lower edge, lowered by the offset.
    const QPoint at = button->mapToGlobal(QPoint(0, button->height() + int(offset)));
    menu->popup(at);
}

void MainWindowController::MybuttonMouseDownHandle(QObject *sender) {
    if (!sender)
        return;
    auto quarter = [](QWidget *b) { return b->height() / 4.0; };
    const Route routes[] = {
        {importPhotobtn,
         [&] { popUpButtonMenu(importPhotoMenu, importPhotobtn, quarter(importPhotobtn)); }},
        {remoMetaDataLocalBtn,
         [&] {
             popUpButtonMenu(removeExifMenu, remoMetaDataLocalBtn, quarter(remoMetaDataLocalBtn));
         }},
        {editMetaDataLocalBtn,
         [&] {
             popUpButtonMenu(editExifMenu, editMetaDataLocalBtn, editMetaDataLocalBtn->height());
         }},
        {importandExportBtn,
         [&] {
             popUpButtonMenu(importandExportMenu, importandExportBtn, quarter(importandExportBtn));
         }},
        {localeditexifBtn,
         [&] {
             withImage(localeditexifBtn, "editexifnom.png", [&] { emit editSheetRequested(); });
         }},
        {cameraphotoBtn, [&] { ChangePhotoLibraryMenuAction(); }},
        {photolibcameraphotoBtn, [&] { ChangePhotoLibraryMenuAction(); }},
        {localphotoBtn, [&] { ChangeLocalPhotoMenuAction(); }},
        {photoliblocalphotoBtn, [&] { ChangeLocalPhotoMenuAction(); }},
        {filterPhotolibBtn,
         [&] { popUpButtonMenu(issuePhotoMenu, filterPhotolibBtn, quarter(filterPhotolibBtn)); }},
        {showPhotoTypelibBtn,
         [&] {
             popUpButtonMenu(showPhotoTypeMenu, showPhotoTypelibBtn, quarter(showPhotoTypelibBtn));
         }},
        {sortLocalPhotoBtn,
         [&] {
             popUpButtonMenu(sortLocalPhotoMenu, sortLocalPhotoBtn, quarter(sortLocalPhotoBtn));
         }},
        {PhotolibQuickBtn,
         [&] { popUpButtonMenu(PhotolibQuickMenu, PhotolibQuickBtn, quarter(PhotolibQuickBtn)); }},
        {PhotolibEditExifBtn,
         [&] {
             popUpButtonMenu(PhotolibEditExifMenu, PhotolibEditExifBtn,
                             quarter(PhotolibEditExifBtn));
         }},
    };
    for (const Route &route : routes) {
        if (route.button && route.button == sender) {
            route.click();
            return; // the first match decides
        }
    }
}

void MainWindowController::MyClosebuttonMouseDownHandle(QObject *sender) {
    if (!closedButton || sender != closedButton)
        return;
    const bool modern = modernTitleBar();
    closedButton->setProperty("imageName", modern ? QStringLiteral("Close_Down.png")
                                                  : QStringLiteral("titlebarreddown.png"));
    CloseTheMainWindow();
    closedButton->setProperty("imageName", modern ? QStringLiteral("Close_Nom.png")
                                                  : QStringLiteral("titlebarred.png"));
}

void MainWindowController::CloseTheMainWindow() {
    beginAlertSheet(app.mainWindow(), tr("Are you sure you want to Exit ?"), QString(),
                    {tr(" Exit "), tr("Cancel")}, [](QMessageBox *, int code) {
                        if (code == 1)
                            QTimer::singleShot(0, qApp, &QCoreApplication::quit);
                    });
}
