// The local panel's captioned information lines and the map's fixed slot.
#include "browser/LocalInfoPanel.h"

#include "app/AppDelegate.h"
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

QFormLayout *buildLocalInformationLines(AppDelegate &d, QWidget *column) {
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
        {&d.mainWindow.photoNamelab, "photoNamelab", AppDelegate::tr("Name:")},
        {&d.mainWindow.photoTitlelab, "photoTitlelab", AppDelegate::tr("Title:")},
        {&d.mainWindow.photoModDatelab, "photoModDatelab", AppDelegate::tr("Taken:")},
        {&d.mainWindow.photoDPIlab, "photoDPIlab", AppDelegate::tr("Camera:")},
        {&d.mainWindow.photoLensInfolab, "photoLensInfolab", AppDelegate::tr("Lens:")},
        {&d.mainWindow.photoExposurelab, "photoExposurelab", AppDelegate::tr("Exposure:")},
        {&d.mainWindow.photoImageSizelab, "photoImageSizelab", AppDelegate::tr("Dimensions:")},
        {&d.mainWindow.photoFileSizelab, "photoFileSizelab", AppDelegate::tr("File size:")},
        {&d.mainWindow.photoCreateDatelab, "photoCreateDatelab", AppDelegate::tr("Created:")},
        {&d.mainWindow.locationCitylab, "locationCitylab", AppDelegate::tr("Place:")},
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

QWidget *buildLocalMapSlot(AppDelegate &d, QWidget *column) {
    auto *slot = new QWidget(column);
    slot->setObjectName(QStringLiteral("localMapSlot"));
    slot->setFixedHeight(kMapHeight);
    auto *stack = new QGridLayout(slot);
    stack->setContentsMargins(0, 0, 0, 0);
    d.mainWindow.localMapPlaceholder = new QLabel(slot);
    d.mainWindow.localMapPlaceholder->setObjectName(QStringLiteral("localMapPlaceholder"));
    d.mainWindow.localMapPlaceholder->setAlignment(Qt::AlignCenter);
    d.mainWindow.localMapPlaceholder->setStyleSheet(
        QStringLiteral("QLabel { background: #4a4443; color: #a9a4a2; }"));
    d.mainWindow.currentlocalMapView = new PKMapView(slot);
    d.mainWindow.currentlocalMapView->setObjectName(QStringLiteral("currentlocalMapView"));
    // Both share the cell; the map, laid out last, covers the placeholder while shown.
    stack->addWidget(d.mainWindow.localMapPlaceholder, 0, 0);
    stack->addWidget(d.mainWindow.currentlocalMapView, 0, 0);
    return slot;
}

void useFittedCellTitles(AppDelegate &d) {
    for (QListView *view : {static_cast<QListView *>(d.mainWindow.localImageBrowserView),
                            d.mainWindow.photoLibBrowserView})
        if (view)
            view->setItemDelegate(new LocalCellDelegate(view));
}
