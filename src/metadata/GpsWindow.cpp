// The GPS window: position and stamps of the selected photos, with a map preview.
#include "app/AppDelegate.h"
#include "app/WindowDescription.h"

#include "platform/MapView.h"

#include <QDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QVBoxLayout>

void buildGpsWindow(AppDelegate &d) {
    auto *w = new QDialog(d.window);
    w->setObjectName(QStringLiteral("changeGPSWindow"));
    w->setWindowTitle(AppDelegate::tr("GPS Position"));
    // The rest of the program waits while the window is open, without blocking the caller.
    w->setWindowModality(Qt::ApplicationModal);
    d.gpsWindow.changeGPSWindow = w;

    auto *form = new QFormLayout;
    const std::pair<QLineEdit * GpsWindowPart::*, const char *> fields[] = {
        {&GpsWindowPart::latitudelab, "latitudelab"},
        {&GpsWindowPart::longtitudelab, "longtitudelab"},
        {&GpsWindowPart::altitudelab, "altitudelab"},
        {&GpsWindowPart::dateStamplab, "dateStamplab"},
        {&GpsWindowPart::timeStamplab, "timeStamplab"}};
    for (const auto &[outlet, name] : fields) {
        d.gpsWindow.*outlet = new QLineEdit(w);
        (d.gpsWindow.*outlet)->setObjectName(QLatin1String(name));
    }
    d.gpsWindow.latitudelab->setPlaceholderText(
        AppDelegate::tr("decimal degrees, negative for south"));
    d.gpsWindow.longtitudelab->setPlaceholderText(
        AppDelegate::tr("decimal degrees, negative for west"));
    // The altitude is shown for reference; a save keeps the photo's own.
    d.gpsWindow.altitudelab->setReadOnly(true);
    d.gpsWindow.altitudelab->setToolTip(
        AppDelegate::tr("The altitude is kept as the photo has it."));
    form->addRow(AppDelegate::tr("Latitude:"), d.gpsWindow.latitudelab);
    form->addRow(AppDelegate::tr("Longitude:"), d.gpsWindow.longtitudelab);
    form->addRow(AppDelegate::tr("Altitude (m):"), d.gpsWindow.altitudelab);
    form->addRow(AppDelegate::tr("Date stamp (UTC):"), d.gpsWindow.dateStamplab);
    form->addRow(AppDelegate::tr("Time stamp (UTC):"), d.gpsWindow.timeStamplab);
    d.gpsWindow.gpsLocationCitylab = new QLabel(w);
    d.gpsWindow.gpsLocationCitylab->setObjectName(QStringLiteral("gpsLocationCitylab"));
    d.gpsWindow.gpsLocationCitylab->setWordWrap(true);
    form->addRow(AppDelegate::tr("Place:"), d.gpsWindow.gpsLocationCitylab);

    d.gpsWindow.previewMapView = new PKMapView(w);
    d.gpsWindow.previewMapView->setObjectName(QStringLiteral("previewMapView"));
    d.gpsWindow.previewMapView->setMinimumSize(420, 260);

    auto *buttons = new QHBoxLayout;
    auto *preview = new QPushButton(AppDelegate::tr("Preview in Map"), w);
    preview->setObjectName(QStringLiteral("PreviewCurrentGPSInMap"));
    preview->setAutoDefault(false);
    auto *cancel = new QPushButton(AppDelegate::tr("Cancel"), w);
    cancel->setObjectName(QStringLiteral("ClickCancleSaveGPSAction"));
    cancel->setAutoDefault(false);
    auto *save = new QPushButton(AppDelegate::tr("Save"), w);
    save->setObjectName(QStringLiteral("ClickSaveChangeGPSAction"));
    save->setDefault(true);
    buttons->addWidget(preview);
    buttons->addStretch(1);
    buttons->addWidget(cancel);
    buttons->addWidget(save);

    auto *column = new QVBoxLayout(w);
    column->addLayout(form);
    column->addWidget(d.gpsWindow.previewMapView, 1);
    column->addLayout(buttons);
    QObject::connect(preview, &QPushButton::clicked, &d,
                     &AppDelegate::forward<&GpsWindowPart::PreviewCurrentGPSInMap>);
    QObject::connect(cancel, &QPushButton::clicked, &d,
                     &AppDelegate::forward<&GpsWindowPart::ClickCancleSaveGPSAction>);
    QObject::connect(save, &QPushButton::clicked, &d,
                     &AppDelegate::forward<&GpsWindowPart::ClickSaveChangeGPSAction>);
    QObject::connect(w, &QDialog::rejected, &d,
                     &AppDelegate::forward<&GpsWindowPart::ClickCancleSaveGPSAction>);
}
