#pragma once

#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <memory>

class PKImageView;
class PRButton;
class QLabel;
class QMessageBox;
class QProgressBar;
class QWidget;

// The Takeout JSON and XMP merge windows and the running merge.
struct SidecarMergesPart {
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
    std::shared_ptr<struct SidecarMergeRun> sidecarMerge; // the running merge, if any
};
