// Repairing referenced photos whose files were moved (found again under a chosen root) or
// renamed (found again in their folder by their size). The library's changes are one
// transaction and one copy back; each repair ends saying how many photos were relinked
// and why the others were not.
#include "library/LibraryWindows.h"

#include "app/AppServices.h"
#include "app/Browsers.h"
#include "app/Jobs.h"
#include "base/Logging.h"
#include "library/LibraryDatabase.h"
#include "library/core/LibrarySort.h"
#include "library/core/LibraryWriter.h"
#include "library/core/ReferenceRepair.h"
#include "platform/AlertSheet.h"
#include "platform/core/JobReport.h"

#include <QCheckBox>
#include <QDebug>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QListView>
#include <QMainWindow>
#include <QMenu>

namespace {

QString nameOf(const IKImageItem &item) {
    return item.fileName.isEmpty() ? QFileInfo(item.filePath).fileName() : item.fileName;
}

// The photo's file is where the library says: nothing to repair.
bool fileIsThere(const QString &path) {
    return !path.isEmpty() && QFileInfo(path).isFile();
}

} // namespace

void LibraryWindows::relinkItem(const IKImageItemPtr &item, const QString &path) {
    const PRPicFileInfoPtr &r = item->photoLibFileNode;
    r->fileFullPath = r->editRare().findLocation = path;
    r->bLostReferencePhoto = false;
    item->filePath = path;
    // Found again: no longer among the photos whose file is missing, nor in their view.
    if (app.browsers().libraryShowsMissingFiles())
        app.library().photoLibBroserArray.removeAll(item);
    app.library().lostReferencePhotoItemArray.removeAll(item);
}

void LibraryWindows::showReferenceRepairResult(const ReferenceRepairReport &report,
                                               bool renamedRepair) {
    JobReport ending;
    ending.button = tr(" OK ");
    if (!report.reason.isEmpty()) {
        ending.message = tr("The referenced photos were not repaired.");
        ending.informative =
            report.reason + QLatin1Char('\n') + tr("The library and the files are as they were.");
        app.jobs().finishJob(ending);
        return;
    }
    ending.written = report.relinked;
    ending.notWritten = report.others;
    QString others = report.others.isEmpty() ? QString()
                                             : tr("Not relinked:") + QLatin1Char('\n') +
                                                   shortList(report.others).join(QLatin1Char('\n'));
    // A renamed photo is looked for in its old folder only: a moved one needs its new place.
    if (report.relinked == 0 && renamedRepair)
        others = tr("If the originals were moved, use Fix Moved Referenced Photos first to choose "
                    "where they are now, then fix the renamed photos.") +
                 (others.isEmpty() ? QString() : QStringLiteral("\n\n") + others);
    ending.message =
        report.relinked == 0
            ? tr("No selected referenced photo was relinked.")
            : tr("%n referenced photo(s) relinked: the library browser shows them from their "
                 "new place.",
                 nullptr, report.relinked);
    ending.informative = others;
    app.jobs().finishJob(ending);
}

// ---- Moved photos ----

// Nothing selected: said at once, before the user is asked for anything.
bool LibraryWindows::refuseRepairWithoutSelection() {
    if (!app.browsers().selectedLibraryItems().isEmpty())
        return false;
    ReferenceRepairReport nothing;
    nothing.reason = tr("No photo is selected.");
    showReferenceRepairResult(nothing);
    return true;
}

void LibraryWindows::FixMovedReferencedPhotosAction() {
    if (database.CheckPhotosApplicationRun()) {
        database.showQuitPhotosOffer();
        return;
    }
    if (refuseRepairWithoutSelection())
        return;
    auto *panel =
        new QFileDialog(app.mainWindow(), tr("Please select the root folder of the original "
                                             "photos to establish a new connection for "
                                             "referenced photos."));
    panel->setAttribute(Qt::WA_DeleteOnClose);
    panel->setWindowModality(Qt::WindowModal);
    panel->setOption(QFileDialog::DontUseNativeDialog, true);
    panel->setOption(QFileDialog::ShowDirsOnly, true);
    panel->setFileMode(QFileDialog::Directory);
    openPanel = panel;
    QObject::connect(panel, &QFileDialog::finished, &app.jobs(), [this, panel](int r) {
        openPanelDidEnd18(panel, r == QDialog::Accepted ? 1 : 0);
    });
    panel->open();
}

void LibraryWindows::openPanelDidEnd18(QFileDialog *panel, int returnCode, void *) {
    if (returnCode != 1 || !panel)
        return;
    const QStringList paths = panel->selectedFiles();
    if (paths.isEmpty())
        return;
    showReferenceRepairResult(
        relinkMovedReferencedPhotos(paths.first(), app.browsers().selectedLibraryItems()));
}

QString LibraryWindows::getcurrentphotolocationwithNewFolderPath(const QString &root,
                                                                 const PRPicFileInfoPtr &node,
                                                                 QString *why) {
    if (!node)
        return {};
    const ReferenceSearch found = findMovedReferenceFolder(root, *node);
    if (!found.ok() && why)
        *why = found.why;
    return found.found;
}

ReferenceRepairReport
LibraryWindows::relinkMovedReferencedPhotos(const QString &root,
                                            const QList<IKImageItemPtr> &items) {
    ReferenceRepairReport report;
    if (items.isEmpty()) {
        report.reason = tr("No photo is selected.");
        return report;
    }
    QList<std::pair<IKImageItemPtr, QString>> found; // item, its file's new path
    for (const IKImageItemPtr &item : items) {
        const PRPicFileInfoPtr r = item ? item->photoLibFileNode : nullptr;
        if (!r)
            continue;
        // Only a lost referenced photo has something to find.
        if (!r->bReferencePhoto) {
            report.others << tr("%1: it is kept inside the library").arg(nameOf(*item));
            continue;
        }
        if (!r->bLostReferencePhoto && fileIsThere(r->fileFullPath)) {
            report.others << tr("%1: its file is where the library says").arg(nameOf(*item));
            continue;
        }
        QString why;
        if (!namesPlainReferencedFile(*r, r->fileFullPath, &why)) {
            report.others << QStringLiteral("%1: %2").arg(nameOf(*item), why);
            continue;
        }
        const QString folder = getcurrentphotolocationwithNewFolderPath(root, r, &why);
        if (folder.isEmpty()) {
            report.others << QStringLiteral("%1: %2").arg(nameOf(*item), why);
            continue;
        }
        found << std::pair{item, folder + QLatin1Char('/') + QFileInfo(r->fileFullPath).fileName()};
    }
    if (found.isEmpty())
        return report;
    if (!database.session().begin(&report.reason)) {
        report.reason = database.whyNotWritable(report.reason);
        return report;
    }
    for (const auto &[item, path] : found) {
        const PRPicFileInfoPtr &r = item->photoLibFileNode;
        const QFileInfo file(path);
        const LibraryWriteResult w =
            database.session().writer().folder(*r, file.path(), file.fileName());
        if (!w.ok) {
            database.session().abandon();
            report.reason = QStringLiteral("%1: %2").arg(nameOf(*item), w.reason);
            return report;
        }
    }
    const LibraryStepResult end = database.session().end();
    if (!end.ok) {
        report.reason = end.reason;
        return report;
    }
    for (const auto &[item, path] : found)
        relinkItem(item, path);
    report.relinked = int(found.size());
    app.browsers().reloadLibraryBrowser();
    return report;
}

// ---- Renamed photos ----

void LibraryWindows::FixReferencedPhotosAction() {
    if (refuseRepairWithoutSelection())
        return;
    if (auto *sheet = qobject_cast<QDialog *>(fixReferencedNameWindow))
        sheet->open();
}

void LibraryWindows::CheckCopyOrigFileNameReferenceFileAction() {
    if (copyOrigFileNameBtn && copyPhotoLibFileNameBtn)
        copyPhotoLibFileNameBtn->setChecked(!copyOrigFileNameBtn->isChecked());
}

void LibraryWindows::CheckCopyPhotoLibFileNameReferenceFileAction() {
    if (copyOrigFileNameBtn && copyPhotoLibFileNameBtn)
        copyOrigFileNameBtn->setChecked(!copyPhotoLibFileNameBtn->isChecked());
}

void LibraryWindows::StartCopyFileNameReferenceFileAction() {
    if (auto *sheet = qobject_cast<QDialog *>(fixReferencedNameWindow))
        sheet->accept();
    if (database.CheckPhotosApplicationRun()) {
        database.showQuitPhotosOffer();
        return;
    }
    const bool renameFiles = copyPhotoLibFileNameBtn && copyPhotoLibFileNameBtn->isChecked();
    showReferenceRepairResult(
        relinkRenamedReferencedPhotos(app.browsers().selectedLibraryItems(), renameFiles), true);
}

QString LibraryWindows::FindandChangeFinderPhotowithPath(const QString &folder,
                                                         const PRPicFileInfoPtr &node,
                                                         bool renameFile, QString *why,
                                                         bool *writeFailed, QString *newPath) {
    const ReferenceSearch match = findRenamedReferenceFile(folder, *node);
    if (!match.ok()) {
        *why = match.why;
        return {};
    }
    const QString found = folder + QLatin1Char('/') + match.found;
    if (renameFile) {
        // Only in the very folder the library names: a link on the way leads somewhere else.
        if (QFileInfo(folder).canonicalFilePath() != QDir::cleanPath(folder)) {
            *why = QStringLiteral("its folder %1 is reached through a link").arg(folder);
            return {};
        }
        // Back to the name the library knows; never over a file that has taken it.
        const QString libraryName = QFileInfo(node->fileFullPath).fileName();
        *newPath = folder + QLatin1Char('/') + libraryName;
        if (!renameWithoutReplacing(found, *newPath, why))
            return {};
        return QFileInfo(libraryName).completeBaseName();
    }
    const LibraryWriteResult w =
        database.session().writer().referencedFileName(*node, folder, match.found);
    if (!w.ok) {
        *why = w.reason;
        *writeFailed = true;
        return {};
    }
    *newPath = found;
    return QFileInfo(match.found).completeBaseName();
}

ReferenceRepairReport
LibraryWindows::relinkRenamedReferencedPhotos(const QList<IKImageItemPtr> &items,
                                              bool renameFiles) {
    ReferenceRepairReport report;
    if (items.isEmpty()) {
        report.reason = tr("No photo is selected.");
        return report;
    }
    if (!renameFiles && !database.session().begin(&report.reason)) {
        report.reason = database.whyNotWritable(report.reason);
        return report;
    }
    QList<std::pair<IKImageItemPtr, QString>> relinked; // item, the path it now has
    for (const IKImageItemPtr &item : items) {
        const PRPicFileInfoPtr r = item ? item->photoLibFileNode : nullptr;
        if (!r)
            continue;
        if (!r->bReferencePhoto) {
            report.others << tr("%1: it is kept inside the library").arg(nameOf(*item));
            continue;
        }
        if (fileIsThere(item->filePath)) {
            report.others << tr("%1: its file is where the library says").arg(nameOf(*item));
            continue;
        }
        QString why;
        // The repair lists and renames only in the folder the library names, never above it.
        if (!namesPlainReferencedFile(*r, item->filePath, &why) ||
            !namesPlainReferencedFile(*r, r->fileFullPath, &why)) {
            report.others << QStringLiteral("%1: %2").arg(nameOf(*item), why);
            continue;
        }
        const QString folder = QFileInfo(item->filePath).path();
        bool writeFailed = false;
        QString path;
        const QString base =
            FindandChangeFinderPhotowithPath(folder, r, renameFiles, &why, &writeFailed, &path);
        if (writeFailed) {
            database.session().abandon();
            report.reason = QStringLiteral("%1: %2").arg(nameOf(*item), why);
            return report;
        }
        if (base.isEmpty()) {
            report.others << QStringLiteral("%1: %2").arg(nameOf(*item), why);
            continue;
        }
        if (renameFiles) {
            // Renamed on disk at once: the record's name holds again.
            relinkItem(item, path);
            ++report.relinked;
            continue;
        }
        relinked << std::pair{item, path};
    }
    if (!renameFiles) {
        if (relinked.isEmpty()) {
            database.session().abandon();
        } else {
            const LibraryStepResult end = database.session().end();
            if (!end.ok) {
                report.reason = end.reason;
                return report;
            }
        }
        for (const auto &[item, path] : relinked) {
            const QString name = QFileInfo(path).fileName();
            item->photoLibFileNode->fileName = name;
            item->fileName = name;
            relinkItem(item, path);
        }
        report.relinked = int(relinked.size());
    }
    app.browsers().reloadLibraryBrowser();
    return report;
}

void LibraryWindows::addRepairItems(QMenu *libraryActions) {
    app.jobs().addMenuItem(libraryActions, tr("Fix Moved Referenced Photos…"),
                           [this] { FixMovedReferencedPhotosAction(); });
    app.jobs().addMenuItem(libraryActions, tr("Fix Renamed Referenced Photos…"),
                           [this] { FixReferencedPhotosAction(); });
}
