#include "support/TestSupport.h"

#include "app/core/Settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

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
