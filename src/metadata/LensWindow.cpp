// The camera and lens window: the lens make and model written into the selected photos.
#include "metadata/LensWindow.h"

#include "app/AppServices.h"
#include "app/Jobs.h"
#include "app/WindowDescription.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

LensWindow::LensWindow(AppServices &app, CameraCopies &camera) : app(app), camera(camera) {}

LensWindow::~LensWindow() {
    qDeleteAll(ownWindows);
}

void LensWindow::build() {
    QVBoxLayout *column = newColumnWindow(ownWindows, changelensWindow, "changelensWindow",
                                          tr("Change Lens Make and Model"));
    QWidget *w = changelensWindow;
    auto *form = new QFormLayout;
    lensMakelab = new QLineEdit(w);
    lensMakelab->setObjectName(QStringLiteral("lensMakelab"));
    lensModellab = new QLineEdit(w);
    lensModellab->setObjectName(QStringLiteral("lensModellab"));
    form->addRow(tr("Lens make:"), lensMakelab);
    form->addRow(tr("Lens model:"), lensModellab);
    column->addLayout(form);
    auto *buttons = new QHBoxLayout;
    auto *cancel = new QPushButton(tr("Cancel"), w);
    cancel->setObjectName(QStringLiteral("CancleCameLensModel"));
    auto *apply = new QPushButton(tr("Change"), w);
    apply->setObjectName(QStringLiteral("ChangeCameLensModel"));
    apply->setDefault(true);
    buttons->addStretch(1);
    buttons->addWidget(cancel);
    buttons->addWidget(apply);
    column->addLayout(buttons);
    QObject::connect(cancel, &QPushButton::clicked, &app.jobs(), [this] { CancleCameLensModel(); });
    QObject::connect(apply, &QPushButton::clicked, &app.jobs(), [this] { ChangeCameLensModel(); });
    // Return in either field is the default button, as in any dialog.
    for (QLineEdit *field : {lensMakelab, lensModellab})
        QObject::connect(field, &QLineEdit::returnPressed, apply, &QPushButton::click);
}

void LensWindow::addShowItem(QMenu *menu) {
    app.jobs().addMenuItem(menu, tr("Change Lens Make and Model…"),
                           [this] { ShowCameLensModel(); });
}
