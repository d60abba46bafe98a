#pragma once

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
    QString currentRenameLabStr, currentRenameTitleStr;
    bool useCustomName = false;
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
