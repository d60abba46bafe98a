#pragma once

#include <QString>
#include <QStringList>

// The photos, videos and folders named on the command line (a file manager's "Open With"
// passes them as %F), as absolute paths in their order. Options (a leading "-") are
// skipped until a lone "--"; file:// addresses become their local paths and other
// addresses are skipped; paths are taken relative to `workingFolder`. Whether each one exists is
// the import's to say.
QStringList launchPaths(const QStringList &arguments, const QString &workingFolder);

// While TZ is unset, glibc checks /etc/localtime again on every local-time conversion (a
// stat each, several per library photo). Naming the system's zone file once keeps the same
// zone without that cost; a TZ the user set is left as it is. Call before any thread starts.
void pinLocalTimeZone();
