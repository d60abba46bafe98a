// The duplicate window's tables: the groups, the files of the selected group with their
// ticks, the preview, Auto Check, Cancel and the hand-over of the ticked files.
#include "app/AppDelegate.h"

#include "base/FileTypes.h"
#include "base/SharedHelpers.h"
#include "export/DuplicateCells.h"
#include "export/PRArrayController.h"
#include "platform/AlertSheet.h"
#include "platform/ImageView.h"
#include "platform/core/VideoFrame.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QImageReader>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QStyle>
#include <QTableView>

namespace {
QPixmap fileIcon(const QString &path, int side) {
    static QFileIconProvider provider;
    QIcon icon = provider.icon(QFileInfo(path));
    // Without an icon theme (a bare desktop) the style's plain file icon stands in.
    if (icon.pixmap(side, side).isNull())
        icon = QApplication::style()->standardIcon(QStyle::SP_FileIcon);
    return icon.pixmap(side, side);
}

// A file icon drawn into the group cell's picture box, whole.
QPixmap cellIcon(const QString &path) {
    return fileIcon(path, 128).scaled(48, 36, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

QImage readPicture(const QString &path) {
    QImageReader reader(path);
    reader.setAutoTransform(true);
    return reader.read();
}

// The group's picture: the whole thumbnail in a box 48 wide or 36 high.
QImage groupPicture(const QImage &source) {
    const int w = source.width(), h = source.height();
    const int fw = w > h ? 48 : qRound(w * 48.0 / h);
    const int fh = w > h ? qRound(h * 36.0 / w) : 36;
    QImage out(qMax(fw, 1), qMax(fh, 1), QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    QPainter p(&out);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(QRect(0, 0, fw, fh), source);
    return out;
}

int selectedRow(QTableView *table) {
    const QModelIndexList rows = table->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

QLabel *whiteText(const QString &text) {
    auto *l = new QLabel(text);
    l->setStyleSheet(QStringLiteral("color: white;"));
    return l;
}
} // namespace

int AppDelegate::numberOfRowsInTableView(QTableView *table) const {
    if (table && table == duplicateWindow.leftTableView)
        return duplicateWindow.leftController->count();
    if (table && table == duplicateWindow.rightTableView)
        return duplicateWindow.rightController->count();
    return 0;
}

QWidget *AppDelegate::tableView(QTableView *table, const QString &columnIdentifier, int row) {
    if (row < 0 || !table)
        return nullptr;
    if (table == duplicateWindow.leftTableView) {
        const PRDuplicateNodePtr g = duplicateWindow.leftController->objectAt<PRDuplicateNode>(row);
        if (!g)
            return nullptr;
        if (columnIdentifier == QLatin1String("Count"))
            return whiteText(QString::number(g->fileChildren().size()));
        if (columnIdentifier != QLatin1String("Name"))
            return nullptr;
        auto *cell = new PRDupNameCellView;
        if (!g->fileName.isEmpty())
            cell->fileNamelab->setText(g->fileName);
        if (!g->fileSize.isEmpty())
            cell->fileSizelab->setText(g->fileSize);
        if (!g->filePath.isEmpty()) {
            const QString &path = g->filePath;
            if (GetDragImageType(QFileInfo(path).suffix()) < 0) {
                cell->imageView->setPixmap(cellIcon(path));
            } else if (const QImage *cached = duplicateWindow.imageCache.object(path)) {
                cell->imageView->setPixmap(QPixmap::fromImage(*cached));
            } else {
                const QImage source = readPicture(path);
                if (source.isNull()) {
                    cell->imageView->setPixmap(cellIcon(path));
                } else {
                    const QImage fitted = groupPicture(source);
                    duplicateWindow.imageCache.insert(path, new QImage(fitted));
                    cell->imageView->setPixmap(QPixmap::fromImage(fitted));
                }
            }
        }
        return cell;
    }
    if (table == duplicateWindow.rightTableView) {
        const PRDupFileNodePtr f = duplicateWindow.rightController->objectAt<PRDupFileNode>(row);
        if (!f)
            return nullptr;
        auto *cell = new PRDupFilePathCellView;
        const QFileInfo info(f->fileFullPath);
        const qint64 size = info.exists() ? info.size() : 0;
        cell->fileNamelab->setText(size < 1 ? QStringLiteral("0 KB")
                                            : sizeToUnitString(uint64_t(size)));
        cell->textField->setText(f->fileName.isNull() ? QStringLiteral("") : f->fileName);
        if (info.exists())
            cell->fileDatelab->setText(
                QLocale().toString(info.lastModified(), QLocale::ShortFormat));
        cell->checkBtn->setChecked(f->bSelected);
        cell->fileNode = f;
        return cell;
    }
    return nullptr;
}

void AppDelegate::reloadDuplicateTable(QTableView *table) {
    auto *controller = qobject_cast<PRArrayController *>(table->model());
    if (!controller)
        return;
    for (int row = 0; row < controller->count(); ++row)
        for (int column = 0; column < controller->columnCount(); ++column)
            if (table->indexWidget(controller->index(row, column)))
                table->setIndexWidget(controller->index(row, column), nullptr);
    fillDuplicateCellsInSight(table);
    table->viewport()->update();
}

void AppDelegate::fillDuplicateCellsInSight(QTableView *table) {
    auto *controller = qobject_cast<PRArrayController *>(table->model());
    if (!controller || controller->count() == 0)
        return;
    const int first = qMax(0, table->rowAt(0));
    int last = table->rowAt(table->viewport()->height() - 1);
    if (last < 0)
        last = controller->count() - 1;
    for (int row = first; row <= last; ++row)
        for (int column = 0; column < controller->columnCount(); ++column) {
            const QModelIndex index = controller->index(row, column);
            if (!table->indexWidget(index))
                table->setIndexWidget(index,
                                      tableView(table, controller->columnIdentifier(column), row));
        }
}

void AppDelegate::tableViewSelectionDidChange(QTableView *table) {
    if (table == duplicateWindow.leftTableView) {
        const int r = selectedRow(duplicateWindow.leftTableView);
        if (r < 0 || r >= duplicateWindow.leftController->count())
            return;
        const PRDuplicateNodePtr group =
            duplicateWindow.leftController->objectAt<PRDuplicateNode>(r);
        mainWindow.bPreivewFlag = true;
        duplicateWindow.rightController->removeAllObjects();
        QList<PRDupFileNodePtr> files;
        for (const PRDupFileNodePtr &f : group->fileChildren())
            // After a deletion the ticked files are gone from the library.
            if (!duplicateWindow.hHasRemoved || !f->bSelected)
                files << f;
        duplicateWindow.rightController->addObjects(files);
        duplicateWindow.rightTableView->clearSelection();
        reloadDuplicateTable(duplicateWindow.rightTableView);
        mainWindow.bPreivewFlag = false;
        if (files.isEmpty())
            return;
        duplicateWindow.previewFilePath->setText(
            QStringLiteral("Original Photo Path: %1").arg(files.first()->fileFullPath));
        showDuplicatePreview(files.first()->filePath);
        return;
    }
    if (table == duplicateWindow.rightTableView) {
        if (mainWindow.bPreivewFlag)
            return;
        const int r = selectedRow(duplicateWindow.rightTableView);
        const PRDupFileNodePtr f = duplicateWindow.rightController->objectAt<PRDupFileNode>(r);
        if (!f)
            return;
        duplicateWindow.previewFilePath->setText(
            QStringLiteral("Original Photo Path: %1").arg(f->fileFullPath));
        showDuplicatePreview(f->fileFullPath);
    }
}

void AppDelegate::showDuplicatePreview(const QString &path) {
    const QString ext = QFileInfo(path).suffix();
    if (GetDragImageType(ext) >= 0) {
        duplicateWindow.previewDupImageView->show();
        duplicateWindow.previewDupplayerView->hide();
        const QImage image = readPicture(path);
        if (image.isNull())
            duplicateWindow.previewDupImageView->setImage(fileIcon(path, 256));
        else
            duplicateWindow.previewDupImageView->setImage(
                QPixmap::fromImage(image).scaled(duplicateWindow.previewDupContentView->size(),
                                                 Qt::KeepAspectRatio, Qt::SmoothTransformation));
    } else if (GetViedoType(ext) >= 0) {
        duplicateWindow.previewDupImageView->hide();
        duplicateWindow.previewDupplayerView->show();
        const QImage frame = firstVideoFrame(path);
        if (frame.isNull())
            duplicateWindow.previewDupFrameView->setImage(fileIcon(path, 256));
        else
            duplicateWindow.previewDupFrameView->setImage(
                QPixmap::fromImage(frame).scaled(duplicateWindow.previewDupContentView->size(),
                                                 Qt::KeepAspectRatio, Qt::SmoothTransformation));
    } else {
        duplicateWindow.previewDupImageView->show();
        duplicateWindow.previewDupplayerView->hide();
        duplicateWindow.previewDupImageView->setImage(fileIcon(path, 256));
    }
    duplicateWindow.previewDupImageView->setProperty("previewPath", path);
}

void AppDelegate::AudoCheckAction() {
    const QList<PRDuplicateNodePtr> groups =
        duplicateWindow.leftController->arrangedObjects<PRDuplicateNode>();
    if (duplicateWindow.bClickAutoCheck) {
        for (const PRDuplicateNodePtr &g : groups)
            for (const PRDupFileNodePtr &f : g->fileChildren())
                f->bSelected = false;
        duplicateWindow.bClickAutoCheck = false;
    } else {
        // The first file, first of the group in browser order, is the one kept.
        for (const PRDuplicateNodePtr &g : groups)
            for (qsizetype i = g->fileChildren().size() - 1; i >= 1; --i)
                g->fileChildren().at(i)->bSelected = true;
        duplicateWindow.bClickAutoCheck = true;
    }
    reloadDuplicateTable(duplicateWindow.leftTableView);
    reloadDuplicateTable(duplicateWindow.rightTableView);
}

void AppDelegate::CLickCancleDupAction() {
    if (duplicateWindow.dupWindow)
        duplicateWindow.dupWindow->hide();
    // A scan left behind would fill the closed window and pop its alert over nothing.
    stopDuplicateScan();
    clearDuplicateTables();
}

void AppDelegate::clearDuplicateTables() {
    if (!duplicateWindow.leftController || !duplicateWindow.rightController)
        return;
    duplicateWindow.leftController->removeAllObjects();
    duplicateWindow.rightController->removeAllObjects();
    reloadDuplicateTable(duplicateWindow.leftTableView);
    reloadDuplicateTable(duplicateWindow.rightTableView);
}

void AppDelegate::deleteTickedDuplicates() {
    QList<PRDupFileNodePtr> ticked;
    for (const PRDuplicateNodePtr &g :
         duplicateWindow.leftController->arrangedObjects<PRDuplicateNode>())
        for (const PRDupFileNodePtr &f : g->fileChildren())
            if (f->bSelected)
                ticked << f;
    if (duplicateWindow.onDeleteTickedDuplicates) {
        duplicateWindow.onDeleteTickedDuplicates(ticked);
        return;
    }
    DeleteDuplicatePhotosinPhotoLibraryAction();
}
