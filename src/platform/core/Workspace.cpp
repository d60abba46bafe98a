#include "platform/core/Workspace.h"

#include <QDebug>
#include <QDesktopServices>

namespace {
Workspace::UrlOpener &opener() {
    static Workspace::UrlOpener o;
    return o;
}
} // namespace

bool Workspace::openURL(const QUrl &url) {
    if (opener())
        return opener()(url);
    const bool ok = QDesktopServices::openUrl(url);
    if (!ok)
        qWarning() << "openURL failed==" << url.toString();
    return ok;
}

void Workspace::setUrlOpener(UrlOpener o) {
    opener() = std::move(o);
}
