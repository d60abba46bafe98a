// The library merge window: the two libraries, the destination, the options and the
// buttons.
#include "export/MergeWindow.h"

#include "app/AppLook.h"
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
#include <functional>

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
    LibraryDropFilter(std::function<void(const QStringList &)> add, QObject *parent)
        : QObject(parent), add(std::move(add)) {}

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
                add(paths);
            return true;
        }
        default:
            return false;
        }
    }

  private:
    std::function<void(const QStringList &)> add;
};

} // namespace

void MergeWindow::buildMergeWindow() {
    QVBoxLayout *column = newColumnWindow(ownWindows, photolibMergeWindow, "photolibMergeWindow",
                                          tr("Merge Photo Libraries"));
    QWidget *w = photolibMergeWindow;
    addOutlet(column, w, photolibTableview, "photolibTableview");
    photolibController = new QStandardItemModel(0, 2, w);
    photolibController->setHorizontalHeaderLabels({tr("Name"), tr("Date")});
    photolibTableview->setModel(photolibController);
    photolibTableview->setSelectionBehavior(QAbstractItemView::SelectRows);
    photolibTableview->setSelectionMode(QAbstractItemView::SingleSelection);
    photolibTableview->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // The names take the room; the dates as much as they need.
    photolibTableview->horizontalHeader()->setStretchLastSection(false);
    photolibTableview->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    photolibTableview->horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    photolibTableview->setMinimumHeight(120);
    // A name too long for the list keeps its end (".photoslibrary"); its tooltip has the path.
    photolibTableview->setTextElideMode(Qt::ElideMiddle);
    photolibTableview->setAcceptDrops(true);
    photolibTableview->viewport()->setAcceptDrops(true);
    photolibTableview->viewport()->installEventFilter(new LibraryDropFilter(
        [this](const QStringList &paths) { importPhotoLibraryintoTableViewThreader(paths); },
        photolibTableview));
    QObject::connect(photolibTableview->selectionModel(), &QItemSelectionModel::selectionChanged, w,
                     [this] { showDestination(); });
    auto *buttons = new QHBoxLayout;
    auto button = [&](PRButton *&b, const char *name, const QString &text) {
        b = new PRButton(text, w);
        b->setObjectName(QLatin1String(name));
        buttons->addWidget(b);
    };
    button(photolibAddBtn, "photolibAddBtn", QStringLiteral("+"));
    button(photolibSubBtn, "photolibSubBtn", QStringLiteral("-"));
    buttons->addStretch(1);
    column->addLayout(buttons);
    // A long destination path is shortened in the middle, whole in its tooltip: the window
    // keeps its width.
    photolibDestLab = new PanelValueLabel(w);
    photolibDestLab->setObjectName(QStringLiteral("photolibDestLab"));
    column->addWidget(photolibDestLab);
    // The options (all ticked each time the window opens), in the option font.
    const std::pair<QCheckBox *&, QString> options[] = {
        {photolibDoNotImportDupBtn, QStringLiteral("Do not copy duplicates while merging")},
        {photolibKeepAblumBtn, QStringLiteral("Keep photo albums while merging")},
        {photolibKeepPhotoMetaBtn,
         QStringLiteral("Keep edited photo metadata tags(Title, Caption, keywords, GPS data) in "
                        "photo library")},
    };
    const char *names[] = {"photolibDoNotImportDupBtn", "photolibKeepAblumBtn",
                           "photolibKeepPhotoMetaBtn"};
    for (int i = 0; i < 3; ++i) {
        QCheckBox *box = addOutlet(column, w, options[i].first, names[i]);
        box->setText(options[i].second);
        box->setFont(optionFont());
    }
    photolibStartBtn = new PRButton(tr("Start"), w);
    photolibStartBtn->setObjectName(QStringLiteral("photolibStartBtn"));
    column->addWidget(photolibStartBtn, 0, Qt::AlignRight);
    column->addStretch(1);
    PRButton::whenPressed(photolibAddBtn, [this] { AddPhotoLibraryintoTableView(); });
    PRButton::whenPressed(photolibSubBtn, [this] { RemovePhotoLibraryFromTableView(); });
    PRButton::whenPressed(photolibStartBtn, [this] { ClickStartMergePhotoLibraryAction(); });
}

void MergeWindow::showDestination() {
    const int row = photolibTableview->currentIndex().row();
    const bool listed =
        photolibraryAddedArray.size() > 1 && row >= 0 && row < photolibraryAddedArray.size();
    photolibDestLab->setText(
        listed
            ? tr("Destination Photo Library: %1").arg(photolibraryAddedArray.at(row)->fileFullPath)
            : QString());
}
