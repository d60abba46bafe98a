#pragma once

#include "model/PRDupFileNode.h"

#include <QWidget>

class QCheckBox;
class QLabel;
class QPushButton;

// The group row of the duplicate window: the first member's picture, name and size.
class PRDupNameCellView : public QWidget {
    Q_OBJECT
  public:
    explicit PRDupNameCellView(QWidget *parent = nullptr);
    QLabel *imageView = nullptr;
    QLabel *fileNamelab = nullptr; // the cell's text field: the group's name
    QLabel *fileSizelab = nullptr;
};

// A file row of one group: its name, size, date, tick and reveal button.
class PRDupFilePathCellView : public QWidget {
    Q_OBJECT
  public:
    explicit PRDupFilePathCellView(QWidget *parent = nullptr);
    QLabel *textField = nullptr;   // the file's name
    QLabel *fileNamelab = nullptr; // the file's size text
    QLabel *filePathlab = nullptr;
    QLabel *fileDatelab = nullptr;
    QCheckBox *checkBtn = nullptr;
    QPushButton *findBtn = nullptr;
    PRDupFileNodePtr fileNode; // null until the table fills the row

    // The tick: inverts the file's bSelected.
    void CheckTheFileAction();
    // Shows the file record's path selected in the file manager.
    void FindFileAction();
};
