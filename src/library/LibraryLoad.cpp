// The library load: started on the main thread, run on a worker, its batches appended and
// its end shown on the main thread. The worker never touches the lists the browser draws.
#include "app/AppServices.h"
#include "app/Sheets.h"
#include "browser/MainWindowController.h"
#include "library/LibraryDatabase.h"

#include "app/core/Settings.h"
#include "base/Logging.h"
#include "browser/LocalPhotoModel.h"
#include "browser/PRButton.h"
#include "library/core/LibraryFilters.h"
#include "library/core/LibraryLoad.h"
#include "library/core/LibrarySort.h"
#include "library/core/LibraryWorkingCopy.h"
#include "platform/AlertSheet.h"
#include "platform/core/JobRunner.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QListView>
#include <QMainWindow>
#include <QMenu>
#include <QProgressBar>
#include <QSettings>
#include <QTimer>

#include <utility>

// The running load: its runner cancels and waits for it when the main window goes.
class LibraryLoadJob {
  public:
    JobRunner runner;
    QString path;
};

void MainWindowController::startScanIndicator() {
    if (scanProcesser)
        scanProcesser->show();
    if (scanninginfolab)
        scanninginfolab->show();
    if (!scanGifTimer) {
        scanGifTimer = new QTimer(this);
        QObject::connect(scanGifTimer, &QTimer::timeout, this,
                         [this] { StartScanningGIFImageViewTimer(); });
    }
    scanGifTimer->start(100);
}

bool MainWindowController::LoadPhotosLibraryItemThreader(const QString &libraryPath) {
    if (app.library().scanPhotoLibStart) {
        app.sheets().alert(tr("A photo library is still loading."),
                           tr("Wait until \"%1\" has loaded, then open \"%2\".")
                               .arg(libraryLoad ? libraryLoad->path : QString(), libraryPath));
        return false;
    }
    startScanIndicator();
    loadOfDefaultLibrary = false;
    app.library().scanComplete = false;
    app.library().scanPhotoLibStart = true;
    // Nothing of the last library stays on screen, nor can an edit reach it.
    static_cast<LibraryLists &>(app.library()) = LibraryLists{};
    app.library().currentAlbumArray.clear();
    app.localLists().photoLibraryItemArray.clear();
    libraryDatabase.useLibraryWorkingCopy(nullptr);
    app.library().currentPhotolibPath = libraryPath;
    libraryReloadCount = 0;
    app.library().loadNote.clear();
    if (showPhotoTypelibBtn) {
        const LibraryFilterLook &all = libraryFilterLook(LibraryFilter::All);
        showPhotoTypelibBtn->setImageName(QLatin1String(all.image));
        const QString text =
            tr("Show: %1").arg(QCoreApplication::translate("LibraryFilters", all.title));
        showPhotoTypelibBtn->setFittedText(text);
        showPhotoTypelibBtn->setToolTip(text);
    }
    if (albumsFolderMenuItem) {
        albumsFolderMenuItem->setEnabled(false);
        if (QMenu *old = albumsFolderMenuItem->menu()) {
            albumsFolderMenuItem->setMenu(nullptr);
            old->deleteLater();
        }
    }
    LoadImportedPhotoLibraryonMainThread();
    libraryShownClock.invalidate(); // the first batch shows at once
    if (libraryShowTimer)
        libraryShowTimer->stop();

    LibraryLoadSettings settings;
    settings.libraryPath = libraryPath;
    settings.now = libraryLoadClock ? libraryLoadClock() : QDateTime::currentDateTime();
    auto job = std::make_shared<LibraryLoadJob>();
    job->path = libraryPath;
    libraryLoad = job;
    // One long task streaming its batches; they and the end reach only the runner that is
    // still the main window's, since the job and its runner go together.
    job->runner.startLong([this, settings](JobControl &control) {
        LibraryLoadOutcome outcome;
        try {
            outcome = runLibraryLoad(
                settings,
                [this, &control](LibraryLoadBatch &&batch) {
                    control.handBack(std::move(batch), [this](LibraryLoadBatch &&shown) {
                        if (shown.restart) {
                            static_cast<LibraryLists &>(app.library()) = LibraryLists{};
                            app.localLists().photoLibraryItemArray.clear();
                            libraryShownClock.invalidate(); // nothing stale stays shown
                        }
                        app.localLists().photoLibraryItemArray.append(shown.records);
                        appendLibraryBatch(shown.lists);
                    });
                },
                control.cancelFlag());
        } catch (const std::exception &e) {
            qCWarning(lcLibrary).noquote() << "LoadPhotosLibraryItemThreader==" << e.what();
            outcome.note = tr("The library could not be loaded: %1").arg(e.what());
        }
        control.handBack(std::move(outcome), [this](LibraryLoadOutcome &&end) {
            if (end.workingCopy)
                libraryDatabase.useLibraryWorkingCopy(end.workingCopy);
            libraryDatabase.chooseLibrarySchema(end.bScanNewPhotosLib);
            app.library().loadNote = end.note;
            CompletedScanPhotoLibraryonMainThread();
        });
        JobResult done;
        done.ok = true;
        return done;
    });
    return true;
}

// The longest the browser waits for the batches after one it showed, in milliseconds per
// thousand photos it holds, and at most: each showing lays the whole grid out again, 55 ms
// for a million photos, which would otherwise take most of a large library's load.
constexpr qint64 kShowWaitPerThousand = 1;
constexpr qint64 kLongestShowWait = 1000;

void MainWindowController::appendLibraryBatch(const LibraryLists &batch) {
    app.library().append(batch);
    const qint64 wait =
        std::min(kLongestShowWait,
                 qint64(app.library().photoLibBroserArray.size()) / 1000 * kShowWaitPerThousand);
    const qint64 since = libraryShownClock.isValid() ? libraryShownClock.elapsed() : wait;
    if (since >= wait) {
        showLibraryBatches();
        return;
    }
    if (!libraryShowTimer) {
        libraryShowTimer = new QTimer(this);
        libraryShowTimer->setSingleShot(true);
        QObject::connect(libraryShowTimer, &QTimer::timeout, this, [this] {
            if (app.library().scanPhotoLibStart)
                showLibraryBatches();
        });
    }
    if (!libraryShowTimer->isActive())
        libraryShowTimer->start(int(wait - since));
}

void MainWindowController::showLibraryBatches() {
    if (libraryShowTimer)
        libraryShowTimer->stop();
    LoadImportedPhotoLibraryonMainThread();
    libraryShownClock.start();
}

void MainWindowController::LoadImportedPhotoLibraryonMainThread() {
    ++libraryReloadCount;
    if (photoLibBrowserView)
        if (auto *model = qobject_cast<LocalPhotoModel *>(photoLibBrowserView->model()))
            model->reload();
    // A reload drops the selection: the column lets go of the photo it showed.
    libraryBrowserSelectionDidChange();
}

void MainWindowController::CompletedScanPhotoLibraryonMainThread() {
    const bool unasked = std::exchange(loadOfDefaultLibrary, false);
    app.library().scanComplete = true;
    app.library().scanPhotoLibStart = false;
    if (libraryShowTimer)
        libraryShowTimer->stop(); // the whole list is shown below
    if (scanGifTimer)
        scanGifTimer->stop();
    LoadImportedPhotoLibraryonMainThread();
    if (scanProcesser)
        scanProcesser->hide();
    if (scanninginfolab)
        scanninginfolab->hide();
    if (filterPhotolibBtn)
        filterPhotolibBtn->show();
    if (showPhotoTypelibBtn)
        showPhotoTypelibBtn->show();
    SortAllPhotosLibraryByDateAction();
    showLibraryAlbumMenu();

    const auto end3 = [this](QMessageBox *a, int c) { app.sheets().savePanelDidEnd3(a, c); };
    if (!app.library().loadNote.isEmpty()) {
        // A load that could not show the library says why instead of the usual hint.
        beginAlertSheet(app.mainWindow(), tr("The photo library could not be read as a whole."),
                        app.library().loadNote, {tr(" Ok ")}, end3);
        return;
    }
    if (const QList<DatabaseHolder> away = libraryDatabase.otherComputersHolding();
        !away.isEmpty()) {
        libraryDatabase.showTakeOverOffer(away);
        return;
    }
    if (!libraryDatabase.readOnlyReason().isEmpty()) {
        // Shown, but edits would not reach the library: say so now, not at the first edit.
        beginAlertSheet(app.mainWindow(), tr("The photo library is open read-only."),
                        libraryDatabase.readOnlyReason(), {tr(" Ok ")}, end3);
        return;
    }
    // How to open another library is worth saying only where the user did not choose this
    // one, or where it shows nothing.
    if (!unasked && !app.library().photoLibBroserArray.isEmpty())
        return;
    if (userDefaults()->value(QLatin1String(SettingsKey::ExampleAlertSuppress)).toBool()) {
        qCDebug(lcLibrary) << "ExampleAlert suppressed";
        return;
    }
    beginAlertSheet(
        app.mainWindow(), tr("If you want to select a different Photo Library to Scan"),
        tr("Go to File Menu -> Open Photo Library…  to open and scan another photo library."),
        {tr(" Ok ")}, [this](QMessageBox *a, int c) { savePanelDidEnd12(a, c); },
        tr("Do not show this message again"));
}

void MainWindowController::savePanelDidEnd12(QMessageBox *alert, int returnCode, void *) {
    if (returnCode != 1)
        return;
    if (QCheckBox *box = suppressionButton(alert); box && box->isChecked())
        userDefaults()->setValue(QLatin1String(SettingsKey::ExampleAlertSuppress), true);
    if (alert)
        alert->close();
}

void MainWindowController::showLibraryAlbumMenu() {
    if (!albumsFolderMenuItem)
        return;
    auto *menu = new QMenu(app.mainWindow());
    menu->setObjectName(QStringLiteral("albumsMenu"));
    for (const QString &title : sortedAlbumTitles(app.library().albumDictionary)) {
        // Shown with "&" escaped, which would otherwise mark a mnemonic; the title itself
        // travels as the item's data.
        QAction *item =
            menu->addAction(QString(title).replace(QLatin1Char('&'), QLatin1String("&&")));
        item->setData(title);
        QObject::connect(item, &QAction::triggered, this,
                         [this, item] { FilterSelectOneAlbumsAction(item->data().toString()); });
    }
    if (QMenu *old = albumsFolderMenuItem->menu())
        old->deleteLater();
    albumsFolderMenuItem->setMenu(menu);
    albumsFolderMenuItem->setEnabled(true);
}
