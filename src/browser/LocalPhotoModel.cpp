#include "browser/LocalPhotoModel.h"

#include "platform/core/ImageSource.h"

#include <QApplication>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QStyle>
#include <QtConcurrent/QtConcurrentRun>

namespace {
constexpr int kThumbSide = 170; // twice the cell, for sharp cells on dense screens
}

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
            return cached->isNull() ? QVariant(QFileIconProvider().icon(QFileInfo(path)))
                                    : QVariant(*cached);
        requestThumbnail(path);
        return QFileIconProvider().icon(QFileInfo(path));
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
            for (int row = 0; row < model->m_items->size(); ++row) {
                if (model->m_items->at(row)->imageRepresentation() == path) {
                    const QModelIndex i = model->index(row);
                    emit model->dataChanged(i, i, {Qt::DecorationRole});
                }
            }
        });
    });
}
