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

namespace {

QString folderOf(const QString &path, const QString &root) {
    return QDir::toNativeSeparators(root.isEmpty() ? QFileInfo(path).absolutePath() : root);
}

// Shows the result in the file manager; where none answers, the job's sheet, while open, says
// where it is, or else a sheet of its own on the job's window: nothing brings another window
// in front of what the job reports.
void revealOrSay(AppDelegate &d, const QString &path, const QString &root, QWidget *over,
                 QMessageBox *ending = nullptr) {
    QPointer<AppDelegate> self(&d);
    QPointer<QWidget> window(over);
    QPointer<QMessageBox> sheet(ending);
    Workspace::selectFile(path, root, [self, path, root, window, sheet] {
        if (!self)
            return;
        const QString where = AppDelegate::tr("No file manager answered. The photos are in %1.")
                                  .arg(folderOf(path, root));
        if (sheet && sheet->isVisible()) {
            const QString said = sheet->informativeText();
            sheet->setInformativeText(said.isEmpty() ? where
                                                     : said + QStringLiteral("\n\n") + where);
            return;
        }
        beginAlertSheet(window ? window.data() : self->window,
                        AppDelegate::tr("The folder could not be shown."), where,
                        {AppDelegate::tr(" Ok ")},
                        [self](QMessageBox *a, int c) { self->savePanelDidEnd3(a, c); });
    });
}

// The sheet of a job that brings its own words; the result, if any, is shown beside it.
QMessageBox *ownWordsSheet(AppDelegate &d, const JobReport &report, QWidget *over) {
    const bool allDone = (report.written > 0 || report.nothingToDo) && !report.cancelled &&
                         report.notWritten.isEmpty() && report.partlyWritten.isEmpty();
    QMessageBox *sheet = markOutcome(
        beginAlertSheet(over ? over : d.window, report.message, report.informative,
                        {report.button.isEmpty() ? AppDelegate::tr(" Ok ") : report.button},
                        [&d](QMessageBox *a, int c) { d.savePanelDidEnd3(a, c); }),
        allDone);
    // Nothing written, nothing to show.
    if (report.written > 0 && (!report.revealPath.isEmpty() || !report.revealRoot.isEmpty()))
        revealOrSay(d, report.revealPath, report.revealRoot, over, sheet);
    return sheet;
}

// The completion sheet of `report`, or null when it is suppressed.
QMessageBox *completionSheet(AppDelegate &d, const JobReport &report, bool unshown, QWidget *over) {
    // Never report success for a photo that was not written: failures are always told.
    const bool failures = !report.notWritten.isEmpty() || !report.partlyWritten.isEmpty();
    if (!failures && !unshown &&
        userDefaults()
            ->value(QLatin1String(SettingsKey::LocalPhotoMetadataAlertSuppress))
            .toBool()) {
        qCDebug(lcMetadata) << "LocalPhotoMetadataAlertSuppress";
        return nullptr;
    }
    // A camera photo's copy rewritten in place is no original of the user's.
    int originalsReplaced = 0;
    for (const QString &path : report.replaced)
        if (std::none_of(d.cameraCopies.cbegin(), d.cameraCopies.cend(),
                         [&path](const auto &copy) { return copy.second == path; }))
            ++originalsReplaced;
    CompletionTexts texts =
        completionTexts(report, originalsReplaced, d.preferences.storagelocation);
    const bool canReveal = !unshown && report.written > 0 &&
                           (!report.revealPath.isEmpty() || !report.revealRoot.isEmpty());
    if (unshown)
        texts.informative +=
            AppDelegate::tr("\n\nNo file manager could show the folder: open %1 yourself.")
                .arg(QDir::toNativeSeparators(report.resultFolder()));
    QStringList buttons{AppDelegate::tr(" Ok ")};
    if (canReveal)
        buttons << AppDelegate::tr("Show in Folder");
    const QString revealPath = report.revealPath, revealRoot = report.revealRoot;
    QPointer<QWidget> window(over);
    QMessageBox *alert = beginAlertSheet(
        over ? over : d.window, texts.message, texts.informative, buttons,
        [&d, revealPath, revealRoot, window](QMessageBox *alert, int code) {
            if (code == 0)
                revealOrSay(d, revealPath, revealRoot, window);
            // Either button closes the sheet, and the suppression box counts for both.
            d.savePanelDidEnd112(alert, 1);
        },
        failures || unshown ? QString() : AppDelegate::tr("Do not show this message again"));
    alert->setIcon(failures ? QMessageBox::Warning : QMessageBox::Information);
    // Escape closes the sheet; it never opens the file manager.
    alert->setEscapeButton(static_cast<QAbstractButton *>(alert->defaultButton()));
    return alert;
}

} // namespace

QMessageBox *AppDelegate::showJobEnding(const JobReport &given, QWidget *over) {
    if (!given.message.isEmpty())
        return ownWordsSheet(*this, given, over);
    JobReport report = given;
    if (report.actionTitle.isEmpty())
        report.actionTitle = jobActionTitle();
    const bool due = !report.notWritten.isEmpty() || !report.partlyWritten.isEmpty() ||
                     !report.message.isEmpty() || (report.written > 0 && report.sheetOnSuccess);
    // A sheet offers the reveal on its button; without a sheet the result is shown at once,
    // or the job would leave no trace on the screen.
    if (due)
        if (QMessageBox *sheet = completionSheet(*this, report, false, over))
            return sheet;
    if (report.quiet)
        return nullptr;
    if (!report.revealPath.isEmpty() || !report.revealRoot.isEmpty()) {
        // Where no file manager answers, the sheet tells what was done and where.
        QPointer<AppDelegate> self(this);
        QPointer<QWidget> window(over);
        Workspace::selectFile(report.revealPath, report.revealRoot, [self, report, window] {
            if (self)
                completionSheet(*self, report, true, window);
        });
    } else if (report.written > 0 && !due) {
        // Nothing to reveal: the sheet is the only trace of the job.
        return completionSheet(*this, report, false, over);
    }
    return nullptr;
}

void AppDelegate::revealJobResult(int written, const QString &path, const QString &root) {
    if (written <= 0)
        return;
    // A file written for the user (a property list) is no changed photo: where no file manager
    // answers, the sheet names the file and the folder it was written to.
    QPointer<AppDelegate> self(this);
    Workspace::selectFile(path, root, [self, path, root] {
        if (!self)
            return;
        beginAlertSheet(self->window, tr("The folder could not be shown."),
                        tr("No file manager answered. %1 is in %2.")
                            .arg(QFileInfo(path).fileName(), folderOf(path, root)),
                        {tr(" Ok ")},
                        [self](QMessageBox *a, int c) { self->savePanelDidEnd3(a, c); });
    });
}

bool AppDelegate::LocalPhotoMetadataChangedCompletedAlert(const JobReport &report, bool unshown,
                                                          QWidget *over) {
    return completionSheet(*this, report, unshown, over) != nullptr;
}

void AppDelegate::savePanelDidEnd112(QMessageBox *alert, int returnCode, void *) {
    if (returnCode != 1 || !alert)
        return;
    QCheckBox *box = suppressionButton(alert);
    if (box && box->isChecked())
        userDefaults()->setValue(QLatin1String(SettingsKey::LocalPhotoMetadataAlertSuppress), true);
    alert->close();
}
