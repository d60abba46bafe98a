#include "platform/core/Workspace.h"

#include "app/core/Logging.h"

#include <QDBusConnection>
#include <QDBusMessage>
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

bool showItemsOverDBus(const QString &path) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"),
        QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << QStringList{QUrl::fromLocalFile(path).toString()} << QString();
    const QDBusMessage reply = bus.call(call, QDBus::Block, 3000);
    return reply.type() == QDBusMessage::ReplyMessage;
}
} // namespace

void Workspace::selectFile(const QString &path, const QString &rootFolder) {
    if (revealer()) {
        revealer()(path, rootFolder);
        return;
    }
    if (!path.isEmpty() && showItemsOverDBus(path))
        return;
    const QString folder = path.isEmpty() ? rootFolder : QFileInfo(path).absolutePath();
    openURL(QUrl::fromLocalFile(folder));
}

void Workspace::setRevealer(Revealer r) {
    revealer() = std::move(r);
}
