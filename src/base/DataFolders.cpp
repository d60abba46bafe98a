#include "base/DataFolders.h"

#include <QDir>
#include <QStandardPaths>

QString applicationSupportFolder() {
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.local/share");
    return base + QStringLiteral("/PhotoKestry");
}

QString backupFolder() {
    return applicationSupportFolder() + QStringLiteral("/backup");
}
