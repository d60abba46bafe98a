#pragma once

#include "model/IKImageItem.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class AppServices;
class LibraryDatabase;
class LibraryPanels;
class PKImageView;
class PRButton;
class QCheckBox;
class QComboBox;
class QFileDialog;
class QFont;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QWidget;
class CameraCopies;
class MainWindow;

// The single and the batch date windows, and the date commands of the actions menu.
class DateWindows {
    Q_DECLARE_TR_FUNCTIONS(DateWindows)
  public:
    // The camera window gives its photos as copies; the main window gives the shown photo's
    // creation date and the folder the local list came from; the library's photos change
    // through its database.
    // `localMode` says whether the local list, not a library or a camera, is the source.
    DateWindows(AppServices &app, CameraCopies &camera, MainWindow &mainWindow,
                LibraryDatabase &database, LibraryPanels &panels, std::function<bool()> localMode);
    ~DateWindows();

    // The items of the dates menu, and the library edits' batch date change.
    void addDateItems(QMenu *dates);
    void addLibraryDateItem(QMenu *libraryEdits);
    // The two windows, built hidden.
    void buildBatchWindow();
    void buildSingleWindow();
    // The controls as the program starts: no reference photo, the amounts' titles in
    // `titleFont`, the step unit in seconds.
    void restoreLaunchState(const QFont &titleFont);
    // The batch window's save button: saves the local photos' or the library photos' dates,
    // by the mode.
    void saveButtonPressed();

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
    void ClickCopyCreatedDateToCameraDateAction();
    void ClickCopyCreatedDateToModifyDateAction();
    void ClickCopyModiyDateToCreateDateAction();
    bool ChangeRawPhotoWithDate(const QString &dateText, const QString &path);
    bool runExifToolCommandWithArguments(const QStringList &arguments);
    // Puts the batch window's texts back to empty (the reference photo goes too).
    void resetMutiDateWindowTexts();
    void ChangePhotoLibraryPhotoDateAction();
    void ClickMutiDateChangedSavePhotoLibAction();

  private:
    struct Amounts;
    struct Shift;
    // The batch window's amounts, reference shift and stepped fixed dates.
    Amounts readAmounts() const;
    // The moved date, through the text form the calendar operations give.
    static QDateTime moveByAmounts(const QDateTime &base, const Amounts &a);
    Shift readShift() const;
    QList<QDateTime> fixedDates(const QDateTime &start, qsizetype count) const;
    QPushButton *fileDatesButton() const;
    void copyOneFileDate(bool creationToModification);

    AppServices &app;
    CameraCopies &camera;
    MainWindow &mainWindow;
    LibraryDatabase &database;
    LibraryPanels &panels;
    std::function<bool()> localMode;
    QList<QWidget *> ownWindows; // the windows built without a parent

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
};
