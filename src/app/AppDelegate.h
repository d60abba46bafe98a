#pragma once

#include "app/AppServices.h"
#include "app/PartBasics.h"
#include "app/core/AppState.h"
#include "browser/CameraWindowPart.h"
#include "metadata/ClipboardPart.h"
#include "metadata/EditSheetPart.h"
#include "metadata/GpsWindowPart.h"
#include "model/IKImageItem.h"
#include "model/PRDuplicateNode.h"

#include "app/PartMethod.h"
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
#include <tuple>

// The classes the declarations below name are declared in app/PartBasics.h.
class ImageOutput;
class LibraryDatabase;
class LibraryPanels;
class DateWindows;
class DuplicateWindow;
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
// the files of their feature. The pieces see the shared state as AppServices; those not yet
// given their neighbours reach the others through the application object as `d`.
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

  signals:
    void camerasChanged();

  public:
    // ---- Window parts: each owns its window's widgets and state ----
    EditSheetPart editSheet{*this};
    GpsWindowPart gpsWindow{*this};
    ClipboardPart clipboard{*this};
    CameraWindowPart cameraWindow{*this};

    // The main window's mode under the name the pieces not yet handed
    // MainWindowController::localMode() read.
    struct LocalModeFlag {
        const AppDelegate *d;
        operator bool() const;
    } blocalMode{this};

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

    QMainWindow *window = nullptr;
    QByteArray theImageData;
    int macOsVer = 10, macOSmajor = 10;

    class PRUpdateController *updateController = nullptr;
    bool bhasThumImage = false;

    // Everything a window builder creates without a parent window is owned here.
    QList<QWidget *> ownedWindows;

    // The camera file of each copy made, and where it lies.
    QList<std::pair<std::weak_ptr<PKCameraFile>, QString>> cameraCopies;
    // Set while the removal menu popped from the camera window's button is open.
    bool removalMenuFromCamera = false;

    // A method of a part as a method of the application object, for the tables and
    // connections that hold methods of the application object.
    template <auto Fn> using PartOf = PartMethod<decltype(Fn)>;
    template <auto Fn>
    requires(PartOf<Fn>::arity == 0) decltype(auto) forward() {
        return (part<typename PartOf<Fn>::Part>().*Fn)();
    }
    template <auto Fn>
    requires(PartOf<Fn>::arity == 1) decltype(auto)
        forward(typename PartOf<Fn>::template Arg<0> a) {
        return (part<typename PartOf<Fn>::Part>().*Fn)(a);
    }
    template <auto Fn>
    requires(PartOf<Fn>::arity == 2) decltype(auto)
        forward(typename PartOf<Fn>::template Arg<0> a, typename PartOf<Fn>::template Arg<1> b) {
        return (part<typename PartOf<Fn>::Part>().*Fn)(a, b);
    }
    template <auto Fn>
    requires(PartOf<Fn>::arity == 3) decltype(auto)
        forward(typename PartOf<Fn>::template Arg<0> a, typename PartOf<Fn>::template Arg<1> b,
                typename PartOf<Fn>::template Arg<2> c) {
        return (part<typename PartOf<Fn>::Part>().*Fn)(a, b, c);
    }
    // The part of type P.
    template <class P> P &part() {
        return std::get<P &>(
            std::tie(editSheet, gpsWindow, clipboard, *m_mainWindow, cameraWindow));
    }

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
    std::unique_ptr<LibraryWindows> m_libraryWindows;
    std::unique_ptr<MergeWindow> m_mergeWindow;
    std::unique_ptr<DuplicateWindow> m_duplicateWindow;
    std::unique_ptr<ImageOutput> m_imageOutput;
    std::unique_ptr<MetadataMenus> m_metadataMenus;
    std::unique_ptr<SidecarMerges> m_sidecarMerges;
    std::unique_ptr<NamingWindows> m_namingWindows;
    std::unique_ptr<PreferencesWindow> m_preferencesWindow;
    std::unique_ptr<LensWindow> m_lensWindow;
    std::unique_ptr<DateWindows> m_dateWindows;
    void loadWindowDescription();
    void restoreSettings();
};
