// The library merge window: the two libraries, the destination, the options and the
// buttons (their clicks go through the click router).
#include "app/AppDelegate.h"
#include "app/WindowDescription.h"

#include "browser/PRButton.h"
#include "browser/PanelValueLabel.h"
#include "platform/ImageView.h"

#include <QCheckBox>
#include <QDropEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMimeData>
#include <QStandardItemModel>
#include <QTableView>
#include <QUrl>

namespace {

// The first dropped URL decides, by its extension exactly as the add button's check has it.
bool offersLibrary(const QMimeData *data) {
    if (!data || !data->hasUrls() || data->urls().isEmpty())
        return false;
    const QString suffix = QFileInfo(data->urls().first().toLocalFile()).suffix();
    return suffix == QLatin1String("photoslibrary") || suffix == QLatin1String("photolibrary");
}

// Libraries dropped on the list are added as the add button adds them.
class LibraryDropFilter : public QObject {
  public:
    LibraryDropFilter(AppDelegate &d, QObject *parent) : QObject(parent), d(d) {}

  protected:
    bool eventFilter(QObject *, QEvent *event) override {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto *drag = static_cast<QDragMoveEvent *>(event);
            if (offersLibrary(drag->mimeData())) {
                drag->setDropAction(Qt::CopyAction);
                drag->accept();
            } else {
                drag->ignore();
            }
            return true;
        }
        case QEvent::Drop: {
            auto *drop = static_cast<QDropEvent *>(event);
            QStringList paths;
            if (drop->mimeData()->hasUrls())
                for (const QUrl &url : drop->mimeData()->urls())
                    if (url.isLocalFile())
                        paths << url.toLocalFile();
            drop->setDropAction(Qt::CopyAction);
            drop->accept();
            if (!paths.isEmpty())
                d.mergeWindow.importPhotoLibraryintoTableViewThreader(paths);
            return true;
        }
        default:
            return false;
        }
    }

  private:
    AppDelegate &d;
};

} // namespace

void buildLibraryMergeWindow(AppDelegate &d) {
    QVBoxLayout *column =
        newColumnWindow(d, d.mergeWindow.photolibMergeWindow, "photolibMergeWindow",
                        AppDelegate::tr("Merge Photo Libraries"));
    QWidget *w = d.mergeWindow.photolibMergeWindow;
    PK_OUTLET(column, w, d, mergeWindow.photolibTableview);
    d.mergeWindow.photolibController = new QStandardItemModel(0, 2, w);
    d.mergeWindow.photolibController->setHorizontalHeaderLabels(
        {AppDelegate::tr("Name"), AppDelegate::tr("Date")});
    d.mergeWindow.photolibTableview->setModel(d.mergeWindow.photolibController);
    d.mergeWindow.photolibTableview->setSelectionBehavior(QAbstractItemView::SelectRows);
    d.mergeWindow.photolibTableview->setSelectionMode(QAbstractItemView::SingleSelection);
    d.mergeWindow.photolibTableview->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // The names take the room; the dates as much as they need.
    d.mergeWindow.photolibTableview->horizontalHeader()->setStretchLastSection(false);
    d.mergeWindow.photolibTableview->horizontalHeader()->setSectionResizeMode(0,
                                                                              QHeaderView::Stretch);
    d.mergeWindow.photolibTableview->horizontalHeader()->setSectionResizeMode(
        1, QHeaderView::ResizeToContents);
    d.mergeWindow.photolibTableview->setMinimumHeight(120);
    // A name too long for the list keeps its end (".photoslibrary"); its tooltip has the path.
    d.mergeWindow.photolibTableview->setTextElideMode(Qt::ElideMiddle);
    d.mergeWindow.photolibTableview->setAcceptDrops(true);
    d.mergeWindow.photolibTableview->viewport()->setAcceptDrops(true);
    d.mergeWindow.photolibTableview->viewport()->installEventFilter(
        new LibraryDropFilter(d, d.mergeWindow.photolibTableview));
    QObject::connect(
        d.mergeWindow.photolibTableview->selectionModel(), &QItemSelectionModel::selectionChanged,
        &d, [&d] {
            const int row = d.mergeWindow.photolibTableview->currentIndex().row();
            const bool listed = d.mergeWindow.photolibraryAddedArray.size() > 1 && row >= 0 &&
                                row < d.mergeWindow.photolibraryAddedArray.size();
            d.mergeWindow.photolibDestLab->setText(
                listed ? AppDelegate::tr("Destination Photo Library: %1")
                             .arg(d.mergeWindow.photolibraryAddedArray.at(row)->fileFullPath)
                       : QString());
        });
    auto *buttons = new QHBoxLayout;
    auto button = [&](PRButton *&b, const char *name, const QString &text) {
        b = new PRButton(text, w);
        b->setObjectName(QLatin1String(name));
        buttons->addWidget(b);
    };
    button(d.mergeWindow.photolibAddBtn, "photolibAddBtn", QStringLiteral("+"));
    button(d.mergeWindow.photolibSubBtn, "photolibSubBtn", QStringLiteral("-"));
    buttons->addStretch(1);
    column->addLayout(buttons);
    // A long destination path is shortened in the middle, whole in its tooltip: the window
    // keeps its width.
    d.mergeWindow.photolibDestLab = new PanelValueLabel(w);
    d.mergeWindow.photolibDestLab->setObjectName(QStringLiteral("photolibDestLab"));
    column->addWidget(d.mergeWindow.photolibDestLab);
    PK_OUTLET(column, w, d, mergeWindow.photolibDoNotImportDupBtn);
    d.mergeWindow.photolibDoNotImportDupBtn->setText(
        AppDelegate::tr("Do not import photos the destination already holds"));
    PK_OUTLET(column, w, d, mergeWindow.photolibKeepAblumBtn);
    d.mergeWindow.photolibKeepAblumBtn->setText(AppDelegate::tr("Keep albums"));
    PK_OUTLET(column, w, d, mergeWindow.photolibKeepPhotoMetaBtn);
    d.mergeWindow.photolibKeepPhotoMetaBtn->setText(
        AppDelegate::tr("Write the library's metadata into the photos"));
    d.mergeWindow.photolibStartBtn = new PRButton(AppDelegate::tr("Start"), w);
    d.mergeWindow.photolibStartBtn->setObjectName(QStringLiteral("photolibStartBtn"));
    column->addWidget(d.mergeWindow.photolibStartBtn, 0, Qt::AlignRight);
    column->addStretch(1);
}
