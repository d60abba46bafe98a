#include "platform/core/DurableBatch.h"

#include <QFile>
#include <QFileInfo>

namespace DurableBatch {

std::shared_ptr<SafeWrite::Temporary> stageNewFile(const QString &folder, const QByteArray &bytes,
                                                   QString *error) {
    auto staged = std::make_shared<SafeWrite::Temporary>();
    if (!staged->create(folder, error) || !staged->write(bytes, error) ||
        !staged->useDefaultMode(error) || !staged->closeUnsynced(bytes, error))
        return nullptr;
    return staged;
}

void Commit::syncTemporaries(const QStringList &temporaries) {
    for (const QString &temporary : temporaries) {
        const QString folder = QFileInfo(temporary).absolutePath();
        if (syncErrors_.contains(folder))
            continue;
        QString why;
        SafeWrite::syncFileSystemOf(folder, &why);
        syncErrors_.insert(folder, why);
    }
}

QString Commit::syncError(const QString &temporary) const {
    return syncErrors_.value(QFileInfo(temporary).absolutePath());
}

QString Commit::place(SafeWrite::Temporary &temporary,
                      const std::function<QString(const QString &, QString *)> &move,
                      QString *why) {
    *why = syncError(temporary.path());
    const QString path = why->isEmpty() ? move(temporary.path(), why) : QString();
    if (path.isEmpty())
        QFile::remove(temporary.path());
    else
        placed(path);
    temporary.release();
    return path;
}

void Commit::placed(const QString &path) {
    placedFolders_.insert(QFileInfo(path).absolutePath());
}

void Commit::syncFolders() {
    for (const QString &folder : std::as_const(placedFolders_))
        SafeWrite::syncFolder(folder);
    placedFolders_.clear();
}

} // namespace DurableBatch
