#include "browser/LocalPhotoModel.h"

#include "platform/core/ImageSource.h"

#include <QApplication>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QStyle>
#include <QtConcurrent/QtConcurrentRun>

namespace {
constexpr int kThumbSide = 170; // twice the cell, for sharp cells on dense screens

// Asked on every paint of a cell still waiting for its picture: made once.
QIcon fileIcon(const QString &path) {
    static QFileIconProvider provider;
    return provider.icon(QFileInfo(path));
}
} // namespace

LocalPhotoModel::LocalPhotoModel(const QList<IKImageItemPtr> *items, QObject *parent)
    : QAbstractListModel(parent), m_items(items) {}

int LocalPhotoModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(m_items->size());
}

QVariant LocalPhotoModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || index.row() >= m_items->size())
        return {};
    const IKImageItemPtr &item = m_items->at(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return item->imageTitle();
    case Qt::ToolTipRole:
        return item->filePath;
    case Qt::DecorationRole: {
        if (!item->fileImage.isNull())
            return item->fileImage;
        const QString path = item->imageRepresentation();
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
    beginResetModel();
    endResetModel();
}

void LocalPhotoModel::requestThumbnail(const QString &path) const {
    if (path.isEmpty() || m_pending.contains(path))
        return;
    m_pending.insert(path);
    QPointer<const LocalPhotoModel> self(this);
    (void)QtConcurrent::run([self, path] {
        QImage thumb = ImageSource::fromPath(path).thumbnail(kThumbSide);
        if (!thumb.isNull()) {
            // Drawn at the cell's size, kept sharp on dense screens.
            thumb =
                thumb.scaled(kThumbSide, kThumbSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
            thumb.setDevicePixelRatio(2.0);
        }
        QMetaObject::invokeMethod(qApp, [self, path, thumb] {
            if (!self)
                return;
            auto *model = const_cast<LocalPhotoModel *>(self.data());
            model->m_pending.remove(path);
            model->m_thumbnails.insert(path, new QImage(thumb));
            // One signal for the list: the view repaints only the cells it shows, and a
            // long list is not walked once per arriving picture.
            if (!model->m_items->isEmpty())
                emit model->dataChanged(model->index(0),
                                        model->index(int(model->m_items->size()) - 1),
                                        {Qt::DecorationRole});
        });
    });
}
