#pragma once

#include "app/PartBasics.h"

#include <QString>

class PKImageView;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QWidget;

// The rename window, the batch title window and the progress sheet of their jobs.
struct NamingWindowsPart {
    AppDelegate &d; // the application object: the shared state and the other parts

    explicit NamingWindowsPart(AppDelegate &app) : d(app) {}

    QString currentRenameLabStr, currentRenameTitleStr;
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

    // Batch titles, captions and renames (batch/NamingJobs.cpp, batch/LibraryNamingJobs.cpp,
    // batch/BatchTitleWindow.cpp, batch/RenameWindow.cpp). Each job copies the window's
    // choices when it starts; its workers never touch a control or a list.
    void ChangePhotoTitleLocalPhotowithFileThreader();
    void ChangePhotoCaptionLocalPhotowithFileThreader();
    void ReNameLocalphotowithFileThreader();
    void ChangePhotoTitlePhotoLibrarywithFileThreader();
    void ChangePhotoCaptionPhotoLibrarywithFileThreader();
    void ReNamePhotoLibrarywithFileThreader();
    // "Applying changes..." and fourteen blanks before the progress text ("k/n").
    void RefreshRenamePhotoProcessToMainThread(const QString &progress);
    // The ends of the title and caption jobs and of the rename jobs: the progress sheet
    // goes, then the one sheet and reveal of `report` (library: the browser shows the
    // new records).
    void ChangePhotoTitlePhotoLibraryCompleteToMainThread(const JobReport &report);
    void RenamePhotoFinishedHanderToMainThread(const JobReport &report);
    // Shows the progress sheet over the main window.
    void showRenameActionWindow();
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
};
