#pragma once

#include "app/PartBasics.h"

#include <QString>
#include <QStringList>
#include <QVariantMap>

class PKImageView;
class PRButton;
class QLabel;
class QMessageBox;
class QProgressBar;
class QWidget;

// The Takeout JSON and XMP merge windows.
struct SidecarMergesPart {
    AppDelegate &d; // the application object: the shared state and the other parts

    explicit SidecarMergesPart(AppDelegate &app) : d(app) {}

    QString currentJosnFilePathStr;
    QVariantMap unPairgooglePhotoDict, pairgooglePhotoDict;
    QStringList googlePhotoArray;
    bool bMatchJsonFile = false;
    QWidget *writeXmpWindow = nullptr, *writeJsonWindow = nullptr;
    PKImageView *writeXmpImgView = nullptr, *writeJsonImgView = nullptr;
    QProgressBar *writeXmpProcesser = nullptr;
    int totalJsonFiles = 0, countJsonFiles = 0;
    QLabel *writeGooglePhotoLab = nullptr;
    QProgressBar *writeJsonProcesser = nullptr;
    PRButton *writeJsonBtn = nullptr, *CancelJsonBtn = nullptr, *writeXmpBtn = nullptr,
             *CancelXmpBtn = nullptr;
    QMessageBox *sidecarSummarySheet = nullptr; // the last run's summary, while it is shown

    // Takeout JSON and XMP sidecar merges (batch/SidecarMergeActions.cpp and the two merge
    // windows). Both write into the photos themselves; one run at a time, a job of one kind; the
    // end shows one summary sheet (merged, unpaired, not done and why) and one reveal.
    void MergeJsonMetadataToPhotosAction();
    void BatchWriteJsonFileToPhotos();
    void openPanelDidEnd19(QFileDialog *panel, int returnCode, void *contextInfo = nullptr);
    void CanelJsonMetadataToPhotosAction();
    void ScanJsonUpdatProgessItemToMainThread(int done, int total);
    void BatchScanJsonPhotosItemToMainThread(const struct SidecarMergeSummary &summary);
    void WriteXMPMetadataToPhotosAction();
    void BatchWriteXMPFileToFile();
    void CanelXMPMetadataToPhotosAction();
    void openPanelDidEnd9(QFileDialog *panel, int returnCode, void *contextInfo = nullptr);
    void BatchScanXmpPhotosItemToMainThread(const SidecarMergeSummary &summary);
    // The runs the panels start; false, with a sheet saying so, while a merge runs.
    bool startJsonMerge(const QStringList &folders);
    bool startXmpMerge(const QString &folder);
};
