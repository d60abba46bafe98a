// The library load: started on the main thread, run on a worker, its batches appended and
// its end shown on the main thread. The worker never touches the lists the browser draws.
#include "app/AppDelegate.h"

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
#include <QtConcurrent/QtConcurrentRun>
#include <atomic>

// The running load: cancelled and waited for when the application object goes.
class LibraryLoadJob {
  public:
    ~LibraryLoadJob() {
        cancel = true;
        future.waitForFinished();
    }
    std::atomic_bool cancel{false};
    QFuture<void> future;
    QString path;
};

namespace {
void startScanIndicator(AppDelegate &d) {
    if (d.mainWindow.scanProcesser)
        d.mainWindow.scanProcesser->show();
    if (d.mainWindow.scanninginfolab)
        d.mainWindow.scanninginfolab->show();
    if (!d.mainWindow.scanGifTimer) {
        d.mainWindow.scanGifTimer = new QTimer(&d);
        QObject::connect(d.mainWindow.scanGifTimer, &QTimer::timeout, &d,
                         &AppDelegate::StartScanningGIFImageViewTimer);
    }
    d.mainWindow.scanGifTimer->start(100);
}
} // namespace

bool AppDelegate::LoadPhotosLibraryItemThreader(const QString &libraryPath) {
    if (library.scanPhotoLibStart) {
        beginAlertSheet(window, tr("A photo library is still loading."),
                        tr("Wait until \"%1\" has loaded, then open \"%2\".")
                            .arg(libraryLoad ? libraryLoad->path : QString(), libraryPath),
                        {tr(" Ok ")}, [this](QMessageBox *a, int c) { savePanelDidEnd3(a, c); });
        return false;
    }
    startScanIndicator(*this);
    library.scanComplete = false;
    library.scanPhotoLibStart = true;
    // Nothing of the last library stays on screen, nor can an edit reach it.
    static_cast<LibraryLists &>(library) = LibraryLists{};
    library.currentAlbumArray.clear();
    photoLibraryItemArray.clear();
    useLibraryWorkingCopy(nullptr);
    library.currentPhotolibPath = libraryPath;
    libraryReloadCount = 0;
    libraryLoadNote.clear();
    if (mainWindow.showPhotoTypelibBtn) {
        const LibraryFilterLook &all = libraryFilterLook(LibraryFilter::All);
        mainWindow.showPhotoTypelibBtn->setImageName(QLatin1String(all.image));
        mainWindow.showPhotoTypelibBtn->setText(tr("Show: %1").arg(tr(all.title)));
        mainWindow.showPhotoTypelibBtn->setToolTip(mainWindow.showPhotoTypelibBtn->text());
    }
    if (mainWindow.albumsFolderMenuItem) {
        mainWindow.albumsFolderMenuItem->setEnabled(false);
        if (QMenu *old = mainWindow.albumsFolderMenuItem->menu()) {
            mainWindow.albumsFolderMenuItem->setMenu(nullptr);
            old->deleteLater();
        }
    }
    LoadImportedPhotoLibraryonMainThread();

    LibraryLoadSettings settings;
    settings.libraryPath = libraryPath;
    settings.now = libraryLoadClock ? libraryLoadClock() : QDateTime::currentDateTime();
    auto job = std::make_shared<LibraryLoadJob>();
    job->path = libraryPath;
    libraryLoad = job;
    LibraryLoadJob *raw = job.get();
    // One long task that streams its own batches: the runner's pool, not a per-input job.
    job->future = QtConcurrent::run(JobRunner::pool(), [this, settings, raw] {
        LibraryLoadOutcome outcome;
        try {
            outcome = runLibraryLoad(
                settings,
                [this, raw](LibraryLoadBatch &&batch) {
                    auto shared = std::make_shared<LibraryLoadBatch>(std::move(batch));
                    QMetaObject::invokeMethod(
                        this,
                        [this, raw, shared] {
                            if (libraryLoad.get() != raw || raw->cancel)
                                return;
                            if (shared->restart) {
                                static_cast<LibraryLists &>(library) = LibraryLists{};
                                photoLibraryItemArray.clear();
                            }
                            photoLibraryItemArray.append(shared->records);
                            appendLibraryBatch(shared->lists);
                        },
                        Qt::QueuedConnection);
                },
                &raw->cancel);
        } catch (const std::exception &e) {
            qCWarning(lcLibrary).noquote() << "LoadPhotosLibraryItemThreader==" << e.what();
            outcome.note = tr("The library could not be loaded: %1").arg(e.what());
        }
        auto shared = std::make_shared<LibraryLoadOutcome>(std::move(outcome));
        QMetaObject::invokeMethod(
            this,
            [this, raw, shared] {
                if (libraryLoad.get() != raw || raw->cancel)
                    return;
                if (shared->workingCopy)
                    useLibraryWorkingCopy(shared->workingCopy);
                chooseLibrarySchema(shared->bScanNewPhotosLib);
                libraryLoadNote = shared->note;
                CompletedScanPhotoLibraryonMainThread();
            },
            Qt::QueuedConnection);
    });
    return true;
}

void AppDelegate::appendLibraryBatch(const LibraryLists &batch) {
    library.append(batch);
    LoadImportedPhotoLibraryonMainThread();
}

void AppDelegate::LoadImportedPhotoLibraryonMainThread() {
    ++libraryReloadCount;
    if (mainWindow.photoLibBrowserView)
        if (auto *model = qobject_cast<LocalPhotoModel *>(mainWindow.photoLibBrowserView->model()))
            model->reload();
    // A reload drops the selection: the column lets go of the photo it showed.
    libraryBrowserSelectionDidChange();
}

void AppDelegate::CompletedScanPhotoLibraryonMainThread() {
    library.scanComplete = true;
    library.scanPhotoLibStart = false;
    if (mainWindow.scanGifTimer)
        mainWindow.scanGifTimer->stop();
    LoadImportedPhotoLibraryonMainThread();
    if (mainWindow.scanProcesser)
        mainWindow.scanProcesser->hide();
    if (mainWindow.scanninginfolab)
        mainWindow.scanninginfolab->hide();
    if (mainWindow.filterPhotolibBtn)
        mainWindow.filterPhotolibBtn->show();
    if (mainWindow.showPhotoTypelibBtn)
        mainWindow.showPhotoTypelibBtn->show();
    SortAllPhotosLibraryByDateAction();
    showLibraryAlbumMenu();

    const auto end3 = [this](QMessageBox *a, int c) { savePanelDidEnd3(a, c); };
    if (!libraryLoadNote.isEmpty()) {
        // A load that could not show the library says why instead of the usual hint.
        beginAlertSheet(window, tr("The photo library could not be read as a whole."),
                        libraryLoadNote, {tr(" Ok ")}, end3);
        return;
    }
    if (!photolibReadOnlyReason.isEmpty()) {
        // Shown, but edits would not reach the library: say so now, not at the first edit.
        beginAlertSheet(window, tr("The photo library is open read-only."), photolibReadOnlyReason,
                        {tr(" Ok ")}, end3);
        return;
    }
    if (userDefaults()->value(QLatin1String(SettingsKey::ExampleAlertSuppress)).toBool()) {
        qCDebug(lcLibrary) << "ExampleAlert suppressed";
        return;
    }
    beginAlertSheet(
        window, tr("If you want to select a different Photo Library to Scan"),
        tr("Go to File Menu -> Open Photo Library…  to open and scan another photo library."),
        {tr(" Ok ")}, [this](QMessageBox *a, int c) { savePanelDidEnd12(a, c); },
        tr("Do not show this message again"));
}

void AppDelegate::savePanelDidEnd12(QMessageBox *alert, int returnCode, void *) {
    if (returnCode != 1)
        return;
    if (QCheckBox *box = suppressionButton(alert); box && box->isChecked())
        userDefaults()->setValue(QLatin1String(SettingsKey::ExampleAlertSuppress), true);
    if (alert)
        alert->close();
}

void AppDelegate::showLibraryAlbumMenu() {
    if (!mainWindow.albumsFolderMenuItem)
        return;
    auto *menu = new QMenu(window);
    menu->setObjectName(QStringLiteral("albumsMenu"));
    for (const QString &title : sortedAlbumTitles(library.albumDictionary)) {
        // Shown with "&" escaped, which would otherwise mark a mnemonic; the title itself
        // travels as the item's data.
        QAction *item =
            menu->addAction(QString(title).replace(QLatin1Char('&'), QLatin1String("&&")));
        item->setData(title);
        connect(item, &QAction::triggered, this,
                [this, item] { FilterSelectOneAlbumsAction(item->data().toString()); });
    }
    if (QMenu *old = mainWindow.albumsFolderMenuItem->menu())
        old->deleteLater();
    mainWindow.albumsFolderMenuItem->setMenu(menu);
    mainWindow.albumsFolderMenuItem->setEnabled(true);
}
