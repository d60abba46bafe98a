#include "batch/core/BatchRename.h"

#include "metadata/core/SafeFileName.h"
#include "platform/core/DurableBatch.h"
#include "platform/core/FileDates.h"
#include "platform/core/FreeFileName.h"
#include "platform/core/ImageSource.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace batchrename {

namespace {

QString tr(const char *text) {
    return QCoreApplication::translate("BatchRename", text);
}

QString joined(const QString &base, const QString &extension) {
    return extension.isEmpty() ? base : base + QLatin1Char('.') + extension;
}

// "base j.ext", the base shortened at a character boundary to fit one file name.
QString withCounter(const QString &base, int counter, const QString &extension) {
    const QString rest = joined(QStringLiteral(" %1").arg(counter), extension);
    return utf8Prefix(base, kMaxFileNameBytes - rest.toUtf8().size()) + rest;
}

// The n of a name moveToFreeName gave: "base (n).ext", or 1 for the name itself.
int numberOf(const QString &path, const QString &name) {
    const QString given = QFileInfo(path).fileName();
    if (given == name)
        return 1;
    static const QRegularExpression number(QStringLiteral(" \\((\\d+)\\)(\\.[^.]*)?$"));
    const QRegularExpressionMatch m = number.match(given);
    return m.hasMatch() ? m.captured(1).toInt() : 1;
}

} // namespace

JobResult prepare(const Settings &settings, const Photo &photo, int counter) {
    JobResult r;
    const bool templateFamily = !settings.naming.useCustomName;
    // A leading dot starts a name, not an extension.
    const QFileInfo info(photo.fileName);
    const QString extension = info.completeBaseName().isEmpty() ? QString() : info.suffix();
    // The bytes are needed for a copy, and for the tags a template reads.
    QByteArray bytes;
    if (!settings.overwrite || templateFamily) {
        QFile file(photo.filePath);
        if (!file.open(QIODevice::ReadOnly)) {
            r.reason = tr("cannot be read: %1").arg(file.errorString());
            return r;
        }
        bytes = file.readAll();
        if (file.error() != QFileDevice::NoError) {
            r.reason = tr("cannot be read: %1").arg(file.errorString());
            return r;
        }
    }
    naming::PhotoValues values;
    if (templateFamily) {
        const ImageSource source(bytes);
        // A file that is no image has no tags; its name still counts.
        if (source.isValid())
            values = naming::photoValues(source.properties(0), photo.fileName,
                                         FileDates::creationDate(photo.filePath),
                                         naming::Missing::Empty);
    }
    values.baseName = extension.isEmpty()
                          ? photo.fileName
                          : photo.fileName.left(photo.fileName.size() - extension.size() - 1);

    Prepared p;
    p.source = photo.filePath;
    p.extension = extension;
    p.templateFamily = templateFamily;
    p.counter = counter;
    p.base = safeFileBaseName(naming::newFileName(settings.naming, values, counter), extension);
    if (p.base.isEmpty()) {
        r.reason = tr("the new name is empty");
        return r;
    }
    if (settings.overwrite) {
        p.folder = QFileInfo(photo.filePath).absolutePath();
    } else {
        p.folder = settings.storage;
        QDir().mkpath(p.folder);
        QString why;
        // A new file's permissions, never those of a file that happens to have the new name.
        p.temporary = DurableBatch::stageNewFile(p.folder, bytes, &why);
        if (!p.temporary) {
            r.reason = why;
            return r;
        }
        FileDates::copyDates(photo.filePath, p.temporary->path());
    }
    r.ok = true;
    r.data = QVariant::fromValue(p);
    return r;
}

QString Placer::place(const Prepared &p, const QString &from, QString *why) {
    const QString name = joined(p.base, p.extension);
    // Renaming a photo to the name it has changes nothing.
    if (!p.temporary && QFileInfo(p.source).fileName() == name)
        return p.source;
    const QDir dir(p.folder);
    const QString key = dir.filePath(name);
    int &last = lastNumber[key];
    bool taken = false;
    if (last == 0) {
        const QString target = dir.filePath(name);
        if (moveToNameIfFree(from, target, &taken, why)) {
            last = 1;
            return target;
        }
        if (!taken)
            return {};
        last = 1;
    }
    // The template family's second choice carries the photo's counter.
    if (p.templateFamily) {
        const QString target = dir.filePath(withCounter(p.base, p.counter, p.extension));
        if (moveToNameIfFree(from, target, &taken, why))
            return target;
        if (!taken)
            return {};
    }
    const QString path = moveToFreeName(from, p.folder, name, why, std::max(2, last + 1));
    if (!path.isEmpty())
        last = std::max(last, numberOf(path, name));
    return path;
}

void Placer::commit(QList<JobResult> &batch) {
    QStringList temporaries;
    for (const JobResult &r : batch)
        if (r.ok && r.data.value<Prepared>().temporary)
            temporaries << r.data.value<Prepared>().temporary->path();
    DurableBatch::Commit commit;
    commit.syncTemporaries(temporaries);
    for (JobResult &r : batch) {
        if (!r.ok)
            continue;
        const Prepared p = r.data.value<Prepared>();
        QString why;
        QString path;
        if (p.temporary) {
            path = commit.place(
                *p.temporary, [&](const QString &from, QString *w) { return place(p, from, w); },
                &why);
        } else {
            path = place(p, p.source, &why);
            if (!path.isEmpty())
                commit.placed(path);
        }
        if (path.isEmpty()) {
            r.ok = false;
            r.reason = why.isEmpty() ? tr("no free name") : why;
            continue;
        }
        r.outputPath = path;
    }
    commit.syncFolders(batch);
}

bool start(JobRunner &runner, const Settings &settings, const QList<Photo> &photos,
           std::shared_ptr<Placer> placer) {
    // Clashing names are numbered in list order.
    runner.setCommitInOrder(true);
    return runner.start(
        photos.size(),
        [settings, photos](qsizetype i) { return prepare(settings, photos[i], int(i) + 1); },
        [placer](QList<JobResult> &batch) { placer->commit(batch); });
}

} // namespace batchrename
