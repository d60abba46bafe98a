#include "browser/LocalPhotoModel.h"

#include "platform/core/JobRunner.h"
#include "platform/core/Thumbnails.h"

#include <QApplication>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QHash>
#include <QSize>
#include <QStyle>

namespace {
constexpr int kThumbSide = 170; // twice the cell, for sharp cells on dense screens

// Asked on every paint of a cell still waiting for its picture: made once.
QIcon fileIcon(const QString &path) {
    static QFileIconProvider provider;
    // One per kind of file: asking the provider reads the file's details every time.
    static QHash<QString, QIcon> bySuffix;
    const QString suffix = QFileInfo(path).suffix().toLower();
    auto it = bySuffix.find(suffix);
    if (it == bySuffix.end())
        it = bySuffix.insert(suffix, provider.icon(QFileInfo(path)));
    return *it;
}
} // namespace

LocalPhotoModel::LocalPhotoModel(const QList<IKImageItemPtr> *items, QObject *parent)
    : QAbstractListModel(parent), m_items(items) {}

int LocalPhotoModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(std::min<qsizetype>(m_shownCount, m_items->size()));
}

QVariant LocalPhotoModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || index.row() >= m_items->size())
        return {};
    const IKImageItemPtr &item = m_items->at(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return item->imageTitle();
    case Qt::ToolTipRole:
        if (!item->rare().unreadableReason.isEmpty())
            return QStringLiteral("%1\n%2").arg(item->filePath, item->rare().unreadableReason);
        // Where the photo's edits went, beside where it came from.
        if (item->currentPath() != item->filePath)
            return tr("%1\nEdited copy: %2").arg(item->filePath, item->rare().editedCopyPath);
        return item->filePath;
    case Qt::SizeHintRole:
        // Every cell the size of the grid's: with uniform sizes the first cell's own hint
        // would decide for all, and a one-line title there cuts two-line titles elsewhere.
        return QSize(105, 115);
    case Qt::DecorationRole: {
        if (!item->rare().unreadableReason.isEmpty())
            return QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
        if (!item->rare().fileImage.isNull())
            return item->rare().fileImage;
        const QString path = picturePath(*item);
        if (QImage *cached = m_thumbnails.object(path))
            return cached->isNull() ? QVariant(fileIcon(path)) : QVariant(*cached);
        requestThumbnail(path);
        return fileIcon(path);
    }
    default:
        return {};
    }
}

void LocalPhotoModel::reload() {
    const int now = int(m_items->size());
    // An append keeps the rows already shown: same count before, same first and last item.
    const bool appended =
        now > m_shownCount &&
        (m_shownCount == 0 || (m_shownPrefix.size() == 2 && m_items->at(0) == m_shownPrefix[0] &&
                               m_items->at(m_shownCount - 1) == m_shownPrefix[1]));
    if (appended) {
        beginInsertRows(QModelIndex(), m_shownCount, now - 1);
        m_shownCount = now;
        endInsertRows();
    } else {
        beginResetModel();
        m_shownCount = now;
        endResetModel();
    }
    m_shownPrefix.clear();
    if (now > 0)
        m_shownPrefix = {m_items->first(), m_items->last()};
}

QString LocalPhotoModel::picturePath(const IKImageItem &item) {
    // An edited photo shows its latest copy.
    return item.rare().editedCopyPath.isEmpty() ? item.imageRepresentation() : item.currentPath();
}

void LocalPhotoModel::refreshItem(const IKImageItemPtr &item) {
    if (!item)
        return;
    for (const QString &path : {item->imageRepresentation(), picturePath(*item)}) {
        m_thumbnails.remove(path);
        m_pending.remove(path); // a picture still being made may be of the old file
        m_rewritten.insert(path);
    }
    const qsizetype row = m_items->indexOf(item);
    if (row >= 0 && row < rowCount())
        emit dataChanged(index(int(row)), index(int(row)), {Qt::DecorationRole});
}

void LocalPhotoModel::requestThumbnail(const QString &path) const {
    if (path.isEmpty() || m_pending.contains(path))
        return;
    m_pending.insert(path);
    QPointer<const LocalPhotoModel> self(this);
    // A HEIC is decoded tile by tile straight to cell size in a few megabytes, so a core's
    // worth run side by side.
    const bool rewritten = m_rewritten.contains(path);
    const auto lane =
        Thumbnails::isSlowToMake(path) ? JobRunner::Lane::SlowPictures : JobRunner::Lane::Pictures;
    JobRunner::runOn(lane, [self, path, rewritten] {
        QImage thumb = rewritten ? QImage() : Thumbnails::cached(path);
        QImage toStore;
        if (thumb.isNull())
            thumb = Thumbnails::make(path, kThumbSide, &toStore);
        if (!thumb.isNull()) {
            // Drawn at the cell's size, kept sharp on dense screens.
            thumb =
                thumb.scaled(kThumbSide, kThumbSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
            thumb.setDevicePixelRatio(2.0);
        }
        JobRunner::handTo(self, [self, path, thumb] {
            auto *model = const_cast<LocalPhotoModel *>(self.data());
            model->m_pending.remove(path);
            model->m_rewritten.remove(path);
            model->m_thumbnails.insert(path, new QImage(thumb));
            // One signal for the list: the view repaints only the cells it shows, and a
            // long list is not walked once per arriving picture.
            if (!model->m_items->isEmpty())
                emit model->dataChanged(model->index(0),
                                        model->index(int(model->m_items->size()) - 1),
                                        {Qt::DecorationRole});
        });
        // The cell first, the desktop's cache after.
        Thumbnails::store(path, toStore);
    });
}
