// The two comparison columns of the library view: the library's record and the original
// file's, each with its information lines, edit fields and map, and what they show of the
// first selected photo.
#include "library/LibraryPanels.h"

#include "browser/PanelValueLabel.h"
#include "export/core/LibraryMetadataExport.h"
#include "library/core/LibraryComparison.h"
#include "platform/MapView.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {
constexpr int kMapHeight = 140;

// The panel's lines, fields and map scroll under its buttons, so a short window cuts none
// of them off; the buttons' row is added to the outer column.
QVBoxLayout *columnIn(QWidget *view) {
    auto *outer = new QVBoxLayout;
    outer->setContentsMargins(8, 8, 8, 8);
    auto *scroll = new QScrollArea(view);
    scroll->setObjectName(view->objectName() + QStringLiteral("Scroll"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The panel's own background shows through.
    scroll->setStyleSheet(QStringLiteral("QScrollArea, QScrollArea > QWidget > QWidget "
                                         "{ background: transparent; }"));
    auto *content = new QWidget(scroll);
    auto *column = new QVBoxLayout(content);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(2);
    scroll->setWidget(content);
    outer->addWidget(scroll, 1);
    if (auto *grid = qobject_cast<QGridLayout *>(view->layout()))
        grid->addLayout(outer, 0, 0);
    else
        view->setLayout(outer);
    return column;
}

void addLines(QWidget *view, QVBoxLayout *column,
              std::initializer_list<std::pair<QLabel **, const char *>> lines) {
    for (auto [label, name] : lines) {
        // A long value (a keyword list) is shortened with the whole text in its tooltip, so
        // the panel keeps its width.
        *label = new PanelValueLabel(view);
        (*label)->setObjectName(QLatin1String(name));
        (*label)->setStyleSheet(QStringLiteral("color: white;"));
        (*label)->setTextInteractionFlags(Qt::TextSelectableByMouse);
        column->addWidget(*label);
    }
}

void addFields(QWidget *view, QVBoxLayout *column,
               std::initializer_list<std::tuple<QLineEdit **, const char *, const char *>> fields) {
    auto *form = new QFormLayout;
    for (auto [edit, name, caption] : fields) {
        *edit = new QLineEdit(view);
        (*edit)->setObjectName(QLatin1String(name));
        form->addRow(LibraryPanels::tr(caption), *edit);
    }
    column->addLayout(form);
}

// The map keeps a slot of its own: a photo without a position shows the slot's note, and
// nothing above or below it moves.
PKMapView *addMap(QWidget *view, QVBoxLayout *column, const char *name) {
    auto *slot = new QWidget(view);
    slot->setObjectName(QLatin1String(name) + QStringLiteral("Slot"));
    slot->setFixedHeight(kMapHeight);
    auto *stack = new QGridLayout(slot);
    stack->setContentsMargins(0, 0, 0, 0);
    auto *none = new QLabel(LibraryPanels::tr("No position"), slot);
    none->setObjectName(QLatin1String(name) + QStringLiteral("Placeholder"));
    none->setAlignment(Qt::AlignCenter);
    none->setStyleSheet(QStringLiteral("QLabel { background: #4a4443; color: #e6e6e6; }"));
    auto *map = new PKMapView(slot);
    map->setObjectName(QLatin1String(name));
    map->hide();
    stack->addWidget(none, 0, 0);
    stack->addWidget(map, 0, 0);
    column->addWidget(slot);
    column->addStretch(1);
    return map;
}
void colourLabel(QLabel *label, const QColor &colour) {
    if (label)
        label->setStyleSheet(QStringLiteral("color: %1;").arg(colour.name(QColor::HexRgb)));
}

void showMap(PKMapView *map, const ColumnMap &position) {
    if (!map)
        return;
    if (!position.shown) {
        map->hide();
        return;
    }
    map->show();
    map->setRegion(position.latitude, position.longitude, PKMapView::kDefaultSpanLat,
                   PKMapView::kDefaultSpanLon);
    map->clearPin();
    map->setPin(position.latitude, position.longitude);
    map->update();
}
} // namespace

void LibraryPanels::buildComparisonColumns() {
    if (!hosts.libraryPanel || !hosts.originalPanel)
        return;
    QWidget *lib = hosts.libraryPanel;
    QVBoxLayout *libColumn = columnIn(lib);
    addLines(lib, libColumn,
             {{&photolibNamelab, "photolibNamelab"},
              {&photolibFileSizelab, "photolibFileSizelab"},
              {&photolibImageSizelab, "photolibImageSizelab"},
              {&photolibCreateDatelab, "photolibCreateDatelab"},
              {&photolibcameraDatelab, "photolibcameraDatelab"},
              {&photolibtitlelab, "photolibtitlelab"},
              {&photolibartistlab, "photolibartistlab"},
              {&photolibimageDescrilab, "photolibimageDescrilab"},
              {&photolibkeywordslab, "photolibkeywordslab"},
              {&photolibcommentslab, "photolibcommentslab"},
              {&photolibcameraMakelab, "photolibcameraMakelab"},
              {&photolibcameraModelab, "photolibcameraModelab"},
              {&photoliblensMakelab, "photoliblensMakelab"},
              {&photoliblensModelab, "photoliblensModelab"},
              {&photoliblensLatitudelab, "photoliblensLatitudelab"},
              {&photoliblensLongitudelab, "photoliblensLongitudelab"}});
    addFields(lib, libColumn,
              {{&photolibEiteFileNamelab, "photolibEiteFileNamelab", "File Name:"},
               {&photolibEiteCameraDatelab, "photolibEiteCameraDatelab", "Camera Date:"},
               {&photolibEiteTitlelab, "photolibEiteTitlelab", "Title:"},
               {&photolibEiteDescriplab, "photolibEiteDescriplab", "Caption:"},
               {&photolibEitekeywordslab, "photolibEitekeywordslab", "Keywords:"},
               {&photolibEiteCameraMakelab, "photolibEiteCameraMakelab", "Camera Make:"},
               {&photolibEiteCameraModellab, "photolibEiteCameraModellab", "Camera Model:"},
               {&photolibEiteLensModellab, "photolibEiteLensModellab", "Lens Model:"},
               {&photolibEitegpsLatilab, "photolibEitegpsLatilab", "Latitude:"},
               {&photolibEitegpsLongtlab, "photolibEitegpsLongtlab", "Longitude:"}});
    photolibEiteMapView = addMap(lib, libColumn, "photolibEiteMapView");

    QWidget *orig = hosts.originalPanel;
    QVBoxLayout *origColumn = columnIn(orig);
    addLines(orig, origColumn,
             {{&origphotoNamelab, "origphotoNamelab"},
              {&origphotoFileSizelab, "origphotoFileSizelab"},
              {&origphotoImageSizelab, "origphotoImageSizelab"},
              {&origphotoCreateDatelab, "origphotoCreateDatelab"},
              {&origphotocameraDatelab, "origphotocameraDatelab"},
              {&origphototitlelab, "origphototitlelab"},
              {&origphotoartistlab, "origphotoartistlab"},
              {&origphotoimageDescrilab, "origphotoimageDescrilab"},
              {&origphotokeywordslab, "origphotokeywordslab"},
              {&origphotocommentslab, "origphotocommentslab"},
              {&origphotocameraMakelab, "origphotocameraMakelab"},
              {&origphotocameraModelab, "origphotocameraModelab"},
              {&origphotolensModelab, "origphotolensModelab"},
              {&origphotolensLatitudelab, "origphotolensLatitudelab"},
              {&origphotolensLongitudelab, "origphotolensLongitudelab"}});
    addFields(orig, origColumn,
              {{&originalPhotolibCameraDatelab, "originalPhotolibCameraDatelab", "Camera Date:"},
               {&originalPhotolibTitlelab, "originalPhotolibTitlelab", "Title:"},
               {&originalPhotolibArtistlab, "originalPhotolibArtistlab", "Author:"},
               {&originalPhotolibDescriplab, "originalPhotolibDescriplab", "Caption:"},
               {&originalPhotolibCopyrightlab, "originalPhotolibCopyrightlab", "Copyright:"},
               {&originalPhotolibkeywordslab, "originalPhotolibkeywordslab", "Keywords:"},
               {&originalPhotolibCommendlab, "originalPhotolibCommendlab", "Comments:"},
               {&originalPhotolibCameraMakelab, "originalPhotolibCameraMakelab", "Camera Make:"},
               {&originalPhotolibCameraModelab, "originalPhotolibCameraModelab", "Camera Model:"},
               {&originalPhotolibLenMakelab, "originalPhotolibLenMakelab", "Lens Make:"},
               {&originalPhotolibLenModelab, "originalPhotolibLenModelab", "Lens Model:"},
               {&originalPhotolibgpsLatilab, "originalPhotolibgpsLatilab", "Latitude:"},
               {&originalPhotolibgpsLongtlab, "originalPhotolibgpsLongtlab", "Longitude:"}});
    originalPhotolibMapView = addMap(orig, origColumn, "originalPhotolibMapView");
}

void LibraryPanels::getOriginalMedataDataWithItem(const IKImageItemPtr &item) {
    if (item)
        ::getOriginalMedataDataWithItem(*item);
}

void LibraryPanels::showComparison(const LibraryComparison &c) {
    const auto apply = [this](const QList<PanelText> &texts) {
        for (const PanelText &t : texts) {
            QObject *target = libraryPanelOutlet(t.outlet);
            if (auto *label = qobject_cast<QLabel *>(target))
                label->setText(t.text);
            else if (auto *edit = qobject_cast<QLineEdit *>(target))
                edit->setText(t.text);
        }
    };
    if (c.hasOriginal) {
        apply(c.originalLines);
        apply(c.originalFields);
        showMap(originalPhotolibMapView, c.originalMap);
    }
    apply(c.libraryLines);
    apply(c.libraryFields);
    if (c.hasLibrary)
        showMap(photolibEiteMapView, c.libraryMap);

    for (const QString &name : c.differingLines)
        colourLabel(qobject_cast<QLabel *>(libraryPanelOutlet(name)), libraryDifferenceColor());
    for (const QString &name : c.agreeingLines)
        colourLabel(qobject_cast<QLabel *>(libraryPanelOutlet(name)), Qt::white);
}

QObject *LibraryPanels::libraryPanelOutlet(const QString &name) {
    // Looked up once: a search of both panels' widget trees on every selection adds up
    // when the user walks through a library with the arrow keys.
    const auto known = libraryPanelOutlets.constFind(name);
    if (known != libraryPanelOutlets.cend() && *known)
        return *known;
    QObject *found = nullptr;
    for (QWidget *root : {hosts.originalPanel, hosts.libraryPanel})
        if (root && !found)
            found = root->findChild<QObject *>(name);
    libraryPanelOutlets.insert(name, found);
    return found;
}

PanelValues LibraryPanels::originalPanelValues() const {
    const auto text = [](const QLineEdit *field) { return field ? field->text() : QString(); };
    PanelValues panel;
    panel.latitude = text(originalPhotolibgpsLatilab);
    panel.longitude = text(originalPhotolibgpsLongtlab);
    panel.cameraDate = text(originalPhotolibCameraDatelab);
    panel.artist = text(originalPhotolibArtistlab);
    panel.description = text(originalPhotolibDescriplab);
    panel.copyright = text(originalPhotolibCopyrightlab);
    panel.make = text(originalPhotolibCameraMakelab);
    panel.model = text(originalPhotolibCameraModelab);
    panel.lensMake = text(originalPhotolibLenMakelab);
    panel.lensModel = text(originalPhotolibLenModelab);
    panel.comment = text(originalPhotolibCommendlab);
    panel.keywords = text(originalPhotolibkeywordslab);
    panel.title = text(originalPhotolibTitlelab);
    return panel;
}

QString LibraryPanels::shownCameraDate() const {
    return photolibEiteCameraDatelab ? photolibEiteCameraDatelab->text() : QString();
}
