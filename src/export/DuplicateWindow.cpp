// The duplicate finder window: a sheet over the main window with the group table, the
// file table of the selected group, a preview and the result of the last scan.
#include "export/DuplicateWindow.h"

#include "app/AppServices.h"
#include "app/WindowDescription.h"
#include "export/PRArrayController.h"
#include "model/PRDuplicateNode.h"

#include "platform/Artwork.h"
#include "platform/ImageView.h"

#include <QDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMainWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QStackedLayout>
#include <QTableView>
#include <QVBoxLayout>

namespace {
template <typename T> T *named(T *w, const char *name) {
    w->setObjectName(QLatin1String(name));
    return w;
}

} // namespace

QTableView *DuplicateWindow::newTable(QWidget *parent, const char *name,
                                      PRArrayController *controller, int rowHeight) {
    auto *table = named(new QTableView(parent), name);
    table->setModel(controller);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->hide();
    table->verticalHeader()->setDefaultSectionSize(rowHeight);
    table->horizontalHeader()->setStretchLastSection(true);
    table->setStyleSheet(QStringLiteral("QTableView { background: #3a3a3a; }"));
    QObject::connect(table->selectionModel(), &QItemSelectionModel::selectionChanged, table,
                     [this, table] { tableViewSelectionDidChange(table); });
    // Scrolling, and a resize (which changes the scroll range), bring rows into sight.
    const auto fill = [this, table] { fillDuplicateCellsInSight(table); };
    QObject::connect(table->verticalScrollBar(), &QScrollBar::valueChanged, table, fill);
    QObject::connect(table->verticalScrollBar(), &QScrollBar::rangeChanged, table, fill);
    return table;
}

void DuplicateWindow::build() {
    // A sheet: window-modal over the main window, which owns it.
    auto *w = new QDialog(app.mainWindow());
    w->setObjectName(QStringLiteral("dupWindow"));
    w->setWindowTitle(tr("Find Duplicates"));
    w->setWindowModality(Qt::WindowModal);
    w->resize(980, 600);
    dupWindow = w;

    auto *grid = new QGridLayout(w);
    dupGroudImageView = named(new PKImageView(w), "dupWindowBackground");
    dupGroudImageView->setImage(namedImage(QStringLiteral("bgroud.png")));
    grid->addWidget(dupGroudImageView, 0, 0);
    auto *column = new QVBoxLayout;
    column->setContentsMargins(16, 16, 16, 16);
    grid->addLayout(column, 0, 0);

    leftController = new PRArrayController({QStringLiteral("Name"), QStringLiteral("Count")}, w);
    rightController = new PRArrayController({QStringLiteral("File")}, w);
    leftController->setObjectName(QStringLiteral("leftController"));
    rightController->setObjectName(QStringLiteral("rightController"));
    leftTableView = newTable(w, "leftTableView", leftController, 44);
    // The names take the room; the count column as much as its header needs.
    leftTableView->horizontalHeader()->setStretchLastSection(false);
    leftTableView->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    leftTableView->horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    rightTableView = newTable(w, "rightTableView", rightController, 44);
    // Rows dragged out carry their files: a group row all its members.
    rightController->dragFiles = [this](int row) {
        const PRDupFileNodePtr f = rightController->objectAt<PRDupFileNode>(row);
        return f ? QStringList{f->fileFullPath} : QStringList();
    };
    leftController->dragFiles = [this](int row) {
        QStringList paths;
        if (const PRDuplicateNodePtr g = leftController->objectAt<PRDuplicateNode>(row))
            for (const PRDupFileNodePtr &f : g->fileChildren())
                if (!hHasRemoved || !f->bSelected)
                    paths << f->fileFullPath;
        return paths;
    };
    for (QTableView *table : {leftTableView, rightTableView}) {
        table->setDragEnabled(true);
        table->setDragDropMode(QAbstractItemView::DragOnly);
        table->setDefaultDropAction(Qt::CopyAction);
    }

    previewDupContentView = named(new QWidget(w), "previewDupContentView");
    previewDupContentView->setMinimumSize(260, 200);
    auto *stack = new QStackedLayout(previewDupContentView);
    stack->setStackingMode(QStackedLayout::StackAll);
    previewDupImageView = named(new PKImageView(previewDupContentView), "previewDupImageView");
    previewDupImageView->setScaledContents(false);
    previewDupImageView->setAlignment(Qt::AlignCenter);
    previewDupplayerView = named(new QWidget(previewDupContentView), "previewDupplayerView");
    auto *player = new QVBoxLayout(previewDupplayerView);
    player->setContentsMargins(0, 0, 0, 0);
    previewDupFrameView = named(new PKImageView(previewDupplayerView), "previewDupFrameView");
    previewDupFrameView->setScaledContents(false);
    previewDupFrameView->setAlignment(Qt::AlignCenter);
    player->addWidget(previewDupFrameView);
    stack->addWidget(previewDupImageView);
    stack->addWidget(previewDupplayerView);
    previewDupplayerView->hide();
    previewFilePath = named(new QLabel(w), "previewFilePath");
    previewFilePath->setWordWrap(true);
    previewFilePath->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *tables = new QHBoxLayout;
    tables->addWidget(leftTableView, 3);
    tables->addWidget(rightTableView, 4);
    auto *preview = new QVBoxLayout;
    preview->addWidget(previewDupContentView, 1);
    preview->addWidget(previewFilePath);
    tables->addLayout(preview, 3);
    column->addLayout(tables, 1);

    auto *status = new QHBoxLayout;
    scanDupProcesser = named(new QProgressBar(w), "scanDupProcesser");
    scanDupProcesser->setRange(0, 0);
    scanDupProcesser->setMaximumWidth(160);
    scanningDupinfolab = named(new QLabel(tr("Scanning."), w), "scanningDupinfolab");
    duplicateResultlab = named(new QLabel(w), "duplicateResultlab");
    duplicateUnreadablelab = named(new QLabel(w), "duplicateUnreadablelab");
    status->addWidget(scanDupProcesser);
    status->addWidget(scanningDupinfolab);
    status->addWidget(duplicateResultlab);
    status->addWidget(duplicateUnreadablelab, 1);
    autoCheckDupBtn = named(new QPushButton(tr("Auto Check"), w), "autoCheckDupBtn");
    cancelDupBtn = named(new QPushButton(tr("Cancel"), w), "cancelDupBtn");
    deleteDupBtn = named(new QPushButton(tr("Delete Checked Photos"), w), "deleteDupBtn");
    status->addWidget(autoCheckDupBtn);
    status->addWidget(cancelDupBtn);
    status->addWidget(deleteDupBtn);
    column->addLayout(status);
    scanDupProcesser->hide();
    scanningDupinfolab->hide();
    duplicateResultlab->hide();
    duplicateUnreadablelab->hide();

    QObject::connect(autoCheckDupBtn, &QPushButton::clicked, w, [this] { AudoCheckAction(); });
    QObject::connect(cancelDupBtn, &QPushButton::clicked, w, [this] { CLickCancleDupAction(); });
    QObject::connect(deleteDupBtn, &QPushButton::clicked, w, [this] { deleteTickedDuplicates(); });
    // Closing the sheet by its title bar or Escape is a Cancel.
    QObject::connect(w, &QDialog::rejected, w, [this] { CLickCancleDupAction(); });
}
