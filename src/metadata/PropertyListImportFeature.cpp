// Property lists and templates applied to the selected local photos.
#include "app/AppDelegate.h"

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
    d.mainWindow.theOpenPanel = panel;
    QObject::connect(panel, &QFileDialog::finished, &d, [&d, panel, end](int r) {
        (d.*end)(panel, r == QDialog::Accepted ? 1 : 0, nullptr);
    });
    panel->open();
}

void tell(AppDelegate &d, const QString &message, const QString &details) {
    beginAlertSheet(d.window, message, details, {AppDelegate::tr(" Ok ")},
                    [&d](QMessageBox *alert, int code) { d.savePanelDidEnd3(alert, code); });
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
    d.finishJob(job);
}

void startImport(AppDelegate &d, const QList<IKImageItemPtr> &items, bool overwrite,
                 const WriteRecipeOptions &options, const QStringList &notInFile = {}) {
    AppDelegate *owner = &d;
    d.startRecipeJob(items, overwrite, options,
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
    const QList<IKImageItemPtr> items = d.selectedLocalItems();
    if (items.isEmpty())
        return datefeature::showNoSelectionSheet(d);
    const bool overwrite = d.preferences.overwrite;
    const PlistImportPlan plan =
        planPerPhotoPlist(items, kind, file, d.editSheetFieldText("cameraDatelab"));
    if (plan.named.isEmpty()) {
        tell(d, AppDelegate::tr("None of the selected photos is in this property list."),
             AppDelegate::tr("The file holds the metadata of photos named: %1")
                 .arg(shortList(file.order).join(QStringLiteral(", "))));
        return;
    }
    startImport(d, plan.named, overwrite, plan.options, plan.notInFile);
}

} // namespace

void AppDelegate::ImportTIFFtoPlistAction() {
    openPlistPanel(*this, &AppDelegate::openPanelDidEnd10);
}

void AppDelegate::ImportExiFtoPlistAction() {
    openPlistPanel(*this, &AppDelegate::openPanelDidEnd11);
}

void AppDelegate::ImportExiFAndTiffPlistAction() {
    openPlistPanel(*this, &AppDelegate::openPanelDidEnd12);
}

void AppDelegate::ImportExiFAndGPSPlistAction() {
    openPlistPanel(*this, &AppDelegate::openPanelDidEnd16);
}

void AppDelegate::ImportMetaDataPlistAction() {
    openPlistPanel(*this, &AppDelegate::openPanelDidEnd14);
}

void AppDelegate::ImportTemplateDataPlistAction() {
    openPlistPanel(*this, &AppDelegate::openPanelDidEnd13);
}

void AppDelegate::openPanelDidEnd10(QFileDialog *panel, int returnCode, void *) {
    importPerPhoto(*this, panel, returnCode, PlistExportKind::Tiff);
}

void AppDelegate::openPanelDidEnd11(QFileDialog *panel, int returnCode, void *) {
    importPerPhoto(*this, panel, returnCode, PlistExportKind::Exif);
}

void AppDelegate::openPanelDidEnd12(QFileDialog *panel, int returnCode, void *) {
    importPerPhoto(*this, panel, returnCode, PlistExportKind::ExifAndTiff);
}

void AppDelegate::openPanelDidEnd16(QFileDialog *panel, int returnCode, void *) {
    importPerPhoto(*this, panel, returnCode, PlistExportKind::ExifAndGps);
}

void AppDelegate::openPanelDidEnd14(QFileDialog *panel, int returnCode, void *) {
    importPerPhoto(*this, panel, returnCode, PlistExportKind::AllMetadata);
}

void AppDelegate::openPanelDidEnd13(QFileDialog *panel, int returnCode, void *) {
    const QString path = chosenFile(panel, returnCode);
    if (path.isEmpty())
        return;
    const TemplatePlist tpl = loadTemplatePlist(path);
    if (!tpl.ok) {
        tell(*this, tr("This template cannot be applied."), tpl.reason);
        return;
    }
    const QList<IKImageItemPtr> items = selectedLocalItems();
    if (items.isEmpty())
        return datefeature::showNoSelectionSheet(*this);
    const bool overwrite = preferences.overwrite;
    startImport(*this, items, overwrite, templateOptions(tpl));
}
