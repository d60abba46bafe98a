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
    d.changeGPSWindow = w;

    auto *form = new QFormLayout;
    const std::pair<QLineEdit * AppDelegate::*, const char *> fields[] = {
        {&AppDelegate::latitudelab, "latitudelab"},
        {&AppDelegate::longtitudelab, "longtitudelab"},
        {&AppDelegate::altitudelab, "altitudelab"},
        {&AppDelegate::dateStamplab, "dateStamplab"},
        {&AppDelegate::timeStamplab, "timeStamplab"}};
    for (const auto &[outlet, name] : fields) {
        d.*outlet = new QLineEdit(w);
        (d.*outlet)->setObjectName(QLatin1String(name));
    }
    d.latitudelab->setPlaceholderText(AppDelegate::tr("decimal degrees, negative for south"));
    d.longtitudelab->setPlaceholderText(AppDelegate::tr("decimal degrees, negative for west"));
    // The altitude is shown for reference; a save keeps the photo's own.
    d.altitudelab->setReadOnly(true);
    d.altitudelab->setToolTip(AppDelegate::tr("The altitude is kept as the photo has it."));
    form->addRow(AppDelegate::tr("Latitude:"), d.latitudelab);
    form->addRow(AppDelegate::tr("Longitude:"), d.longtitudelab);
    form->addRow(AppDelegate::tr("Altitude (m):"), d.altitudelab);
    form->addRow(AppDelegate::tr("Date stamp (UTC):"), d.dateStamplab);
    form->addRow(AppDelegate::tr("Time stamp (UTC):"), d.timeStamplab);
    d.gpsLocationCitylab = new QLabel(w);
    d.gpsLocationCitylab->setObjectName(QStringLiteral("gpsLocationCitylab"));
    d.gpsLocationCitylab->setWordWrap(true);
    form->addRow(AppDelegate::tr("Place:"), d.gpsLocationCitylab);

    d.previewMapView = new PKMapView(w);
    d.previewMapView->setObjectName(QStringLiteral("previewMapView"));
    d.previewMapView->setMinimumSize(420, 260);

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
    column->addWidget(d.previewMapView, 1);
    column->addLayout(buttons);
    QObject::connect(preview, &QPushButton::clicked, &d, &AppDelegate::PreviewCurrentGPSInMap);
    QObject::connect(cancel, &QPushButton::clicked, &d, &AppDelegate::ClickCancleSaveGPSAction);
    QObject::connect(save, &QPushButton::clicked, &d, &AppDelegate::ClickSaveChangeGPSAction);
    QObject::connect(w, &QDialog::rejected, &d, &AppDelegate::ClickCancleSaveGPSAction);
}
