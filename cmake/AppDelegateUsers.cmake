# The files outside src/app/ that still reach the application object. It only shrinks:
# cmake/CheckAppDelegateUse.cmake refuses any other file that names it, and a listed
# file that no longer does.
set(PK_APPDELEGATE_WAITING
  browser/ClickRouter.cpp
  browser/MainWindowBrowsers.cpp
  browser/MainWindowController.h
  browser/MapWindow.cpp
  browser/SelectionHandler.cpp
)
