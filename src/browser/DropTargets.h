#pragma once

#include "platform/ImageView.h"

#include <QList>
#include <QListView>
#include <QUrl>

// The drop target of the empty local-photos pane: takes photos, videos and folders, keeps
// the dropped URLs and posts "NSDragOperationImageViewFolderNote" when the first is a
// folder, "NSDragOperationImageViewNote" otherwise.
class PRDragImageView : public PKImageView {
    Q_OBJECT
  public:
    explicit PRDragImageView(QWidget *parent = nullptr);
    // The URLs of the last drop; empty before the first.
    QList<QUrl> geturlArray() const { return urlArray; }
    // Takes a drop of these URLs: keeps them and posts the note.
    void performDrop(const QList<QUrl> &urls);

    QList<QUrl> urlArray;
    QString DragFilePath; // kept for callers that name it; nothing reads it

  protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
};

// The local-photos thumbnail browser, which also takes dropped photos and videos (not
// folders) and posts "NSDragOperationImageNote".
class NSDragImageBrowserView : public QListView {
    Q_OBJECT
  public:
    explicit NSDragImageBrowserView(QWidget *parent = nullptr);
    QList<QUrl> geturlArray() const { return urlArray; }
    void performDrop(const QList<QUrl> &urls);

    QList<QUrl> urlArray;
    QString DragFilePath;

  protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
};
