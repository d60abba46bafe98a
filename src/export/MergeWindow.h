#pragma once

#include "model/PRPicFileInfo.h"

#include <QCoreApplication>
#include <QList>
#include <QStringList>

class AppServices;
class PRButton;
class QCheckBox;
class QFileDialog;
class QLabel;
class QMenu;
class QMessageBox;
class QProgressBar;
class QStandardItemModel;
class QTableView;
class QWidget;
struct LibraryMergeReport;

// The library merge: its window with the list of libraries, the destination and the options,
// and its progress window. The merge itself runs as a job of the window.
class MergeWindow {
    Q_DECLARE_TR_FUNCTIONS(MergeWindow)
  public:
    explicit MergeWindow(AppServices &app);
    ~MergeWindow();

    // Builds the merge window and its progress window.
    void build();

    // The item of the library's export menu that opens the window.
    void addMergeItem(QMenu *exports);

    // The main window's Merge button and menu item.
    void ClickMergePhotoLibraryAction();
    void AddPhotoLibraryintoTableView();
    // Lists the paths that are existing library packages; the rest are left out.
    void importPhotoLibraryintoTableViewThreader(const QStringList &paths);
    void RemovePhotoLibraryFromTableView();
    void ClickStartMergePhotoLibraryAction();

  private:
    void buildMergeWindow();
    void buildProcessWindow();
    void openPanelDidEnd28(QFileDialog *panel, int returnCode, void *contextInfo = nullptr);
    void importPhotoLibraryintoTableViewMainThreader();
    void showDestination();
    // The libraries to merge from and into, as the list's selection names them.
    bool mergePair(QString *source, QString *destination) const;
    void savePanelDidEnd36(QMessageBox *alert, int returnCode, void *contextInfo = nullptr);
    void StartMergePhotoLibraryThreader();
    void MergePhotoLibraryProcessInMainThread(const QString &text);
    void StartMergePhotoLibraryFinshMainThreader(const LibraryMergeReport &report);

    AppServices &app;
    QList<QWidget *> ownWindows;
    QWidget *photolibMergeWindow = nullptr, *photolibMergeProcessWindow = nullptr;
    QCheckBox *photolibDoNotImportDupBtn = nullptr, *photolibKeepAblumBtn = nullptr,
              *photolibKeepPhotoMetaBtn = nullptr;
    QTableView *photolibTableview = nullptr;
    QList<PRPicFileInfoPtr> photolibraryAddedArray;
    QStandardItemModel *photolibController = nullptr;
    QLabel *photolibDestLab = nullptr, *photolibMergeProcessTipLab = nullptr;
    QProgressBar *photolibMergeProcesser = nullptr;
    PRButton *photolibAddBtn = nullptr, *photolibSubBtn = nullptr, *photolibStartBtn = nullptr;
};
