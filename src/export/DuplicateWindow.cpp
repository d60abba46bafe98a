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
                     [&d, table] { d.duplicateWindow.tableViewSelectionDidChange(table); });
    // Scrolling, and a resize (which changes the scroll range), bring rows into sight.
    const auto fill = [&d, table] { d.duplicateWindow.fillDuplicateCellsInSight(table); };
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
    d.duplicateWindow.dupWindow = w;

    auto *grid = new QGridLayout(w);
    d.duplicateWindow.dupGroudImageView = named(new PKImageView(w), "dupWindowBackground");
    grid->addWidget(d.duplicateWindow.dupGroudImageView, 0, 0);
    auto *column = new QVBoxLayout;
    column->setContentsMargins(16, 16, 16, 16);
    grid->addLayout(column, 0, 0);

    d.duplicateWindow.leftController =
        new PRArrayController({QStringLiteral("Name"), QStringLiteral("Count")}, w);
    d.duplicateWindow.rightController = new PRArrayController({QStringLiteral("File")}, w);
    d.duplicateWindow.leftController->setObjectName(QStringLiteral("leftController"));
    d.duplicateWindow.rightController->setObjectName(QStringLiteral("rightController"));
    d.duplicateWindow.leftTableView =
        newTable(d, w, "leftTableView", d.duplicateWindow.leftController, 44);
    // The names take the room; the count column as much as its header needs.
    d.duplicateWindow.leftTableView->horizontalHeader()->setStretchLastSection(false);
    d.duplicateWindow.leftTableView->horizontalHeader()->setSectionResizeMode(0,
                                                                              QHeaderView::Stretch);
    d.duplicateWindow.leftTableView->horizontalHeader()->setSectionResizeMode(
        1, QHeaderView::ResizeToContents);
    d.duplicateWindow.rightTableView =
        newTable(d, w, "rightTableView", d.duplicateWindow.rightController, 44);
    // Rows dragged out carry their files: a group row all its members.
    d.duplicateWindow.rightController->dragFiles = [&d](int row) {
        const PRDupFileNodePtr f = d.duplicateWindow.rightController->objectAt<PRDupFileNode>(row);
        return f ? QStringList{f->fileFullPath} : QStringList();
    };
    d.duplicateWindow.leftController->dragFiles = [&d](int row) {
        QStringList paths;
        if (const PRDuplicateNodePtr g =
                d.duplicateWindow.leftController->objectAt<PRDuplicateNode>(row))
            for (const PRDupFileNodePtr &f : g->fileChildren())
                if (!d.duplicateWindow.hHasRemoved || !f->bSelected)
                    paths << f->fileFullPath;
        return paths;
    };
    for (QTableView *table : {d.duplicateWindow.leftTableView, d.duplicateWindow.rightTableView}) {
        table->setDragEnabled(true);
        table->setDragDropMode(QAbstractItemView::DragOnly);
        table->setDefaultDropAction(Qt::CopyAction);
    }

    d.duplicateWindow.previewDupContentView = named(new QWidget(w), "previewDupContentView");
    d.duplicateWindow.previewDupContentView->setMinimumSize(260, 200);
    auto *stack = new QStackedLayout(d.duplicateWindow.previewDupContentView);
    stack->setStackingMode(QStackedLayout::StackAll);
    d.duplicateWindow.previewDupImageView =
        named(new PKImageView(d.duplicateWindow.previewDupContentView), "previewDupImageView");
    d.duplicateWindow.previewDupImageView->setScaledContents(false);
    d.duplicateWindow.previewDupImageView->setAlignment(Qt::AlignCenter);
    d.duplicateWindow.previewDupplayerView =
        named(new QWidget(d.duplicateWindow.previewDupContentView), "previewDupplayerView");
    auto *player = new QVBoxLayout(d.duplicateWindow.previewDupplayerView);
    player->setContentsMargins(0, 0, 0, 0);
    d.duplicateWindow.previewDupFrameView =
        named(new PKImageView(d.duplicateWindow.previewDupplayerView), "previewDupFrameView");
    d.duplicateWindow.previewDupFrameView->setScaledContents(false);
    d.duplicateWindow.previewDupFrameView->setAlignment(Qt::AlignCenter);
    player->addWidget(d.duplicateWindow.previewDupFrameView);
    stack->addWidget(d.duplicateWindow.previewDupImageView);
    stack->addWidget(d.duplicateWindow.previewDupplayerView);
    d.duplicateWindow.previewDupplayerView->hide();
    d.duplicateWindow.previewFilePath = named(new QLabel(w), "previewFilePath");
    d.duplicateWindow.previewFilePath->setWordWrap(true);
    d.duplicateWindow.previewFilePath->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *tables = new QHBoxLayout;
    tables->addWidget(d.duplicateWindow.leftTableView, 3);
    tables->addWidget(d.duplicateWindow.rightTableView, 4);
    auto *preview = new QVBoxLayout;
    preview->addWidget(d.duplicateWindow.previewDupContentView, 1);
    preview->addWidget(d.duplicateWindow.previewFilePath);
    tables->addLayout(preview, 3);
    column->addLayout(tables, 1);

    auto *status = new QHBoxLayout;
    d.duplicateWindow.scanDupProcesser = named(new QProgressBar(w), "scanDupProcesser");
    d.duplicateWindow.scanDupProcesser->setRange(0, 0);
    d.duplicateWindow.scanDupProcesser->setMaximumWidth(160);
    d.duplicateWindow.scanningDupinfolab =
        named(new QLabel(AppDelegate::tr("Scanning."), w), "scanningDupinfolab");
    d.duplicateWindow.duplicateResultlab = named(new QLabel(w), "duplicateResultlab");
    d.duplicateWindow.duplicateUnreadablelab = named(new QLabel(w), "duplicateUnreadablelab");
    status->addWidget(d.duplicateWindow.scanDupProcesser);
    status->addWidget(d.duplicateWindow.scanningDupinfolab);
    status->addWidget(d.duplicateWindow.duplicateResultlab);
    status->addWidget(d.duplicateWindow.duplicateUnreadablelab, 1);
    d.duplicateWindow.autoCheckDupBtn =
        named(new QPushButton(AppDelegate::tr("Auto Check"), w), "autoCheckDupBtn");
    d.duplicateWindow.cancelDupBtn =
        named(new QPushButton(AppDelegate::tr("Cancel"), w), "cancelDupBtn");
    d.duplicateWindow.deleteDupBtn =
        named(new QPushButton(AppDelegate::tr("Delete Checked Photos"), w), "deleteDupBtn");
    status->addWidget(d.duplicateWindow.autoCheckDupBtn);
    status->addWidget(d.duplicateWindow.cancelDupBtn);
    status->addWidget(d.duplicateWindow.deleteDupBtn);
    column->addLayout(status);
    d.duplicateWindow.scanDupProcesser->hide();
    d.duplicateWindow.scanningDupinfolab->hide();
    d.duplicateWindow.duplicateResultlab->hide();
    d.duplicateWindow.duplicateUnreadablelab->hide();

    QObject::connect(d.duplicateWindow.autoCheckDupBtn, &QPushButton::clicked, &d,
                     &AppDelegate::forward<&DuplicateWindowPart::AudoCheckAction>);
    QObject::connect(d.duplicateWindow.cancelDupBtn, &QPushButton::clicked, &d,
                     &AppDelegate::forward<&DuplicateWindowPart::CLickCancleDupAction>);
    QObject::connect(d.duplicateWindow.deleteDupBtn, &QPushButton::clicked, &d,
                     &AppDelegate::forward<&DuplicateWindowPart::deleteTickedDuplicates>);
    // Closing the sheet by its title bar or Escape is a Cancel.
    QObject::connect(w, &QDialog::rejected, &d,
                     &AppDelegate::forward<&DuplicateWindowPart::CLickCancleDupAction>);
}
