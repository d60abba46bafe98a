#pragma once

#include <QCoreApplication>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class AppServices;
class JobControl;
class JobRunner;
class PKImageView;
class PRButton;
class QFileDialog;
class QLabel;
class QMenu;
class QProgressBar;
class QWidget;
struct SidecarMergeSummary;

// The Takeout JSON and XMP merge windows.
class SidecarMerges {
    Q_DECLARE_TR_FUNCTIONS(SidecarMerges)
  public:
    explicit SidecarMerges(AppServices &app);
    ~SidecarMerges();

    // Builds the XMP merge window, then the Takeout merge window.
    void build();

    // Takeout JSON and XMP sidecar merges (batch/SidecarMergeActions.cpp and the two merge
    // windows). Both write into the photos themselves; one run at a time, a job of one kind; the
    // end shows one summary sheet (merged, unpaired, not done and why) and one reveal.
    void MergeJsonMetadataToPhotosAction();
    void BatchWriteJsonFileToPhotos();
    void CanelJsonMetadataToPhotosAction();
    void WriteXMPMetadataToPhotosAction();
    void BatchWriteXMPFileToFile();
    void CanelXMPMetadataToPhotosAction();
    // The runs the panels start; false, with a sheet saying so, while a merge runs.
    bool startJsonMerge(const QStringList &folders);
    bool startXmpMerge(const QString &folder);

  private:
    void buildXmpMergeWindow();
    void buildJsonMergeWindow();
    void openPanelDidEnd19(QFileDialog *panel, int returnCode, void *contextInfo = nullptr);
    void openPanelDidEnd9(QFileDialog *panel, int returnCode, void *contextInfo = nullptr);
    void ScanJsonUpdatProgessItemToMainThread(int done, int total);
    void BatchScanJsonPhotosItemToMainThread(const SidecarMergeSummary &summary);
    void BatchScanXmpPhotosItemToMainThread(const SidecarMergeSummary &summary);
    // The folder panel, opened from `from` when it is shown.
    QFileDialog *folderPanel(const QString &message, bool several, QWidget *from);
    // True, with a sheet saying so, while a merge runs.
    bool refuseSecondRun();
    JobRunner *startMergeJob();
    void runMerge(JobRunner *runner, std::function<SidecarMergeSummary(JobControl &control)> walk,
                  void (SidecarMerges::*end)(const SidecarMergeSummary &));
    void cancelMerge();
    void showSummary(const QString &heading, const SidecarMergeSummary &summary,
                     const QString &revealPath, const QString &revealRoot);

    AppServices &app;
    QList<QWidget *> ownWindows; // the windows built without a parent

    QString currentJosnFilePathStr;
    QWidget *writeXmpWindow = nullptr, *writeJsonWindow = nullptr;
    PKImageView *writeXmpImgView = nullptr, *writeJsonImgView = nullptr;
    QProgressBar *writeXmpProcesser = nullptr;
    int totalJsonFiles = 0, countJsonFiles = 0;
    QLabel *writeGooglePhotoLab = nullptr;
    QProgressBar *writeJsonProcesser = nullptr;
    PRButton *writeJsonBtn = nullptr, *CancelJsonBtn = nullptr, *writeXmpBtn = nullptr,
             *CancelXmpBtn = nullptr;
};
