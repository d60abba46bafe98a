# The files outside src/app/ that still reach the application object. It only shrinks:
# cmake/CheckAppDelegateUse.cmake refuses any other file that names it, and a listed
# file that no longer does.
set(PK_APPDELEGATE_WAITING
  browser/CameraFeature.cpp
  browser/CameraWindow.cpp
  browser/CameraWindowPart.h
  browser/ClickRouter.cpp
  browser/MainWindowBrowsers.cpp
  browser/MainWindowController.h
  browser/MapWindow.cpp
  browser/SelectionHandler.cpp
  metadata/CameraRoadFeature.cpp
  metadata/ClipboardFeature.cpp
  metadata/ClipboardPart.h
  metadata/EditSheetFeature.cpp
  metadata/EditSheetPart.h
  metadata/EditSheetWindow.cpp
  metadata/GpsFeature.cpp
  metadata/GpsWindow.cpp
  metadata/GpsWindowPart.h
  metadata/JobTitles.cpp
  metadata/JobTitles.h
)
