#pragma once

#include <QString>

// ~/.local/share/PhotoKestry (XDG data home): our own data folder.
QString applicationSupportFolder();
// Database backups of opened libraries.
QString backupFolder();
