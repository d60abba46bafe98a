#pragma once

#include "app/PartBasics.h"
#include "app/PreferencesWindowPart.h"
#include "app/core/AppState.h"
#include "batch/ImageOutputPart.h"
#include "batch/NamingWindowsPart.h"
#include "batch/SidecarMergesPart.h"
#include "browser/CameraWindowPart.h"
#include "browser/MainWindowPart.h"
#include "export/DuplicateWindowPart.h"
#include "export/MergeWindowPart.h"
#include "library/LibraryDatabasePart.h"
#include "library/LibraryPanelsPart.h"
#include "library/LibraryWindowsPart.h"
#include "metadata/ClipboardPart.h"
#include "metadata/DateWindowsPart.h"
#include "metadata/EditSheetPart.h"
#include "metadata/GpsWindowPart.h"
#include "metadata/LensWindowPart.h"
#include "metadata/MetadataMenusPart.h"
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

// The application object: one for the program's lifetime. It owns the state the windows
// share (preferences, selection, the library, the local lists, the running jobs) and one
// part per window or panel; each part owns its window's controls ("outlets", filled in by
// the window builders) and state, and its actions are the part's methods, implemented in
// the files of their feature. A part reaches the shared state and the other parts as `d`.
class AppDelegate : public QObject {
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
    // Common end of alerts and sheets: code 1 (the default button, or OK) closes the sheet.
    void savePanelDidEnd3(QWidget *sheet, int returnCode, void *contextInfo = nullptr);

    // The menu bar's Actions shows the items of the local list or of the library browser.
    void showActionsForMode(bool libraryMode);

    // Completion sheet of a job: what was done, where the photos are, each photo of
    // `report.notWritten` (failed or skipped; told whatever the suppression setting) and a
    // button that reveals the result. False when the suppression setting kept it away.
    // `unshown`: the reveal found no file manager, so the sheet shows although suppressed,
    // names the folder and offers no reveal. `over`: the window the sheet opens on, when not
    // the main window.
    bool LocalPhotoMetadataChangedCompletedAlert(const JobReport &report, bool unshown = false,
                                                 QWidget *over = nullptr);
    void savePanelDidEnd112(QMessageBox *alert, int returnCode, void *contextInfo = nullptr);

    // The items selected in the local browser, in list order.
    QList<IKImageItemPtr> selectedLocalItems() const;

    // Browser data source and delegate.
    struct CellWasDoubleClicked {};
    int numberOfItemsInImageBrowser(QListView *browser) const;
    IKImageItemPtr imageBrowser(QListView *browser, int index) const;
    void imageBrowser(QListView *browser, CellWasDoubleClicked, int index);

    bool duplicateScanRunning() const { return runningJob(OneAtATime::DuplicateScan); }

    // The main window's size and place: kept at every close, put back at launch.
    void saveWindowGeometry();
    void restoreWindowGeometry();
    // Shows a secondary window centred over the main window, whole on its screen, in front.
    void showOverMainWindow(QWidget *secondary);
    // Adds the photos, videos and folders named on the command line to the local list.
    void openLaunchPaths(const QStringList &paths);

    // How an image-output job shows its result: the storage folder, the first output, or the
    // output of the list's first item only.
    enum class OutputReveal { StorageFolder, FirstOutput, FirstOutputIfFirstItem };
    // `prepare` encodes on the workers; the outputs are written in list order, so that the
    // first photo of two with one output name keeps the name.
    using PrepareOutput = std::function<struct PreparedOutput(const IKImageItemPtr &item)>;
    void startImageOutputJob(const QList<IKImageItemPtr> &items, PrepareOutput prepare,
                             OutputReveal reveal, const QStringList &failedBefore = {},
                             const IKImageItemPtr &firstListItem = {});

  signals:
    void camerasChanged();

  public:
    // ---- Window parts: each owns its window's widgets and state ----
    EditSheetPart editSheet{*this};
    GpsWindowPart gpsWindow{*this};
    DateWindowsPart dateWindows{*this};
    LensWindowPart lensWindow{*this};
    ClipboardPart clipboard{*this};
    MetadataMenusPart metadataMenus{*this};
    MainWindowPart mainWindow{*this};
    CameraWindowPart cameraWindow{*this};
    PreferencesWindowPart preferencesWindow{*this};
    NamingWindowsPart namingWindows{*this};
    SidecarMergesPart sidecarMerges{*this};
    ImageOutputPart imageOutput{*this};
    LibraryPanelsPart libraryPanels{*this};
    LibraryWindowsPart libraryWindows{*this};
    LibraryDatabasePart libraryDatabase{*this};
    DuplicateWindowPart duplicateWindow{*this};
    MergeWindowPart mergeWindow{*this};

    // ---- Shared state ----
    QMainWindow *window = nullptr;
    Preferences preferences;
    SelectionState selection;
    LibraryState library;
    bool blocalMode = true;

    QByteArray theImageData;
    QList<IKImageItemPtr> localPhotoItemArray;       // what the local browser shows
    QList<IKImageItemPtr> localImportPhotoItemArray; // every import, in import order
    bool bdifResultView = false;
    int macOsVer = 10, macOSmajor = 10;

    class PRUpdateController *updateController = nullptr;
    bool bhasThumImage = false;

    // Everything a window builder creates without a parent window is owned here.
    QList<QWidget *> ownedWindows;

    // The menu words of the action that started a job (metadata/JobTitles.cpp): the menu
    // item being handled, the one that opened the window whose button starts the job, or
    // the job whose ending starts this one. The menus hand it over (addMenuItem).
    QString jobActionTitle();
    // Gives the window's buttons `title` for their jobs until a menu item opens it again.
    void setJobActionTitle(QWidget *window, const QString &title);
    // Hands the title of a starting job to its ending.
    void trackJobTitle(JobRunner *runner);
    QString currentActionTitle; // while a triggered menu item is handled
    QString endingJobTitle;     // while a job's ending runs
    // The one ending of a job (metadata/CompletionSheet.cpp): the completion sheet when one
    // is due, whose button reveals the result; otherwise the reveal at once. The sheet opens
    // on `over` when the job belongs to a window of its own. Returns the sheet shown, if any.
    QMessageBox *showJobEnding(const JobReport &report, QWidget *over = nullptr);
    // The ending of a job whose `written` results need no sheet: `path` shown in the file
    // manager (under `root`), or, where none answers, the sheet naming what and where.
    void revealJobResult(int written, const QString &path, const QString &root);

    // The camera file of each copy made, and where it lies.
    QList<std::pair<std::weak_ptr<PKCameraFile>, QString>> cameraCopies;
    // Set while the removal menu popped from the camera window's button is open.
    bool removalMenuFromCamera = false;

    // Long jobs of the window (JobEnding.cpp). A job runs on the job runner's pool, shows
    // a progress bar with a cancel button in the status bar once it lasts, and ends in
    // finishJob: one sheet naming every photo not written and why, one reveal of its first
    // result.
    // The jobs of which one runs at a time.
    enum class OneAtATime {
        DuplicateScan,
        CloudDownload,
        LibraryMerge,
        SidecarMerge, // the Takeout and the XMP merge alike
        PlaceStamp,   // the place stamp's geocoding walk
        LocalSort,    // a newer sort of the local list cancels the one still running
    };
    // A runner for a new job, owned by the application object and gone after its end;
    // `finishJob` (or the caller's own ending) runs before runningJobCount drops. A job of
    // `kind` is the running one of its kind until its end.
    JobRunner *startJob();
    JobRunner *startJob(OneAtATime kind);
    // The running job of `kind`, if any.
    JobRunner *runningJob(OneAtATime kind) const { return jobsOfKind.value(int(kind)); }
    // Lets go of the running job of `kind` at once, returning it: its end is no longer the
    // kind's (a stopped scan whose last results must not show).
    JobRunner *forgetJob(OneAtATime kind) { return jobsOfKind.take(int(kind)); }
    // The write recipe as a job of the window; `then` runs on the main thread when it ends.
    void startRecipeJob(const QList<IKImageItemPtr> &items, bool overwrite,
                        const WriteRecipeOptions &options,
                        std::function<void(const WriteRecipeReport &, bool cancelled)> then);
    // One task per photo as a job of the window; a task's ok result names the file written.
    // The ending reveals the first one (in `revealRoot`, or its own folder when empty) and
    // names each photo not written, after those of `failedBefore`.
    void startPhotoJob(const QList<IKImageItemPtr> &items,
                       std::function<JobResult(qsizetype index)> task, const QString &revealRoot,
                       bool sheetOnSuccess, const QStringList &failedBefore = {});
    // After a recipe job: the photos written show their new state, in the grid and, for the
    // selected one, in the panels.
    void showEditedPhotos(const WriteRecipeReport &report);
    // After a job of tasks: a photo whose shown file was rewritten where it is (its edited
    // copy, or its own file) shows its new state the same way.
    void showRewrittenPhotos(const QList<IKImageItemPtr> &items, const QList<JobResult> &results);
    // The one ending of a job: the completion sheet with its reveal button, or, when no
    // sheet is due, one reveal without waiting for the file manager (showJobEnding). The
    // sheet opens on `over` when the job belongs to a window of its own; it is returned.
    QMessageBox *finishJob(const JobReport &report, QWidget *over = nullptr);
    int runningJobCount() const { return runningJobs; }

    QList<PRPicFileInfoPtr> photoLibraryItemArray; // the library's records, from the last scan

    // The items selected in the library browser, in list order.
    QList<IKImageItemPtr> selectedLibraryItems() const;

    // Library load (library/LibraryLoad.cpp).
    std::shared_ptr<class LibraryLoadJob> libraryLoad; // the running load, if any
    // The load's clock for the date windows; tests set it.
    std::function<QDateTime()> libraryLoadClock;
    int libraryReloadCount = 0; // hand-backs of the current load
    QString libraryLoadNote;    // what the last load could not show, and why

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
        return std::get<P &>(std::tie(
            editSheet, gpsWindow, dateWindows, lensWindow, clipboard, metadataMenus, mainWindow,
            cameraWindow, preferencesWindow, namingWindows, sidecarMerges, imageOutput,
            libraryPanels, libraryWindows, libraryDatabase, duplicateWindow, mergeWindow));
    }

    // A sheet saying a folder could not be made or written, and why.
    void reportFolderFailure(const QString &what, const QString &path, const QString &why);

  private:
    // Whether jobs run is recorded here alone: how many, and the one of each kind.
    int runningJobs = 0;
    QHash<int, JobRunner *> jobsOfKind;
    void loadWindowDescription();
    void restoreSettings();
};
