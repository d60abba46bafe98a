// Downloads of iCloud originals: the download window over a run, and the one-photo reveal.
#include "app/AppDelegate.h"

#include "base/SharedHelpers.h"
#include "export/core/CloudDownload.h"
#include "platform/AlertSheet.h"
#include "platform/core/Workspace.h"

#include <QDialog>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QLabel>
#include <QListView>
#include <QMainWindow>
#include <QProgressBar>
#include <QVBoxLayout>

namespace {

QList<ExportEntry> selectedEntriesOf(const AppDelegate &d) {
    QList<int> rows;
    if (d.mainWindow.photoLibBrowserView && d.mainWindow.photoLibBrowserView->selectionModel())
        for (const QModelIndex &index :
             d.mainWindow.photoLibBrowserView->selectionModel()->selectedIndexes())
            rows << index.row();
    return snapshotSelection(d.library.photoLibBroserArray, rows);
}

QString sizeText(quint64 bytes) {
    char buffer[100] = {};
    return QString::fromUtf8(size_to_unit(bytes, buffer));
}

// The download window's controls, added to the window the shell built.
void prepareDownloadWindow(AppDelegate &d) {
    if (!d.libraryWindows.downloadPhotosWindow)
        d.libraryWindows.downloadPhotosWindow = d.libraryWindows.downloadiCloudPhotosWindow;
    if (!d.libraryWindows.downloadPhotosWindow || d.libraryWindows.downloadPhotosProgressor)
        return;
    auto *column = d.libraryWindows.downloadPhotosWindow->findChild<QVBoxLayout *>();
    QWidget *w = d.libraryWindows.downloadPhotosWindow;
    d.libraryWindows.downloadiCloudPhotoInfolab = new QLabel(w);
    d.libraryWindows.downloadiCloudPhotoInfolab->setObjectName(
        QStringLiteral("downloadiCloudPhotoInfolab"));
    d.libraryWindows.downloadiCloudPhotoInfolab->setWordWrap(true);
    d.libraryWindows.downloadPhotosProgressor = new QProgressBar(w);
    d.libraryWindows.downloadPhotosProgressor->setObjectName(
        QStringLiteral("downloadPhotosProgressor"));
    d.libraryWindows.downloadPhotosProgressor->setRange(0, 100);
    d.libraryWindows.downloadiCloudPhotoProcesslab = new QLabel(w);
    d.libraryWindows.downloadiCloudPhotoProcesslab->setObjectName(
        QStringLiteral("downloadiCloudPhotoProcesslab"));
    if (column) {
        column->insertWidget(0, d.libraryWindows.downloadiCloudPhotoInfolab);
        column->insertWidget(1, d.libraryWindows.downloadPhotosProgressor);
        column->insertWidget(2, d.libraryWindows.downloadiCloudPhotoProcesslab);
    }
}

void showDownloadEnd(AppDelegate &d, const CloudDownloadRun::Report &report) {
    const QStringList missing = report.notDownloaded + report.notCopied;
    if (!missing.isEmpty())
        beginAlertSheet(d.window, AppDelegate::tr("Some originals were not downloaded."),
                        missing.mid(0, 20).join(QLatin1Char('\n')), {AppDelegate::tr(" Ok ")},
                        [&d](QMessageBox *alert, int code) { d.savePanelDidEnd3(alert, code); });
    Workspace::selectFile(QString(), d.preferences.storagelocation);
}

} // namespace

void AppDelegate::DownloadICloudsfromphotolibraryAction() {
    libraryWindows.allDownloadiCloudPhotoSize = 0;
    libraryWindows.allDownloadiCloudNum = 0;
    if (libraryWindows.cloudDownload)
        return; // one run at a time: its counters are the window's
    const QList<ExportEntry> entries = selectedEntriesOf(*this);
    if (entries.isEmpty())
        return;
    bool anyInCloud = false;
    for (const ExportEntry &e : entries) {
        if (e.item->photoLibFileNode)
            libraryWindows.allDownloadiCloudPhotoSize += e.item->photoLibFileNode->originalfilesize;
        anyInCloud |= !e.item->bICloudDownloadPhoto;
    }
    if (!anyInCloud)
        return ExportphotosfromphotolibraryAction();
    prepareDownloadWindow(*this);
    libraryWindows.allDownloadiCloudNum = int(entries.size());
    if (libraryWindows.downloadPhotosProgressor)
        libraryWindows.downloadPhotosProgressor->setValue(0);
    if (libraryWindows.downloadiCloudPhotoProcesslab)
        libraryWindows.downloadiCloudPhotoProcesslab->clear();
    if (libraryWindows.downloadiCloudPhotoInfolab)
        libraryWindows.downloadiCloudPhotoInfolab->setText(
            tr("%1 full-resolution iCloud photos total %2 are being downloaded.")
                .arg(libraryWindows.allDownloadiCloudNum)
                .arg(sizeText(libraryWindows.allDownloadiCloudPhotoSize)));
    if (auto *sheet = qobject_cast<QDialog *>(libraryWindows.downloadPhotosWindow)) {
        sheet->setWindowModality(Qt::WindowModal);
        sheet->open();
    } else if (libraryWindows.downloadPhotosWindow) {
        libraryWindows.downloadPhotosWindow->show();
    }
    ++runningJobs;
    QPointer<AppDelegate> self(this);
    // Progress may come from the service's threads: the window is only touched here.
    libraryWindows.cloudDownload = CloudDownloadRun::start(
        entries, preferences.storagelocation, cloudPhotoLibrary(),
        [self](int finished, int total) {
            QMetaObject::invokeMethod(
                self,
                [self, finished, total] {
                    if (self)
                        self->downloadAssetResourceonMainThread(finished, total);
                },
                Qt::QueuedConnection);
        },
        [self](const CloudDownloadRun::Report &report) {
            QMetaObject::invokeMethod(
                self,
                [self, report] {
                    if (!self)
                        return;
                    self->libraryWindows.cloudDownload.reset();
                    --self->runningJobs;
                    if (self->libraryWindows.downloadiCloudPhotoInfolab)
                        self->libraryWindows.downloadiCloudPhotoInfolab->setText(
                            tr("%1 full-resolution iCloud photos total %2 have been "
                               "successfully downloaded.")
                                .arg(report.total -
                                     int(report.notDownloaded.size() + report.notCopied.size()))
                                .arg(sizeText(self->libraryWindows.allDownloadiCloudPhotoSize)));
                    if (self->libraryWindows.downloadiCloudPhotoProcesslab)
                        self->libraryWindows.downloadiCloudPhotoProcesslab->clear();
                    if (self->libraryWindows.downloadPhotosWindow)
                        self->libraryWindows.downloadPhotosWindow->hide();
                    showDownloadEnd(*self, report);
                },
                Qt::QueuedConnection);
        });
}

void AppDelegate::downloadAssetResourceonMainThread(int finished, int total) {
    const int shown = std::min(finished, total);
    const int percent = total > 0 ? shown * 100 / total : 100;
    if (libraryWindows.downloadPhotosProgressor)
        libraryWindows.downloadPhotosProgressor->setValue(percent);
    if (libraryWindows.downloadiCloudPhotoProcesslab)
        libraryWindows.downloadiCloudPhotoProcesslab->setText(QStringLiteral("%1%").arg(percent));
}

void AppDelegate::ShowphotoinFinderAction() {
    const QList<ExportEntry> entries = selectedEntriesOf(*this);
    for (const ExportEntry &e : entries) {
        if (e.item->bICloudDownloadPhoto) {
            Workspace::selectFile(e.item->filePath, QFileInfo(e.item->filePath).absolutePath());
            continue;
        }
        const QString message = tr("The original iCloud photo is stored in iCloud. It may take "
                                   "some time to download.");
        QString why;
        if (!cloudPhotoLibrary().isAvailable(&why)) {
            beginAlertSheet(
                window, message, why, {tr(" Ok ")},
                [this](QMessageBox *alert, int code) { savePanelDidEnd3(alert, code); });
            continue;
        }
        const ExportEntry one = e;
        beginAlertSheet(
            window, message, tr("Do you want to download it locally?"),
            {tr(" Download "), tr(" Cancel ")}, [this, one](QMessageBox *alert, int code) {
                if (alert)
                    alert->close();
                if (code != 1)
                    return;
                ++runningJobs;
                QPointer<AppDelegate> self(this);
                CloudDownloadRun::start({one}, preferences.storagelocation, cloudPhotoLibrary(), {},
                                        [self](const CloudDownloadRun::Report &report) {
                                            QMetaObject::invokeMethod(
                                                self,
                                                [self, report] {
                                                    if (!self)
                                                        return;
                                                    --self->runningJobs;
                                                    showDownloadEnd(*self, report);
                                                },
                                                Qt::QueuedConnection);
                                        });
            });
    }
}
