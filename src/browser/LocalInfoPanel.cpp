// The local panel's captioned information lines and the map's fixed slot.
#include "browser/MainWindowController.h"

#include "app/AppServices.h"
#include "browser/DropTargets.h"
#include "browser/LocalCellDelegate.h"
#include "browser/PanelValueLabel.h"
#include "platform/MapView.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QListView>

namespace {
constexpr int kMapHeight = 160;
} // namespace

QFormLayout *MainWindowController::buildLocalInformationLines(QWidget *column) {
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
        {&photoNamelab, "photoNamelab", MainWindowController::tr("Name:")},
        {&photoTitlelab, "photoTitlelab", MainWindowController::tr("Title:")},
        {&photoModDatelab, "photoModDatelab", MainWindowController::tr("Taken:")},
        {&photoDPIlab, "photoDPIlab", MainWindowController::tr("Camera:")},
        {&photoLensInfolab, "photoLensInfolab", MainWindowController::tr("Lens:")},
        {&photoExposurelab, "photoExposurelab", MainWindowController::tr("Exposure:")},
        {&photoImageSizelab, "photoImageSizelab", MainWindowController::tr("Dimensions:")},
        {&photoFileSizelab, "photoFileSizelab", MainWindowController::tr("File size:")},
        {&photoCreateDatelab, "photoCreateDatelab", MainWindowController::tr("Created:")},
        {&locationCitylab, "locationCitylab", MainWindowController::tr("Place:")},
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

QWidget *MainWindowController::buildLocalMapSlot(QWidget *column) {
    auto *slot = new QWidget(column);
    slot->setObjectName(QStringLiteral("localMapSlot"));
    slot->setFixedHeight(kMapHeight);
    auto *stack = new QGridLayout(slot);
    stack->setContentsMargins(0, 0, 0, 0);
    localMapPlaceholder = new QLabel(slot);
    localMapPlaceholder->setObjectName(QStringLiteral("localMapPlaceholder"));
    localMapPlaceholder->setAlignment(Qt::AlignCenter);
    localMapPlaceholder->setStyleSheet(
        QStringLiteral("QLabel { background: #4a4443; color: #a9a4a2; }"));
    currentlocalMapView = new PKMapView(slot);
    currentlocalMapView->setObjectName(QStringLiteral("currentlocalMapView"));
    // Both share the cell; the map, laid out last, covers the placeholder while shown.
    stack->addWidget(localMapPlaceholder, 0, 0);
    stack->addWidget(currentlocalMapView, 0, 0);
    return slot;
}

void MainWindowController::useFittedCellTitles() {
    for (QListView *view : {static_cast<QListView *>(localImageBrowserView), photoLibBrowserView})
        if (view)
            view->setItemDelegate(new LocalCellDelegate(view));
}
