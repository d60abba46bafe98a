// The About window and the maker's web pages.
#include "app/AppLook.h"
#include "app/AppServices.h"
#include "app/WindowDescription.h"
#include "browser/MainWindowController.h"

#include "app/core/MakerSite.h"
#include "app/core/UpdateCheck.h"
#include "platform/core/Workspace.h"

#include <QAction>
#include <QLabel>
#include <QMainWindow>

void MainWindowController::buildAboutWindow() {
    QVBoxLayout *column =
        newColumnWindow(ownWindows, aboutWindow, "aboutWindow", tr("About Photo Kestry"));
    auto *icon = new QLabel(aboutWindow);
    icon->setObjectName(QStringLiteral("aboutIconlab"));
    icon->setPixmap(applicationIcon().pixmap(96, 96));
    icon->setAlignment(Qt::AlignCenter);
    auto *name = new QLabel(tr("Photo Kestry"), aboutWindow);
    QFont big = name->font();
    big.setPointSize(big.pointSize() + 6);
    big.setBold(true);
    name->setFont(big);
    name->setAlignment(Qt::AlignCenter);
    auto *version = new QLabel(tr("Version %1").arg(programVersion()), aboutWindow);
    version->setObjectName(QStringLiteral("aboutVersionlab"));
    version->setAlignment(Qt::AlignCenter);
    auto *what = new QLabel(tr("Edits the metadata of photos and videos, and of "
                               "the photos in Photos, iPhoto and Aperture libraries."),
                            aboutWindow);
    what->setObjectName(QStringLiteral("aboutDescriptionlab"));
    what->setAlignment(Qt::AlignCenter);
    what->setWordWrap(true);
    column->addWidget(icon);
    column->addWidget(name);
    column->addWidget(version);
    column->addWidget(what);
    column->addStretch(1);
    aboutWindow->resize(380, 300);
    auto *dismiss = new QAction(aboutWindow);
    dismiss->setObjectName(QStringLiteral("aboutCloseAction"));
    dismiss->setShortcut(QKeySequence(Qt::Key_Escape));
    aboutWindow->addAction(dismiss);
    QObject::connect(dismiss, &QAction::triggered, aboutWindow, &QWidget::close);
}

void MainWindowController::ClickAbout() {
    showCentredOnScreen(aboutWindow, app.mainWindow());
}

void MainWindowController::CLICkProductGuide() {
    Workspace::openURL(productGuideUrl());
}

void MainWindowController::ClickProductVideoGuide() {
    Workspace::openURL(videoGuideUrl());
}

void MainWindowController::CLICkSupport() {
    Workspace::openURL(supportPageUrl());
}
