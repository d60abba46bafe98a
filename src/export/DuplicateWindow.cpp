// The duplicate finder window: a sheet over the main window with the group table, the
// file table of the selected group, a preview and the result of the last scan.
#include "app/AppDelegate.h"
#include "app/WindowDescription.h"
#include "export/PRArrayController.h"
#include "model/PRDuplicateNode.h"

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

QTableView *newTable(AppDelegate &d, QWidget *parent, const char *name,
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
    QObject::connect(table->selectionModel(), &QItemSelectionModel::selectionChanged, &d,
                     [&d, table] { d.tableViewSelectionDidChange(table); });
    // Scrolling, and a resize (which changes the scroll range), bring rows into sight.
    const auto fill = [&d, table] { d.fillDuplicateCellsInSight(table); };
    QObject::connect(table->verticalScrollBar(), &QScrollBar::valueChanged, &d, fill);
    QObject::connect(table->verticalScrollBar(), &QScrollBar::rangeChanged, &d, fill);
    return table;
}
} // namespace

void buildDuplicateWindow(AppDelegate &d) {
    // A sheet: window-modal over the main window, which owns it.
    auto *w = new QDialog(d.window);
    w->setObjectName(QStringLiteral("dupWindow"));
    w->setWindowTitle(AppDelegate::tr("Find Duplicates"));
    w->setWindowModality(Qt::WindowModal);
    w->resize(980, 600);
    d.dupWindow = w;

    auto *grid = new QGridLayout(w);
    d.dupGroudImageView = named(new PKImageView(w), "dupWindowBackground");
    grid->addWidget(d.dupGroudImageView, 0, 0);
    auto *column = new QVBoxLayout;
    column->setContentsMargins(16, 16, 16, 16);
    grid->addLayout(column, 0, 0);

    d.leftController = new PRArrayController({QStringLiteral("Name"), QStringLiteral("Count")}, w);
    d.rightController = new PRArrayController({QStringLiteral("File")}, w);
    d.leftController->setObjectName(QStringLiteral("leftController"));
    d.rightController->setObjectName(QStringLiteral("rightController"));
    d.leftTableView = newTable(d, w, "leftTableView", d.leftController, 44);
    // The names take the room; the count column as much as its header needs.
    d.leftTableView->horizontalHeader()->setStretchLastSection(false);
    d.leftTableView->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    d.leftTableView->horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    d.rightTableView = newTable(d, w, "rightTableView", d.rightController, 44);
    // Rows dragged out carry their files: a group row all its members.
    d.rightController->dragFiles = [&d](int row) {
        const PRDupFileNodePtr f = d.rightController->objectAt<PRDupFileNode>(row);
        return f ? QStringList{f->fileFullPath} : QStringList();
    };
    d.leftController->dragFiles = [&d](int row) {
        QStringList paths;
        if (const PRDuplicateNodePtr g = d.leftController->objectAt<PRDuplicateNode>(row))
            for (const PRDupFileNodePtr &f : g->fileChildren())
                if (!d.hHasRemoved || !f->bSelected)
                    paths << f->fileFullPath;
        return paths;
    };
    for (QTableView *table : {d.leftTableView, d.rightTableView}) {
        table->setDragEnabled(true);
        table->setDragDropMode(QAbstractItemView::DragOnly);
        table->setDefaultDropAction(Qt::CopyAction);
    }

    d.previewDupContentView = named(new QWidget(w), "previewDupContentView");
    d.previewDupContentView->setMinimumSize(260, 200);
    auto *stack = new QStackedLayout(d.previewDupContentView);
    stack->setStackingMode(QStackedLayout::StackAll);
    d.previewDupImageView = named(new PKImageView(d.previewDupContentView), "previewDupImageView");
    d.previewDupImageView->setScaledContents(false);
    d.previewDupImageView->setAlignment(Qt::AlignCenter);
    d.previewDupplayerView = named(new QWidget(d.previewDupContentView), "previewDupplayerView");
    auto *player = new QVBoxLayout(d.previewDupplayerView);
    player->setContentsMargins(0, 0, 0, 0);
    d.previewDupFrameView = named(new PKImageView(d.previewDupplayerView), "previewDupFrameView");
    d.previewDupFrameView->setScaledContents(false);
    d.previewDupFrameView->setAlignment(Qt::AlignCenter);
    player->addWidget(d.previewDupFrameView);
    stack->addWidget(d.previewDupImageView);
    stack->addWidget(d.previewDupplayerView);
    d.previewDupplayerView->hide();
    d.previewFilePath = named(new QLabel(w), "previewFilePath");
    d.previewFilePath->setWordWrap(true);
    d.previewFilePath->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *tables = new QHBoxLayout;
    tables->addWidget(d.leftTableView, 3);
    tables->addWidget(d.rightTableView, 4);
    auto *preview = new QVBoxLayout;
    preview->addWidget(d.previewDupContentView, 1);
    preview->addWidget(d.previewFilePath);
    tables->addLayout(preview, 3);
    column->addLayout(tables, 1);

    auto *status = new QHBoxLayout;
    d.scanDupProcesser = named(new QProgressBar(w), "scanDupProcesser");
    d.scanDupProcesser->setRange(0, 0);
    d.scanDupProcesser->setMaximumWidth(160);
    d.scanningDupinfolab = named(new QLabel(AppDelegate::tr("Scanning."), w), "scanningDupinfolab");
    d.duplicateResultlab = named(new QLabel(w), "duplicateResultlab");
    d.duplicateUnreadablelab = named(new QLabel(w), "duplicateUnreadablelab");
    status->addWidget(d.scanDupProcesser);
    status->addWidget(d.scanningDupinfolab);
    status->addWidget(d.duplicateResultlab);
    status->addWidget(d.duplicateUnreadablelab, 1);
    d.autoCheckDupBtn = named(new QPushButton(AppDelegate::tr("Auto Check"), w), "autoCheckDupBtn");
    d.cancelDupBtn = named(new QPushButton(AppDelegate::tr("Cancel"), w), "cancelDupBtn");
    d.deleteDupBtn =
        named(new QPushButton(AppDelegate::tr("Delete Checked Photos"), w), "deleteDupBtn");
    status->addWidget(d.autoCheckDupBtn);
    status->addWidget(d.cancelDupBtn);
    status->addWidget(d.deleteDupBtn);
    column->addLayout(status);
    d.scanDupProcesser->hide();
    d.scanningDupinfolab->hide();
    d.duplicateResultlab->hide();
    d.duplicateUnreadablelab->hide();

    QObject::connect(d.autoCheckDupBtn, &QPushButton::clicked, &d, &AppDelegate::AudoCheckAction);
    QObject::connect(d.cancelDupBtn, &QPushButton::clicked, &d, &AppDelegate::CLickCancleDupAction);
    QObject::connect(d.deleteDupBtn, &QPushButton::clicked, &d,
                     &AppDelegate::deleteTickedDuplicates);
    // Closing the sheet by its title bar or Escape is a Cancel.
    QObject::connect(w, &QDialog::rejected, &d, &AppDelegate::CLickCancleDupAction);
}
