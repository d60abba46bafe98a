// The duplicate window's tables: the groups, the files of the selected group with their
// ticks, the preview, Auto Check, Cancel and the hand-over of the ticked files.
#include "export/DuplicateWindow.h"

#include "library/LibraryDatabase.h"
#include "library/LibraryWindows.h"
#include "library/core/LibraryDeletion.h"

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

int DuplicateWindow::numberOfRowsInTableView(QTableView *table) const {
    if (table && table == leftTableView)
        return leftController->count();
    if (table && table == rightTableView)
        return rightController->count();
    return 0;
}

QWidget *DuplicateWindow::tableView(QTableView *table, const QString &columnIdentifier, int row) {
    if (row < 0 || !table)
        return nullptr;
    if (table == leftTableView) {
        const PRDuplicateNodePtr g = leftController->objectAt<PRDuplicateNode>(row);
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
            } else if (const QImage *cached = imageCache.object(path)) {
                cell->imageView->setPixmap(QPixmap::fromImage(*cached));
            } else {
                const QImage source = readPicture(path);
                if (source.isNull()) {
                    cell->imageView->setPixmap(cellIcon(path));
                } else {
                    const QImage fitted = groupPicture(source);
                    imageCache.insert(path, new QImage(fitted));
                    cell->imageView->setPixmap(QPixmap::fromImage(fitted));
                }
            }
        }
        return cell;
    }
    if (table == rightTableView) {
        const PRDupFileNodePtr f = rightController->objectAt<PRDupFileNode>(row);
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

void DuplicateWindow::reloadDuplicateTable(QTableView *table) {
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

void DuplicateWindow::fillDuplicateCellsInSight(QTableView *table) {
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

void DuplicateWindow::tableViewSelectionDidChange(QTableView *table) {
    if (table == leftTableView) {
        const int r = selectedRow(leftTableView);
        if (r < 0 || r >= leftController->count())
            return;
        const PRDuplicateNodePtr group = leftController->objectAt<PRDuplicateNode>(r);
        bPreivewFlag = true;
        rightController->removeAllObjects();
        QList<PRDupFileNodePtr> files;
        for (const PRDupFileNodePtr &f : group->fileChildren())
            // After a deletion the ticked files are gone from the library.
            if (!hHasRemoved || !f->bSelected)
                files << f;
        rightController->addObjects(files);
        rightTableView->clearSelection();
        reloadDuplicateTable(rightTableView);
        bPreivewFlag = false;
        if (files.isEmpty())
            return;
        previewFilePath->setText(
            QStringLiteral("Original Photo Path: %1").arg(files.first()->fileFullPath));
        showDuplicatePreview(files.first()->filePath);
        return;
    }
    if (table == rightTableView) {
        if (bPreivewFlag)
            return;
        const int r = selectedRow(rightTableView);
        const PRDupFileNodePtr f = rightController->objectAt<PRDupFileNode>(r);
        if (!f)
            return;
        previewFilePath->setText(QStringLiteral("Original Photo Path: %1").arg(f->fileFullPath));
        showDuplicatePreview(f->fileFullPath);
    }
}

void DuplicateWindow::showDuplicatePreview(const QString &path) {
    const QString ext = QFileInfo(path).suffix();
    if (GetDragImageType(ext) >= 0) {
        previewDupImageView->show();
        previewDupplayerView->hide();
        const QImage image = readPicture(path);
        if (image.isNull())
            previewDupImageView->setImage(fileIcon(path, 256));
        else
            previewDupImageView->setImage(QPixmap::fromImage(image).scaled(
                previewDupContentView->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
    } else if (GetViedoType(ext) >= 0) {
        previewDupImageView->hide();
        previewDupplayerView->show();
        const QImage frame = firstVideoFrame(path);
        if (frame.isNull())
            previewDupFrameView->setImage(fileIcon(path, 256));
        else
            previewDupFrameView->setImage(QPixmap::fromImage(frame).scaled(
                previewDupContentView->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
    } else {
        previewDupImageView->show();
        previewDupplayerView->hide();
        previewDupImageView->setImage(fileIcon(path, 256));
    }
    previewDupImageView->setProperty("previewPath", path);
}

void DuplicateWindow::AudoCheckAction() {
    const QList<PRDuplicateNodePtr> groups = leftController->arrangedObjects<PRDuplicateNode>();
    if (bClickAutoCheck) {
        for (const PRDuplicateNodePtr &g : groups)
            for (const PRDupFileNodePtr &f : g->fileChildren())
                f->bSelected = false;
        bClickAutoCheck = false;
    } else {
        // The first file, first of the group in browser order, is the one kept.
        for (const PRDuplicateNodePtr &g : groups)
            for (qsizetype i = g->fileChildren().size() - 1; i >= 1; --i)
                g->fileChildren().at(i)->bSelected = true;
        bClickAutoCheck = true;
    }
    reloadDuplicateTable(leftTableView);
    reloadDuplicateTable(rightTableView);
}

void DuplicateWindow::CLickCancleDupAction() {
    if (dupWindow)
        dupWindow->hide();
    // A scan left behind would fill the closed window and pop its alert over nothing.
    stopDuplicateScan();
    clearDuplicateTables();
}

void DuplicateWindow::clearDuplicateTables() {
    if (!leftController || !rightController)
        return;
    leftController->removeAllObjects();
    rightController->removeAllObjects();
    reloadDuplicateTable(leftTableView);
    reloadDuplicateTable(rightTableView);
}

void DuplicateWindow::deleteTickedDuplicates() {
    QList<PRDupFileNodePtr> ticked;
    for (const PRDuplicateNodePtr &g : leftController->arrangedObjects<PRDuplicateNode>())
        for (const PRDupFileNodePtr &f : g->fileChildren())
            if (f->bSelected)
                ticked << f;
    if (onDeleteTickedDuplicates) {
        if (onDeleteTickedDuplicates(ticked))
            hHasRemoved = true;
        return;
    }
    DeleteDuplicatePhotosinPhotoLibraryAction();
}

void DuplicateWindow::DeleteDuplicatePhotosinPhotoLibraryAction() {
    if (database.CheckPhotosApplicationRun()) {
        database.showQuitPhotosOffer();
        return;
    }
    QList<IKImageItemPtr> ticked;
    for (const PRDuplicateNodePtr &group : sameFileArray)
        if (group)
            for (const PRDupFileNodePtr &file : group->fileChildren())
                if (file && file->bSelected && file->theItem)
                    ticked << file->theItem;
    const LibraryDeletionReport report = libraryWindows.deleteLibraryPhotos(ticked, false, true);
    if (report.ok) {
        hHasRemoved = true;
        if (dupWindow)
            dupWindow->hide();
        sameFileArray.clear();
        clearDuplicateTables();
        if (previewDupImageView)
            previewDupImageView->setImage(QPixmap());
    }
    libraryWindows.showLibraryDeletionResult(
        report, tr("The selected duplicate photo(s) has been removed from Photo "
                   "Library."));
}
