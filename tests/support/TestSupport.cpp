#include "support/TestSupport.h"

#include "app/core/Settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

QString fixturesDir() {
    const QString fromEnvironment = qEnvironmentVariable("PK_FIXTURES_DIR");
    return fromEnvironment.isEmpty() ? QStringLiteral(PK_FIXTURES_DIR) : fromEnvironment;
}

QString fixturePath(const QString &name) {
    return fixturesDir() + QStringLiteral("/photos/") + name;
}

QString copyFixture(const QString &name, const QString &dir) {
    const QString target = dir + QLatin1Char('/') + QFileInfo(name).fileName();
    QFile::remove(target);
    if (!QFile::copy(fixturePath(name), target))
        return {};
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                      QFile::ReadOther);
    return target;
}

QString testHome() {
    return qEnvironmentVariable("HOME");
}

void clearUserDefaults() {
    auto defaults = userDefaults();
    defaults->clear();
    defaults->sync();
}

bool mountScratch(const QString &dir, const QString &type, const QString &options, QString *why) {
    QProcess mount;
    QStringList args{QStringLiteral("-t"), type};
    if (!options.isEmpty())
        args << QStringLiteral("-o") << options;
    args << QStringLiteral("none") << dir;
    mount.start(QStringLiteral("mount"), args);
    if (!mount.waitForFinished(30000) || mount.exitStatus() != QProcess::NormalExit ||
        mount.exitCode() != 0) {
        *why = QStringLiteral("cannot mount a %1 here (%2)")
                   .arg(type, QString::fromLocal8Bit(mount.readAllStandardError()).trimmed());
        return false;
    }
    return true;
}

void unmountScratch(const QString &dir) {
    QProcess::execute(QStringLiteral("umount"), {QStringLiteral("-l"), dir});
}

qint64 runQueueWaitMs() {
    // "time on the core, time waiting in the run queue, time slices", in nanoseconds.
    QFile stat(QStringLiteral("/proc/thread-self/schedstat"));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    return stat.readAll().split(' ').value(1).toLongLong() / 1000000;
}
