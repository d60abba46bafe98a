// The single date window: the original and digitized dates of the selected photo.
#include "app/AppDelegate.h"
#include "app/WindowDescription.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

void buildSingleDateWindow(AppDelegate &d) {
    QVBoxLayout *column = newColumnWindow(d, d.dateWindows.changeDateWindow, "changeDateWindow",
                                          AppDelegate::tr("Change Date"));
    QWidget *w = d.dateWindows.changeDateWindow;
    auto *form = new QFormLayout;
    d.dateWindows.orignalDatelab = new QLineEdit(w);
    d.dateWindows.orignalDatelab->setObjectName(QStringLiteral("orignalDatelab"));
    d.dateWindows.diginalDatelab = new QLineEdit(w);
    d.dateWindows.diginalDatelab->setObjectName(QStringLiteral("diginalDatelab"));
    for (QLineEdit *field : {d.dateWindows.orignalDatelab, d.dateWindows.diginalDatelab}) {
        field->setPlaceholderText(QStringLiteral("YYYY:MM:DD HH:MM:SS"));
        field->setMinimumWidth(220);
    }
    form->addRow(AppDelegate::tr("Original date:"), d.dateWindows.orignalDatelab);
    form->addRow(AppDelegate::tr("Digitized date:"), d.dateWindows.diginalDatelab);
    column->addLayout(form);

    auto *buttons = new QHBoxLayout;
    auto *cancel = new QPushButton(AppDelegate::tr("Cancel"), w);
    cancel->setObjectName(QStringLiteral("ClickDateChangedCancelAction"));
    auto *fileDates = new QPushButton(AppDelegate::tr("Save as File Dates"), w);
    fileDates->setObjectName(QStringLiteral("ClickCreatedDateChangedSaveAction"));
    auto *save = new QPushButton(AppDelegate::tr("Save"), w);
    save->setObjectName(QStringLiteral("ClickDateChangedSaveAction"));
    save->setDefault(true);
    buttons->addStretch(1);
    buttons->addWidget(cancel);
    buttons->addWidget(fileDates);
    buttons->addWidget(save);
    column->addLayout(buttons);
    QObject::connect(cancel, &QPushButton::clicked, &d,
                     &AppDelegate::forward<&DateWindowsPart::ClickDateChangedCancelAction>);
    QObject::connect(fileDates, &QPushButton::clicked, &d,
                     &AppDelegate::forward<&DateWindowsPart::ClickCreatedDateChangedSaveAction>);
    QObject::connect(save, &QPushButton::clicked, &d,
                     &AppDelegate::forward<&DateWindowsPart::ClickDateChangedSaveAction>);
}
