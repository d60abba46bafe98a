#pragma once

#include "app/PartBasics.h"

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
    AppDelegate &d; // the application object: the shared state and the other parts

    explicit MergeWindowPart(AppDelegate &app) : d(app) {}

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

    // Library merge (export/LibraryMerge.cpp, export/LibraryMergeWindow.cpp and
    // export/LibraryMergeProcessWindow.cpp).
    void ClickMergePhotoLibraryAction();
    void AddPhotoLibraryintoTableView();
    void openPanelDidEnd28(QFileDialog *panel, int returnCode, void *contextInfo = nullptr);
    // Lists the paths that are existing library packages; the rest are left out.
    void importPhotoLibraryintoTableViewThreader(const QStringList &paths);
    void importPhotoLibraryintoTableViewMainThreader();
    void RemovePhotoLibraryFromTableView();
    void ClickStartMergePhotoLibraryAction();
    void savePanelDidEnd36(QMessageBox *alert, int returnCode, void *contextInfo = nullptr);
    void StartMergePhotoLibraryThreader();
    void MergePhotoLibraryProcessInMainThread(const QString &text);
    void StartMergePhotoLibraryFinshMainThreader(const struct LibraryMergeReport &report);
};
