// The local panel's captioned information lines and the map's fixed slot.
#include "browser/LocalInfoPanel.h"

#include "app/AppDelegate.h"
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
        {&d.mainWindowController().photoNamelab, "photoNamelab", AppDelegate::tr("Name:")},
        {&d.mainWindowController().photoTitlelab, "photoTitlelab", AppDelegate::tr("Title:")},
        {&d.mainWindowController().photoModDatelab, "photoModDatelab", AppDelegate::tr("Taken:")},
        {&d.mainWindowController().photoDPIlab, "photoDPIlab", AppDelegate::tr("Camera:")},
        {&d.mainWindowController().photoLensInfolab, "photoLensInfolab", AppDelegate::tr("Lens:")},
        {&d.mainWindowController().photoExposurelab, "photoExposurelab",
         AppDelegate::tr("Exposure:")},
        {&d.mainWindowController().photoImageSizelab, "photoImageSizelab",
         AppDelegate::tr("Dimensions:")},
        {&d.mainWindowController().photoFileSizelab, "photoFileSizelab",
         AppDelegate::tr("File size:")},
        {&d.mainWindowController().photoCreateDatelab, "photoCreateDatelab",
         AppDelegate::tr("Created:")},
        {&d.mainWindowController().locationCitylab, "locationCitylab", AppDelegate::tr("Place:")},
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
    d.mainWindowController().localMapPlaceholder = new QLabel(slot);
    d.mainWindowController().localMapPlaceholder->setObjectName(
        QStringLiteral("localMapPlaceholder"));
    d.mainWindowController().localMapPlaceholder->setAlignment(Qt::AlignCenter);
    d.mainWindowController().localMapPlaceholder->setStyleSheet(
        QStringLiteral("QLabel { background: #4a4443; color: #a9a4a2; }"));
    d.mainWindowController().currentlocalMapView = new PKMapView(slot);
    d.mainWindowController().currentlocalMapView->setObjectName(
        QStringLiteral("currentlocalMapView"));
    // Both share the cell; the map, laid out last, covers the placeholder while shown.
    stack->addWidget(d.mainWindowController().localMapPlaceholder, 0, 0);
    stack->addWidget(d.mainWindowController().currentlocalMapView, 0, 0);
    return slot;
}

void useFittedCellTitles(AppDelegate &d) {
    for (QListView *view :
         {static_cast<QListView *>(d.mainWindowController().localImageBrowserView),
          d.mainWindowController().photoLibBrowserView})
        if (view)
            view->setItemDelegate(new LocalCellDelegate(view));
}
