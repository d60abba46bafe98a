#pragma once

#include "app/core/AppState.h"

class Browsers;
class Jobs;
class QMainWindow;
class Sheets;

// What the window pieces share, and nothing else: the main window, the state the windows
// show (preferences, selection, the open library, the local lists) and the small services
// every piece uses (jobs, sheets over the main window, the browsers). A piece is given this
// and the neighbours it calls; it never sees the application object.
class AppServices {
  public:
    virtual ~AppServices() = default;

    virtual QMainWindow *mainWindow() const = 0; // parent of sheets; null before it is built
    virtual Preferences &preferences() = 0;
    virtual SelectionState &selection() = 0;
    virtual LibraryState &library() = 0;
    virtual LocalLists &localLists() = 0;
    virtual Jobs &jobs() = 0;
    virtual Sheets &sheets() = 0;
    virtual Browsers &browsers() = 0;
};
