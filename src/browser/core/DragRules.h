#pragma once

#include <QList>
#include <QString>
#include <QUrl>

// Notification names the controls post.
inline constexpr char kMyClosebuttonMouseDown[] = "MyClosebuttonMouseDown";
inline constexpr char kMybuttonMouseDown[] = "MybuttonMouseDown";
inline constexpr char kPRbuttonMouseEntered[] = "PRbuttonMouseEntered";
inline constexpr char kPRbuttonMouseExited[] = "PRbuttonMouseExited";
inline constexpr char kNSDragOperationImageNote[] = "NSDragOperationImageNote";
inline constexpr char kNSDragOperationImageViewNote[] = "NSDragOperationImageViewNote";
inline constexpr char kNSDragOperationImageViewFolderNote[] = "NSDragOperationImageViewFolderNote";

// Whether a drag is taken: only its first item is judged. It must be a photo or a video
// by its extension, or, where folders are welcome, an existing folder.
bool acceptsDrag(const QList<QUrl> &urls, bool acceptFolders);

// What the empty pane's drop target posts for a drop.
QString dropTargetNotification(const QList<QUrl> &urls);
