// The library view's two property lists of the selected photos.
#include "library/LibraryWindows.h"

#include "app/AppServices.h"
#include "app/Browsers.h"
#include "app/Jobs.h"
#include "app/Sheets.h"
#include "export/core/LibraryPlists.h"
#include "platform/AlertSheet.h"

#include <QFileInfo>
#include <QItemSelectionModel>
#include <QListView>
#include <QMainWindow>
#include <QSet>

namespace {

void writeLibraryPlist(AppServices &app,
                       PlistExportResult (*write)(const QList<ExportEntry> &, const QString &)) {
    const QList<ExportEntry> entries =
        snapshotSelection(app.library().photoLibBroserArray, app.browsers().selectedLibraryRows());
    // An empty list would take the place of the last one.
    if (entries.isEmpty())
        return;
    const QString storage = app.preferences().storagelocation;
    const PlistExportResult result = write(entries, storage);
    QSet<const IKImageItem *> shown;
    for (const IKImageItemPtr &i : std::as_const(app.library().photoLibBroserArray))
        shown.insert(i.get());
    for (const ExportEntry &e : entries)
        if (e.source && shown.contains(e.source.get()))
            e.source->originalFileNode = e.item->originalFileNode;
    if (!result.written) {
        app.sheets().alert(LibraryWindows::tr("The metadata could not be exported."),
                           result.reason);
        return;
    }
    // Where no file manager answers, the sheet names the folder the file was written to.
    app.jobs().revealJobResult(1, result.path, QFileInfo(result.path).absolutePath());
    QStringList lines;
    if (!result.duplicateNames.isEmpty())
        lines << LibraryWindows::tr("Several selected photos are named %1; the file holds the "
                                    "metadata of the last of them only.")
                     .arg(result.duplicateNames.join(QStringLiteral(", ")));
    if (!result.unreadable.isEmpty())
        lines << LibraryWindows::tr("These photos could not be read and are not in the file: %1")
                     .arg(result.unreadable.join(QStringLiteral(", ")));
    if (!lines.isEmpty())
        app.sheets().alert(LibraryWindows::tr("Some metadata is not in the exported file."),
                           lines.join(QStringLiteral("\n\n")));
}

} // namespace

void LibraryWindows::ExportOriginaPhotoLibraryMetaToPlistAction() {
    writeLibraryPlist(app, &exportOriginalMetadataPlist);
}

void LibraryWindows::ExportPhotoLibraryMetaToPlistAction() {
    writeLibraryPlist(app, &exportLibraryMetadataPlist);
}
