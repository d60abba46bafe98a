// The end of a job of the window: the completion sheet, which says what was done, where the
// photos are and which were not written, and offers to show them; or, when no sheet is due,
// the reveal at once.
#include "app/AppDelegate.h"

#include "app/core/Settings.h"
#include "base/Logging.h"
#include "metadata/core/CompletionTexts.h"
#include "metadata/core/JobReport.h"
#include "platform/AlertSheet.h"
#include "platform/core/Workspace.h"

#include <QCheckBox>
#include <QDebug>
#include <QMainWindow>
#include <QPushButton>

#include <algorithm>

void AppDelegate::showJobEnding(const JobReport &given) {
    JobReport report = given;
    if (report.actionTitle.isEmpty())
        report.actionTitle = jobActionTitle();
    const bool due = !report.notWritten.isEmpty() || !report.partlyWritten.isEmpty() ||
                     (report.written > 0 && report.sheetOnSuccess);
    // A sheet offers the reveal on its button; without a sheet the result is shown at once,
    // or the job would leave no trace on the screen.
    if (due && LocalPhotoMetadataChangedCompletedAlert(report))
        return;
    if (!report.revealPath.isEmpty() || !report.revealRoot.isEmpty())
        Workspace::selectFile(report.revealPath, report.revealRoot);
}

bool AppDelegate::LocalPhotoMetadataChangedCompletedAlert(const JobReport &report) {
    // Never report success for a photo that was not written: failures are always told.
    const bool failures = !report.notWritten.isEmpty() || !report.partlyWritten.isEmpty();
    if (!failures && userDefaults()
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
    const CompletionTexts texts =
        completionTexts(report, originalsReplaced, preferences.storagelocation);
    const bool canReveal =
        report.written > 0 && (!report.revealPath.isEmpty() || !report.revealRoot.isEmpty());
    QStringList buttons{tr(" Ok ")};
    if (canReveal)
        buttons << tr("Show in Folder");
    const QString revealPath = report.revealPath, revealRoot = report.revealRoot;
    QMessageBox *alert = beginAlertSheet(
        window, texts.message, texts.informative, buttons,
        [this, revealPath, revealRoot](QMessageBox *alert, int code) {
            if (code == 0)
                Workspace::selectFile(revealPath, revealRoot);
            // Either button closes the sheet, and the suppression box counts for both.
            savePanelDidEnd112(alert, 1);
        },
        failures ? QString() : tr("Do not show this message again"));
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
