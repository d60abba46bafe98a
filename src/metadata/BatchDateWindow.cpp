// The batch date window: a reference shift, a fixed date with steps, or amounts added or
// subtracted, saved into the metadata or into the file dates.
#include "metadata/DateWindows.h"

#include "app/AppServices.h"
#include "app/Jobs.h"
#include "app/WindowDescription.h"

#include "browser/PRButton.h"
#include "platform/ImageView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
QLineEdit *dateField(QWidget *parent, QLineEdit *&outlet, const char *name) {
    outlet = new QLineEdit(parent);
    outlet->setObjectName(QLatin1String(name));
    outlet->setPlaceholderText(QStringLiteral("YYYY:MM:DD HH:MM:SS"));
    return outlet;
}
} // namespace

void DateWindows::buildBatchWindow() {
    QVBoxLayout *column = newColumnWindow(ownWindows, changeMutiDateWindow, "changeMutiDateWindow",
                                          DateWindows::tr("Batch Change Dates"));
    QWidget *w = changeMutiDateWindow;
    EditDateHeadInfolab = new QLabel(w);
    EditDateHeadInfolab->setObjectName(QStringLiteral("EditDateHeadInfolab"));
    EditDateHeadInfolab->setWordWrap(true);
    column->addWidget(EditDateHeadInfolab);

    // Method 1: the reference photo and its dates before and after.
    auto *reference = new QGroupBox(DateWindows::tr("1. Shift by a reference photo"), w);
    auto *refRow = new QHBoxLayout(reference);
    addOutlet(column, w, dateCustomView, "dateWindows.dateCustomView");
    column->removeWidget(dateCustomView);
    dateCustomView->setParent(reference);
    dateCustomView->setMinimumSize(160, 120);
    auto *stack = new QGridLayout(dateCustomView);
    stack->setContentsMargins(0, 0, 0, 0);
    dateChoosePhotoBtn = new QPushButton(DateWindows::tr("Choose a photo"), dateCustomView);
    dateChoosePhotoBtn->setObjectName(QStringLiteral("dateChoosePhotoBtn"));
    dateImageview = new PKImageView(dateCustomView);
    dateImageview->setObjectName(QStringLiteral("dateImageview"));
    dateImageview->hide();
    stack->addWidget(dateImageview, 0, 0);
    stack->addWidget(dateChoosePhotoBtn, 0, 0, Qt::AlignCenter);
    refRow->addWidget(dateCustomView);
    auto *refForm = new QFormLayout;
    refForm->addRow(DateWindows::tr("Original date now:"),
                    dateField(reference, beforeorignalDatelab, "dateWindows.beforeorignalDatelab"));
    refForm->addRow(DateWindows::tr("Digitized date now:"),
                    dateField(reference, beforediginalDatelab, "dateWindows.beforediginalDatelab"));
    refForm->addRow(DateWindows::tr("New original date:"),
                    dateField(reference, afterorignalDatelab, "dateWindows.afterorignalDatelab"));
    refForm->addRow(DateWindows::tr("New digitized date:"),
                    dateField(reference, afterdiginalDatelab, "dateWindows.afterdiginalDatelab"));
    refRow->addLayout(refForm);
    column->addWidget(reference);

    // Method 2: one date, optionally stepped from photo to photo.
    auto *fixed = new QGroupBox(DateWindows::tr("2. Set one date"), w);
    auto *fixedColumn = new QVBoxLayout(fixed);
    fixedColumn->addWidget(dateField(fixed, mutSetDatelab, "dateWindows.mutSetDatelab"));
    auto *stepRow = new QHBoxLayout;
    AddDateNumBtn = new QCheckBox(DateWindows::tr("Add to each next photo:"), fixed);
    AddDateNumBtn->setObjectName(QStringLiteral("AddDateNumBtn"));
    AddDateNumlab = new QLineEdit(QStringLiteral("1"), fixed);
    AddDateNumlab->setObjectName(QStringLiteral("AddDateNumlab"));
    AddDateNumlab->setMaximumWidth(80);
    addOutlet(column, w, AddDateUnitBtn, "dateWindows.AddDateUnitBtn");
    column->removeWidget(AddDateUnitBtn);
    AddDateUnitBtn->setParent(fixed);
    AddDateUnitBtn->addItems(
        {QStringLiteral("Second"), QStringLiteral("Minute"), QStringLiteral("Hour")});
    stepRow->addWidget(AddDateNumBtn);
    stepRow->addWidget(AddDateNumlab);
    stepRow->addWidget(AddDateUnitBtn);
    stepRow->addStretch(1);
    fixedColumn->addLayout(stepRow);
    column->addWidget(fixed);

    // Method 3: amounts added to or subtracted from each photo's own date.
    auto *amounts = new QGroupBox(DateWindows::tr("3. Add or subtract time"), w);
    auto *amountGrid = new QGridLayout(amounts);
    addOutlet(column, w, AddTimeBtn, "dateWindows.AddTimeBtn");
    addOutlet(column, w, RemoveTimeBtn, "dateWindows.RemoveTimeBtn");
    for (QPushButton *box : {AddTimeBtn, RemoveTimeBtn}) {
        column->removeWidget(box);
        box->setParent(amounts);
        box->setCheckable(true);
    }
    AddTimeBtn->setText(DateWindows::tr("Add Time"));
    RemoveTimeBtn->setText(DateWindows::tr("Subtract Time"));
    AddTimeBtn->setChecked(true);
    // Their titles are white, as on the dark panels of the other windows.
    amounts->setStyleSheet(QStringLiteral(
        "QPushButton { background-color: #5a5554; border: 1px solid #2b2827; padding: 4px; }"
        "QPushButton:checked { background-color: #2f6fb0; }"));
    amountGrid->addWidget(AddTimeBtn, 0, 0, 1, 3);
    amountGrid->addWidget(RemoveTimeBtn, 0, 3, 1, 3);
    const std::pair<QLineEdit * DateWindows::*, QString> fields[] = {
        {&DateWindows::yearVaulab, DateWindows::tr("Years")},
        {&DateWindows::monthVaulab, DateWindows::tr("Months")},
        {&DateWindows::dayVaulab, DateWindows::tr("Days")},
        {&DateWindows::hourVaulab, DateWindows::tr("Hours")},
        {&DateWindows::minuVaulab, DateWindows::tr("Minutes")},
        {&DateWindows::secVaulab, DateWindows::tr("Seconds")},
    };
    static const char *names[] = {"yearVaulab", "monthVaulab", "dayVaulab",
                                  "hourVaulab", "minuVaulab",  "secVaulab"};
    int i = 0;
    for (const auto &[member, label] : fields) {
        QLineEdit *field = new QLineEdit(amounts);
        field->setObjectName(QLatin1String(names[i]));
        field->setValidator(new QIntValidator(-1000000, 1000000, field));
        field->setMaximumWidth(70);
        this->*member = field;
        amountGrid->addWidget(new QLabel(label, amounts), 1, i);
        amountGrid->addWidget(field, 2, i);
        ++i;
    }
    column->addWidget(amounts);

    auto *buttons = new QHBoxLayout;
    auto *cancel = new QPushButton(DateWindows::tr("Cancel"), w);
    cancel->setObjectName(QStringLiteral("ClickMutiDateChangedCancelAction"));
    auto *fileDates = new QPushButton(DateWindows::tr("Change File Dates"), w);
    fileDates->setObjectName(QStringLiteral("ClickMutiCreatedDateChangedSaveAction"));
    // One image button for both kinds of photo: the mode says whose dates change.
    changeMutiPhotoDateBtn = new PRButton(DateWindows::tr("Change Photo Dates"), w);
    changeMutiPhotoDateBtn->setObjectName(QStringLiteral("changeMutiPhotoDateBtn"));
    PRButton::whenPressed(changeMutiPhotoDateBtn, [this] { saveButtonPressed(); });
    buttons->addStretch(1);
    buttons->addWidget(cancel);
    buttons->addWidget(fileDates);
    buttons->addWidget(changeMutiPhotoDateBtn);
    column->addLayout(buttons);
    column->addStretch(1);

    // Through the jobs: a job started here is named after this window.
    QObject::connect(dateChoosePhotoBtn, &QPushButton::clicked, &app.jobs(),
                     [this] { ChoosePhotosAction(); });
    QObject::connect(AddTimeBtn, &QPushButton::clicked, &app.jobs(),
                     [this] { ClickAddTimeAction(); });
    QObject::connect(RemoveTimeBtn, &QPushButton::clicked, &app.jobs(),
                     [this] { ClickRemoveTimeAction(); });
    QObject::connect(cancel, &QPushButton::clicked, &app.jobs(),
                     [this] { ClickMutiDateChangedCancelAction(); });
    QObject::connect(fileDates, &QPushButton::clicked, &app.jobs(),
                     [this] { ClickMutiCreatedDateChangedSaveAction(); });
}
