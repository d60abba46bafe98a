// Property lists and templates applied to the selected local photos.
#include "app/AppDelegate.h"
#include "app/Browsers.h"
#include "app/Jobs.h"
#include "app/Sheets.h"
#include "browser/MainWindowController.h"

#include "metadata/DateFeatureSupport.h"
#include "metadata/core/PropertyListImport.h"
#include "metadata/core/RecipeJobReport.h"
#include "platform/AlertSheet.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QMainWindow>

namespace {

using EndHandler = void (AppDelegate::*)(QFileDialog *, int, void *);

void openPlistPanel(AppDelegate &d, EndHandler end) {
    auto *panel = new QFileDialog(d.window, AppDelegate::tr("Please select plist to import."));
    panel->setAttribute(Qt::WA_DeleteOnClose);
    panel->setWindowModality(Qt::WindowModal);
    panel->setFileMode(QFileDialog::ExistingFile);
    d.mainWindowController().theOpenPanel = panel;
    QObject::connect(panel, &QFileDialog::finished, &d, [&d, panel, end](int r) {
        (d.*end)(panel, r == QDialog::Accepted ? 1 : 0, nullptr);
    });
    panel->open();
}

void tell(AppDelegate &d, const QString &message, const QString &details) {
    beginAlertSheet(
        d.window, message, details, {AppDelegate::tr(" Ok ")},
        [&d](QMessageBox *alert, int code) { d.sheets().savePanelDidEnd3(alert, code); });
}

QString chosenFile(QFileDialog *panel, int returnCode) {
    if (returnCode != 1 || !panel || panel->selectedFiles().isEmpty())
        return {};
    return panel->selectedFiles().first();
}

void finishImport(AppDelegate &d, const WriteRecipeReport &report,
                  const QStringList &notInFile = {}) {
    QStringList missing;
    for (const QString &name : notInFile)
        missing << AppDelegate::tr("%1: not in the property list").arg(name);
    JobReport job = jobReportFromRecipe(report);
    job.notWritten += missing;
    // Only photos left as they were are told: an import that wrote them all ends silently.
    job.sheetOnSuccess = false;
    d.jobs().finishJob(job);
}

void startImport(AppDelegate &d, const QList<IKImageItemPtr> &items, bool overwrite,
                 const WriteRecipeOptions &options, const QStringList &notInFile = {}) {
    AppDelegate *owner = &d;
    d.jobs().startRecipeJob(items, overwrite, options,
                            [owner, notInFile](const WriteRecipeReport &report, bool) {
                                finishImport(*owner, report, notInFile);
                            });
}

void importPerPhoto(AppDelegate &d, QFileDialog *panel, int returnCode, PlistExportKind kind) {
    const QString path = chosenFile(panel, returnCode);
    if (path.isEmpty())
        return;
    const PerPhotoPlist file = loadPerPhotoPlist(path, kind);
    if (!file.ok) {
        tell(d, AppDelegate::tr("This property list cannot be imported."), file.reason);
        return;
    }
    const QList<IKImageItemPtr> items = d.browsers().selectedLocalItems();
    if (items.isEmpty())
        return datefeature::showNoSelectionSheet(d);
    const bool overwrite = d.preferences().overwrite;
    const PlistImportPlan plan =
        planPerPhotoPlist(items, kind, file, d.metadataMenus.editSheetFieldText("cameraDatelab"));
    if (plan.named.isEmpty()) {
        tell(d, AppDelegate::tr("None of the selected photos is in this property list."),
             AppDelegate::tr("The file holds the metadata of photos named: %1")
                 .arg(shortList(file.order).join(QStringLiteral(", "))));
        return;
    }
    startImport(d, plan.named, overwrite, plan.options, plan.notInFile);
}

} // namespace

void MetadataMenusPart::ImportTIFFtoPlistAction() {
    openPlistPanel(d, &AppDelegate::forward<&MetadataMenusPart::openPanelDidEnd10>);
}

void MetadataMenusPart::ImportExiFtoPlistAction() {
    openPlistPanel(d, &AppDelegate::forward<&MetadataMenusPart::openPanelDidEnd11>);
}

void MetadataMenusPart::ImportExiFAndTiffPlistAction() {
    openPlistPanel(d, &AppDelegate::forward<&MetadataMenusPart::openPanelDidEnd12>);
}

void MetadataMenusPart::ImportExiFAndGPSPlistAction() {
    openPlistPanel(d, &AppDelegate::forward<&MetadataMenusPart::openPanelDidEnd16>);
}

void MetadataMenusPart::ImportMetaDataPlistAction() {
    openPlistPanel(d, &AppDelegate::forward<&MetadataMenusPart::openPanelDidEnd14>);
}

void MetadataMenusPart::ImportTemplateDataPlistAction() {
    openPlistPanel(d, &AppDelegate::forward<&MetadataMenusPart::openPanelDidEnd13>);
}

void MetadataMenusPart::openPanelDidEnd10(QFileDialog *panel, int returnCode, void *) {
    importPerPhoto(d, panel, returnCode, PlistExportKind::Tiff);
}

void MetadataMenusPart::openPanelDidEnd11(QFileDialog *panel, int returnCode, void *) {
    importPerPhoto(d, panel, returnCode, PlistExportKind::Exif);
}

void MetadataMenusPart::openPanelDidEnd12(QFileDialog *panel, int returnCode, void *) {
    importPerPhoto(d, panel, returnCode, PlistExportKind::ExifAndTiff);
}

void MetadataMenusPart::openPanelDidEnd16(QFileDialog *panel, int returnCode, void *) {
    importPerPhoto(d, panel, returnCode, PlistExportKind::ExifAndGps);
}

void MetadataMenusPart::openPanelDidEnd14(QFileDialog *panel, int returnCode, void *) {
    importPerPhoto(d, panel, returnCode, PlistExportKind::AllMetadata);
}

void MetadataMenusPart::openPanelDidEnd13(QFileDialog *panel, int returnCode, void *) {
    const QString path = chosenFile(panel, returnCode);
    if (path.isEmpty())
        return;
    const TemplatePlist tpl = loadTemplatePlist(path);
    if (!tpl.ok) {
        tell(d, AppDelegate::tr("This template cannot be applied."), tpl.reason);
        return;
    }
    const QList<IKImageItemPtr> items = d.browsers().selectedLocalItems();
    if (items.isEmpty())
        return datefeature::showNoSelectionSheet(d);
    const bool overwrite = d.preferences().overwrite;
    startImport(d, items, overwrite, templateOptions(tpl));
}
