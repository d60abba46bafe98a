// The two slide-in panels of the library view: their buttons, what typing into the library
// panel marks for the apply, their slide in and out, and the browser's reload after an edit.
#include "app/AppDelegate.h"
#include "app/WindowDescription.h"
#include "browser/MainWindowController.h"

#include "browser/LocalPhotoModel.h"
#include "browser/PRButton.h"
#include "library/core/LibraryStore.h"
#include "platform/ImageView.h"
#include "platform/MapView.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QListView>
#include <QMainWindow>
#include <QPropertyAnimation>
#include <QSignalBlocker>
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

// Where an open panel lies: at the window's right edge, from the top of the library
// browser down, so that the view's bar with its mode buttons stays in sight above it.
QRect panelPlace(AppDelegate &d, QWidget *panel) {
    QWidget *area = d.window->centralWidget();
    int top = 0;
    if (d.mainWindowController().photoLibBrowserView &&
        area->isAncestorOf(d.mainWindowController().photoLibBrowserView))
        top = std::max(0,
                       d.mainWindowController().photoLibBrowserView->mapTo(area, QPoint(0, 0)).y());
    return QRect(area->width() - panel->width(), top, panel->width(), area->height() - top);
}

// Open panels keep their place when the window changes size.
void placeOpenPanels(AppDelegate &d) {
    for (QWidget *panel : {d.mainWindowController().photolibEditView,
                           d.mainWindowController().photoOriginalEditView}) {
        if (!panel || panel->isHidden() || panel->parentWidget() != d.window->centralWidget())
            continue;
        stopSlide(panel);
        panel->setGeometry(panelPlace(d, panel));
    }
}

// The panels float over the window once opened; they go when the library view goes, and
// follow the window's size.
class PanelsFollowLibraryView : public QObject {
  public:
    PanelsFollowLibraryView(AppDelegate &d, QObject *parent) : QObject(parent), d_(d) {}

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::Hide && watched == d_.mainWindowController().photolibView) {
            d_.libraryPanels.HidePhotoLibEditViewAction();
            d_.libraryPanels.HidePhotoOriginalEditViewAction();
        } else if (event->type() == QEvent::Resize && d_.window &&
                   watched == d_.window->centralWidget()) {
            placeOpenPanels(d_);
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    AppDelegate &d_;
};

void slideIn(AppDelegate &d, QWidget *panel) {
    QWidget *area = d.window ? d.window->centralWidget() : nullptr;
    // The panels belong to the library view.
    if (!panel || !area || !d.mainWindowController().photolibView ||
        !d.mainWindowController().photolibView->isVisible())
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
    const QRect place = panelPlace(d, panel);
    panel->resize(place.size());
    const QPoint from(d.mainWindowController().localPhotoViewImageView
                          ? d.mainWindowController().localPhotoViewImageView->width()
                          : 0,
                      place.top());
    panel->show();
    panel->raise();
    panel->move(from);
    auto *slide = new QPropertyAnimation(panel, "pos", panel);
    slide->setDuration(kSlideMs);
    slide->setStartValue(from);
    slide->setEndValue(place.topLeft());
    slide->start(QAbstractAnimation::DeleteWhenStopped);
}

void hidePanel(QWidget *panel) {
    if (!panel)
        return;
    stopSlide(panel);
    panel->setHidden(true);
}

// Close keeps nothing that was typed and not applied: the fields show the photo again.
void dropUnappliedLibraryText(AppDelegate &d) {
    d.libraryPanels.clearLibraryChangeFlags();
    if (d.mainWindowController().photoLibBrowserView)
        d.mainWindowController().imageBrowserSelectionDidChange(
            d.mainWindowController().photoLibBrowserView);
}

} // namespace

void buildLibraryEditPanels(AppDelegate &d) {
    if (QVBoxLayout *column = panelColumn(d.mainWindowController().photolibEditView)) {
        auto *row = new QHBoxLayout;
        d.libraryPanels.canclePhotolibEiteViewBtn =
            panelButton(d.mainWindowController().photolibEditView, "canclePhotolibEiteViewBtn",
                        AppDelegate::tr("Close"));
        d.libraryPanels.applyPhotolibEiteViewBtn =
            panelButton(d.mainWindowController().photolibEditView, "applyPhotolibEiteViewBtn",
                        AppDelegate::tr("Apply to Library"));
        row->addWidget(d.libraryPanels.canclePhotolibEiteViewBtn);
        row->addStretch(1);
        row->addWidget(d.libraryPanels.applyPhotolibEiteViewBtn);
        column->addLayout(row);
    }
    if (QVBoxLayout *column = panelColumn(d.mainWindowController().photoOriginalEditView)) {
        auto *row = new QHBoxLayout;
        d.libraryPanels.canclePhotoOrigEiteViewBtn =
            panelButton(d.mainWindowController().photoOriginalEditView,
                        "canclePhotoOrigEiteViewBtn", AppDelegate::tr("Close"));
        row->addWidget(d.libraryPanels.canclePhotoOrigEiteViewBtn);
        row->addStretch(1);
        d.libraryPanels.applyPhotoOrigEiteViewBtn =
            panelButton(d.mainWindowController().photoOriginalEditView, "applyPhotoOrigEiteViewBtn",
                        AppDelegate::tr("Export with These Values"));
        row->addWidget(d.libraryPanels.applyPhotoOrigEiteViewBtn);
        column->addLayout(row);
    }
    // The user's typing only: the selection handler fills the fields with setText, which
    // marks nothing.
    for (QLineEdit *field :
         {d.libraryPanels.photolibEiteTitlelab, d.libraryPanels.photolibEiteFileNamelab,
          d.libraryPanels.photolibEiteDescriplab, d.libraryPanels.photolibEitekeywordslab,
          d.libraryPanels.photolibEiteCameraMakelab, d.libraryPanels.photolibEiteCameraModellab,
          d.libraryPanels.photolibEiteLensModellab, d.libraryPanels.photolibEitegpsLatilab,
          d.libraryPanels.photolibEitegpsLongtlab, d.libraryPanels.photolibEiteCameraDatelab})
        if (field)
            QObject::connect(field, &QLineEdit::textEdited, &d,
                             [&d, field] { d.editSheet.controlTextDidChange(field); });
    if (d.mainWindowController().photoLibBrowserView &&
        d.mainWindowController().photoLibBrowserView->selectionModel())
        QObject::connect(d.mainWindowController().photoLibBrowserView->selectionModel(),
                         &QItemSelectionModel::selectionChanged, &d, [&d] {
                             // What was typed for one photo is not meant for the next.
                             d.libraryPanels.clearLibraryChangeFlags();
                             d.mainWindowController().imageBrowserSelectionDidChange(
                                 d.mainWindowController().photoLibBrowserView);
                         });
    if (d.mainWindowController().photolibView) {
        auto *follow = new PanelsFollowLibraryView(d, d.mainWindowController().photolibView);
        d.mainWindowController().photolibView->installEventFilter(follow);
        if (d.window && d.window->centralWidget())
            d.window->centralWidget()->installEventFilter(follow);
    }
}

bool LibraryPanelsPart::libraryControlTextDidChange(QObject *field) {
    if (!field)
        return false;
    const std::pair<QLineEdit *, bool LibraryPanelsPart::*> marks[] = {
        {photolibEiteTitlelab, &LibraryPanelsPart::bChangePhotoLibraryTitle},
        {photolibEiteFileNamelab, &LibraryPanelsPart::bChangePhotoLibFileName},
        {photolibEiteDescriplab, &LibraryPanelsPart::bChangePhotoLibDescription},
        {photolibEitekeywordslab, &LibraryPanelsPart::bChangePhotoLibKeyWords},
        {photolibEiteCameraDatelab, &LibraryPanelsPart::bChangePhotoLibCameraDate},
        {photolibEiteLensModellab, &LibraryPanelsPart::bChangePhotoLibCameraLens},
        {photolibEiteCameraMakelab, &LibraryPanelsPart::bChangePhotoLibCameraMakeAndModel},
        {photolibEiteCameraModellab, &LibraryPanelsPart::bChangePhotoLibCameraMakeAndModel},
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
        photolibEiteCoords = QPointF(position->latitude, position->longitude);
        photolibEiteMapView->setRegion(position->latitude, position->longitude,
                                       PKMapView::kDefaultSpanLat, PKMapView::kDefaultSpanLon);
        photolibEiteMapView->setPin(position->latitude, position->longitude);
        photolibEiteMapView->show();
    }
    return true;
}

void LibraryPanelsPart::clearLibraryChangeFlags() {
    for (bool LibraryPanelsPart::*flag :
         {&LibraryPanelsPart::bChangePhotoLibraryTitle, &LibraryPanelsPart::bChangePhotoLibFileName,
          &LibraryPanelsPart::bChangePhotoLibDescription,
          &LibraryPanelsPart::bChangePhotoLibKeyWords,
          &LibraryPanelsPart::bChangePhotoLibCameraDate,
          &LibraryPanelsPart::bChangePhotoLibCameraLens,
          &LibraryPanelsPart::bChangePhotoLibCameraMakeAndModel,
          &LibraryPanelsPart::bChangePhotoLibGPS})
        this->*flag = false;
}

void LibraryPanelsPart::StartPhotoLibEditViewAction() {
    slideIn(d, d.mainWindowController().photolibEditView);
}

void LibraryPanelsPart::StartPhotoOriginalEditViewAction() {
    clearLibraryChangeFlags();
    slideIn(d, d.mainWindowController().photoOriginalEditView);
}

void LibraryPanelsPart::HidePhotoLibEditViewAction() {
    hidePanel(d.mainWindowController().photolibEditView);
    dropUnappliedLibraryText(d);
}

void LibraryPanelsPart::HidePhotoOriginalEditViewAction() {
    hidePanel(d.mainWindowController().photoOriginalEditView);
    dropUnappliedLibraryText(d);
}
