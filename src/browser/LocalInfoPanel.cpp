// The local panel's captioned information lines and the map's fixed slot.
#include "browser/LocalInfoPanel.h"

#include "app/AppServices.h"
#include "browser/DropTargets.h"
#include "browser/LocalCellDelegate.h"
#include "browser/MainWindowController.h"
#include "browser/PanelValueLabel.h"
#include "platform/MapView.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QListView>

namespace {
constexpr int kMapHeight = 160;
} // namespace

QFormLayout *buildLocalInformationLines(MainWindowController &w, QWidget *column) {
    auto *form = new QFormLayout;
    form->setContentsMargins(0, 0, 0, 0);
    form->setHorizontalSpacing(8);
    form->setVerticalSpacing(2);
    form->setLabelAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    form->setRowWrapPolicy(QFormLayout::DontWrapRows);
    struct Line {
        QLabel **label;
        const char *name;
        QString caption;
    };
    const Line lines[] = {
        {&w.photoNamelab, "photoNamelab", MainWindowController::tr("Name:")},
        {&w.photoTitlelab, "photoTitlelab", MainWindowController::tr("Title:")},
        {&w.photoModDatelab, "photoModDatelab", MainWindowController::tr("Taken:")},
        {&w.photoDPIlab, "photoDPIlab", MainWindowController::tr("Camera:")},
        {&w.photoLensInfolab, "photoLensInfolab", MainWindowController::tr("Lens:")},
        {&w.photoExposurelab, "photoExposurelab", MainWindowController::tr("Exposure:")},
        {&w.photoImageSizelab, "photoImageSizelab", MainWindowController::tr("Dimensions:")},
        {&w.photoFileSizelab, "photoFileSizelab", MainWindowController::tr("File size:")},
        {&w.photoCreateDatelab, "photoCreateDatelab", MainWindowController::tr("Created:")},
        {&w.locationCitylab, "locationCitylab", MainWindowController::tr("Place:")},
    };
    for (const Line &line : lines) {
        auto *value = new PanelValueLabel(column);
        value->setObjectName(QLatin1String(line.name));
        value->setStyleSheet(QStringLiteral("color: #e6e6e6;"));
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        *line.label = value;
        auto *caption = new QLabel(line.caption, column);
        caption->setObjectName(QLatin1String(line.name) + QStringLiteral("Caption"));
        caption->setStyleSheet(QStringLiteral("color: #a9a4a2;"));
        caption->setBuddy(value);
        form->addRow(caption, value);
    }
    return form;
}

QWidget *buildLocalMapSlot(MainWindowController &w, QWidget *column) {
    auto *slot = new QWidget(column);
    slot->setObjectName(QStringLiteral("localMapSlot"));
    slot->setFixedHeight(kMapHeight);
    auto *stack = new QGridLayout(slot);
    stack->setContentsMargins(0, 0, 0, 0);
    w.localMapPlaceholder = new QLabel(slot);
    w.localMapPlaceholder->setObjectName(QStringLiteral("localMapPlaceholder"));
    w.localMapPlaceholder->setAlignment(Qt::AlignCenter);
    w.localMapPlaceholder->setStyleSheet(
        QStringLiteral("QLabel { background: #4a4443; color: #a9a4a2; }"));
    w.currentlocalMapView = new PKMapView(slot);
    w.currentlocalMapView->setObjectName(QStringLiteral("currentlocalMapView"));
    // Both share the cell; the map, laid out last, covers the placeholder while shown.
    stack->addWidget(w.localMapPlaceholder, 0, 0);
    stack->addWidget(w.currentlocalMapView, 0, 0);
    return slot;
}

void useFittedCellTitles(MainWindowController &w) {
    for (QListView *view :
         {static_cast<QListView *>(w.localImageBrowserView), w.photoLibBrowserView})
        if (view)
            view->setItemDelegate(new LocalCellDelegate(view));
}
