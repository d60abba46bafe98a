// Photos given on the command line (the file manager's "Open With") take the road of the
// Add Photos or Folders panel.
#include "app/AppDelegate.h"
#include "browser/MainWindowController.h"

void AppDelegate::openLaunchPaths(const QStringList &paths) {
    if (paths.isEmpty())
        return;
    mainWindowController().showLocalBrowserPane();
    mainWindowController().importPhotosItemThreader(paths);
    mainWindowController().setLocalMode(true);
}
