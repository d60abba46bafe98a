// Metadata of the selected photos, or of the edit sheet, saved as property lists.
#include "app/AppDelegate.h"
#include "app/Browsers.h"
#include "app/Jobs.h"
#include "app/Sheets.h"

#include "metadata/DateFeatureSupport.h"

#include "metadata/core/PropertyListExport.h"
#include "platform/AlertSheet.h"
#include "platform/core/JobReport.h"

#include <QFileInfo>
#include <QMainWindow>
#include <QVariant>

namespace {

// The written file is shown in the file manager; where none answers, the sheet names the
// folder it was written to.
void revealExport(AppDelegate &d, const QString &path) {
    d.jobs().revealJobResult(1, path, QFileInfo(path).absolutePath());
}

void reportExportFailure(AppDelegate &d, const QString &why) {
    beginAlertSheet(d.window, AppDelegate::tr("The metadata could not be exported."), why,
                    {AppDelegate::tr(" Ok ")}, [&d](QMessageBox *alert, int code) {
                        d.sheets().savePanelDidEnd3(alert, code);
                    });
}

void exportSelected(AppDelegate &d, PlistExportKind kind) {
    // An empty file would replace the last export and be shown as a success.
    if (d.browsers().selectedLocalItems().isEmpty())
        return datefeature::showNoSelectionSheet(d);
    const PlistExportResult result = exportPhotosToPlist(d.browsers().selectedLocalItems(),
                                                         d.preferences().storagelocation, kind);
    if (!result.written) {
        reportExportFailure(d, result.reason);
        return;
    }
    revealExport(d, result.path);
    QStringList lines;
    if (!result.duplicateNames.isEmpty())
        lines << AppDelegate::tr("Several selected photos are named %1; the file holds the "
                                 "metadata of the last of them only.")
                     .arg(result.duplicateNames.join(QStringLiteral(", ")));
    if (!result.unreadable.isEmpty())
        lines << AppDelegate::tr("These photos could not be read and are not in the file: %1")
                     .arg(result.unreadable.join(QStringLiteral(", ")));
    if (!result.skippedValues.isEmpty())
        lines << AppDelegate::tr("These values cannot be stored in a property list and were "
                                 "left out: %1")
                     .arg(shortList(result.skippedValues).join(QStringLiteral(", ")));
    if (!lines.isEmpty())
        beginAlertSheet(
            d.window, AppDelegate::tr("Some metadata is not in the exported file."),
            lines.join(QStringLiteral("\n\n")), {AppDelegate::tr(" Ok ")},
            [&d](QMessageBox *alert, int code) { d.sheets().savePanelDidEnd3(alert, code); });
}

} // namespace

QString MetadataMenusPart::editSheetFieldText(const char *outletName) const {
    const QString name = QLatin1String(outletName);
    const QWidget *sheet =
        d.window ? d.window->findChild<QWidget *>(QStringLiteral("eidtMetaWindow")) : nullptr;
    const QWidget *field = sheet ? sheet->findChild<QWidget *>(name) : nullptr;
    if (!field)
        return {};
    const QVariant plain = field->property("plainText");
    return plain.isValid() ? plain.toString() : field->property("text").toString();
}

void MetadataMenusPart::ExportTIFFtoPlistAction() {
    exportSelected(d, PlistExportKind::Tiff);
}

void MetadataMenusPart::ExportExiftoPlistAction() {
    exportSelected(d, PlistExportKind::Exif);
}

void MetadataMenusPart::ExportExifAndIiFFDataToPlist() {
    exportSelected(d, PlistExportKind::ExifAndTiff);
}

void MetadataMenusPart::ExportExifAndGPSDataToPlist() {
    exportSelected(d, PlistExportKind::ExifAndGps);
}

void MetadataMenusPart::WriteExifDataToPlist() {
    exportSelected(d, PlistExportKind::AllMetadata);
}

void MetadataMenusPart::ExportTemplateDataToPlist() {
    const PropertyList::OrderedDictionary dict =
        templateDictionary([this](const char *field) { return editSheetFieldText(field); });
    QString why;
    const QString path = writeTemplatePlist(d.preferences().storagelocation, dict, &why);
    if (path.isEmpty()) {
        reportExportFailure(d, why);
        return;
    }
    revealExport(d, path);
}

void MetadataMenusPart::WriteSelectedItemsExifDataToPlist() {
    QString why;
    const QString path =
        writeShownPhotoPlist(d.preferences().storagelocation, d.selection().currentFileName,
                             d.selection().currentExifDictionary, &why);
    if (path.isEmpty()) {
        reportExportFailure(d, why);
        return;
    }
    revealExport(d, path);
}
