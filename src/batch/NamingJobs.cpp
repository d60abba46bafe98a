// Batch titles, captions and renames of local photos, and the progress and end steps that
// the library jobs share.
#include "batch/NamingSettings.h"

#include "app/AppDelegate.h"
#include "app/Browsers.h"
#include "app/Jobs.h"
#include "batch/core/BatchRename.h"
#include "browser/DropTargets.h"
#include "browser/MainWindowController.h"
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

void startLocalTitleJob(AppDelegate &d, naming::TextKind kind) {
    const QList<IKImageItemPtr> items = d.browsers().selectedLocalItems();
    const naming::TitleSettings s = titleSettingsOf(d, kind);
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
    JobRunner *runner = d.jobs().startJob();
    connectRenameProgress(d, runner);
    AppDelegate *owner = &d;
    // Always copies: this tool never replaces an original, whatever the setting says.
    startWriteRecipe(*runner, items, d.preferences().storagelocation, false, options,
                     [owner](const WriteRecipeReport &report, bool cancelled) {
                         JobReport job = jobReportFromRecipe(report);
                         job.cancelled = cancelled;
                         owner->namingWindows.ChangePhotoTitlePhotoLibraryCompleteToMainThread(job);
                     });
}

} // namespace

QString baseNameOf(const QString &fileName) {
    const QFileInfo info(fileName);
    if (info.completeBaseName().isEmpty() || info.suffix().isEmpty())
        return fileName;
    return fileName.left(fileName.size() - info.suffix().size() - 1);
}

naming::TitleSettings titleSettingsOf(const AppDelegate &d, naming::TextKind kind) {
    naming::TitleSettings s;
    s.kind = kind;
    s.fileNameMode = isOn(d.namingWindows.useFileNameAsTitleBtn);
    s.modeTitle = d.namingWindows.useFileNameAsTitlePopButton
                      ? d.namingWindows.useFileNameAsTitlePopButton->currentText()
                      : QString();
    s.addText = textOf(d.namingWindows.addTextFileNametoTitleLab);
    s.findText = textOf(d.namingWindows.beReplacedTextFileNametoTitleLab);
    s.replaceText = textOf(d.namingWindows.replaceTextFileNametoTitleLab);
    s.templateText = textOf(d.namingWindows.changephotoTitle_PhotoTitleStrLab);
    return s;
}

naming::RenameSettings renameSettingsOf(const AppDelegate &d) {
    naming::RenameSettings s;
    s.useCustomName = d.namingWindows.useCustomName;
    s.startNumber = isOn(d.namingWindows.checkStartNumber);
    s.customText = textOf(d.namingWindows.customNamelab);
    if (isOn(d.namingWindows.checkKeepLastFileName))
        s.segment = naming::NameSegment::KeepLast;
    else if (isOn(d.namingWindows.checkKeepFirstFileName))
        s.segment = naming::NameSegment::KeepFirst;
    else if (isOn(d.namingWindows.checkRemoveLastFileName))
        s.segment = naming::NameSegment::RemoveLast;
    else if (isOn(d.namingWindows.checkRemoveFirstFileName))
        s.segment = naming::NameSegment::RemoveFirst;
    s.templateText = d.namingWindows.currentRenameLabStr;
    s.dateFormatTitle = d.namingWindows.currentRenameTitleStr;
    s.counter = isOn(d.namingWindows.seqNumBtn);
    return s;
}

void connectRenameProgress(AppDelegate &d, JobRunner *runner) {
    QObject::connect(runner, &JobRunner::progress, &d, [&d](int done, int total) {
        d.namingWindows.RefreshRenamePhotoProcessToMainThread(
            QStringLiteral("%1/%2").arg(done).arg(total));
    });
}

void NamingWindowsPart::showRenameActionWindow() {
    if (renameActionProcesser) {
        renameActionProcesser->setRange(0, 0);
        renameActionProcesser->show();
    }
    if (renameActionLab)
        renameActionLab->setText(AppDelegate::tr("Applying changes..."));
    if (auto *sheet = qobject_cast<QDialog *>(renameActionWindow))
        sheet->open();
}

void NamingWindowsPart::RefreshRenamePhotoProcessToMainThread(const QString &progress) {
    if (renameActionLab)
        renameActionLab->setText(kApplying + QString(14, QLatin1Char(' ')) + progress);
}

namespace {

void endProgressSheet(AppDelegate &d) {
    if (auto *sheet = qobject_cast<QDialog *>(d.namingWindows.renameActionWindow))
        sheet->done(QDialog::Accepted);
    if (d.namingWindows.renameActionLab)
        d.namingWindows.renameActionLab->setText(kApplying);
    if (d.namingWindows.renameActionProcesser)
        d.namingWindows.renameActionProcesser->setRange(0, 1);
}

} // namespace

void NamingWindowsPart::ChangePhotoTitlePhotoLibraryCompleteToMainThread(const JobReport &report) {
    endProgressSheet(d);
    if (d.blocalMode) {
        d.jobs().finishJob(report);
    } else {
        // The library job has copied its working copy back; the browser shows the records.
        d.browsers().refreshLibraryCells();
        d.browsers().showLibrarySelection();
        JobReport failures = report;
        failures.sheetOnSuccess = false;
        failures.revealPath.clear();
        failures.revealRoot.clear();
        d.jobs().finishJob(failures);
    }
    if (useFileNameAsTitleBtn && !useFileNameAsTitleBtn->isChecked()) {
        if (useTagsAsTitleBtn)
            useTagsAsTitleBtn->setChecked(true);
        if (changephotoTitle_PhotoTitleStrLab)
            changephotoTitle_PhotoTitleStrLab->setText(QStringLiteral("{Existing Photo Title}"));
    }
}

void NamingWindowsPart::RenamePhotoFinishedHanderToMainThread(const JobReport &report) {
    endProgressSheet(d);
    if (!d.blocalMode) {
        d.browsers().refreshLibraryCells();
        d.browsers().showLibrarySelection();
    }
    // Only what went wrong is told; a rename that went well shows its first result.
    JobReport job = report;
    job.sheetOnSuccess = false;
    if (!d.blocalMode)
        job.revealPath.clear(), job.revealRoot.clear();
    d.jobs().finishJob(job);
    if (keepFileNameBtn)
        keepFileNameBtn->setChecked(true);
    if (filenameFormatstrlab)
        filenameFormatstrlab->setText(QStringLiteral("{ExistingFileName}"));
}

void NamingWindowsPart::ChangePhotoTitleLocalPhotowithFileThreader() {
    startLocalTitleJob(d, naming::TextKind::Title);
}

void NamingWindowsPart::ChangePhotoCaptionLocalPhotowithFileThreader() {
    startLocalTitleJob(d, naming::TextKind::Caption);
}

void NamingWindowsPart::ReNameLocalphotowithFileThreader() {
    const QList<IKImageItemPtr> items = d.browsers().selectedLocalItems();
    batchrename::Settings s;
    s.naming = renameSettingsOf(d);
    s.overwrite = d.preferences().overwrite;
    s.storage = d.preferences().storagelocation;
    QList<batchrename::Photo> photos;
    for (const IKImageItemPtr &item : items)
        photos << batchrename::Photo{item->filePath, item->fileName};
    JobRunner *runner = d.jobs().startJob();
    connectRenameProgress(d, runner);
    d.connect(runner, &JobRunner::finished, &d,
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
                          report.revealRoot =
                              s.overwrite ? QFileInfo(r.outputPath).absolutePath() : s.storage;
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
                      d.browsers().refreshLocalCells();
                  RenamePhotoFinishedHanderToMainThread(report);
              });
    batchrename::start(*runner, s, photos);
}
