#pragma once

#include "model/PRPicFileInfo.h"

#include <QList>

class PRButton;
class QCheckBox;
class QLabel;
class QProgressBar;
class QTableView;
class QWidget;

// The library merge window, its list of libraries and its progress window.
struct MergeWindowPart {
    QWidget *photolibMergeWindow = nullptr, *photolibMergeProcessWindow = nullptr;
    QCheckBox *photolibDoNotImportDupBtn = nullptr, *photolibKeepAblumBtn = nullptr,
              *photolibKeepPhotoMetaBtn = nullptr;
    QTableView *photolibTableview = nullptr;
    QList<PRPicFileInfoPtr> photolibraryAddedArray;
    class QStandardItemModel *photolibController = nullptr;
    QLabel *photolibDestLab = nullptr, *photolibMergeProcessTipLab = nullptr;
    QProgressBar *photolibMergeProcesser = nullptr;
    PRButton *photolibMergeBtn = nullptr, *photolibAddBtn = nullptr, *photolibSubBtn = nullptr,
             *photolibStartBtn = nullptr;
};
