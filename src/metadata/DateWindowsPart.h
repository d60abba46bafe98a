#pragma once

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
