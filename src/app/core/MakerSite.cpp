#include "app/core/MakerSite.h"

QUrl makerSiteBase() {
    QString base = qEnvironmentVariable("PHOTOKESTRY_MAKER_SITE");
    if (base.isEmpty())
        base = QStringLiteral("https://www.photokestry.com/");
    if (!base.endsWith(QLatin1Char('/')))
        base += QLatin1Char('/');
    return QUrl(base);
}

QUrl makerPage(const QString &relativePath) {
    return makerSiteBase().resolved(QUrl(relativePath));
}

QUrl welcomePageUrl() {
    return makerPage(QStringLiteral("welcome.html"));
}

QUrl productGuideUrl() {
    return makerPage(QStringLiteral("guide.html"));
}

QUrl videoGuideUrl() {
    return makerPage(QStringLiteral("videoguide.html"));
}

QUrl supportPageUrl() {
    return makerPage(QStringLiteral("support.html"));
}
