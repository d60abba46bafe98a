#include "browser/DropTargets.h"

#include "base/Logging.h"
#include "browser/core/DragRules.h"
#include "platform/core/NotificationCenter.h"

#include <QDebug>
#include <QDropEvent>
#include <QMimeData>

namespace {
template <typename Event> void judge(Event *event, bool acceptFolders) {
    const QMimeData *mime = event->mimeData();
    if (mime && mime->hasUrls() && acceptsDrag(mime->urls(), acceptFolders))
        event->acceptProposedAction();
    else
        event->ignore();
}
} // namespace

PRDragImageView::PRDragImageView(QWidget *parent) : PKImageView(parent) {
    setAcceptDrops(true);
}

void PRDragImageView::dragEnterEvent(QDragEnterEvent *event) {
    judge(event, true);
}
void PRDragImageView::dragMoveEvent(QDragMoveEvent *event) {
    judge(event, true);
}

void PRDragImageView::dropEvent(QDropEvent *event) {
    const QMimeData *mime = event->mimeData();
    if (!mime || !mime->hasUrls())
        return;
    event->acceptProposedAction();
    performDrop(mime->urls());
}

void PRDragImageView::performDrop(const QList<QUrl> &urls) {
    urlArray = urls;
    qCDebug(lcBrowser) << "urls==" << urlArray;
    NotificationCenter::defaultCenter().postNotificationName(dropTargetNotification(urlArray),
                                                             this);
}

NSDragImageBrowserView::NSDragImageBrowserView(QWidget *parent) : QListView(parent) {
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DropOnly);
}

void NSDragImageBrowserView::dragEnterEvent(QDragEnterEvent *event) {
    judge(event, false);
}
void NSDragImageBrowserView::dragMoveEvent(QDragMoveEvent *event) {
    judge(event, false);
}

void NSDragImageBrowserView::dropEvent(QDropEvent *event) {
    const QMimeData *mime = event->mimeData();
    if (!mime || !mime->hasUrls())
        return;
    event->acceptProposedAction();
    performDrop(mime->urls());
}

void NSDragImageBrowserView::performDrop(const QList<QUrl> &urls) {
    urlArray = urls;
    NotificationCenter::defaultCenter().postNotificationName(
        QLatin1String(kNSDragOperationImageNote), this);
}
