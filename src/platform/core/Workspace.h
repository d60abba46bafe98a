#pragma once

#include <QUrl>
#include <functional>

// Opening web pages and files in the user's own applications. Tests replace the opener
// to record what would have been opened.
namespace Workspace {
using UrlOpener = std::function<bool(const QUrl &)>;

bool openURL(const QUrl &url);
// Replaces the opener; an empty function restores the desktop's.
void setUrlOpener(UrlOpener opener);
} // namespace Workspace
