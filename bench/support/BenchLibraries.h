#pragma once

// What the library benchmarks share: writable copies of the fixture libraries, and opening
// one as the open panel's end does.
#include "app/AppDelegate.h"
#include "browser/MainWindowController.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMainWindow>
#include <QProcess>

namespace bench {

inline QString fixturesFolder() {
    return qEnvironmentVariable("PK_FIXTURES_DIR", QStringLiteral(PK_BENCH_FIXTURES));
}

// A writable copy of a fixture library package as dir/name.photoslibrary (one an earlier run
// kept there goes first), taken over from the Mac whose lock it carries, so that it can be
// written; empty when it could not be made.
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
    QFile::remove(target + QStringLiteral("/database/Photos.sqlite.lock"));
    return target;
}

// Opens the library at `path` as the open panel's end does; returns once its load is done
// when `wait` is set.
inline void choose(AppDelegate &d, const QString &path, bool wait = true) {
    QFileDialog panel(d.window);
    panel.setOption(QFileDialog::DontUseNativeDialog, true);
    panel.setFileMode(QFileDialog::AnyFile);
    panel.selectFile(path);
    d.mainWindowController().openPanelDidEnd8(&panel, 1);
    while (wait && !d.library().scanComplete)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

// Up to `most` shown photos, every `step`th one, whose original is managed and on disk; each
// original is given its own copy of `photo`, since the generator's hard links would keep one
// file for many photos. Returns their rows in the browser's list.
inline QList<int> photosWithOwnOriginals(const AppDelegate &d, int most, int step,
                                         const QString &photo) {
    QList<int> rows;
    const QList<IKImageItemPtr> &shown = d.library().photoLibBroserArray;
    for (qsizetype i = 0; i < shown.size() && rows.size() < most; i += step) {
        const IKImageItemPtr &item = shown.at(i);
        const PRPicFileInfo *r = item->photoLibFileNode.get();
        if (!r || r->bReferencePhoto || !item->bICloudDownloadPhoto ||
            !QFileInfo(item->filePath).isFile())
            continue;
        QFile::remove(item->filePath);
        QFile::copy(photo, item->filePath);
        rows << int(i);
    }
    return rows;
}

} // namespace bench
