// The sheets over the main window: plain alerts, the shared ones, and the end of a job of
// the window, the completion sheet, which says what was done, where the photos are and which
// were not written, and offers to show them.
#include "app/Sheets.h"

#include "app/AppServices.h"
#include "app/core/Settings.h"
#include "base/Logging.h"
#include "metadata/core/CompletionTexts.h"
#include "platform/AlertSheet.h"
#include "platform/core/JobReport.h"
#include "platform/core/Workspace.h"

#include <QCheckBox>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QMainWindow>
#include <QPointer>
#include <QPushButton>

namespace {

QString folderOf(const QString &path, const QString &root) {
    return QDir::toNativeSeparators(root.isEmpty() ? QFileInfo(path).absolutePath() : root);
}

} // namespace

Sheets::Sheets(AppServices &services) : app(services) {}

QMessageBox *Sheets::alert(const QString &message, const QString &informative, QWidget *over) {
    return beginAlertSheet(over ? over : app.mainWindow(), message, informative, {tr(" Ok ")},
                           [this](QMessageBox *a, int c) { savePanelDidEnd3(a, c); });
}

void Sheets::noSelection() {
    alert(tr("No Item has been selected"), tr("Please select at least one item to process."));
}

void Sheets::invalidDate(QWidget *over) {
    alert(tr("Invalid date format"),
          tr("Input the valid date format: YYYY:MM:DD HH:MM:SS or YYYY-MM-DD HH:MM:SS"), over);
}

void Sheets::reportFolderFailure(const QString &what, const QString &path, const QString &why) {
    qCWarning(lcApp) << "createFolder failed==" << path << why;
    alert(what, tr("%1\n%2").arg(path, why));
}

void Sheets::savePanelDidEnd3(QWidget *sheet, int returnCode, void *) {
    if (returnCode == 1 && sheet)
        sheet->close();
}

void Sheets::savePanelDidEnd112(QMessageBox *alert, int returnCode, void *) {
    if (returnCode != 1 || !alert)
        return;
    QCheckBox *box = suppressionButton(alert);
    if (box && box->isChecked())
        userDefaults()->setValue(QLatin1String(SettingsKey::LocalPhotoMetadataAlertSuppress), true);
    alert->close();
}

// Where no file manager answers, the job's sheet, while open, says where the result is, or
// else a sheet of its own on the job's window: nothing brings another window in front of what
// the job reports.
void Sheets::revealOrSay(const QString &path, const QString &root, QWidget *over,
                         QMessageBox *ending) {
    QPointer<Sheets> self(this);
    QPointer<QWidget> window(over);
    QPointer<QMessageBox> sheet(ending);
    Workspace::selectFile(path, root, [self, path, root, window, sheet] {
        if (!self)
            return;
        const QString where =
            tr("No file manager answered. The photos are in %1.").arg(folderOf(path, root));
        if (sheet && sheet->isVisible()) {
            const QString said = sheet->informativeText();
            sheet->setInformativeText(said.isEmpty() ? where
                                                     : said + QStringLiteral("\n\n") + where);
            return;
        }
        self->alert(tr("The folder could not be shown."), where, window);
    });
}

void Sheets::fileNotShown(const QString &path, const QString &root) {
    alert(tr("The folder could not be shown."),
          tr("No file manager answered. %1 is in %2.")
              .arg(QFileInfo(path).fileName(), folderOf(path, root)));
}

QMessageBox *Sheets::ownWordsSheet(const JobReport &report, QWidget *over) {
    const bool allDone = (report.written > 0 || report.nothingToDo) && !report.cancelled &&
                         report.notWritten.isEmpty() && report.partlyWritten.isEmpty();
    QMessageBox *sheet = markOutcome(
        beginAlertSheet(over ? over : app.mainWindow(), report.message, report.informative,
                        {report.button.isEmpty() ? tr(" Ok ") : report.button},
                        [this](QMessageBox *a, int c) { savePanelDidEnd3(a, c); }),
        allDone);
    // Nothing written, nothing to show.
    if (report.written > 0 && (!report.revealPath.isEmpty() || !report.revealRoot.isEmpty()))
        revealOrSay(report.revealPath, report.revealRoot, over, sheet);
    return sheet;
}

QMessageBox *Sheets::completionSheet(const JobReport &report, bool unshown, QWidget *over) {
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
        if (!isCameraCopy || !isCameraCopy(path))
            ++originalsReplaced;
    CompletionTexts texts =
        completionTexts(report, originalsReplaced, app.preferences().storagelocation);
    const bool canReveal = !unshown && report.written > 0 &&
                           (!report.revealPath.isEmpty() || !report.revealRoot.isEmpty());
    if (unshown)
        texts.informative += tr("\n\nNo file manager could show the folder: open %1 yourself.")
                                 .arg(QDir::toNativeSeparators(report.resultFolder()));
    QStringList buttons{tr(" Ok ")};
    if (canReveal)
        buttons << tr("Show in Folder");
    const QString revealPath = report.revealPath, revealRoot = report.revealRoot;
    QPointer<QWidget> window(over);
    QMessageBox *alert = beginAlertSheet(
        over ? over : app.mainWindow(), texts.message, texts.informative, buttons,
        [this, revealPath, revealRoot, window](QMessageBox *alert, int code) {
            if (code == 0)
                revealOrSay(revealPath, revealRoot, window);
            // Either button closes the sheet, and the suppression box counts for both.
            savePanelDidEnd112(alert, 1);
        },
        failures || unshown ? QString() : tr("Do not show this message again"));
    alert->setIcon(failures ? QMessageBox::Warning : QMessageBox::Information);
    // Escape closes the sheet; it never opens the file manager.
    alert->setEscapeButton(static_cast<QAbstractButton *>(alert->defaultButton()));
    return alert;
}

bool Sheets::LocalPhotoMetadataChangedCompletedAlert(const JobReport &report, bool unshown,
                                                     QWidget *over) {
    return completionSheet(report, unshown, over) != nullptr;
}
