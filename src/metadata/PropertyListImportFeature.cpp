// Property lists and templates applied to the selected local photos.
#include "metadata/MetadataMenus.h"

#include "app/AppServices.h"
#include "app/Browsers.h"
#include "app/Jobs.h"
#include "app/Sheets.h"
#include "browser/MainWindow.h"

#include "metadata/DateFeatureSupport.h"
#include "metadata/core/PropertyListImport.h"
#include "metadata/core/RecipeJobReport.h"
#include "platform/AlertSheet.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QMainWindow>

namespace {

void tell(AppServices &app, const QString &message, const QString &details) {
    beginAlertSheet(
        app.mainWindow(), message, details, {MetadataMenus::tr(" Ok ")},
        [&app](QMessageBox *alert, int code) { app.sheets().savePanelDidEnd3(alert, code); });
}

QString chosenFile(QFileDialog *panel, int returnCode) {
    if (returnCode != 1 || !panel || panel->selectedFiles().isEmpty())
        return {};
    return panel->selectedFiles().first();
}

void finishImport(AppServices &app, const WriteRecipeReport &report,
                  const QStringList &notInFile = {}) {
    QStringList missing;
    for (const QString &name : notInFile)
        missing << MetadataMenus::tr("%1: not in the property list").arg(name);
    JobReport job = jobReportFromRecipe(report);
    job.notWritten += missing;
    // Only photos left as they were are told: an import that wrote them all ends silently.
    job.sheetOnSuccess = false;
    app.jobs().finishJob(job);
}

void startImport(AppServices &app, const QList<IKImageItemPtr> &items, bool overwrite,
                 const WriteRecipeOptions &options, const QStringList &notInFile = {}) {
    AppServices *owner = &app;
    app.jobs().startRecipeJob(items, overwrite, options,
                              [owner, notInFile](const WriteRecipeReport &report, bool) {
                                  finishImport(*owner, report, notInFile);
                              });
}

// `cameraDate`: the edit sheet's camera date, for the photos the file gives none.
void importPerPhoto(AppServices &app, QFileDialog *panel, int returnCode, PlistExportKind kind,
                    const QString &cameraDate) {
    const QString path = chosenFile(panel, returnCode);
    if (path.isEmpty())
        return;
    const PerPhotoPlist file = loadPerPhotoPlist(path, kind);
    if (!file.ok) {
        tell(app, MetadataMenus::tr("This property list cannot be imported."), file.reason);
        return;
    }
    const QList<IKImageItemPtr> items = app.browsers().selectedLocalItems();
    if (items.isEmpty())
        return datefeature::showNoSelectionSheet(app);
    const bool overwrite = app.preferences().overwrite;
    const PlistImportPlan plan = planPerPhotoPlist(items, kind, file, cameraDate);
    if (plan.named.isEmpty()) {
        tell(app, MetadataMenus::tr("None of the selected photos is in this property list."),
             MetadataMenus::tr("The file holds the metadata of photos named: %1")
                 .arg(shortList(file.order).join(QStringLiteral(", "))));
        return;
    }
    startImport(app, plan.named, overwrite, plan.options, plan.notInFile);
}

} // namespace

MetadataMenus::MetadataMenus(AppServices &app, CameraCopies &camera, GpsWindow &gps,
                             MainWindow &mainWindow)
    : app(app), camera(camera), gps(gps), mainWindow(mainWindow) {}

void MetadataMenus::openPlistPanel(PanelEnd end) {
    auto *panel = new QFileDialog(app.mainWindow(), tr("Please select plist to import."));
    panel->setAttribute(Qt::WA_DeleteOnClose);
    panel->setWindowModality(Qt::WindowModal);
    panel->setFileMode(QFileDialog::ExistingFile);
    QObject::connect(panel, &QFileDialog::finished, &app.jobs(), [this, panel, end](int r) {
        (this->*end)(panel, r == QDialog::Accepted ? 1 : 0, nullptr);
    });
    panel->open();
}

void MetadataMenus::ImportTIFFtoPlistAction() {
    openPlistPanel(&MetadataMenus::openPanelDidEnd10);
}

void MetadataMenus::ImportExiFtoPlistAction() {
    openPlistPanel(&MetadataMenus::openPanelDidEnd11);
}

void MetadataMenus::ImportExiFAndTiffPlistAction() {
    openPlistPanel(&MetadataMenus::openPanelDidEnd12);
}

void MetadataMenus::ImportExiFAndGPSPlistAction() {
    openPlistPanel(&MetadataMenus::openPanelDidEnd16);
}

void MetadataMenus::ImportMetaDataPlistAction() {
    openPlistPanel(&MetadataMenus::openPanelDidEnd14);
}

void MetadataMenus::ImportTemplateDataPlistAction() {
    openPlistPanel(&MetadataMenus::openPanelDidEnd13);
}

void MetadataMenus::openPanelDidEnd10(QFileDialog *panel, int returnCode, void *) {
    importPerPhoto(app, panel, returnCode, PlistExportKind::Tiff,
                   editSheetFieldText("cameraDatelab"));
}

void MetadataMenus::openPanelDidEnd11(QFileDialog *panel, int returnCode, void *) {
    importPerPhoto(app, panel, returnCode, PlistExportKind::Exif,
                   editSheetFieldText("cameraDatelab"));
}

void MetadataMenus::openPanelDidEnd12(QFileDialog *panel, int returnCode, void *) {
    importPerPhoto(app, panel, returnCode, PlistExportKind::ExifAndTiff,
                   editSheetFieldText("cameraDatelab"));
}

void MetadataMenus::openPanelDidEnd16(QFileDialog *panel, int returnCode, void *) {
    importPerPhoto(app, panel, returnCode, PlistExportKind::ExifAndGps,
                   editSheetFieldText("cameraDatelab"));
}

void MetadataMenus::openPanelDidEnd14(QFileDialog *panel, int returnCode, void *) {
    importPerPhoto(app, panel, returnCode, PlistExportKind::AllMetadata,
                   editSheetFieldText("cameraDatelab"));
}

void MetadataMenus::openPanelDidEnd13(QFileDialog *panel, int returnCode, void *) {
    const QString path = chosenFile(panel, returnCode);
    if (path.isEmpty())
        return;
    const TemplatePlist tpl = loadTemplatePlist(path);
    if (!tpl.ok) {
        tell(app, MetadataMenus::tr("This template cannot be applied."), tpl.reason);
        return;
    }
    const QList<IKImageItemPtr> items = app.browsers().selectedLocalItems();
    if (items.isEmpty())
        return datefeature::showNoSelectionSheet(app);
    const bool overwrite = app.preferences().overwrite;
    startImport(app, items, overwrite, templateOptions(tpl));
}
