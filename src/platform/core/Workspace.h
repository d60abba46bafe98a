#pragma once

#include <QUrl>
#include <functional>

// Opening web pages and files in the user's own applications. Tests replace the opener
// to record what would have been opened.
namespace Workspace {
using UrlOpener = std::function<bool(const QUrl &)>;
using Revealer = std::function<void(const QString &path, const QString &rootFolder)>;

bool openURL(const QUrl &url);
// Replaces the opener; an empty function restores the desktop's.
void setUrlOpener(UrlOpener opener);

// Shows `path` selected in the file manager (D-Bus org.freedesktop.FileManager1), or,
// where no file manager answers, opens its folder. An empty path opens `rootFolder`.
// Returns at once; the file manager's answer arrives through the event loop, and where
// nothing could show the file or its folder, `unshown` runs (on the main thread).
void selectFile(const QString &path, const QString &rootFolder,
                const std::function<void()> &unshown = {});
// Replaces the revealer; an empty function restores the desktop's.
void setRevealer(Revealer revealer);
} // namespace Workspace
