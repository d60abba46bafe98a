// The single date window: the original and digitized dates of the selected photo.
#include "metadata/DateWindows.h"

#include "app/AppServices.h"
#include "app/Jobs.h"
#include "app/WindowDescription.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

void DateWindows::buildSingleWindow() {
    QVBoxLayout *column = newColumnWindow(ownWindows, changeDateWindow, "changeDateWindow",
                                          DateWindows::tr("Change Date"));
    QWidget *w = changeDateWindow;
    auto *form = new QFormLayout;
    orignalDatelab = new QLineEdit(w);
    orignalDatelab->setObjectName(QStringLiteral("orignalDatelab"));
    diginalDatelab = new QLineEdit(w);
    diginalDatelab->setObjectName(QStringLiteral("diginalDatelab"));
    for (QLineEdit *field : {orignalDatelab, diginalDatelab}) {
        field->setPlaceholderText(QStringLiteral("YYYY:MM:DD HH:MM:SS"));
        field->setMinimumWidth(220);
    }
    form->addRow(DateWindows::tr("Original date:"), orignalDatelab);
    form->addRow(DateWindows::tr("Digitized date:"), diginalDatelab);
    column->addLayout(form);

    auto *buttons = new QHBoxLayout;
    auto *cancel = new QPushButton(DateWindows::tr("Cancel"), w);
    cancel->setObjectName(QStringLiteral("ClickDateChangedCancelAction"));
    auto *fileDates = new QPushButton(DateWindows::tr("Save as File Dates"), w);
    fileDates->setObjectName(QStringLiteral("ClickCreatedDateChangedSaveAction"));
    auto *save = new QPushButton(DateWindows::tr("Save"), w);
    save->setObjectName(QStringLiteral("ClickDateChangedSaveAction"));
    save->setDefault(true);
    buttons->addStretch(1);
    buttons->addWidget(cancel);
    buttons->addWidget(fileDates);
    buttons->addWidget(save);
    column->addLayout(buttons);
    // Through the jobs: a job started here is named after this window.
    QObject::connect(cancel, &QPushButton::clicked, &app.jobs(),
                     [this] { ClickDateChangedCancelAction(); });
    QObject::connect(fileDates, &QPushButton::clicked, &app.jobs(),
                     [this] { ClickCreatedDateChangedSaveAction(); });
    QObject::connect(save, &QPushButton::clicked, &app.jobs(),
                     [this] { ClickDateChangedSaveAction(); });
}
