#pragma once

#include "model/PRDuplicateNode.h"

#include <QCache>
#include <QCoreApplication>
#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class AppServices;
class LibraryDatabase;
class LibraryWindows;
class PKImageView;
class PRArrayController;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QTableView;
class QTimer;
class QWidget;
struct DuplicateScanResult;

// The duplicate photos of the open library: the scan hashes a snapshot of the browser's list
// on a worker; the window's two tables show the groups and the files of one group, whose
// ticks the deletion reads.
class DuplicateWindow {
    Q_DECLARE_TR_FUNCTIONS(DuplicateWindow)
  public:
    // The deletion of the ticked files is the library windows' own.
    DuplicateWindow(AppServices &app, LibraryDatabase &database, LibraryWindows &libraryWindows);

    // Builds the window, a sheet over the main window.
    void build();
    // The item of the library's actions menu that starts a scan.
    void addFindItem(QMenu *libraryActions);

    void FindDuplicatePhotosAction();
    bool scanRunning() const;
    // Stops a running scan; its groups are never shown.
    void stopDuplicateScan();
    // The end of a scan, on the main thread: its groups in the window.
    void ScanDuplicateFinishedHanderToMainThread(const DuplicateScanResult &result);
    // Makes the cells of `table` again from its controller. Only rows in sight get theirs,
    // the others as they scroll in: thousands of groups must not each read a thumbnail
    // before the window answers.
    void reloadDuplicateTable(QTableView *table);
    void AudoCheckAction();
    void CLickCancleDupAction();
    // The delete button: hands the ticked files, group by group in table order, to the
    // deletion set here (true when they went); without one, the library's own deletion
    // takes them.
    void deleteTickedDuplicates();
    void setTickedDeletion(std::function<bool(const QList<PRDupFileNodePtr> &ticked)> deletion) {
        onDeleteTickedDuplicates = std::move(deletion);
    }
    // The files ticked in the groups go out of the library (LibraryWindows' deletion).
    void DeleteDuplicatePhotosinPhotoLibraryAction();
    // Shows `path` in the preview: a picture, a video's first frame, or the file's icon.
    void showDuplicatePreview(const QString &path);
    // Whether the last deletion took ticked files out (a new scan clears it).
    bool tickedFilesWentOut() const { return hHasRemoved; }
    // The groups of the last scan, kept until the next one, and the thumbnails it could not
    // read, with why.
    const QList<PRDuplicateNodePtr> &groups() const { return sameFileArray; }
    const QStringList &unreadableThumbnails() const { return duplicateUnreadable; }
    // One tick of the scanning label's dots (its timer's).
    void StartScanningDupGIFImageViewTimer();

  private:
    int numberOfRowsInTableView(QTableView *table) const;
    QWidget *tableView(QTableView *table, const QString &columnIdentifier, int row);
    void tableViewSelectionDidChange(QTableView *table);
    void fillDuplicateCellsInSight(QTableView *table);
    // Empties both tables (after their ticked files went).
    void clearDuplicateTables();
    QTableView *newTable(QWidget *parent, const char *name, PRArrayController *controller,
                         int rowHeight);

    AppServices &app;
    LibraryDatabase &database;
    LibraryWindows &libraryWindows;
    QTimer *scanDupGifTimer = nullptr;
    QList<PRDuplicateNodePtr> sameFileArray;
    int duplicatePhotosNum = 0, duplicateVideosNum = 0;
    QStringList duplicateUnreadable; // thumbnails the last scan could not read, and why
    std::function<bool(const QList<PRDupFileNodePtr> &ticked)> onDeleteTickedDuplicates;
    QCache<QString, QImage> imageCache{4000}; // group pictures by thumbnail path
    PRArrayController *leftController = nullptr, *rightController = nullptr;
    QTableView *leftTableView = nullptr, *rightTableView = nullptr;
    QLabel *duplicateResultlab = nullptr, *duplicateUnreadablelab = nullptr,
           *previewFilePath = nullptr;
    PKImageView *previewDupFrameView = nullptr; // the video's first frame, in previewDupplayerView
    QPushButton *autoCheckDupBtn = nullptr, *cancelDupBtn = nullptr, *deleteDupBtn = nullptr;
    bool hHasRemoved = false, bClickAutoCheck = false;
    // While a group's files are put in the right table, its selection shows no preview.
    bool bPreivewFlag = false;
    QWidget *dupWindow = nullptr;
    PKImageView *dupGroudImageView = nullptr;
    QWidget *previewDupContentView = nullptr;
    PKImageView *previewDupImageView = nullptr;
    QWidget *previewDupplayerView = nullptr;
    QProgressBar *scanDupProcesser = nullptr;
    QLabel *scanningDupinfolab = nullptr;
};
