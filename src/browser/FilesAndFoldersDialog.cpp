#include "browser/FilesAndFoldersDialog.h"

#include <QAbstractItemView>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QSortFilterProxyModel>

FilesAndFoldersDialog::FilesAndFoldersDialog(QWidget *parent, const QString &caption)
    : QFileDialog(parent, caption) {
    setOption(QFileDialog::DontUseNativeDialog, true);
    setFileMode(QFileDialog::ExistingFiles);
}

QStringList FilesAndFoldersDialog::selectedInView() const {
    QStringList paths;
    for (const char *name : {"listView", "treeView"}) {
        auto *view = findChild<QAbstractItemView *>(QLatin1String(name));
        if (!view || !view->isVisibleTo(this) || !view->selectionModel())
            continue;
        const auto *proxy = qobject_cast<const QSortFilterProxyModel *>(view->model());
        const auto *files =
            qobject_cast<const QFileSystemModel *>(proxy ? proxy->sourceModel() : view->model());
        if (!files)
            continue;
        for (const QModelIndex &index : view->selectionModel()->selectedRows()) {
            const QModelIndex source = proxy ? proxy->mapToSource(index) : index;
            paths << files->filePath(source);
        }
        if (!paths.isEmpty())
            break;
    }
    return paths;
}

void FilesAndFoldersDialog::accept() {
    const QStringList inView = selectedInView();
    bool anyFolder = false;
    for (const QString &path : inView)
        anyFolder = anyFolder || QFileInfo(path).isDir();
    if (anyFolder) {
        m_chosen = inView;
        QDialog::accept();
        return;
    }
    QFileDialog::accept();
    if (result() == QDialog::Accepted)
        m_chosen = selectedFiles();
}
