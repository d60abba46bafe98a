// Batch titles, captions and renames of local photos, and the progress and end steps that
// the library jobs share.
#include "batch/NamingWindows.h"

#include "app/AppServices.h"
#include "app/Browsers.h"
#include "app/Jobs.h"
#include "batch/NamingSettings.h"
#include "batch/core/BatchRename.h"
#include "browser/DropTargets.h"
#include "metadata/core/RecipeJobReport.h"
#include "metadata/core/WriteRecipe.h"
#include "platform/core/FileDates.h"
#include "platform/core/JobRunner.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QProgressBar>

namespace {

const QString kApplying = QStringLiteral("Applying changes...");

bool isOn(const QCheckBox *box) {
    return box && box->isChecked();
}

QString textOf(const QLineEdit *field) {
    return field ? field->text() : QString();
}

} // namespace

void NamingWindows::startLocalTitleJob(naming::TextKind kind) {
    const QList<IKImageItemPtr> items = app.browsers().selectedLocalItems();
    const naming::TitleSettings s = titleSettings(kind);
    WriteRecipeOptions options;
    options.useRawTemporary = true;
    options.destinationDictionary = QStringLiteral("{IPTC}");
    options.change = [s](QVariantMap &working, const IKImageItem &item) {
        QString text;
        if (s.fileNameMode) {
            // File-name mode writes its text even when it is empty.
            text = naming::fileNameModeText(s, baseNameOf(item.fileName));
        } else {
            const naming::PhotoValues values =
                naming::photoValues(working, item.fileName, FileDates::creationDate(item.filePath),
                                    naming::Missing::Null);
            text =
                naming::cleanUp(naming::replaceTitleTokens(s.kind, s.templateText, values), true);
            if (text.isEmpty())
                return false;
        }
        QVariantMap iptc = subDictionary(working, QStringLiteral("{IPTC}"));
        if (s.kind == naming::TextKind::Title) {
            iptc.insert(QStringLiteral("ObjectName"), text);
        } else {
            iptc.insert(QStringLiteral("Caption/Abstract"), text);
            QVariantMap tiff = subDictionary(working, QStringLiteral("{TIFF}"));
            tiff.insert(QStringLiteral("ImageDescription"), text);
            working.insert(QStringLiteral("{TIFF}"), tiff);
        }
        working.insert(QStringLiteral("{IPTC}"), iptc);
        return true;
    };
    JobRunner *runner = app.jobs().startJob();
    connectRenameProgress(runner);
    // Always copies: this tool never replaces an original, whatever the setting says.
    startWriteRecipe(*runner, items, app.preferences().storagelocation, false, options,
                     [this](const WriteRecipeReport &report, bool cancelled) {
                         JobReport job = jobReportFromRecipe(report);
                         job.cancelled = cancelled;
                         ChangePhotoTitlePhotoLibraryCompleteToMainThread(job);
                     });
}

QString baseNameOf(const QString &fileName) {
    const QFileInfo info(fileName);
    if (info.completeBaseName().isEmpty() || info.suffix().isEmpty())
        return fileName;
    return fileName.left(fileName.size() - info.suffix().size() - 1);
}

naming::TitleSettings NamingWindows::titleSettings(naming::TextKind kind) const {
    naming::TitleSettings s;
    s.kind = kind;
    s.fileNameMode = isOn(useFileNameAsTitleBtn);
    s.modeTitle =
        useFileNameAsTitlePopButton ? useFileNameAsTitlePopButton->currentText() : QString();
    s.addText = textOf(addTextFileNametoTitleLab);
    s.findText = textOf(beReplacedTextFileNametoTitleLab);
    s.replaceText = textOf(replaceTextFileNametoTitleLab);
    s.templateText = textOf(changephotoTitle_PhotoTitleStrLab);
    return s;
}

naming::RenameSettings NamingWindows::renameSettings() const {
    naming::RenameSettings s;
    s.useCustomName = useCustomName;
    s.startNumber = isOn(checkStartNumber);
    s.customText = textOf(customNamelab);
    if (isOn(checkKeepLastFileName))
        s.segment = naming::NameSegment::KeepLast;
    else if (isOn(checkKeepFirstFileName))
        s.segment = naming::NameSegment::KeepFirst;
    else if (isOn(checkRemoveLastFileName))
        s.segment = naming::NameSegment::RemoveLast;
    else if (isOn(checkRemoveFirstFileName))
        s.segment = naming::NameSegment::RemoveFirst;
    s.templateText = currentRenameLabStr;
    s.dateFormatTitle = currentRenameTitleStr;
    s.counter = isOn(seqNumBtn);
    return s;
}

void NamingWindows::connectRenameProgress(JobRunner *runner) {
    QObject::connect(runner, &JobRunner::progress, &app.jobs(), [this](int done, int total) {
        RefreshRenamePhotoProcessToMainThread(QStringLiteral("%1/%2").arg(done).arg(total));
    });
}

void NamingWindows::showRenameActionWindow() {
    if (renameActionProcesser) {
        renameActionProcesser->setRange(0, 0);
        renameActionProcesser->show();
    }
    if (renameActionLab)
        renameActionLab->setText(tr("Applying changes..."));
    if (auto *sheet = qobject_cast<QDialog *>(renameActionWindow))
        sheet->open();
}

void NamingWindows::RefreshRenamePhotoProcessToMainThread(const QString &progress) {
    if (renameActionLab)
        renameActionLab->setText(kApplying + QString(14, QLatin1Char(' ')) + progress);
}

void NamingWindows::endProgressSheet() {
    if (auto *sheet = qobject_cast<QDialog *>(renameActionWindow))
        sheet->done(QDialog::Accepted);
    if (renameActionLab)
        renameActionLab->setText(kApplying);
    if (renameActionProcesser)
        renameActionProcesser->setRange(0, 1);
}

void NamingWindows::ChangePhotoTitlePhotoLibraryCompleteToMainThread(const JobReport &report) {
    endProgressSheet();
    if (localMode()) {
        app.jobs().finishJob(report);
    } else {
        // The library job has copied its working copy back; the browser shows the records.
        app.browsers().refreshLibraryCells();
        app.browsers().showLibrarySelection();
        JobReport failures = report;
        failures.sheetOnSuccess = false;
        failures.revealPath.clear();
        failures.revealRoot.clear();
        app.jobs().finishJob(failures);
    }
    if (useFileNameAsTitleBtn && !useFileNameAsTitleBtn->isChecked()) {
        if (useTagsAsTitleBtn)
            useTagsAsTitleBtn->setChecked(true);
        if (changephotoTitle_PhotoTitleStrLab)
            changephotoTitle_PhotoTitleStrLab->setText(QStringLiteral("{Existing Photo Title}"));
    }
}

void NamingWindows::RenamePhotoFinishedHanderToMainThread(const JobReport &report) {
    endProgressSheet();
    if (!localMode()) {
        app.browsers().refreshLibraryCells();
        app.browsers().showLibrarySelection();
    }
    // Only what went wrong is told; a rename that went well shows its first result.
    JobReport job = report;
    job.sheetOnSuccess = false;
    if (!localMode())
        job.revealPath.clear(), job.revealRoot.clear();
    app.jobs().finishJob(job);
    if (keepFileNameBtn)
        keepFileNameBtn->setChecked(true);
    if (filenameFormatstrlab)
        filenameFormatstrlab->setText(QStringLiteral("{ExistingFileName}"));
}

void NamingWindows::ChangePhotoTitleLocalPhotowithFileThreader() {
    startLocalTitleJob(naming::TextKind::Title);
}

void NamingWindows::ChangePhotoCaptionLocalPhotowithFileThreader() {
    startLocalTitleJob(naming::TextKind::Caption);
}

void NamingWindows::ReNameLocalphotowithFileThreader() {
    const QList<IKImageItemPtr> items = app.browsers().selectedLocalItems();
    batchrename::Settings s;
    s.naming = renameSettings();
    s.overwrite = app.preferences().overwrite;
    s.storage = app.preferences().storagelocation;
    QList<batchrename::Photo> photos;
    for (const IKImageItemPtr &item : items)
        photos << batchrename::Photo{item->filePath, item->fileName};
    JobRunner *runner = app.jobs().startJob();
    connectRenameProgress(runner);
    QObject::connect(runner, &JobRunner::finished, &app.jobs(),
                     [this, items, s](const QList<JobResult> &results, bool cancelled) {
                         JobReport report;
                         report.cancelled = cancelled;
                         for (const JobResult &r : results) {
                             const IKImageItemPtr &item = items[r.index];
                             if (!r.ok) {
                                 report.notWritten
                                     << QStringLiteral("%1: %2").arg(item->fileName, r.reason);
                                 continue;
                             }
                             if (++report.written == 1) {
                                 report.revealPath = r.outputPath;
                                 report.revealRoot = s.overwrite
                                                         ? QFileInfo(r.outputPath).absolutePath()
                                                         : s.storage;
                             }
                             // Renamed in place: the item and its records follow the file. A copy
                             // leaves the photo as it was.
                             if (!s.overwrite)
                                 continue;
                             const QString name = QFileInfo(r.outputPath).fileName();
                             item->filePath = r.outputPath;
                             item->fileThumbPath = r.outputPath;
                             item->fileName = name;
                             for (const PRPicFileInfoPtr &record :
                                  {item->originalFileNode, item->photoLibFileNode})
                                 if (record) {
                                     record->fileName = name;
                                     if (!record->fileFullPath.isEmpty())
                                         record->fileFullPath = r.outputPath;
                                 }
                         }
                         if (s.overwrite)
                             app.browsers().refreshLocalCells();
                         RenamePhotoFinishedHanderToMainThread(report);
                     });
    batchrename::start(*runner, s, photos);
}
