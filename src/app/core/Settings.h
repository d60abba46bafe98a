#pragma once

#include "app/core/AppState.h"
#include "base/DataFolders.h"

#include <QSettings>
#include <QString>
#include <QStringList>
#include <memory>

// The keys of the user defaults, as stored files and other installs know them.
namespace SettingsKey {
inline constexpr char storagePath[] = "storagePath";
inline constexpr char fontName[] = "fontName";
inline constexpr char fontsize[] = "fontsize";
inline constexpr char Postion[] = "Postion";
inline constexpr char Dateformat[] = "Dateformat";
inline constexpr char PhotoCompress[] = "PhotoCompress";
inline constexpr char PhotoOverWrite[] = "PhotoOverWrite";
inline constexpr char FirstStartData[] = "FirstStartData";
inline constexpr char LocalPhotoMetadataAlertSuppress[] = "LocalPhotoMetadataAlertSuppress";
inline constexpr char ExampleAlertSuppress[] = "ExampleAlertSuppress";
inline constexpr char MainWindowGeometry[] = "MainWindowGeometry";
// Set once the user has confirmed that edits replace the original photos.
inline constexpr char OverwriteOriginalsConfirmed[] = "OverwriteOriginalsConfirmed";
} // namespace SettingsKey

inline constexpr int kDefaultFontSize = 14;
inline constexpr char kDefaultPostion[] = "Lower left corner";
inline constexpr char kDefaultDateformat[] = "MM/DD/YYYY HH:MM";

// The stamp font unless the user chose another: the desktop's general font, resolved to a
// family that is installed here.
QString defaultFontFamily();
// `family` when it is installed here, else the default: a store written on another machine
// may name a font this one lacks.
QString installedFontFamily(const QString &family);

// The user's defaults store (~/.config/PhotoKestry/PhotoKestry.conf).
std::unique_ptr<QSettings> userDefaults();

// ~/Pictures/com.Tavelund.lumavistforios: where changed copies go until the user says
// otherwise.
QString defaultStoragePath();

// What the launch restores: the preferences, and what the launch itself had to do.
struct LaunchSettings {
    Preferences preferences;
    bool firstStart = false;
    QStringList writtenKeys; // the defaults this launch had to write
};

// Reads the launch settings, writing each missing key with its default.
LaunchSettings restoreLaunchSettings(QSettings &defaults);

// Stores the preferences the preferences window saves (the font colour is not stored).
void storePreferences(QSettings &defaults, const Preferences &preferences);

// The main window's size and place as QWidget::saveGeometry gave them; empty when none was
// kept (the first launch) or the stored value is not one.
QByteArray storedMainWindowGeometry(QSettings &defaults);
void storeMainWindowGeometry(QSettings &defaults, const QByteArray &geometry);

// Creates a folder with its parents. An existing folder is fine; otherwise false with a
// reason in `error`.
bool createFolder(const QString &path, QString *error = nullptr);
