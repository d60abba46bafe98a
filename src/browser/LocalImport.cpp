// Local photos come in by open panel, by drop on the browser and by drop on the empty
// pane; folders are walked on a worker thread.
#include "app/AppServices.h"
#include "app/Jobs.h"
#include "app/Sheets.h"
#include "browser/MainWindowController.h"

#include "app/core/Settings.h"
#include "browser/DropTargets.h"
#include "browser/FilesAndFoldersDialog.h"
#include "browser/LocalPhotoModel.h"
#include "browser/PRButton.h"
#include "browser/core/LocalImport.h"
#include "platform/AlertSheet.h"
#include "platform/core/JobReport.h"
#include "platform/core/JobRunner.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QMainWindow>
#include <QPushButton>
#include <memory>

QFileDialog *MainWindowController::openImportPanel(bool foldersToo, const QString &message) {
    QFileDialog *panel = foldersToo ? new FilesAndFoldersDialog(app.mainWindow(), message)
                                    : new QFileDialog(app.mainWindow(), message);
    panel->setAttribute(Qt::WA_DeleteOnClose);
    panel->setWindowModality(Qt::WindowModal);
    if (!foldersToo)
        panel->setFileMode(QFileDialog::ExistingFiles);
    return panel;
}

namespace {
// What the user chose: the folders too where the panel takes them.
QStringList chosenPaths(QFileDialog *panel) {
    if (auto *both = qobject_cast<FilesAndFoldersDialog *>(panel))
        return both->chosenPaths();
    return panel->selectedFiles();
}

} // namespace

void MainWindowController::OpenComputerFoldertoImportAction() {
    QFileDialog *panel = openImportPanel(false, tr("Please select photos to import."));
    QObject::connect(panel, &QFileDialog::finished, this, [this, panel](int r) {
        openPanelDidEnd(panel, r == QDialog::Accepted ? 1 : 0);
    });
    panel->open();
}

void MainWindowController::ClickClearandImportPhotosAction() {
    QFileDialog *panel = openImportPanel(false, tr("Please select photos to import."));
    // The list is cleared only once photos are chosen: a cancel leaves it as it was.
    QObject::connect(panel, &QFileDialog::finished, this, [this, panel](int r) {
        if (r != QDialog::Accepted || chosenPaths(panel).isEmpty())
            return;
        ClearLeftPhotos();
        openPanelDidEnd1(panel, 1);
    });
    panel->open();
}

void MainWindowController::ClickImportPhotosAction() {
    QFileDialog *panel =
        openImportPanel(true, tr("Please select photos or photo folder to import."));
    QObject::connect(panel, &QFileDialog::finished, this, [this, panel](int r) {
        openPanelDidEnd1(panel, r == QDialog::Accepted ? 1 : 0);
    });
    panel->open();
}

void MainWindowController::openPanelDidEnd(QFileDialog *panel, int returnCode, void *) {
    if (returnCode != 1 || !panel)
        return;
    const QStringList files = panel->selectedFiles();
    if (!files.isEmpty()) {
        showLocalBrowserPane();
        QStringList problems;
        for (const QString &path : files) {
            const IKImageItemPtr item = makeLocalItem(path);
            item->editRare().unreadableReason = unreadableReason(path);
            if (!item->rare().unreadableReason.isEmpty())
                problems << QStringLiteral("%1: %2").arg(path, item->rare().unreadableReason);
            appendLocalItem(item);
        }
        setLocalMode(true);
        showImportProblems(problems);
    }
    createFolder(app.preferences().storagelocation);
}

void MainWindowController::openPanelDidEnd1(QFileDialog *panel, int returnCode, void *) {
    if (returnCode != 1 || !panel || chosenPaths(panel).isEmpty())
        return;
    showLocalBrowserPane();
    importPhotosItemThreader(chosenPaths(panel));
    setLocalMode(true);
}

namespace {

// What one chosen path brought: its items in walk order, each with its real path so that a
// folder chosen twice (or reached through a link) adds its photos once.
// Unreadable files are added too, marked, and named in `problems` with what else was skipped.
struct ImportedPath {
    QList<IKImageItemPtr> items;
    QStringList realPaths;
    QStringList problems; // "path: reason"
    bool folder = false;
};

// Walks one chosen path into `found`, calling `flushIfDue` after each file taken, so that the
// first photos of a large folder can show while the rest is listed.
void importPath(const QString &path, ImportedPath &found,
                const std::function<void(ImportedPath &)> &flushIfDue) {
    auto take = [&found, &flushIfDue](const QString &file) {
        if (!isImportableFile(file))
            return;
        const IKImageItemPtr item = makeLocalItem(file);
        item->editRare().unreadableReason = unreadableReason(file);
        if (!item->rare().unreadableReason.isEmpty())
            found.problems << QStringLiteral("%1: %2").arg(file, item->rare().unreadableReason);
        found.items << item;
        found.realPaths << QFileInfo(file).canonicalFilePath();
        flushIfDue(found);
    };
    auto skipped = [&found](const QString &folder, const QString &reason) {
        found.problems << QStringLiteral("%1: %2").arg(folder, reason);
    };
    const QFileInfo info(path);
    if (info.isDir()) {
        found.folder = true;
        QSet<QString> visited;
        walkFolder(path, take, visited, skipped);
    } else if (!info.exists() && !info.isSymLink()) {
        found.problems << QStringLiteral("%1: %2").arg(path, QStringLiteral("the file is missing"));
    } else if (!isImportableFile(path)) {
        found.problems << QStringLiteral("%1: %2").arg(path,
                                                       QStringLiteral("not a photo or video"));
    } else {
        take(path);
    }
}

// The first batch is small, so the first cells fill at once; later ones come at the job
// runner's pace.
constexpr qsizetype kFirstBatch = 50;

} // namespace

Q_DECLARE_METATYPE(ImportedPath)

void MainWindowController::importPhotosItemThreader(const QStringList &paths) {
    JobRunner *runner = app.jobs().startJob();
    auto seen = std::make_shared<QSet<QString>>();
    auto problems = std::make_shared<QStringList>();
    // Every change to the lists and flags happens on the main thread, a batch at a time,
    // so the browser never reads a list in the middle of an append.
    QObject::connect(runner, &JobRunner::batchReady, this,
                     [this, paths, seen, problems](const QList<JobResult> &batch) {
                         for (const JobResult &r : batch) {
                             const ImportedPath found = r.data.value<ImportedPath>();
                             *problems << found.problems;
                             for (qsizetype i = 0; i < found.items.size(); ++i) {
                                 const QString real = found.realPaths[i];
                                 if (!real.isEmpty() && seen->contains(real))
                                     continue;
                                 seen->insert(real);
                                 appendLocalItem(found.items[i]);
                             }
                             bImportLocalFolder = found.folder;
                             if (found.folder)
                                 bImportLocalPath = QFileInfo(paths.value(r.index)).absolutePath();
                         }
                         LoadImportedPhotsonMainThread();
                     });
    QObject::connect(runner, &JobRunner::finished, this,
                     [this, problems] { showImportProblems(*problems); });
    runner->startLong([paths](JobControl &control) {
        QList<JobResult> batch; // not handed back yet
        qsizetype waiting = 0;  // their items
        bool firstSent = false;
        QElapsedTimer sinceHandBack;
        sinceHandBack.start();
        auto due = [&](qsizetype more) {
            return firstSent ? sinceHandBack.elapsed() >= JobRunner::batchIntervalMs
                             : waiting + more >= kFirstBatch;
        };
        auto keep = [&](qsizetype index, const ImportedPath &found) {
            JobResult r;
            r.ok = true;
            r.index = index;
            r.outputPath = paths[index];
            r.data = QVariant::fromValue(found);
            batch << r;
            waiting += found.items.size();
        };
        auto handBack = [&] {
            if (!batch.isEmpty())
                control.handBack(batch);
            batch.clear();
            waiting = 0;
            firstSent = true;
            sinceHandBack.restart();
        };
        for (qsizetype index = 0; index < paths.size() && !control.isCancelled(); ++index) {
            ImportedPath found;
            importPath(paths[index], found, [&](ImportedPath &part) {
                if (!due(part.items.size()))
                    return;
                keep(index, part);
                handBack();
                const bool folder = part.folder;
                part = ImportedPath();
                part.folder = folder;
            });
            keep(index, found);
            if (due(0))
                handBack();
        }
        handBack();
        JobResult done;
        done.ok = true;
        return done;
    });
}

void MainWindowController::LoadImportedPhotsonMainThread() {
    if (localPhotoModel)
        localPhotoModel->reload();
    if (sortLocalPhotoBtn)
        sortLocalPhotoBtn->show();
}

void MainWindowController::showImportProblems(const QStringList &problems) {
    if (problems.isEmpty())
        return;
    const QStringList lines = shortList(problems);
    QMessageBox *sheet = app.sheets().alert(
        tr("Some files or folders could not be read."),
        tr("Files listed here are shown as unreadable and cannot be edited; folders were "
           "skipped:\n%1")
            .arg(lines.join(QLatin1Char('\n'))));
    if (sheet)
        sheet->setObjectName(QStringLiteral("importProblemsAlert"));
}

void MainWindowController::appendLocalItem(const IKImageItemPtr &item) {
    if (!item)
        return;
    app.localLists().localPhotoItemArray << item;
    app.localLists().localImportPhotoItemArray << item;
}

void MainWindowController::showLocalBrowserPane() {
    if (leftphotoScrView)
        leftphotoScrView->show();
    if (leftTipView)
        leftTipView->hide();
    if (leftTipCameraImageView)
        leftTipCameraImageView->hide();
}
