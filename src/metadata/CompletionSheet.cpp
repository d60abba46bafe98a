// The end of a job of the window: the completion sheet, which says what was done, where the
// photos are and which were not written, and offers to show them; or, when no sheet is due,
// the reveal at once.
#include "app/AppDelegate.h"

#include "app/core/Settings.h"
#include "base/Logging.h"
#include "metadata/core/CompletionTexts.h"
#include "metadata/core/RecipeJobReport.h"
#include "platform/AlertSheet.h"
#include "platform/core/Workspace.h"

#include <QCheckBox>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QMainWindow>
#include <QPointer>
#include <QPushButton>

#include <algorithm>

void AppDelegate::showJobEnding(const JobReport &given, QWidget *over) {
    JobReport report = given;
    if (report.actionTitle.isEmpty())
        report.actionTitle = jobActionTitle();
    const bool due = !report.notWritten.isEmpty() || !report.partlyWritten.isEmpty() ||
                     !report.message.isEmpty() || (report.written > 0 && report.sheetOnSuccess);
    // A sheet offers the reveal on its button; without a sheet the result is shown at once,
    // or the job would leave no trace on the screen.
    if (due && LocalPhotoMetadataChangedCompletedAlert(report, false, over))
        return;
    if (report.quiet)
        return;
    if (!report.revealPath.isEmpty() || !report.revealRoot.isEmpty()) {
        // Where no file manager answers, the sheet tells what was done and where.
        QPointer<AppDelegate> self(this);
        Workspace::selectFile(report.revealPath, report.revealRoot, [self, report] {
            if (self)
                self->LocalPhotoMetadataChangedCompletedAlert(report, true);
        });
    } else if (report.written > 0 && !due) {
        // Nothing to reveal: the sheet is the only trace of the job.
        LocalPhotoMetadataChangedCompletedAlert(report);
    }
}

void AppDelegate::revealJobResult(int written, const QString &path, const QString &root) {
    JobReport report;
    report.written = written;
    report.revealPath = path;
    report.revealRoot = root;
    report.sheetOnSuccess = false;
    finishJob(report);
}

bool AppDelegate::LocalPhotoMetadataChangedCompletedAlert(const JobReport &report, bool unshown,
                                                          QWidget *over) {
    // Never report success for a photo that was not written: failures are always told, and
    // so are a job's own words (nothing found, a merge's counts).
    const bool failures = !report.notWritten.isEmpty() || !report.partlyWritten.isEmpty();
    const bool suppressible = !failures && !unshown && report.message.isEmpty();
    if (suppressible && userDefaults()
                            ->value(QLatin1String(SettingsKey::LocalPhotoMetadataAlertSuppress))
                            .toBool()) {
        qCDebug(lcMetadata) << "LocalPhotoMetadataAlertSuppress";
        return false;
    }
    // A camera photo's copy rewritten in place is no original of the user's.
    int originalsReplaced = 0;
    for (const QString &path : report.replaced)
        if (std::none_of(cameraCopies.cbegin(), cameraCopies.cend(),
                         [&path](const auto &copy) { return copy.second == path; }))
            ++originalsReplaced;
    CompletionTexts texts = completionTexts(report, originalsReplaced, preferences.storagelocation);
    const bool canReveal = !unshown && report.written > 0 &&
                           (!report.revealPath.isEmpty() || !report.revealRoot.isEmpty());
    if (unshown)
        texts.informative += tr("\n\nNo file manager could show the folder: open %1 yourself.")
                                 .arg(QDir::toNativeSeparators(report.resultFolder()));
    QStringList buttons{tr(" Ok ")};
    if (canReveal)
        buttons << tr("Show in Folder");
    const QString revealPath = report.revealPath, revealRoot = report.revealRoot;
    QMessageBox *alert = beginAlertSheet(
        over ? over : window, texts.message, texts.informative, buttons,
        [this, revealPath, revealRoot](QMessageBox *alert, int code) {
            if (code == 0)
                Workspace::selectFile(revealPath, revealRoot, [this, revealPath, revealRoot] {
                    beginAlertSheet(
                        window, tr("The folder could not be shown."),
                        tr("No file manager answered. The photos are in %1.")
                            .arg(QDir::toNativeSeparators(revealRoot.isEmpty()
                                                              ? QFileInfo(revealPath).absolutePath()
                                                              : revealRoot)),
                        {tr(" Ok ")}, [this](QMessageBox *a, int c) { savePanelDidEnd3(a, c); });
                });
            // Either button closes the sheet, and the suppression box counts for both.
            savePanelDidEnd112(alert, 1);
        },
        suppressible ? tr("Do not show this message again") : QString());
    alert->setIcon(failures ? QMessageBox::Warning : QMessageBox::Information);
    // Escape closes the sheet; it never opens the file manager.
    alert->setEscapeButton(static_cast<QAbstractButton *>(alert->defaultButton()));
    return true;
}

void AppDelegate::savePanelDidEnd112(QMessageBox *alert, int returnCode, void *) {
    if (returnCode != 1 || !alert)
        return;
    QCheckBox *box = suppressionButton(alert);
    if (box && box->isChecked())
        userDefaults()->setValue(QLatin1String(SettingsKey::LocalPhotoMetadataAlertSuppress), true);
    alert->close();
}
