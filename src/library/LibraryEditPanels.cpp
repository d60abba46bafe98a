// The two slide-in panels of the library view: their buttons, what typing into the library
// panel marks for the apply, their slide in and out, and the items of the library's edit menu.
#include "library/LibraryPanels.h"

#include "app/AppServices.h"
#include "app/Browsers.h"
#include "app/Jobs.h"
#include "browser/PRButton.h"
#include "library/core/LibraryStore.h"
#include "platform/MapView.h"

#include <QAction>
#include <QEvent>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QListView>
#include <QMainWindow>
#include <QMenu>
#include <QPropertyAnimation>
#include <QVBoxLayout>

namespace {

constexpr int kSlideMs = 200;
constexpr int kPanelMinWidth = 340;

// The panel's column of fields, under its background picture.
QVBoxLayout *panelColumn(QWidget *panel) {
    QLayout *layout = panel ? panel->layout() : nullptr;
    if (!layout)
        return nullptr;
    for (int i = 0; i < layout->count(); ++i)
        if (auto *column = qobject_cast<QVBoxLayout *>(layout->itemAt(i)->layout()))
            return column;
    return nullptr;
}

PRButton *panelButton(QWidget *panel, const char *name, const QString &title) {
    auto *button = new PRButton(title, panel);
    button->setObjectName(QLatin1String(name));
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

void stopSlide(QWidget *panel) {
    for (auto *running : panel->findChildren<QPropertyAnimation *>(Qt::FindDirectChildrenOnly))
        running->stop();
}

void hidePanel(QWidget *panel) {
    if (!panel)
        return;
    stopSlide(panel);
    panel->setHidden(true);
}

} // namespace

LibraryPanels::LibraryPanels(AppServices &services, LibraryDatabase &libraryDatabase)
    : app(services), database(libraryDatabase) {}

void LibraryPanels::build(const LibraryPanelHosts &where) {
    hosts = where;
    buildComparisonColumns();
    buildEditPanels();
}

void LibraryPanels::buildEditPanels() {
    if (QVBoxLayout *column = panelColumn(hosts.libraryPanel)) {
        auto *row = new QHBoxLayout;
        canclePhotolibEiteViewBtn =
            panelButton(hosts.libraryPanel, "canclePhotolibEiteViewBtn", tr("Close"));
        applyPhotolibEiteViewBtn =
            panelButton(hosts.libraryPanel, "applyPhotolibEiteViewBtn", tr("Apply to Library"));
        row->addWidget(canclePhotolibEiteViewBtn);
        row->addStretch(1);
        row->addWidget(applyPhotolibEiteViewBtn);
        column->addLayout(row);
        PRButton::whenPressed(canclePhotolibEiteViewBtn, [this] { HidePhotoLibEditViewAction(); });
        PRButton::whenPressed(applyPhotolibEiteViewBtn,
                              [this] { ApplyPhotoLibMetadataChangeAction(); });
    }
    if (QVBoxLayout *column = panelColumn(hosts.originalPanel)) {
        auto *row = new QHBoxLayout;
        canclePhotoOrigEiteViewBtn =
            panelButton(hosts.originalPanel, "canclePhotoOrigEiteViewBtn", tr("Close"));
        row->addWidget(canclePhotoOrigEiteViewBtn);
        row->addStretch(1);
        applyPhotoOrigEiteViewBtn = panelButton(hosts.originalPanel, "applyPhotoOrigEiteViewBtn",
                                                tr("Export with These Values"));
        row->addWidget(applyPhotoOrigEiteViewBtn);
        column->addLayout(row);
        PRButton::whenPressed(canclePhotoOrigEiteViewBtn,
                              [this] { HidePhotoOriginalEditViewAction(); });
        PRButton::whenPressed(applyPhotoOrigEiteViewBtn,
                              [this] { emit originalValuesExportRequested(); });
    }
    // The user's typing only: the selection handler fills the fields with setText, which
    // marks nothing.
    for (QLineEdit *field :
         {photolibEiteTitlelab, photolibEiteFileNamelab, photolibEiteDescriplab,
          photolibEitekeywordslab, photolibEiteCameraMakelab, photolibEiteCameraModellab,
          photolibEiteLensModellab, photolibEitegpsLatilab, photolibEitegpsLongtlab,
          photolibEiteCameraDatelab})
        if (field)
            connect(field, &QLineEdit::textEdited, this,
                    [this, field] { libraryControlTextDidChange(field); });
    if (hosts.libraryBrowser && hosts.libraryBrowser->selectionModel())
        connect(hosts.libraryBrowser->selectionModel(), &QItemSelectionModel::selectionChanged,
                this, [this] {
                    // What was typed for one photo is not meant for the next.
                    clearLibraryChangeFlags();
                    app.browsers().showLibrarySelection();
                });
    // The panels float over the window once opened; they go when the library view goes, and
    // follow the window's size.
    if (hosts.libraryView) {
        hosts.libraryView->installEventFilter(this);
        if (app.mainWindow() && app.mainWindow()->centralWidget())
            app.mainWindow()->centralWidget()->installEventFilter(this);
    }
}

bool LibraryPanels::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::Hide && watched == hosts.libraryView) {
        HidePhotoLibEditViewAction();
        HidePhotoOriginalEditViewAction();
    } else if (event->type() == QEvent::Resize && app.mainWindow() &&
               watched == app.mainWindow()->centralWidget()) {
        placeOpenPanels();
    }
    return QObject::eventFilter(watched, event);
}

// Where an open panel lies: at the window's right edge, from the top of the library
// browser down, so that the view's bar with its mode buttons stays in sight above it.
QRect LibraryPanels::panelPlace(QWidget *panel) const {
    QWidget *area = app.mainWindow()->centralWidget();
    int top = 0;
    if (hosts.libraryBrowser && area->isAncestorOf(hosts.libraryBrowser))
        top = std::max(0, hosts.libraryBrowser->mapTo(area, QPoint(0, 0)).y());
    return QRect(area->width() - panel->width(), top, panel->width(), area->height() - top);
}

// Open panels keep their place when the window changes size.
void LibraryPanels::placeOpenPanels() {
    for (QWidget *panel : {hosts.libraryPanel, hosts.originalPanel}) {
        if (!panel || panel->isHidden() ||
            panel->parentWidget() != app.mainWindow()->centralWidget())
            continue;
        stopSlide(panel);
        panel->setGeometry(panelPlace(panel));
    }
}

void LibraryPanels::slideIn(QWidget *panel) {
    QWidget *area = app.mainWindow() ? app.mainWindow()->centralWidget() : nullptr;
    // The panels belong to the library view.
    if (!panel || !area || !hosts.libraryView || !hosts.libraryView->isVisible())
        return;
    if (panel->parentWidget() != area) {
        // Out of the library view's column, to lie over the window's right side; its
        // width stays the one it had in the column.
        const int width = std::max(panel->sizeHint().width(), kPanelMinWidth);
        if (QWidget *old = panel->parentWidget(); old && old->layout())
            old->layout()->removeWidget(panel);
        panel->setParent(area);
        panel->resize(width, panel->height());
    }
    stopSlide(panel);
    const QRect place = panelPlace(panel);
    panel->resize(place.size());
    const QPoint from(hosts.slideFrom ? hosts.slideFrom->width() : 0, place.top());
    panel->show();
    panel->raise();
    panel->move(from);
    auto *slide = new QPropertyAnimation(panel, "pos", panel);
    slide->setDuration(kSlideMs);
    slide->setStartValue(from);
    slide->setEndValue(place.topLeft());
    slide->start(QAbstractAnimation::DeleteWhenStopped);
}

void LibraryPanels::dropUnappliedLibraryText() {
    clearLibraryChangeFlags();
    app.browsers().showLibrarySelection();
}

bool LibraryPanels::libraryControlTextDidChange(QObject *field) {
    if (!field)
        return false;
    const std::pair<QLineEdit *, bool LibraryPanels::*> marks[] = {
        {photolibEiteTitlelab, &LibraryPanels::bChangePhotoLibraryTitle},
        {photolibEiteFileNamelab, &LibraryPanels::bChangePhotoLibFileName},
        {photolibEiteDescriplab, &LibraryPanels::bChangePhotoLibDescription},
        {photolibEitekeywordslab, &LibraryPanels::bChangePhotoLibKeyWords},
        {photolibEiteCameraDatelab, &LibraryPanels::bChangePhotoLibCameraDate},
        {photolibEiteLensModellab, &LibraryPanels::bChangePhotoLibCameraLens},
        {photolibEiteCameraMakelab, &LibraryPanels::bChangePhotoLibCameraMakeAndModel},
        {photolibEiteCameraModellab, &LibraryPanels::bChangePhotoLibCameraMakeAndModel},
    };
    for (const auto &[edit, flag] : marks) {
        if (edit && edit == field) {
            this->*flag = true;
            return true;
        }
    }
    if (field != photolibEitegpsLatilab && field != photolibEitegpsLongtlab)
        return false;
    bChangePhotoLibGPS = true;
    // A half-typed position moves nothing: 0, 0 would only mislead.
    bool none = false;
    QString why;
    const auto position = parseLibraryPosition(photolibEitegpsLatilab->text(),
                                               photolibEitegpsLongtlab->text(), &none, &why);
    if (position && photolibEiteMapView) {
        photolibEiteMapView->setRegion(position->latitude, position->longitude,
                                       PKMapView::kDefaultSpanLat, PKMapView::kDefaultSpanLon);
        photolibEiteMapView->setPin(position->latitude, position->longitude);
        photolibEiteMapView->show();
    }
    return true;
}

LibraryPanels::TypedFields LibraryPanels::typedFields() const {
    return {bChangePhotoLibraryTitle,          bChangePhotoLibFileName,
            bChangePhotoLibDescription,        bChangePhotoLibKeyWords,
            bChangePhotoLibCameraDate,         bChangePhotoLibCameraLens,
            bChangePhotoLibCameraMakeAndModel, bChangePhotoLibGPS};
}

void LibraryPanels::clearLibraryChangeFlags() {
    for (bool LibraryPanels::*flag :
         {&LibraryPanels::bChangePhotoLibraryTitle, &LibraryPanels::bChangePhotoLibFileName,
          &LibraryPanels::bChangePhotoLibDescription, &LibraryPanels::bChangePhotoLibKeyWords,
          &LibraryPanels::bChangePhotoLibCameraDate, &LibraryPanels::bChangePhotoLibCameraLens,
          &LibraryPanels::bChangePhotoLibCameraMakeAndModel, &LibraryPanels::bChangePhotoLibGPS})
        this->*flag = false;
}

void LibraryPanels::StartPhotoLibEditViewAction() {
    slideIn(hosts.libraryPanel);
}

void LibraryPanels::StartPhotoOriginalEditViewAction() {
    clearLibraryChangeFlags();
    slideIn(hosts.originalPanel);
}

void LibraryPanels::HidePhotoLibEditViewAction() {
    hidePanel(hosts.libraryPanel);
    dropUnappliedLibraryText();
}

void LibraryPanels::HidePhotoOriginalEditViewAction() {
    hidePanel(hosts.originalPanel);
    dropUnappliedLibraryText();
}

void LibraryPanels::addFieldItems(QMenu *menu) {
    // The panel's own edit item takes the edit shortcut in the library mode.
    app.jobs()
        .addMenuItem(menu, tr("Edit Library Fields…"), [this] { StartPhotoLibEditViewAction(); })
        ->setObjectName(QStringLiteral("StartPhotoLibEditViewAction"));
    app.jobs().addMenuItem(menu, tr("Show the Original's Fields…"),
                           [this] { StartPhotoOriginalEditViewAction(); });
    menu->addSeparator();
}

void LibraryPanels::addCopyItems(QMenu *menu) {
    const std::pair<const char *, void (LibraryPanels::*)()> items[] = {
        {QT_TR_NOOP("Copy Original Camera Date to Library Camera Date"),
         &LibraryPanels::CopyOriginalCameraDatetoPhotoLibraryCameraDateAction},
        {QT_TR_NOOP("Copy Camera Date to Added Date"),
         &LibraryPanels::CopyCameraDatetoPhotoLibraryAddedDateAction},
        {nullptr, nullptr},
        {QT_TR_NOOP("Copy Camera Date to Title"),
         &LibraryPanels::CopyCameraDatetoPhotoLibraryTileAction},
        {QT_TR_NOOP("Copy File Name to Title"),
         &LibraryPanels::CopyFileNametoPhotoLibraryTileAction},
        {QT_TR_NOOP("Copy Title to File Name"),
         &LibraryPanels::CopyFileTitletoPhotoLibraryFileNameAction},
        {QT_TR_NOOP("Copy Title to Caption"),
         &LibraryPanels::CopyFileTitletoPhotoLibraryCaptionAction},
        {QT_TR_NOOP("Copy File Name to Caption"),
         &LibraryPanels::CopyFileNametoPhotoLibraryCaptionAction},
        {QT_TR_NOOP("Copy Caption to Title"),
         &LibraryPanels::CopyFileCaptiontoPhotoLibraryTitleAction},
        {nullptr, nullptr},
        {QT_TR_NOOP("Replace Library Title with the Original's"),
         &LibraryPanels::ReplacePhotoLibrarytitleWithOriginalPhototitleAction},
        {QT_TR_NOOP("Replace Library Position with the Original's"),
         &LibraryPanels::ReplacePhotoLibraryGPSInfoWithOriginalPhotoGPSInfoAction},
        {QT_TR_NOOP("Replace Library Keywords with the Original's"),
         &LibraryPanels::ReplacePhotoLibraryKeyWordsWithOriginalPhotoKeyWordsAction},
        {QT_TR_NOOP("Replace Library Caption with the Original's"),
         &LibraryPanels::ReplacePhotoLibraryDescriWithOriginalPhotoDescriAction},
        {QT_TR_NOOP("Replace Library Camera and Lens with the Original's"),
         &LibraryPanels::ReplacePhotoLibraryCameraandLensInfoWithOriginalPhotoCameraLensAction},
    };
    for (const auto &[title, action] : items) {
        if (!title)
            menu->addSeparator();
        else
            app.jobs().addMenuItem(menu, tr(title), [this, action = action] { (this->*action)(); });
    }
}

#include "moc_LibraryPanels.cpp"
