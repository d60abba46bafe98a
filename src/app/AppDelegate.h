#pragma once

#include "app/AppServices.h"
#include "app/core/AppState.h"
#include "model/IKImageItem.h"
#include "model/PRDuplicateNode.h"

#include <QCache>
#include <QColor>
#include <QDateTime>
#include <QFont>
#include <QHash>
#include <QList>
#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <functional>
#include <memory>

class QListView;
class QMainWindow;
class QWidget;
class ImageOutput;
class LibraryDatabase;
class LibraryPanels;
class CameraWindow;
class DateWindows;
class GpsWindow;
class Clipboard;
class DuplicateWindow;
class EditSheet;
class LibraryWindows;
class LensWindow;
class MergeWindow;
class MetadataMenus;
class NamingWindows;
class SidecarMerges;
class PreferencesWindow;
struct MainWindowController;

// The application object: one for the program's lifetime. It owns the state the windows
// share (preferences, selection, the library, the local lists), the jobs and sheets, and
// one piece per window or panel; each piece owns its window's controls ("outlets", filled in
// by the window builders) and state, and its actions are the piece's methods, implemented in
// the files of their feature. Each piece sees the shared state as AppServices and is given
// the neighbours it calls by its constructor; this object only builds and wires them.
class AppDelegate : public QObject, public AppServices {
    Q_OBJECT
  public:
    // init: clears the state; the window description is loaded by launch().
    AppDelegate();
    ~AppDelegate() override;

    static AppDelegate *GetAppDelegater();

    // Builds the windows (our window description), then runs awakeFromNib and
    // applicationDidFinishLaunching, in that order.
    void launch();
    void awakeFromNib();
    void applicationDidFinishLaunching();

    // Main window delegate.
    bool windowShouldClose();

    // The menu bar's Actions shows the items of the local list or of the library browser.
    void showActionsForMode(bool libraryMode);

    // Browser data source and delegate.
    struct CellWasDoubleClicked {};
    int numberOfItemsInImageBrowser(QListView *browser) const;
    IKImageItemPtr imageBrowser(QListView *browser, int index) const;
    void imageBrowser(QListView *browser, CellWasDoubleClicked, int index);

    // The main window's size and place: kept at every close, put back at launch.
    void saveWindowGeometry();
    void restoreWindowGeometry();
    // Adds the photos, videos and folders named on the command line to the local list.
    void openLaunchPaths(const QStringList &paths);
    // Help's update check, on the update window built at launch.
    void checkForUpdate();

    // The shared state and services (AppServices).
    QMainWindow *mainWindow() const override { return window; }
    Preferences &preferences() override { return m_preferences; }
    SelectionState &selection() override { return m_selection; }
    LibraryState &library() override { return m_library; }
    LocalLists &localLists() override { return m_localLists; }
    Jobs &jobs() override { return *m_jobs; }
    Sheets &sheets() override { return *m_sheets; }
    Browsers &browsers() override;
    const Preferences &preferences() const { return m_preferences; }
    const SelectionState &selection() const { return m_selection; }
    const LibraryState &library() const { return m_library; }
    const LocalLists &localLists() const { return m_localLists; }
    const Browsers &browsers() const;

    // The main window's controller; the menus and tests reach it here.
    MainWindowController &mainWindowController() { return *m_mainWindow; }
    const MainWindowController &mainWindowController() const { return *m_mainWindow; }
    // The library wing: its database, its panels and its secondary windows.
    LibraryDatabase &libraryDatabase() { return *m_libraryDatabase; }
    LibraryPanels &libraryPanels() { return *m_libraryPanels; }
    LibraryWindows &libraryWindows() { return *m_libraryWindows; }
    PreferencesWindow &preferencesWindow() { return *m_preferencesWindow; }
    MergeWindow &mergeWindow() { return *m_mergeWindow; }
    DuplicateWindow &duplicateWindow() { return *m_duplicateWindow; }
    // Image output: recompression, resizing, conversion and stamps.
    ImageOutput &imageOutput() { return *m_imageOutput; }
    MetadataMenus &metadataMenus() { return *m_metadataMenus; }
    // The Takeout JSON and XMP merge windows.
    SidecarMerges &sidecarMerges() { return *m_sidecarMerges; }
    // The rename and batch title windows.
    NamingWindows &namingWindows() { return *m_namingWindows; }
    LensWindow &lensWindow() { return *m_lensWindow; }
    DateWindows &dateWindows() { return *m_dateWindows; }
    CameraWindow &cameraWindow() { return *m_cameraWindow; }
    GpsWindow &gpsWindow() { return *m_gpsWindow; }
    EditSheet &editSheet() { return *m_editSheet; }
    // The metadata sections copied for the paste items.
    Clipboard &clipboard() { return *m_clipboard; }

    QMainWindow *window = nullptr;
    int macOsVer = 10, macOSmajor = 10;

    class PRUpdateController *updateController = nullptr;

    // The windows built here without a parent: the main window.
    QList<QWidget *> ownedWindows;

  private:
    Preferences m_preferences;
    SelectionState m_selection;
    LibraryState m_library;
    LocalLists m_localLists;
    std::unique_ptr<Sheets> m_sheets;
    std::unique_ptr<Jobs> m_jobs;
    std::unique_ptr<LibraryDatabase> m_libraryDatabase;
    std::unique_ptr<LibraryPanels> m_libraryPanels;
    std::unique_ptr<MainWindowController> m_mainWindow;
    std::unique_ptr<CameraWindow> m_cameraWindow;
    std::unique_ptr<EditSheet> m_editSheet;
    std::unique_ptr<LibraryWindows> m_libraryWindows;
    std::unique_ptr<MergeWindow> m_mergeWindow;
    std::unique_ptr<DuplicateWindow> m_duplicateWindow;
    std::unique_ptr<ImageOutput> m_imageOutput;
    std::unique_ptr<GpsWindow> m_gpsWindow;
    std::unique_ptr<MetadataMenus> m_metadataMenus;
    std::unique_ptr<SidecarMerges> m_sidecarMerges;
    std::unique_ptr<NamingWindows> m_namingWindows;
    std::unique_ptr<PreferencesWindow> m_preferencesWindow;
    std::unique_ptr<LensWindow> m_lensWindow;
    std::unique_ptr<DateWindows> m_dateWindows;
    std::unique_ptr<Clipboard> m_clipboard;
    void loadWindowDescription();
    void restoreSettings();
};
