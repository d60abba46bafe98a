#pragma once

#include <QString>

// The minor number of a system version text such as "Version 10.15.7 (Build 19H2)": 15.
// Texts with fewer than two dot-separated pieces give 10.
int minorSystemVersion(const QString &versionString);
// The running system's version text in that form.
QString systemVersionString();
