#pragma once

#include "batch/core/NamingEngine.h"

#include <QCoreApplication>
#include <QList>
#include <QString>

#include <functional>

class AppServices;
class JobRunner;
class LibraryDatabase;
class PKImageView;
class QAbstractButton;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QWidget;
struct JobReport;

// The rename window, the batch title window and the progress sheet of their jobs.
class NamingWindows {
    Q_DECLARE_TR_FUNCTIONS(NamingWindows)
  public:
    // `localMode` says whether the window shows the local list (else the library).
    NamingWindows(AppServices &app, LibraryDatabase &database, std::function<bool()> localMode);
    ~NamingWindows();

    // Builds the rename window and its progress sheet, then the batch title window and the
    // Batch submenu of Actions.
    void build();
    // Gives the controls their titles, choices and first state.
    void prepareControls();

    // Batch titles, captions and renames (batch/NamingJobs.cpp, batch/LibraryNamingJobs.cpp,
    // batch/BatchTitleWindow.cpp, batch/RenameWindow.cpp). Each job copies the window's
    // choices when it starts; its workers never touch a control or a list.
    void ChangePhotoTitleLocalPhotowithFileThreader();
    void ChangePhotoCaptionLocalPhotowithFileThreader();
    void ReNameLocalphotowithFileThreader();
    void ChangePhotoTitlePhotoLibrarywithFileThreader();
    void ChangePhotoCaptionPhotoLibrarywithFileThreader();
    void ReNamePhotoLibrarywithFileThreader();
    // The batch title window.
    void BatchChangePhotoTitleAction();
    void BatchChangePhotoCaptionAction();
    void ClickChangePhotoTitleFromFileNameAction();
    void ClickChangePhotoTitleFromPhotoTagsAction();
    void ChangePhotoTitleFromFileNameAction();
    void KeepExistingPhotoTitleAction();
    void InsertPhotoTagsPhotoTitleAction();
    void ClickCancleChangePhotoTitleAction();
    void ClickSaveChangePhotoTitleAction();
    // The rename window.
    void ShowRenameWindowAction();
    void ClickRenamewithCustomtextAction();
    void ClickRenameCurrentFileNameAction();
    void ClickRenamewithMetadataAction();
    void KeepLastPartCurrentFileNameAction();
    void KeepFirstPartCurrentFileNameAction();
    void RemoveLastPartCurrentFileNameAction();
    void RemoveFirstPartCurrentFileNameAction();
    void KeepExistingFileNameAction();
    void InsertPhotoTagsFileNameAction();
    void CloseRenameWindowAction();
    void SaveChangesRenameWindowAction();
    // The library's " OK " alert when Photos holds the library; true when it was shown.
    bool alertWhilePhotosRuns();

    // What a library job writes.
    enum class LibraryJob { Title, Caption, Rename };

  private:
    enum class RenameMode { Custom, CurrentName, Metadata };

    void buildRenameWindow();
    void buildProgressSheet();
    void buildBatchTitleWindow();
    void onClick(QAbstractButton *button, void (NamingWindows::*action)());
    void onChoice(QComboBox *popUp, void (NamingWindows::*action)());
    // "Applying changes..." and fourteen blanks before the progress text ("k/n").
    void RefreshRenamePhotoProcessToMainThread(const QString &progress);
    // The ends of the title and caption jobs and of the rename jobs: the progress sheet
    // goes, then the one sheet and reveal of `report` (library: the browser shows the
    // new records).
    void ChangePhotoTitlePhotoLibraryCompleteToMainThread(const JobReport &report);
    void RenamePhotoFinishedHanderToMainThread(const JobReport &report);
    // Shows the progress sheet over the main window.
    void showRenameActionWindow();
    void endProgressSheet();
    void showTitleWindow(naming::TextKind kind);
    void hideTextControls();
    void enableTemplateControls(bool enabled);
    QString existingTag() const;
    void chooseRenameMode(RenameMode mode);
    void chooseSegment(QCheckBox *chosen);
    QList<QCheckBox *> segmentBoxes() const;
    void startLocalTitleJob(naming::TextKind kind);
    void startLibraryJob(LibraryJob job);
    // The choices of the windows, copied from their controls on the main thread when a job
    // starts, so that its workers read only values.
    naming::TitleSettings titleSettings(naming::TextKind kind) const;
    naming::RenameSettings renameSettings() const;
    // "k/n" after each photo of a running job.
    void connectRenameProgress(JobRunner *runner);

    AppServices &app;
    LibraryDatabase &database;
    std::function<bool()> localMode;
    QList<QWidget *> ownWindows; // the windows built without a parent

    QString currentRenameLabStr = QStringLiteral(""), currentRenameTitleStr = QStringLiteral("");
    bool useCustomName = false;
    // Whether the batch title window writes the library photos' titles or their captions.
    bool bChangePhotoLibTitle = false, bChangePhotoLibCaption = false;
    QWidget *renameWindow = nullptr;
    PKImageView *renameActionImgView = nullptr;
    QLineEdit *filenameFormatstrlab = nullptr;
    QCheckBox *keepFileNameBtn = nullptr, *replaceInvaidStrBtn = nullptr, *seqNumBtn = nullptr,
              *checkKeepLastFileName = nullptr, *checkKeepFirstFileName = nullptr,
              *checkRemoveFirstFileName = nullptr, *checkRemoveLastFileName = nullptr,
              *customerFileNameBtn = nullptr, *keepCurrentFileNameBtn = nullptr,
              *metaFileNameBtn = nullptr;
    QComboBox *renameDateFormatBtn = nullptr, *tagpostionButton = nullptr, *addTagsButton = nullptr;
    QWidget *batchTitleWindow = nullptr;
    QComboBox *useFileNameAsTitlePopButton = nullptr,
              *changephotoTitle_addPhotoTagsPopButton = nullptr;
    QCheckBox *useFileNameAsTitleBtn = nullptr, *useTagsAsTitleBtn = nullptr,
              *changephotoTitle_keepPhotoTitleBtn = nullptr;
    QLabel *addTextFileNametoTitleDisplayLab = nullptr,
           *beReplacedTextFileNametoTitleDisplayLab = nullptr,
           *replaceTextFileNametoTitleDisplayLab = nullptr,
           *changephotoTitle_PhotoTitleFormatDiplayLab = nullptr;
    QLineEdit *addTextFileNametoTitleLab = nullptr, *beReplacedTextFileNametoTitleLab = nullptr,
              *replaceTextFileNametoTitleLab = nullptr,
              *changephotoTitle_PhotoTitleStrLab = nullptr;
    QPushButton *changePhotoTitleSaveBtn = nullptr, *changePhotoTitleCancelBtn = nullptr;
    QLineEdit *customNamelab = nullptr;
    QCheckBox *checkStartNumber = nullptr;
    QPushButton *renameSaveBtn = nullptr, *renameCloseBtn = nullptr;
    QWidget *renameActionWindow = nullptr; // a QDialog, window-modal over the main window
    QLabel *renameActionLab = nullptr;
    QProgressBar *renameActionProcesser = nullptr;
};
