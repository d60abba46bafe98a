#pragma once

#include "app/PartBasics.h"

class PKImageView;
class PRButton;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

// The single and the batch date windows.
struct DateWindowsPart {
    AppDelegate &d; // the application object: the shared state and the other parts

    explicit DateWindowsPart(AppDelegate &app) : d(app) {}

    QWidget *changeMutiDateWindow = nullptr;
    QWidget *dateCustomView = nullptr;
    QPushButton *dateChoosePhotoBtn = nullptr;
    PKImageView *dateImageview = nullptr;
    QPushButton *AddTimeBtn = nullptr, *RemoveTimeBtn = nullptr;
    QComboBox *AddDateUnitBtn = nullptr;
    QWidget *changeDateWindow = nullptr;
    QLineEdit *orignalDatelab = nullptr, *diginalDatelab = nullptr;
    QLabel *EditDateHeadInfolab = nullptr;
    QLineEdit *mutSetDatelab = nullptr, *beforeorignalDatelab = nullptr,
              *beforediginalDatelab = nullptr, *afterorignalDatelab = nullptr,
              *afterdiginalDatelab = nullptr;
    QLineEdit *yearVaulab = nullptr, *monthVaulab = nullptr, *dayVaulab = nullptr,
              *hourVaulab = nullptr, *minuVaulab = nullptr, *secVaulab = nullptr;
    QCheckBox *AddDateNumBtn = nullptr;
    QLineEdit *AddDateNumlab = nullptr;
    PRButton *changeMutiPhotoDateBtn = nullptr; // the batch date window's save

    // Date features.
    // Single date window and the opening of both date windows.
    void ShowChangeDateWindow();
    void ChangeDateExifFromPhoto();
    void ClickDateChangedSaveAction();
    void ClickCreatedDateChangedSaveAction();
    void ClickDateChangedCancelAction();
    // Batch date window.
    void ClickAddTimeAction();
    void ClickRemoveTimeAction();
    void ChoosePhotosAction();
    void openPanelDidEnd3(QFileDialog *panel, int returnCode, void *contextInfo = nullptr);
    void ClickMutiDateChangedCancelAction();
    void ClickMutiDateChangedSaveAction();
    void ClickMutiCreatedDateChangedSaveAction();
    // Dates from file names and date copies.
    void ClickSetCameraDateFromFileNameAction();
    void ClickCopyExifDateToCreateDateAction();
    // Returns whether the copy was written.
    bool CopyVideoExifdataWithItem(const IKImageItemPtr &item);
    void ClickCopyCreatedDateToCameraDateAction();
    void ClickCopyCreatedDateToModifyDateAction();
    void ClickCopyModiyDateToCreateDateAction();
    bool ChangeRawPhotoWithDate(const QString &dateText, const QString &path);
    bool runExifToolCommandWithArguments(const QStringList &arguments);
    // Puts the batch window's texts back to empty (the reference photo goes too).
    void resetMutiDateWindowTexts();
    void ChangePhotoLibraryPhotoDateAction();
    void ClickMutiDateChangedSavePhotoLibAction();
};
