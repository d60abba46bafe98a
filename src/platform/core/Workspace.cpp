#include "platform/core/Workspace.h"

#include "base/Logging.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDebug>
#include <QDesktopServices>
#include <QFileInfo>

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
        qCWarning(lcPlatform) << "openURL failed==" << url.toString();
    return ok;
}

void Workspace::setUrlOpener(UrlOpener o) {
    opener() = std::move(o);
}

namespace {
Workspace::Revealer &revealer() {
    static Workspace::Revealer r;
    return r;
}

void openFolderOf(const QString &path, const QString &rootFolder,
                  const std::function<void()> &unshown) {
    const QString folder = path.isEmpty() ? rootFolder : QFileInfo(path).absolutePath();
    if (!Workspace::openURL(QUrl::fromLocalFile(folder)) && unshown)
        unshown();
}

// Asks the file manager without waiting for it: a slow or absent one must not hold up the
// window. Where it does not answer, the folder opens instead.
bool showItemsOverDBus(const QString &path, const QString &rootFolder,
                       const std::function<void()> &unshown) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"),
        QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << QStringList{QUrl::fromLocalFile(path).toString()} << QString();
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, 3000));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [path, rootFolder, unshown](QDBusPendingCallWatcher *w) {
                         if (w->isError()) {
                             qWarning() << "ShowItems failed==" << w->error().message();
                             openFolderOf(path, rootFolder, unshown);
                         }
                         w->deleteLater();
                     });
    return true;
}
} // namespace

void Workspace::selectFile(const QString &path, const QString &rootFolder,
                           const std::function<void()> &unshown) {
    if (revealer()) {
        revealer()(path, rootFolder);
        return;
    }
    if (!path.isEmpty() && showItemsOverDBus(path, rootFolder, unshown))
        return;
    openFolderOf(path, rootFolder, unshown);
}

void Workspace::setRevealer(Revealer r) {
    revealer() = std::move(r);
}
