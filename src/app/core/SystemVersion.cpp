#include "app/core/SystemVersion.h"

#include <QStringList>
#include <QSysInfo>

int minorSystemVersion(const QString &versionString) {
    QString s = versionString;
    s.remove(QStringLiteral("Version"));
    s.remove(QLatin1Char(' '));
    const QStringList pieces = s.split(QLatin1Char('.'));
    if (pieces.size() <= 1)
        return 10;
    // Like a C atoi: leading digits only, so "2(Build20D64)" is 2.
    const QString &second = pieces.at(1);
    int value = 0;
    for (QChar c : second) {
        if (!c.isDigit())
            break;
        value = value * 10 + c.digitValue();
        if (value > 100000)
            break;
    }
    return value;
}

QString systemVersionString() {
    return QStringLiteral("Version ") + QSysInfo::productVersion() + QStringLiteral(" (") +
           QSysInfo::kernelVersion() + QStringLiteral(")");
}
