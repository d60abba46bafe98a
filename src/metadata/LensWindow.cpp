// The camera and lens window: the lens make and model written into the selected photos.
#include "app/AppDelegate.h"
#include "app/WindowDescription.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

void buildLensWindow(AppDelegate &d) {
    QVBoxLayout *column = newColumnWindow(d, d.lensWindow.changelensWindow, "changelensWindow",
                                          AppDelegate::tr("Change Lens Make and Model"));
    QWidget *w = d.lensWindow.changelensWindow;
    auto *form = new QFormLayout;
    d.lensWindow.lensMakelab = new QLineEdit(w);
    d.lensWindow.lensMakelab->setObjectName(QStringLiteral("lensMakelab"));
    d.lensWindow.lensModellab = new QLineEdit(w);
    d.lensWindow.lensModellab->setObjectName(QStringLiteral("lensModellab"));
    form->addRow(AppDelegate::tr("Lens make:"), d.lensWindow.lensMakelab);
    form->addRow(AppDelegate::tr("Lens model:"), d.lensWindow.lensModellab);
    column->addLayout(form);
    auto *buttons = new QHBoxLayout;
    auto *cancel = new QPushButton(AppDelegate::tr("Cancel"), w);
    cancel->setObjectName(QStringLiteral("CancleCameLensModel"));
    auto *apply = new QPushButton(AppDelegate::tr("Change"), w);
    apply->setObjectName(QStringLiteral("ChangeCameLensModel"));
    apply->setDefault(true);
    buttons->addStretch(1);
    buttons->addWidget(cancel);
    buttons->addWidget(apply);
    column->addLayout(buttons);
    QObject::connect(cancel, &QPushButton::clicked, &d,
                     &AppDelegate::forward<&LensWindowPart::CancleCameLensModel>);
    QObject::connect(apply, &QPushButton::clicked, &d,
                     &AppDelegate::forward<&LensWindowPart::ChangeCameLensModel>);
    // Return in either field is the default button, as in any dialog.
    for (QLineEdit *field : {d.lensWindow.lensMakelab, d.lensWindow.lensModellab})
        QObject::connect(field, &QLineEdit::returnPressed, apply, &QPushButton::click);
}
