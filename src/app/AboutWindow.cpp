// The About window and the maker's web pages.
#include "app/AppDelegate.h"
#include "app/WindowDescription.h"

#include "app/core/MakerSite.h"
#include "platform/core/Workspace.h"

#include <QCoreApplication>
#include <QLabel>

void buildAboutWindow(AppDelegate &d) {
    QVBoxLayout *column =
        newColumnWindow(d, d.aboutWindow, "aboutWindow", AppDelegate::tr("About Photo Kestry"));
    auto *name = new QLabel(AppDelegate::tr("Photo Kestry"), d.aboutWindow);
    QFont big = name->font();
    big.setPointSize(big.pointSize() + 6);
    big.setBold(true);
    name->setFont(big);
    name->setAlignment(Qt::AlignCenter);
    auto *version = new QLabel(
        AppDelegate::tr("Version %1").arg(QCoreApplication::applicationVersion()), d.aboutWindow);
    version->setObjectName(QStringLiteral("aboutVersionlab"));
    version->setAlignment(Qt::AlignCenter);
    auto *what =
        new QLabel(AppDelegate::tr("Edits the metadata of photos and videos."), d.aboutWindow);
    what->setAlignment(Qt::AlignCenter);
    column->addWidget(name);
    column->addWidget(version);
    column->addWidget(what);
    d.aboutWindow->resize(360, 180);
}

void AppDelegate::ClickAbout() {
    if (aboutWindow && !aboutWindow->isVisible())
        aboutWindow->show();
}

void AppDelegate::CLICkProductGuide() {
    Workspace::openURL(productGuideUrl());
}

void AppDelegate::ClickProductVideoGuide() {
    Workspace::openURL(videoGuideUrl());
}

void AppDelegate::CLICkSupport() {
    Workspace::openURL(supportPageUrl());
}
