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
    const QStringList errors = SafeWrite::syncTogether(temporaries);
    for (qsizetype i = 0; i < temporaries.size(); ++i)
        syncErrors_.insert(temporaries[i], errors[i]);
}

QString Commit::syncError(const QString &temporary) const {
    return syncErrors_.value(temporary);
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

QHash<QString, QString> Commit::syncFolders() {
    QHash<QString, QString> errors;
    for (const QString &folder : std::as_const(placedFolders_)) {
        QString why;
        if (!SafeWrite::syncFolder(folder, &why))
            errors.insert(folder, why);
    }
    placedFolders_.clear();
    return errors;
}

void Commit::syncFolders(QList<JobResult> &batch) {
    const QHash<QString, QString> unsynced = syncFolders();
    if (unsynced.isEmpty())
        return;
    for (JobResult &r : batch) {
        const QString folder = QFileInfo(r.outputPath).absolutePath();
        if (r.ok && !r.outputPath.isEmpty() && unsynced.contains(folder)) {
            r.ok = false;
            r.reason = QStringLiteral("written to %1, but a crash may still undo it: %2")
                           .arg(r.outputPath, unsynced.value(folder));
        }
    }
}

} // namespace DurableBatch
