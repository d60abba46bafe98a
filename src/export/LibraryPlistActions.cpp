// The library view's two property lists of the selected photos.
#include "app/AppDelegate.h"
#include "app/Jobs.h"
#include "app/Sheets.h"
#include "browser/MainWindowController.h"

#include "export/core/LibraryPlists.h"
#include "platform/AlertSheet.h"

#include <QFileInfo>
#include <QItemSelectionModel>
#include <QListView>
#include <QMainWindow>
#include <QSet>

namespace {

void writeLibraryPlist(AppDelegate &d,
                       PlistExportResult (*write)(const QList<ExportEntry> &, const QString &)) {
    QList<int> rows;
    if (d.mainWindowController().photoLibBrowserView &&
        d.mainWindowController().photoLibBrowserView->selectionModel())
        for (const QModelIndex &index :
             d.mainWindowController().photoLibBrowserView->selectionModel()->selectedIndexes())
            rows << index.row();
    const QList<ExportEntry> entries = snapshotSelection(d.library().photoLibBroserArray, rows);
    // An empty list would take the place of the last one.
    if (entries.isEmpty())
        return;
    const QString storage = d.preferences().storagelocation;
    const PlistExportResult result = write(entries, storage);
    QSet<const IKImageItem *> shown;
    for (const IKImageItemPtr &i : std::as_const(d.library().photoLibBroserArray))
        shown.insert(i.get());
    for (const ExportEntry &e : entries)
        if (e.source && shown.contains(e.source.get()))
            e.source->originalFileNode = e.item->originalFileNode;
    const auto done = [&d](QMessageBox *alert, int code) {
        d.sheets().savePanelDidEnd3(alert, code);
    };
    if (!result.written) {
        beginAlertSheet(d.window, AppDelegate::tr("The metadata could not be exported."),
                        result.reason, {AppDelegate::tr(" Ok ")}, done);
        return;
    }
    // Where no file manager answers, the sheet names the folder the file was written to.
    d.jobs().revealJobResult(1, result.path, QFileInfo(result.path).absolutePath());
    QStringList lines;
    if (!result.duplicateNames.isEmpty())
        lines << AppDelegate::tr("Several selected photos are named %1; the file holds the "
                                 "metadata of the last of them only.")
                     .arg(result.duplicateNames.join(QStringLiteral(", ")));
    if (!result.unreadable.isEmpty())
        lines << AppDelegate::tr("These photos could not be read and are not in the file: %1")
                     .arg(result.unreadable.join(QStringLiteral(", ")));
    if (!lines.isEmpty())
        beginAlertSheet(d.window, AppDelegate::tr("Some metadata is not in the exported file."),
                        lines.join(QStringLiteral("\n\n")), {AppDelegate::tr(" Ok ")}, done);
}

} // namespace

void LibraryWindowsPart::ExportOriginaPhotoLibraryMetaToPlistAction() {
    writeLibraryPlist(d, &exportOriginalMetadataPlist);
}

void LibraryWindowsPart::ExportPhotoLibraryMetaToPlistAction() {
    writeLibraryPlist(d, &exportLibraryMetadataPlist);
}
