// Metadata of the selected photos, or of the edit sheet, saved as property lists.
#include "metadata/MetadataMenus.h"

#include "app/AppServices.h"
#include "app/Browsers.h"
#include "app/Jobs.h"
#include "app/Sheets.h"
#include <QMenu>

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
void revealExport(AppServices &app, const QString &path) {
    app.jobs().revealJobResult(1, path, QFileInfo(path).absolutePath());
}

void reportExportFailure(AppServices &app, const QString &why) {
    beginAlertSheet(app.mainWindow(), MetadataMenus::tr("The metadata could not be exported."), why,
                    {MetadataMenus::tr(" Ok ")}, [&app](QMessageBox *alert, int code) {
                        app.sheets().savePanelDidEnd3(alert, code);
                    });
}

void exportSelected(AppServices &app, PlistExportKind kind) {
    // An empty file would replace the last export and be shown as a success.
    if (app.browsers().selectedLocalItems().isEmpty())
        return datefeature::showNoSelectionSheet(app);
    const PlistExportResult result = exportPhotosToPlist(app.browsers().selectedLocalItems(),
                                                         app.preferences().storagelocation, kind);
    if (!result.written) {
        reportExportFailure(app, result.reason);
        return;
    }
    revealExport(app, result.path);
    QStringList lines;
    if (!result.duplicateNames.isEmpty())
        lines << MetadataMenus::tr("Several selected photos are named %1; the file holds the "
                                   "metadata of the last of them only.")
                     .arg(result.duplicateNames.join(QStringLiteral(", ")));
    if (!result.unreadable.isEmpty())
        lines << MetadataMenus::tr("These photos could not be read and are not in the file: %1")
                     .arg(result.unreadable.join(QStringLiteral(", ")));
    if (!result.skippedValues.isEmpty())
        lines << MetadataMenus::tr("These values cannot be stored in a property list and were "
                                   "left out: %1")
                     .arg(shortList(result.skippedValues).join(QStringLiteral(", ")));
    if (!lines.isEmpty())
        beginAlertSheet(
            app.mainWindow(), MetadataMenus::tr("Some metadata is not in the exported file."),
            lines.join(QStringLiteral("\n\n")), {MetadataMenus::tr(" Ok ")},
            [&app](QMessageBox *alert, int code) { app.sheets().savePanelDidEnd3(alert, code); });
}

} // namespace

QString MetadataMenus::editSheetFieldText(const char *outletName) const {
    const QString name = QLatin1String(outletName);
    const QWidget *sheet =
        app.mainWindow() ? app.mainWindow()->findChild<QWidget *>(QStringLiteral("eidtMetaWindow"))
                         : nullptr;
    const QWidget *field = sheet ? sheet->findChild<QWidget *>(name) : nullptr;
    if (!field)
        return {};
    const QVariant plain = field->property("plainText");
    return plain.isValid() ? plain.toString() : field->property("text").toString();
}

void MetadataMenus::ExportTIFFtoPlistAction() {
    exportSelected(app, PlistExportKind::Tiff);
}

void MetadataMenus::ExportExiftoPlistAction() {
    exportSelected(app, PlistExportKind::Exif);
}

void MetadataMenus::ExportExifAndIiFFDataToPlist() {
    exportSelected(app, PlistExportKind::ExifAndTiff);
}

void MetadataMenus::ExportExifAndGPSDataToPlist() {
    exportSelected(app, PlistExportKind::ExifAndGps);
}

void MetadataMenus::WriteExifDataToPlist() {
    exportSelected(app, PlistExportKind::AllMetadata);
}

void MetadataMenus::ExportTemplateDataToPlist() {
    const PropertyList::OrderedDictionary dict =
        templateDictionary([this](const char *field) { return editSheetFieldText(field); });
    QString why;
    const QString path = writeTemplatePlist(app.preferences().storagelocation, dict, &why);
    if (path.isEmpty()) {
        reportExportFailure(app, why);
        return;
    }
    revealExport(app, path);
}

void MetadataMenus::WriteSelectedItemsExifDataToPlist() {
    QString why;
    const QString path =
        writeShownPhotoPlist(app.preferences().storagelocation, app.selection().currentFileName,
                             app.selection().currentExifDictionary, &why);
    if (path.isEmpty()) {
        reportExportFailure(app, why);
        return;
    }
    revealExport(app, path);
}

void MetadataMenus::addPropertyListItems(QMenu *menu) {
    const std::pair<const char *, void (MetadataMenus::*)()> items[] = {
        {"Export TIFF Metadata to Plist", &MetadataMenus::ExportTIFFtoPlistAction},
        {"Export Exif Metadata to Plist", &MetadataMenus::ExportExiftoPlistAction},
        {"Export Exif and TIFF Metadata to Plist", &MetadataMenus::ExportExifAndIiFFDataToPlist},
        {"Export Exif and GPS Metadata to Plist", &MetadataMenus::ExportExifAndGPSDataToPlist},
        {"Export All Metadata to Plist", &MetadataMenus::WriteExifDataToPlist},
        {"Export Shown Photo's Metadata to Plist",
         &MetadataMenus::WriteSelectedItemsExifDataToPlist},
        {"Export Edit Sheet as Template", &MetadataMenus::ExportTemplateDataToPlist},
        {nullptr, nullptr},
        {"Import TIFF Metadata from Plist…", &MetadataMenus::ImportTIFFtoPlistAction},
        {"Import Exif Metadata from Plist…", &MetadataMenus::ImportExiFtoPlistAction},
        {"Import Exif and TIFF Metadata from Plist…", &MetadataMenus::ImportExiFAndTiffPlistAction},
        {"Import Exif and GPS Metadata from Plist…", &MetadataMenus::ImportExiFAndGPSPlistAction},
        {"Import All Metadata from Plist…", &MetadataMenus::ImportMetaDataPlistAction},
        {"Apply Template…", &MetadataMenus::ImportTemplateDataPlistAction},
    };
    for (const auto &[title, action] : items) {
        if (action)
            app.jobs().addMenuItem(menu, tr(title), [this, action = action] { (this->*action)(); });
        else
            menu->addSeparator();
    }
}
