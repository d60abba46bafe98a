#pragma once

#include "model/PRDuplicateNode.h"

#include <QCache>
#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class PKImageView;
class QLabel;
class QProgressBar;
class QPushButton;
class QTableView;
class QTimer;
class QWidget;

// The duplicate window: the running scan, its groups, the two tables and the preview.
struct DuplicateWindowPart {
    QTimer *scanDupGifTimer = nullptr;
    QList<PRDuplicateNodePtr> sameFileArray;
    int duplicatePhotosNum = 0, duplicateVideosNum = 0;
    QStringList duplicateUnreadable; // thumbnails the last scan could not read, and why
    std::function<void(const QList<PRDupFileNodePtr> &ticked)> onDeleteTickedDuplicates;
    QCache<QString, QImage> imageCache{4000}; // group pictures by thumbnail path
    class PRArrayController *leftController = nullptr, *rightController = nullptr;
    QTableView *leftTableView = nullptr, *rightTableView = nullptr;
    QLabel *duplicateResultlab = nullptr, *duplicateUnreadablelab = nullptr,
           *previewFilePath = nullptr;
    PKImageView *previewDupFrameView = nullptr; // the video's first frame, in previewDupplayerView
    QPushButton *autoCheckDupBtn = nullptr, *cancelDupBtn = nullptr, *deleteDupBtn = nullptr;
    bool hHasRemoved = false, bClickAutoCheck = false;
    QWidget *dupWindow = nullptr;
    PKImageView *dupGroudImageView = nullptr;
    QWidget *previewDupContentView = nullptr;
    PKImageView *previewDupImageView = nullptr;
    QWidget *previewDupplayerView = nullptr;
    QProgressBar *scanDupProcesser = nullptr;
    QLabel *scanningDupinfolab = nullptr;
};
