#pragma once

#include <QObject>
#include <QString>
#include <functional>

class AppServices;
class QMessageBox;
class QWidget;
struct JobReport;

// The sheets over the main window that every piece shows: plain alerts, the ones several
// features share, and the completion sheet of a job.
class Sheets : public QObject {
    Q_OBJECT
  public:
    explicit Sheets(AppServices &app);

    // A sheet with one " Ok " that closes it, on `over` or else on the main window.
    QMessageBox *alert(const QString &message, const QString &informative, QWidget *over = nullptr);
    // "No Item has been selected".
    void noSelection();
    // The date typed is no date in either of the two formats read.
    void invalidDate(QWidget *over = nullptr);
    // A folder could not be made or written, and why.
    void reportFolderFailure(const QString &what, const QString &path, const QString &why);
    // Shows a secondary window centred over the main window, whole on its screen, in front.
    void showOverMainWindow(QWidget *secondary);

    // Common end of alerts and sheets: code 1 (the default button, or OK) closes the sheet.
    void savePanelDidEnd3(QWidget *sheet, int returnCode, void *contextInfo = nullptr);
    // The completion sheet's end: its suppression box counts.
    void savePanelDidEnd112(QMessageBox *alert, int returnCode, void *contextInfo = nullptr);

    // Completion sheet of a job: what was done, where the photos are, each photo of
    // `report.notWritten` (failed or skipped; told whatever the suppression setting) and a
    // button that reveals the result. False when the suppression setting kept it away.
    // `unshown`: the reveal found no file manager, so the sheet shows although suppressed,
    // names the folder and offers no reveal. `over`: the window the sheet opens on, when not
    // the main window.
    bool LocalPhotoMetadataChangedCompletedAlert(const JobReport &report, bool unshown = false,
                                                 QWidget *over = nullptr);
    // The same sheet, returned; null when suppressed.
    QMessageBox *completionSheet(const JobReport &report, bool unshown, QWidget *over);
    // The sheet of a job that brings its own words; the result, if any, is shown beside it.
    QMessageBox *ownWordsSheet(const JobReport &report, QWidget *over);
    // Shows the result in the file manager; where none answers, the job's sheet `ending`,
    // while open, says where it is, or else a sheet of its own on `over`.
    void revealOrSay(const QString &path, const QString &root, QWidget *over,
                     QMessageBox *ending = nullptr);
    // No file manager showed the file written at `path` (under `root`): the sheet names it.
    void fileNotShown(const QString &path, const QString &root);

    // Whether a rewritten file is a camera photo's copy (no original of the user's); the
    // camera window says.
    void setCameraCopyTest(std::function<bool(const QString &path)> test) {
        isCameraCopy = std::move(test);
    }

  private:
    AppServices &app;
    std::function<bool(const QString &path)> isCameraCopy;
};
