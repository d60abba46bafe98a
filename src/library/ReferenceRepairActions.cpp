// Repairing referenced photos whose files were moved (found again under a chosen root) or
// renamed (found again in their folder by their size). The library's changes are one
// transaction and one copy back; each repair ends saying how many photos were relinked
// and why the others were not.
#include "app/AppDelegate.h"
#include "app/Browsers.h"
#include "app/Jobs.h"
#include "browser/MainWindowController.h"

#include "base/Logging.h"
#include "browser/PRButton.h"
#include "library/LibraryWriter.h"
#include "library/core/LibrarySort.h"
#include "library/core/LibraryStore.h"
#include "library/core/LibraryWorkingCopy.h"
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

namespace {

QString nameOf(const IKImageItem &item) {
    return item.fileName.isEmpty() ? QFileInfo(item.filePath).fileName() : item.fileName;
}

// The photo's file is where the library says: nothing to repair.
bool fileIsThere(const QString &path) {
    return !path.isEmpty() && QFileInfo(path).isFile();
}

// The record and item now point at `path`, which exists.
void relinkItem(AppDelegate &d, const IKImageItemPtr &item, const QString &path) {
    const PRPicFileInfoPtr &r = item->photoLibFileNode;
    r->fileFullPath = r->editRare().findLocation = path;
    r->bLostReferencePhoto = false;
    item->filePath = path;
    // Found again: no longer among the photos whose file is missing, nor in their view.
    if (d.browsers().libraryShowsMissingFiles())
        d.library().photoLibBroserArray.removeAll(item);
    d.library().lostReferencePhotoItemArray.removeAll(item);
}

// Without a working copy the load's own note names the database and its fault.
QString whyNotWritable(const AppDelegate &d, const QString &why) {
    return !d.libraryDatabase.libraryWorkingCopy && !d.library().loadNote.isEmpty()
               ? d.library().loadNote
               : why;
}

} // namespace

void LibraryWindowsPart::showReferenceRepairResult(const ReferenceRepairReport &report,
                                                   bool renamedRepair) {
    JobReport ending;
    ending.button = AppDelegate::tr(" OK ");
    if (!report.reason.isEmpty()) {
        ending.message = AppDelegate::tr("The referenced photos were not repaired.");
        ending.informative = report.reason + QLatin1Char('\n') +
                             AppDelegate::tr("The library and the files are as they were.");
        d.jobs().finishJob(ending);
        return;
    }
    ending.written = report.relinked;
    ending.notWritten = report.others;
    QString others = report.others.isEmpty()
                         ? QString()
                         : AppDelegate::tr("Not relinked:") + QLatin1Char('\n') +
                               shortList(report.others).join(QLatin1Char('\n'));
    // A renamed photo is looked for in its old folder only: a moved one needs its new place.
    if (report.relinked == 0 && renamedRepair)
        others = AppDelegate::tr(
                     "If the originals were moved, use Fix Moved Referenced Photos first to choose "
                     "where they are now, then fix the renamed photos.") +
                 (others.isEmpty() ? QString() : QStringLiteral("\n\n") + others);
    ending.message =
        report.relinked == 0
            ? AppDelegate::tr("No selected referenced photo was relinked.")
            : AppDelegate::tr(
                  "%n referenced photo(s) relinked: the library browser shows them from their "
                  "new place.",
                  nullptr, report.relinked);
    ending.informative = others;
    d.jobs().finishJob(ending);
}

// ---- Moved photos ----

// Nothing selected: said at once, before the user is asked for anything.
bool LibraryWindowsPart::refuseRepairWithoutSelection() {
    if (!d.browsers().selectedLibraryItems().isEmpty())
        return false;
    ReferenceRepairReport nothing;
    nothing.reason = AppDelegate::tr("No photo is selected.");
    showReferenceRepairResult(nothing);
    return true;
}

void LibraryWindowsPart::FixMovedReferencedPhotosAction() {
    if (d.libraryDatabase.CheckPhotosApplicationRun()) {
        d.libraryDatabase.showQuitPhotosOffer();
        return;
    }
    if (refuseRepairWithoutSelection())
        return;
    auto *panel =
        new QFileDialog(d.window, AppDelegate::tr("Please select the root folder of the original "
                                                  "photos to establish a new connection for "
                                                  "referenced photos."));
    panel->setAttribute(Qt::WA_DeleteOnClose);
    panel->setWindowModality(Qt::WindowModal);
    panel->setOption(QFileDialog::DontUseNativeDialog, true);
    panel->setOption(QFileDialog::ShowDirsOnly, true);
    panel->setFileMode(QFileDialog::Directory);
    d.mainWindowController().theOpenPanel = panel;
    d.connect(panel, &QFileDialog::finished, &d,
              [this, panel](int r) { openPanelDidEnd18(panel, r == QDialog::Accepted ? 1 : 0); });
    panel->open();
}

void LibraryWindowsPart::openPanelDidEnd18(QFileDialog *panel, int returnCode, void *) {
    if (returnCode != 1 || !panel)
        return;
    const QStringList paths = panel->selectedFiles();
    if (paths.isEmpty())
        return;
    showReferenceRepairResult(
        relinkMovedReferencedPhotos(paths.first(), d.browsers().selectedLibraryItems()));
}

QString LibraryWindowsPart::getcurrentphotolocationwithNewFolderPath(const QString &root,
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
LibraryWindowsPart::relinkMovedReferencedPhotos(const QString &root,
                                                const QList<IKImageItemPtr> &items) {
    ReferenceRepairReport report;
    if (items.isEmpty()) {
        report.reason = AppDelegate::tr("No photo is selected.");
        return report;
    }
    QList<std::pair<IKImageItemPtr, QString>> found; // item, its file's new path
    for (const IKImageItemPtr &item : items) {
        const PRPicFileInfoPtr r = item ? item->photoLibFileNode : nullptr;
        if (!r)
            continue;
        // Only a lost referenced photo has something to find.
        if (!r->bReferencePhoto) {
            report.others
                << AppDelegate::tr("%1: it is kept inside the library").arg(nameOf(*item));
            continue;
        }
        if (!r->bLostReferencePhoto && fileIsThere(r->fileFullPath)) {
            report.others
                << AppDelegate::tr("%1: its file is where the library says").arg(nameOf(*item));
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
    if (!d.libraryDatabase.beginLibraryEdit(&report.reason)) {
        report.reason = whyNotWritable(d, report.reason);
        return report;
    }
    for (const auto &[item, path] : found) {
        const PRPicFileInfoPtr &r = item->photoLibFileNode;
        const QFileInfo file(path);
        const LibraryWriteResult w =
            d.libraryDatabase.libraryWriter().folder(*r, file.path(), file.fileName());
        if (!w.ok) {
            d.libraryDatabase.abandonLibraryEdit();
            report.reason = QStringLiteral("%1: %2").arg(nameOf(*item), w.reason);
            return report;
        }
    }
    const LibraryStepResult end = d.libraryDatabase.endLibraryEdit();
    if (!end.ok) {
        report.reason = end.reason;
        return report;
    }
    for (const auto &[item, path] : found)
        relinkItem(d, item, path);
    report.relinked = int(found.size());
    d.mainWindowController().LoadImportedPhotoLibraryonMainThread();
    return report;
}

// ---- Renamed photos ----

void LibraryWindowsPart::FixReferencedPhotosAction() {
    if (refuseRepairWithoutSelection())
        return;
    if (auto *sheet = qobject_cast<QDialog *>(fixReferencedNameWindow))
        sheet->open();
}

void LibraryWindowsPart::CheckCopyOrigFileNameReferenceFileAction() {
    if (copyOrigFileNameBtn && copyPhotoLibFileNameBtn)
        copyPhotoLibFileNameBtn->setChecked(!copyOrigFileNameBtn->isChecked());
}

void LibraryWindowsPart::CheckCopyPhotoLibFileNameReferenceFileAction() {
    if (copyOrigFileNameBtn && copyPhotoLibFileNameBtn)
        copyOrigFileNameBtn->setChecked(!copyPhotoLibFileNameBtn->isChecked());
}

void LibraryWindowsPart::StartCopyFileNameReferenceFileAction() {
    if (auto *sheet = qobject_cast<QDialog *>(fixReferencedNameWindow))
        sheet->accept();
    if (d.libraryDatabase.CheckPhotosApplicationRun()) {
        d.libraryDatabase.showQuitPhotosOffer();
        return;
    }
    const bool renameFiles = copyPhotoLibFileNameBtn && copyPhotoLibFileNameBtn->isChecked();
    showReferenceRepairResult(
        relinkRenamedReferencedPhotos(d.browsers().selectedLibraryItems(), renameFiles), true);
}

QString LibraryWindowsPart::FindandChangeFinderPhotowithPath(const QString &folder,
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
        d.libraryDatabase.libraryWriter().referencedFileName(*node, folder, match.found);
    if (!w.ok) {
        *why = w.reason;
        *writeFailed = true;
        return {};
    }
    *newPath = found;
    return QFileInfo(match.found).completeBaseName();
}

ReferenceRepairReport
LibraryWindowsPart::relinkRenamedReferencedPhotos(const QList<IKImageItemPtr> &items,
                                                  bool renameFiles) {
    ReferenceRepairReport report;
    if (items.isEmpty()) {
        report.reason = AppDelegate::tr("No photo is selected.");
        return report;
    }
    if (!renameFiles && !d.libraryDatabase.beginLibraryEdit(&report.reason)) {
        report.reason = whyNotWritable(d, report.reason);
        return report;
    }
    QList<std::pair<IKImageItemPtr, QString>> relinked; // item, the path it now has
    for (const IKImageItemPtr &item : items) {
        const PRPicFileInfoPtr r = item ? item->photoLibFileNode : nullptr;
        if (!r)
            continue;
        if (!r->bReferencePhoto) {
            report.others
                << AppDelegate::tr("%1: it is kept inside the library").arg(nameOf(*item));
            continue;
        }
        if (fileIsThere(item->filePath)) {
            report.others
                << AppDelegate::tr("%1: its file is where the library says").arg(nameOf(*item));
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
            d.libraryDatabase.abandonLibraryEdit();
            report.reason = QStringLiteral("%1: %2").arg(nameOf(*item), why);
            return report;
        }
        if (base.isEmpty()) {
            report.others << QStringLiteral("%1: %2").arg(nameOf(*item), why);
            continue;
        }
        if (renameFiles) {
            // Renamed on disk at once: the record's name holds again.
            relinkItem(d, item, path);
            ++report.relinked;
            continue;
        }
        relinked << std::pair{item, path};
    }
    if (!renameFiles) {
        if (relinked.isEmpty()) {
            d.libraryDatabase.abandonLibraryEdit();
        } else {
            const LibraryStepResult end = d.libraryDatabase.endLibraryEdit();
            if (!end.ok) {
                report.reason = end.reason;
                return report;
            }
        }
        for (const auto &[item, path] : relinked) {
            const QString name = QFileInfo(path).fileName();
            item->photoLibFileNode->fileName = name;
            item->fileName = name;
            relinkItem(d, item, path);
        }
        report.relinked = int(relinked.size());
    }
    d.mainWindowController().LoadImportedPhotoLibraryonMainThread();
    return report;
}
