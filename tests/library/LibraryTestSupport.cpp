#include "LibraryTestSupport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <algorithm>

QString copyLibrary(const QString &name, const QString &dir) {
    // iPhoto's packages end in ".photolibrary".
    const QString folder = QStringLiteral(PK_FIXTURES_DIR "/libraries/") + name;
    const QString suffix = QFileInfo::exists(folder + QStringLiteral(".photoslibrary"))
                               ? QStringLiteral(".photoslibrary")
                               : QStringLiteral(".photolibrary");
    const QString source = folder + suffix;
    const QString target = dir + QLatin1Char('/') + name + suffix;
    if (QProcess::execute(QStringLiteral("cp"), {QStringLiteral("-a"), source, target}) != 0)
        return {};
    if (QProcess::execute(QStringLiteral("chmod"),
                          {QStringLiteral("-R"), QStringLiteral("u+w"), target}) != 0)
        return {};
    return target;
}

QList<QStringList> sqliteRows(const QString &database, const QString &sql) {
    QProcess p;
    p.start(QStringLiteral("sqlite3"),
            {QStringLiteral("-batch"), QStringLiteral("-noheader"), QStringLiteral("-separator"),
             QStringLiteral("\x1f"), QStringLiteral("-newline"), QStringLiteral("\x1e"), database,
             sql});
    p.waitForFinished(60000);
    QList<QStringList> rows;
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    for (const QString &line : out.split(QChar(0x1e), Qt::SkipEmptyParts))
        rows << line.split(QChar(0x1f));
    return rows;
}

QString sqliteValue(const QString &database, const QString &sql) {
    const QList<QStringList> rows = sqliteRows(database, sql);
    return rows.isEmpty() || rows.first().isEmpty() ? QString() : rows.first().first();
}

QByteArray sqliteDump(const QString &database) {
    QProcess p;
    p.start(QStringLiteral("sqlite3"),
            {QStringLiteral("-batch"), database, QStringLiteral(".dump")});
    p.waitForFinished(60000);
    return p.readAllStandardOutput();
}

QStringList folderHashes(const QString &folder) {
    QStringList out;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        out << QDir(folder).relativeFilePath(path) + QLatin1Char(' ') +
                   QString::fromLatin1(
                       QCryptographicHash::hash(fileBytes(path), QCryptographicHash::Sha1).toHex());
    }
    out.sort();
    return out;
}

QStringList treeListing(const QString &root, const QStringList &except) {
    QStringList out;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (std::any_of(except.cbegin(), except.cend(), [&](const QString &folder) {
                return path == folder || path.startsWith(folder + QLatin1Char('/'));
            }))
            continue;
        const QFileInfo info = it.fileInfo();
        QString line = QDir(root).relativeFilePath(path);
        if (info.isSymLink())
            line += QStringLiteral(" -> ") + info.symLinkTarget();
        else if (info.isDir())
            line += QLatin1Char('/');
        else
            line +=
                QLatin1Char(' ') +
                QString::fromLatin1(
                    QCryptographicHash::hash(fileBytes(path), QCryptographicHash::Sha1).toHex()) +
                QLatin1Char(' ') + info.lastModified().toString(Qt::ISODateWithMs);
        out << line;
    }
    out.sort();
    return out;
}

QByteArray fileBytes(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
}

void writeLibraryLock(const QString &path, const QString &host, qint64 pid) {
    writeBytes(path, QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                    "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                                    "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                                    "<plist version=\"1.0\">\n<dict>\n"
                                    "\t<key>hostname</key>\n\t<string>%1</string>\n"
                                    "\t<key>pid</key>\n\t<integer>%2</integer>\n"
                                    "\t<key>processname</key>\n\t<string>photolibraryd</string>\n"
                                    "</dict>\n</plist>\n")
                         .arg(host)
                         .arg(pid)
                         .toUtf8());
}

qint64 endedProcessId() {
    QProcess gone;
    gone.start(QStringLiteral("sleep"), {QStringLiteral("0")});
    gone.waitForStarted(10000);
    const qint64 pid = gone.processId();
    gone.waitForFinished(10000);
    return pid;
}
