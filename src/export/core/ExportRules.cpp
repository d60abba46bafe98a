#include "export/core/ExportRules.h"

#include "library/core/LibraryScan.h"
#include "metadata/core/SafeFileName.h"
#include "platform/core/FileDates.h"
#include "platform/core/FreeFileName.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QSet>
#include <QTemporaryFile>

QList<ExportEntry> snapshotSelection(const QList<IKImageItemPtr> &list,
                                     const QList<int> &selected) {
    QList<ExportEntry> out;
    const QSet<int> chosen(selected.cbegin(), selected.cend());
    for (qsizetype i = 0; i < list.size(); ++i) {
        if (!chosen.contains(int(i)) || !list[i])
            continue;
        auto copy = std::make_shared<IKImageItem>(*list[i]);
        if (copy->photoLibFileNode)
            copy->photoLibFileNode = std::make_shared<PRPicFileInfo>(*copy->photoLibFileNode);
        if (copy->originalFileNode)
            copy->originalFileNode = std::make_shared<PRPicFileInfo>(*copy->originalFileNode);
        out << ExportEntry{copy, list[i], int(i)};
    }
    return out;
}

QString editedRenderPath(const QString &originalPath) {
    const QFileInfo original(originalPath);
    QString folder = original.path();
    if (!folder.contains(QLatin1String("originals")))
        return {};
    folder.replace(QLatin1String("originals"), QLatin1String("resources/renders"));
    const QString base = original.completeBaseName() + QLatin1String("_1_201_a");
    const QString first = QStringLiteral("%1/%2.%3").arg(folder, base, original.suffix().toLower());
    if (QFileInfo(first).isFile())
        return first;
    const QString second = QStringLiteral("%1/%2.jpeg").arg(folder, base);
    return QFileInfo(second).isFile() ? second : QString();
}

ExportSource exportSource(const IKImageItem &item, bool edited) {
    ExportSource s;
    s.path = item.filePath;
    // The library's name, however it reads, becomes one plain name in the storage folder.
    s.name =
        plainFileName(item.fileName.isEmpty() ? QFileInfo(item.filePath).fileName() : item.fileName,
                      QStringLiteral("Photo"));
    const QString base = QFileInfo(s.name).completeBaseName();
    if (edited) {
        const QString render = editedRenderPath(item.filePath);
        if (!render.isEmpty()) {
            s.path = render;
            s.name = plainFileName(base + QLatin1Char('.') + QFileInfo(render).suffix());
        }
    }
    if (!item.bICloudDownloadPhoto) {
        s.path = QFileInfo(item.fileLargeThumbPath).isFile() ? item.fileLargeThumbPath
                                                             : item.fileThumbPath;
        s.name = plainFileName(base + QLatin1Char('.') + QFileInfo(s.path).suffix());
        s.substituted = true;
    }
    return s;
}

QString clashName(const QString &name, int n) {
    const QFileInfo info(name);
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    const QString number = QStringLiteral(" %1").arg(n);
    const QString base = suffix.isEmpty() ? name : info.completeBaseName();
    // The number never makes a name too long for the disk: the base gives way.
    return utf8Prefix(base, kMaxFileNameBytes - (number + suffix).toUtf8().size()) + number +
           suffix;
}

QDateTime libraryDate(const QString &text) {
    const QLocale en(QLocale::English, QLocale::UnitedStates);
    for (const char *format : {"yyyy:MM:dd HH:mm:ss", "yyyy-MM-dd HH:mm:ss"}) {
        const QDateTime d = en.toDateTime(text.trimmed(), QLatin1String(format));
        if (d.isValid())
            return d;
    }
    return {};
}

QDateTime creationOrModification(const QString &path) {
    const QDateTime created = FileDates::creationDate(path);
    return created.isValid() ? created : FileDates::modificationDate(path);
}

QString libraryFolderName(const QString &name) {
    if (name.trimmed().isEmpty())
        return {};
    return plainFileName(name.simplified(), QStringLiteral("Untitled"), false);
}

bool staysInside(const QString &root, const QString &folder, const QStringList &names) {
    // No "..": below a link it leads to the link's target's parent, whatever the text says.
    const QString below = folder.startsWith(root) ? folder.mid(root.size()) : QString();
    if (root.isEmpty() || !folder.startsWith(root) ||
        (!below.isEmpty() && !below.startsWith(QLatin1Char('/')) &&
         !root.endsWith(QLatin1Char('/'))) ||
        !hasNoDotSegments(below))
        return false;
    for (const QString &name : names)
        if (!isPlainFileName(name))
            return false;
    // A folder that is already there counts where it really lies (a link leads elsewhere).
    const QString real = QFileInfo(folder).canonicalFilePath();
    const QString realTop = QFileInfo(root).canonicalFilePath();
    return real.isEmpty() || realTop.isEmpty() || real == realTop ||
           real.startsWith(realTop + QLatin1Char('/'));
}

QString yearMonthFolder(const QDateTime &date, bool yearInMonthFolder) {
    const int y = date.date().year(), m = date.date().month();
    return yearInMonthFolder ? QStringLiteral("%1/%1-%2").arg(y).arg(m)
                             : QStringLiteral("%1/%2").arg(y).arg(m);
}

bool storageFolderWritable(const QString &folder, QString *why) {
    if (folder.isEmpty() || !QDir().mkpath(folder)) {
        if (why)
            *why = QStringLiteral("the storage folder %1 cannot be created").arg(folder);
        return false;
    }
    QTemporaryFile probe(folder + QStringLiteral("/.pk-probe-XXXXXX"));
    if (!probe.open()) {
        if (why)
            *why = QStringLiteral("the storage folder %1 cannot be written").arg(folder);
        return false;
    }
    return true;
}
