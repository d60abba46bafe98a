#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

// The update check's rules, free of windows and of the network.

// YES when `first` names a newer version than `second`, comparing the dotted numbers one
// by one ("3.10" is newer than "3.9.1"; missing numbers count as 0; a non-number piece
// counts by its leading digits).
bool CompareOneString(const QString &first, const QString &second);

// The server's version list: a property-list dictionary with "lastestVersion" and "WhatsNew".
struct VersionList {
    bool isDictionary = false;
    QString lastestVersion; // null when the key is missing or not a string
    QString whatsNew;       // null when the key is missing or not a string
};
// Parses the bytes through a private temporary file (never a fixed shared path) that is
// removed before returning.
VersionList parseVersionList(const QByteArray &body, QString *error = nullptr);

enum class UpdateDecision { ShowUpdate, ShowUpToDate, ShowNothing, ShowFailure };
// What the controller shows for a list. A list that cannot tell us the newest version is a
// failed check: said when the user asked, silent otherwise.
UpdateDecision decideUpdate(const VersionList &list, const QString &currentVersion,
                            bool checkUpdate);

// The server: PHOTOKESTRY_UPDATE_SITE, else the maker's site. HTTPS is required except
// for a server on this computer's loopback address.
QUrl updateServerBase();
QUrl versionListUrl();
QUrl downloadPageUrl();
bool isAcceptableUpdateUrl(const QUrl &url);

// The program's own version.
QString programVersion();

QString newVersionText(const QString &lastestVersion);
QString currentVersionText(const QString &currentVersion);
// "*" marks a line break in the news text.
QString whatsNewText(const QString &whatsNew);
