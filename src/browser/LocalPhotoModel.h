#pragma once

#include "model/IKImageItem.h"

#include <QAbstractListModel>
#include <QCache>
#include <QImage>
#include <QPointer>
#include <QSet>

// The local browser's rows: the items of a list the application object owns. Pictures
// are made off the main thread and cached, so scrolling never waits on a decode.
class LocalPhotoModel : public QAbstractListModel {
    Q_OBJECT
  public:
    explicit LocalPhotoModel(const QList<IKImageItemPtr> *items, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    // The list changed: show it again. A list that only grew at its end gets its new rows
    // inserted, so a long import does not lay the whole grid out once per item.
    void reload();
    // The item's file was rewritten (or it now shows its edited copy): its picture is made
    // again from the file, past every cache, since an edit keeps the file's dates.
    void refreshItem(const IKImageItemPtr &item);
    // Pictures made so far (for measurements).
    int thumbnailsReady() const { return int(m_thumbnails.size()); }
    int thumbnailsPending() const { return int(m_pending.size()); }

  private:
    void requestThumbnail(const QString &path) const;
    static QString picturePath(const IKImageItem &item);

    const QList<IKImageItemPtr> *m_items;
    mutable QCache<QString, QImage> m_thumbnails{2000};
    mutable QSet<QString> m_pending;
    QSet<QString> m_rewritten;           // made again past the desktop's thumbnail cache
    QList<IKImageItemPtr> m_shownPrefix; // first and last rows shown, to tell an append
    int m_shownCount = 0;
};
