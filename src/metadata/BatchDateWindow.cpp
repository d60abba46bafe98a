// The batch date window: a reference shift, a fixed date with steps, or amounts added or
// subtracted, saved into the metadata or into the file dates.
#include "app/AppDelegate.h"
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
#define PK_DATE_FIELD(parent, d, member) dateField((parent), (d).member, #member)
} // namespace

void buildBatchDateWindow(AppDelegate &d) {
    QVBoxLayout *column =
        newColumnWindow(d, d.dateWindows.changeMutiDateWindow, "changeMutiDateWindow",
                        AppDelegate::tr("Batch Change Dates"));
    QWidget *w = d.dateWindows.changeMutiDateWindow;
    d.dateWindows.EditDateHeadInfolab = new QLabel(w);
    d.dateWindows.EditDateHeadInfolab->setObjectName(QStringLiteral("EditDateHeadInfolab"));
    d.dateWindows.EditDateHeadInfolab->setWordWrap(true);
    column->addWidget(d.dateWindows.EditDateHeadInfolab);

    // Method 1: the reference photo and its dates before and after.
    auto *reference = new QGroupBox(AppDelegate::tr("1. Shift by a reference photo"), w);
    auto *refRow = new QHBoxLayout(reference);
    PK_OUTLET(column, w, d, dateWindows.dateCustomView);
    column->removeWidget(d.dateWindows.dateCustomView);
    d.dateWindows.dateCustomView->setParent(reference);
    d.dateWindows.dateCustomView->setMinimumSize(160, 120);
    auto *stack = new QGridLayout(d.dateWindows.dateCustomView);
    stack->setContentsMargins(0, 0, 0, 0);
    d.dateWindows.dateChoosePhotoBtn =
        new QPushButton(AppDelegate::tr("Choose a photo"), d.dateWindows.dateCustomView);
    d.dateWindows.dateChoosePhotoBtn->setObjectName(QStringLiteral("dateChoosePhotoBtn"));
    d.dateWindows.dateImageview = new PKImageView(d.dateWindows.dateCustomView);
    d.dateWindows.dateImageview->setObjectName(QStringLiteral("dateImageview"));
    d.dateWindows.dateImageview->hide();
    stack->addWidget(d.dateWindows.dateImageview, 0, 0);
    stack->addWidget(d.dateWindows.dateChoosePhotoBtn, 0, 0, Qt::AlignCenter);
    refRow->addWidget(d.dateWindows.dateCustomView);
    auto *refForm = new QFormLayout;
    refForm->addRow(AppDelegate::tr("Original date now:"),
                    PK_DATE_FIELD(reference, d, dateWindows.beforeorignalDatelab));
    refForm->addRow(AppDelegate::tr("Digitized date now:"),
                    PK_DATE_FIELD(reference, d, dateWindows.beforediginalDatelab));
    refForm->addRow(AppDelegate::tr("New original date:"),
                    PK_DATE_FIELD(reference, d, dateWindows.afterorignalDatelab));
    refForm->addRow(AppDelegate::tr("New digitized date:"),
                    PK_DATE_FIELD(reference, d, dateWindows.afterdiginalDatelab));
    refRow->addLayout(refForm);
    column->addWidget(reference);

    // Method 2: one date, optionally stepped from photo to photo.
    auto *fixed = new QGroupBox(AppDelegate::tr("2. Set one date"), w);
    auto *fixedColumn = new QVBoxLayout(fixed);
    fixedColumn->addWidget(PK_DATE_FIELD(fixed, d, dateWindows.mutSetDatelab));
    auto *stepRow = new QHBoxLayout;
    d.dateWindows.AddDateNumBtn = new QCheckBox(AppDelegate::tr("Add to each next photo:"), fixed);
    d.dateWindows.AddDateNumBtn->setObjectName(QStringLiteral("AddDateNumBtn"));
    d.dateWindows.AddDateNumlab = new QLineEdit(QStringLiteral("1"), fixed);
    d.dateWindows.AddDateNumlab->setObjectName(QStringLiteral("AddDateNumlab"));
    d.dateWindows.AddDateNumlab->setMaximumWidth(80);
    PK_OUTLET(column, w, d, dateWindows.AddDateUnitBtn);
    column->removeWidget(d.dateWindows.AddDateUnitBtn);
    d.dateWindows.AddDateUnitBtn->setParent(fixed);
    d.dateWindows.AddDateUnitBtn->addItems(
        {QStringLiteral("Second"), QStringLiteral("Minute"), QStringLiteral("Hour")});
    stepRow->addWidget(d.dateWindows.AddDateNumBtn);
    stepRow->addWidget(d.dateWindows.AddDateNumlab);
    stepRow->addWidget(d.dateWindows.AddDateUnitBtn);
    stepRow->addStretch(1);
    fixedColumn->addLayout(stepRow);
    column->addWidget(fixed);

    // Method 3: amounts added to or subtracted from each photo's own date.
    auto *amounts = new QGroupBox(AppDelegate::tr("3. Add or subtract time"), w);
    auto *amountGrid = new QGridLayout(amounts);
    PK_OUTLET(column, w, d, dateWindows.AddTimeBtn);
    PK_OUTLET(column, w, d, dateWindows.RemoveTimeBtn);
    for (QPushButton *box : {d.dateWindows.AddTimeBtn, d.dateWindows.RemoveTimeBtn}) {
        column->removeWidget(box);
        box->setParent(amounts);
        box->setCheckable(true);
    }
    d.dateWindows.AddTimeBtn->setText(AppDelegate::tr("Add Time"));
    d.dateWindows.RemoveTimeBtn->setText(AppDelegate::tr("Subtract Time"));
    d.dateWindows.AddTimeBtn->setChecked(true);
    // Their titles are white, as on the dark panels of the other windows.
    amounts->setStyleSheet(QStringLiteral(
        "QPushButton { background-color: #5a5554; border: 1px solid #2b2827; padding: 4px; }"
        "QPushButton:checked { background-color: #2f6fb0; }"));
    amountGrid->addWidget(d.dateWindows.AddTimeBtn, 0, 0, 1, 3);
    amountGrid->addWidget(d.dateWindows.RemoveTimeBtn, 0, 3, 1, 3);
    const std::pair<QLineEdit * DateWindowsPart::*, QString> fields[] = {
        {&DateWindowsPart::yearVaulab, AppDelegate::tr("Years")},
        {&DateWindowsPart::monthVaulab, AppDelegate::tr("Months")},
        {&DateWindowsPart::dayVaulab, AppDelegate::tr("Days")},
        {&DateWindowsPart::hourVaulab, AppDelegate::tr("Hours")},
        {&DateWindowsPart::minuVaulab, AppDelegate::tr("Minutes")},
        {&DateWindowsPart::secVaulab, AppDelegate::tr("Seconds")},
    };
    static const char *names[] = {"yearVaulab", "monthVaulab", "dayVaulab",
                                  "hourVaulab", "minuVaulab",  "secVaulab"};
    int i = 0;
    for (const auto &[member, label] : fields) {
        QLineEdit *field = new QLineEdit(amounts);
        field->setObjectName(QLatin1String(names[i]));
        field->setValidator(new QIntValidator(-1000000, 1000000, field));
        field->setMaximumWidth(70);
        d.dateWindows.*member = field;
        amountGrid->addWidget(new QLabel(label, amounts), 1, i);
        amountGrid->addWidget(field, 2, i);
        ++i;
    }
    column->addWidget(amounts);

    auto *buttons = new QHBoxLayout;
    auto *cancel = new QPushButton(AppDelegate::tr("Cancel"), w);
    cancel->setObjectName(QStringLiteral("ClickMutiDateChangedCancelAction"));
    auto *fileDates = new QPushButton(AppDelegate::tr("Change File Dates"), w);
    fileDates->setObjectName(QStringLiteral("ClickMutiCreatedDateChangedSaveAction"));
    // An image button: the click router saves local or library photos by the mode.
    d.dateWindows.changeMutiPhotoDateBtn = new PRButton(AppDelegate::tr("Change Photo Dates"), w);
    d.dateWindows.changeMutiPhotoDateBtn->setObjectName(QStringLiteral("changeMutiPhotoDateBtn"));
    buttons->addStretch(1);
    buttons->addWidget(cancel);
    buttons->addWidget(fileDates);
    buttons->addWidget(d.dateWindows.changeMutiPhotoDateBtn);
    column->addLayout(buttons);
    column->addStretch(1);

    QObject::connect(d.dateWindows.dateChoosePhotoBtn, &QPushButton::clicked, &d,
                     &AppDelegate::forward<&DateWindowsPart::ChoosePhotosAction>);
    QObject::connect(d.dateWindows.AddTimeBtn, &QPushButton::clicked, &d,
                     &AppDelegate::forward<&DateWindowsPart::ClickAddTimeAction>);
    QObject::connect(d.dateWindows.RemoveTimeBtn, &QPushButton::clicked, &d,
                     &AppDelegate::forward<&DateWindowsPart::ClickRemoveTimeAction>);
    QObject::connect(cancel, &QPushButton::clicked, &d,
                     &AppDelegate::forward<&DateWindowsPart::ClickMutiDateChangedCancelAction>);
    QObject::connect(
        fileDates, &QPushButton::clicked, &d,
        &AppDelegate::forward<&DateWindowsPart::ClickMutiCreatedDateChangedSaveAction>);
}
