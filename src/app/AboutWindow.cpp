// The About window and the maker's web pages.
#include "app/AppDelegate.h"
#include "app/AppLook.h"
#include "app/WindowDescription.h"
#include "browser/MainWindowController.h"

#include "app/core/MakerSite.h"
#include "app/core/UpdateCheck.h"
#include "platform/core/Workspace.h"

#include <QAction>
#include <QLabel>
#include <QMainWindow>

void buildAboutWindow(AppDelegate &d) {
    QVBoxLayout *column = newColumnWindow(d, d.mainWindowController().aboutWindow, "aboutWindow",
                                          AppDelegate::tr("About Photo Kestry"));
    auto *icon = new QLabel(d.mainWindowController().aboutWindow);
    icon->setObjectName(QStringLiteral("aboutIconlab"));
    icon->setPixmap(applicationIcon().pixmap(96, 96));
    icon->setAlignment(Qt::AlignCenter);
    auto *name = new QLabel(AppDelegate::tr("Photo Kestry"), d.mainWindowController().aboutWindow);
    QFont big = name->font();
    big.setPointSize(big.pointSize() + 6);
    big.setBold(true);
    name->setFont(big);
    name->setAlignment(Qt::AlignCenter);
    auto *version = new QLabel(AppDelegate::tr("Version %1").arg(programVersion()),
                               d.mainWindowController().aboutWindow);
    version->setObjectName(QStringLiteral("aboutVersionlab"));
    version->setAlignment(Qt::AlignCenter);
    auto *what = new QLabel(AppDelegate::tr("Edits the metadata of photos and videos, and of "
                                            "the photos in Photos, iPhoto and Aperture libraries."),
                            d.mainWindowController().aboutWindow);
    what->setObjectName(QStringLiteral("aboutDescriptionlab"));
    what->setAlignment(Qt::AlignCenter);
    what->setWordWrap(true);
    column->addWidget(icon);
    column->addWidget(name);
    column->addWidget(version);
    column->addWidget(what);
    column->addStretch(1);
    d.mainWindowController().aboutWindow->resize(380, 300);
    auto *dismiss = new QAction(d.mainWindowController().aboutWindow);
    dismiss->setObjectName(QStringLiteral("aboutCloseAction"));
    dismiss->setShortcut(QKeySequence(Qt::Key_Escape));
    d.mainWindowController().aboutWindow->addAction(dismiss);
    QObject::connect(dismiss, &QAction::triggered, d.mainWindowController().aboutWindow,
                     &QWidget::close);
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
