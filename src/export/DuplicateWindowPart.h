#pragma once

#include "app/PartBasics.h"

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
    AppDelegate &d; // the application object: the shared state and the other parts

    explicit DuplicateWindowPart(AppDelegate &app) : d(app) {}

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

    // Duplicate photos of the open library (export/DuplicateScanFeature.cpp,
    // export/DuplicateTables.cpp, export/DuplicateWindow.cpp). The scan hashes a snapshot
    // of the browser's list on a worker; the window's two tables show the groups and the
    // files of one group, whose ticks the deletion reads.
    void FindDuplicatePhotosAction();
    void StartScanningDupGIFImageViewTimer();
    // The end of a scan, on the main thread.
    void ScanDuplicateFinishedHanderToMainThread(const struct DuplicateScanResult &result);
    // Stops a running scan; its groups are never shown.
    void stopDuplicateScan();
    // Data source and delegate of the window's tables (and of the merge list, whose rows
    // come with the merge window).
    int numberOfRowsInTableView(class QTableView *table) const;
    QWidget *tableView(QTableView *table, const QString &columnIdentifier, int row);
    void tableViewSelectionDidChange(QTableView *table);
    // Makes the cells of `table` again from its controller. Only rows in sight get theirs,
    // the others as they scroll in: thousands of groups must not each read a thumbnail
    // before the window answers.
    void reloadDuplicateTable(QTableView *table);
    void fillDuplicateCellsInSight(QTableView *table);
    // Shows `path` in the preview: a picture, a video's first frame, or the file's icon.
    void showDuplicatePreview(const QString &path);
    void AudoCheckAction();
    void CLickCancleDupAction();
    // The delete button: hands the ticked files, group by group in table order, to
    // onDeleteTickedDuplicates; without it a sheet says deletion is not available.
    void deleteTickedDuplicates();
    // Empties both tables of the duplicate window (after its ticked files went).
    void clearDuplicateTables();
    // The files ticked in the groups go out of the library (LibraryWindows' deletion).
    void DeleteDuplicatePhotosinPhotoLibraryAction();
};
