#pragma once

#include <QString>
#include <QUrl>

// The maker's web pages. The site can be pointed elsewhere with PHOTOKESTRY_MAKER_SITE
// (a base address), for mirrors and tests.
QUrl makerSiteBase();
QUrl makerPage(const QString &relativePath);
QUrl welcomePageUrl();
// How to use the program, the video guides, and the support page.
QUrl productGuideUrl();
QUrl videoGuideUrl();
QUrl supportPageUrl();
