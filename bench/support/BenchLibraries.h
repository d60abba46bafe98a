#pragma once

// What the library benchmarks share: writable copies of the fixture libraries, and opening
// one as the open panel's end does.
#include "app/AppDelegate.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMainWindow>
#include <QProcess>

namespace bench {

inline QString fixturesFolder() {
    return qEnvironmentVariable("PK_FIXTURES_DIR", QStringLiteral(PK_BENCH_FIXTURES));
}

// A writable copy of a fixture library package as dir/name.photoslibrary (one an earlier run
// kept there goes first); empty when it could not be made.
inline QString copyPackage(const QString &name, const QString &dir) {
    QDir().mkpath(dir);
    const QString source =
        fixturesFolder() + QStringLiteral("/libraries/") + name + QStringLiteral(".photoslibrary");
    const QString target = dir + QLatin1Char('/') + name + QStringLiteral(".photoslibrary");
    if (QFileInfo::exists(target))
        QDir(target).removeRecursively();
    if (QProcess::execute(QStringLiteral("cp"), {QStringLiteral("-a"), source, target}) != 0)
        return {};
    QProcess::execute(QStringLiteral("chmod"),
                      {QStringLiteral("-R"), QStringLiteral("u+w"), target});
    return target;
}

// Opens the library at `path` as the open panel's end does; returns once its load is done
// when `wait` is set.
inline void choose(AppDelegate &d, const QString &path, bool wait = true) {
    QFileDialog panel(d.window);
    panel.setOption(QFileDialog::DontUseNativeDialog, true);
    panel.setFileMode(QFileDialog::AnyFile);
    panel.selectFile(path);
    d.openPanelDidEnd8(&panel, 1);
    while (wait && !d.library.scanComplete)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

} // namespace bench
