// The GPS window: position and stamps of the selected photos, with a map preview.
#include "metadata/GpsWindow.h"

#include "app/AppServices.h"
#include "app/Jobs.h"

#include "platform/MapView.h"

#include <QDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

GpsWindow::GpsWindow(AppServices &app, CameraCopies &camera, MainWindow &mainWindow)
    : app(app), camera(camera), mainWindow(mainWindow) {}

void GpsWindow::build() {
    auto *w = new QDialog(app.mainWindow());
    w->setObjectName(QStringLiteral("changeGPSWindow"));
    w->setWindowTitle(tr("GPS Position"));
    // The rest of the program waits while the window is open, without blocking the caller.
    w->setWindowModality(Qt::ApplicationModal);
    changeGPSWindow = w;

    auto *form = new QFormLayout;
    const std::pair<QLineEdit * GpsWindow::*, const char *> fields[] = {
        {&GpsWindow::latitudelab, "latitudelab"},
        {&GpsWindow::longtitudelab, "longtitudelab"},
        {&GpsWindow::altitudelab, "altitudelab"},
        {&GpsWindow::dateStamplab, "dateStamplab"},
        {&GpsWindow::timeStamplab, "timeStamplab"}};
    for (const auto &[outlet, name] : fields) {
        this->*outlet = new QLineEdit(w);
        (this->*outlet)->setObjectName(QLatin1String(name));
    }
    latitudelab->setPlaceholderText(tr("decimal degrees, negative for south"));
    longtitudelab->setPlaceholderText(tr("decimal degrees, negative for west"));
    // The altitude is shown for reference; a save keeps the photo's own.
    altitudelab->setReadOnly(true);
    altitudelab->setToolTip(tr("The altitude is kept as the photo has it."));
    form->addRow(tr("Latitude:"), latitudelab);
    form->addRow(tr("Longitude:"), longtitudelab);
    form->addRow(tr("Altitude (m):"), altitudelab);
    form->addRow(tr("Date stamp (UTC):"), dateStamplab);
    form->addRow(tr("Time stamp (UTC):"), timeStamplab);
    gpsLocationCitylab = new QLabel(w);
    gpsLocationCitylab->setObjectName(QStringLiteral("gpsLocationCitylab"));
    gpsLocationCitylab->setWordWrap(true);
    form->addRow(tr("Place:"), gpsLocationCitylab);

    previewMapView = new PKMapView(w);
    previewMapView->setObjectName(QStringLiteral("previewMapView"));
    previewMapView->setMinimumSize(420, 260);

    auto *buttons = new QHBoxLayout;
    auto *preview = new QPushButton(tr("Preview in Map"), w);
    preview->setObjectName(QStringLiteral("PreviewCurrentGPSInMap"));
    preview->setAutoDefault(false);
    auto *cancel = new QPushButton(tr("Cancel"), w);
    cancel->setObjectName(QStringLiteral("ClickCancleSaveGPSAction"));
    cancel->setAutoDefault(false);
    auto *save = new QPushButton(tr("Save"), w);
    save->setObjectName(QStringLiteral("ClickSaveChangeGPSAction"));
    save->setDefault(true);
    buttons->addWidget(preview);
    buttons->addStretch(1);
    buttons->addWidget(cancel);
    buttons->addWidget(save);

    auto *column = new QVBoxLayout(w);
    column->addLayout(form);
    column->addWidget(previewMapView, 1);
    column->addLayout(buttons);
    // Connected through the jobs object: a save's job is named after the item that opened
    // the window.
    Jobs *jobs = &app.jobs();
    QObject::connect(preview, &QPushButton::clicked, jobs, [this] { PreviewCurrentGPSInMap(); });
    QObject::connect(cancel, &QPushButton::clicked, jobs, [this] { ClickCancleSaveGPSAction(); });
    QObject::connect(save, &QPushButton::clicked, jobs, [this] { ClickSaveChangeGPSAction(); });
    QObject::connect(w, &QDialog::rejected, jobs, [this] { ClickCancleSaveGPSAction(); });
}

std::pair<QAction *, QAction *> GpsWindow::addEditItems(QMenu *menu) {
    return {
        app.jobs().addMenuItem(menu, tr("Edit GPS Position…"), [this] { EditeGPSExifDataPhoto(); }),
        app.jobs().addMenuItem(menu, tr("Add GPS Position…"), [this] { AddGPSExifDataPhoto(); })};
}
