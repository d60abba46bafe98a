#include "app/core/Settings.h"

#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontInfo>

std::unique_ptr<QSettings> userDefaults() {
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                       QStringLiteral("PhotoKestry"),
                                       QStringLiteral("PhotoKestry"));
}

QString defaultFontFamily() {
    const QStringList installed = QFontDatabase::families();
    const QFont general = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    // The theme may name an alias ("Sans Serif"): the family it resolves to comes first.
    for (const QString &family : {QFontInfo(general).family(), general.family()})
        if (installed.contains(family))
            return family;
    return installed.isEmpty() ? general.family() : installed.first();
}

QString installedFontFamily(const QString &family) {
    if (!family.isEmpty() && QFontDatabase::families().contains(family))
        return family;
    return defaultFontFamily();
}

QString defaultStoragePath() {
    return QDir::homePath() + QStringLiteral("/Pictures/com.Tavelund.lumavistforios");
}

LaunchSettings restoreLaunchSettings(QSettings &defaults) {
    LaunchSettings out;
    auto store = [&](const char *key, const QVariant &value) {
        defaults.setValue(QLatin1String(key), value);
        out.writtenKeys << QLatin1String(key);
    };
    auto has = [&](const char *key) { return defaults.contains(QLatin1String(key)); };
    auto text = [&](const char *key) { return defaults.value(QLatin1String(key)).toString(); };

    if (has(SettingsKey::storagePath)) {
        out.preferences.storagelocation = text(SettingsKey::storagePath);
    } else {
        out.preferences.storagelocation = defaultStoragePath();
        store(SettingsKey::storagePath, out.preferences.storagelocation);
    }

    if (has(SettingsKey::fontName)) {
        // The stored name stays as it is: the font may be installed later.
        out.preferences.currentFontname = installedFontFamily(text(SettingsKey::fontName));
        // A store that lost "fontsize" would otherwise give stamps of size 0.
        bool ok = false;
        const int size = defaults.value(QLatin1String(SettingsKey::fontsize)).toInt(&ok);
        out.preferences.currentFontSize = (ok && size > 0) ? size : kDefaultFontSize;
    } else {
        out.preferences.currentFontname = defaultFontFamily();
        out.preferences.currentFontSize = kDefaultFontSize;
        store(SettingsKey::fontName, out.preferences.currentFontname);
        store(SettingsKey::fontsize, out.preferences.currentFontSize);
    }

    if (has(SettingsKey::Postion)) {
        out.preferences.postion = text(SettingsKey::Postion);
    } else {
        out.preferences.postion = QLatin1String(kDefaultPostion);
        store(SettingsKey::Postion, out.preferences.postion);
    }

    if (has(SettingsKey::Dateformat)) {
        out.preferences.dateformat = text(SettingsKey::Dateformat);
    } else {
        out.preferences.dateformat = QLatin1String(kDefaultDateformat);
        store(SettingsKey::Dateformat, out.preferences.dateformat);
    }

    if (text(SettingsKey::FirstStartData) != QLatin1String("YES")) {
        out.firstStart = true;
        store(SettingsKey::FirstStartData, QStringLiteral("YES"));
    }

    if (has(SettingsKey::PhotoCompress)) {
        out.preferences.compress = text(SettingsKey::PhotoCompress) == QLatin1String("YES");
    } else {
        out.preferences.compress = true;
        store(SettingsKey::PhotoCompress, QStringLiteral("YES"));
    }

    if (has(SettingsKey::PhotoOverWrite)) {
        out.preferences.overwrite = text(SettingsKey::PhotoOverWrite) != QLatin1String("NO");
    } else {
        out.preferences.overwrite = false;
        store(SettingsKey::PhotoOverWrite, QStringLiteral("NO"));
    }
    defaults.sync();
    return out;
}

void storePreferences(QSettings &defaults, const Preferences &p) {
    defaults.setValue(QLatin1String(SettingsKey::fontName), p.currentFontname);
    defaults.setValue(QLatin1String(SettingsKey::fontsize), p.currentFontSize);
    defaults.setValue(QLatin1String(SettingsKey::Postion), p.postion);
    defaults.setValue(QLatin1String(SettingsKey::Dateformat), p.dateformat);
    defaults.setValue(QLatin1String(SettingsKey::PhotoCompress),
                      p.compress ? QStringLiteral("YES") : QStringLiteral("NO"));
    defaults.setValue(QLatin1String(SettingsKey::PhotoOverWrite),
                      p.overwrite ? QStringLiteral("YES") : QStringLiteral("NO"));
    defaults.setValue(QLatin1String(SettingsKey::storagePath), p.storagelocation);
    defaults.sync();
}

QByteArray storedMainWindowGeometry(QSettings &defaults) {
    const QVariant value = defaults.value(QLatin1String(SettingsKey::MainWindowGeometry));
    return value.typeId() == QMetaType::QByteArray ? value.toByteArray() : QByteArray();
}

void storeMainWindowGeometry(QSettings &defaults, const QByteArray &geometry) {
    defaults.setValue(QLatin1String(SettingsKey::MainWindowGeometry), geometry);
    defaults.sync();
}

bool createFolder(const QString &path, QString *error) {
    auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    if (path.isEmpty())
        return fail(QStringLiteral("no folder was named"));
    const QFileInfo info(path);
    if (info.isDir())
        return true;
    if (QDir().mkpath(path))
        return true;
    // Say why: the nearest existing ancestor is either not a folder or not writable.
    QString probe = info.absoluteFilePath();
    while (!QFileInfo::exists(probe) && probe != QDir::rootPath())
        probe = QFileInfo(probe).absolutePath();
    const QFileInfo blocker(probe);
    if (!blocker.isDir())
        return fail(QStringLiteral("%1 is a file, not a folder").arg(probe));
    if (!blocker.isWritable())
        return fail(QStringLiteral("no permission to create folders in %1").arg(probe));
    return fail(QStringLiteral("the folder could not be created"));
}
