#include "app/core/LaunchArguments.h"

#include <QDir>
#include <QUrl>

QStringList launchPaths(const QStringList &arguments, const QString &workingFolder) {
    QStringList out;
    const QDir base(workingFolder);
    bool optionsEnded = false;
    for (const QString &argument : arguments) {
        if (argument.isEmpty())
            continue;
        if (!optionsEnded && argument == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        if (!optionsEnded && argument.startsWith(QLatin1Char('-')))
            continue;
        QString path = argument;
        if (argument.contains(QLatin1String("://"))) {
            // Only this computer's files can be imported; other addresses are not ours.
            const QUrl url(argument);
            if (!url.isLocalFile())
                continue;
            path = url.toLocalFile();
        }
        out << QDir::cleanPath(base.absoluteFilePath(path));
    }
    return out;
}

void pinLocalTimeZone() {
    if (!qEnvironmentVariableIsSet("TZ"))
        qputenv("TZ", ":/etc/localtime");
}
