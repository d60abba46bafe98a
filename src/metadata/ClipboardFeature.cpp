// Copy and paste of metadata sections between local photos.
#include "app/AppDelegate.h"
#include "app/Browsers.h"
#include "app/Jobs.h"
#include "app/Sheets.h"
#include "browser/MainWindowController.h"

#include "metadata/DateFeatureSupport.h"
#include "metadata/core/MetadataClipboard.h"
#include "metadata/core/RecipeJobReport.h"
#include "metadata/core/WriteRecipe.h"
#include "platform/AlertSheet.h"
#include "platform/core/ImageSource.h"

#include <QAction>
#include <QFile>
#include <QMainWindow>

namespace {

enum class Slot { Exif, Iptc, Tiff, Gps, All };

struct SlotParts {
    QVariantMap *dictionary;
    bool *flag;
    QAction *item;
    QString key; // empty for the whole dictionary
    QString message;
    QString informative;
};

SlotParts partsOf(AppDelegate &d, Slot slot) {
    const auto info = [](const char *what) {
        return QStringLiteral("Please select a photo, and then click the Copy %1 data from a "
                              "selected photo menu item.")
            .arg(QLatin1String(what));
    };
    switch (slot) {
    case Slot::Exif:
        return {&d.clipboard.copyExifDictionary,
                &d.clipboard.bCopyExifData,
                d.mainWindowController().pasteExifMenuItem,
                QStringLiteral("{Exif}"),
                AppDelegate::tr("First you need to copy Exif data from a photo."),
                info("Exif")};
    case Slot::Iptc:
        return {&d.clipboard.copyIPTCDictionary,
                &d.clipboard.bCopyIPTCData,
                d.mainWindowController().pasteIPTCMenuItem,
                QStringLiteral("{IPTC}"),
                AppDelegate::tr("First you need to copy IPTC data from a photo."),
                info("IPTC")};
    case Slot::Tiff:
        return {&d.clipboard.copyTiffDictionary,
                &d.clipboard.bCopyTIFFData,
                d.mainWindowController().pasteTIFFMenuItem,
                QStringLiteral("{TIFF}"),
                AppDelegate::tr("First you need to copy TIFF data from a photo."),
                info("TIFF")};
    case Slot::Gps:
        return {&d.clipboard.copyGPSDictionary,
                &d.clipboard.bCopyGPSData,
                d.mainWindowController().pasteGPSMenuItem,
                QStringLiteral("{GPS}"),
                AppDelegate::tr("First you need to copy GPS data from a photo."),
                info("GPS")};
    case Slot::All:
        break;
    }
    return {&d.clipboard.copyAllPhotoMetaDictionary,
            &d.clipboard.bCopyAllPhotoMetaData,
            d.mainWindowController().pasteAllPhotoMetaMenuItem,
            QString(),
            AppDelegate::tr("First you need to copy All Photo metadata from a photo."),
            QString()};
}

void copySlot(AppDelegate &d, Slot slot) {
    const QList<IKImageItemPtr> items = d.browsers().selectedLocalItems();
    if (items.isEmpty())
        return datefeature::showNoSelectionSheet(d);
    auto tell = [&d](const QString &text) {
        beginAlertSheet(
            d.window, text, QString(), {AppDelegate::tr(" Ok ")},
            [&d](QMessageBox *alert, int code) { d.sheets().savePanelDidEnd3(alert, code); });
    };
    const ImageSource source = ImageSource::fromPath(items.first()->currentPath());
    if (!source.isValid())
        return tell(AppDelegate::tr("The metadata of \"%1\" could not be read.")
                        .arg(items.first()->fileName));
    const QVariantMap properties = source.properties(0);
    SlotParts parts = partsOf(d, slot);
    *parts.dictionary = parts.key.isEmpty() ? properties : subDictionary(properties, parts.key);
    *parts.flag = true;
    if (parts.item)
        parts.item->setEnabled(true);
}

void pasteSlot(AppDelegate &d, Slot slot) {
    const SlotParts parts = partsOf(d, slot);
    if (!*parts.flag) {
        beginAlertSheet(
            d.window, parts.message, parts.informative, {AppDelegate::tr(" Ok ")},
            [&d](QMessageBox *alert, int code) { d.sheets().savePanelDidEnd3(alert, code); });
        return;
    }
    const QList<IKImageItemPtr> items = d.browsers().selectedLocalItems();
    if (items.isEmpty())
        return datefeature::showNoSelectionSheet(d);
    const QVariantMap copied = *parts.dictionary;
    const QString key = parts.key;
    WriteRecipeOptions options;
    options.change = [copied, key](QVariantMap &working, const IKImageItem &) {
        working = key.isEmpty() ? pasteAll(working, copied) : pasteSection(working, key, copied);
        return true;
    };
    options.destinationDictionary = QStringLiteral("{IPTC}");
    options.dates = WriteRecipeOptions::Dates::CopyFromSource;
    options.useRawTemporary = true;
    // A paste writes into the storage folder only; the original is never replaced.
    AppDelegate *owner = &d;
    d.jobs().startRecipeJob(items, false, options, [owner](const WriteRecipeReport &report, bool) {
        JobReport job = jobReportFromRecipe(report);
        job.sheetOnSuccess = false;
        owner->jobs().finishJob(job);
    });
}

} // namespace

void ClipboardPart::ClickCopyOnePhotoExifAction() {
    copySlot(d, Slot::Exif);
}
void ClipboardPart::ClickCopyOnePhotoIPTCAction() {
    copySlot(d, Slot::Iptc);
}
void ClipboardPart::ClickCopyOnePhotoTIFFAction() {
    copySlot(d, Slot::Tiff);
}
void ClipboardPart::ClickCopyOnePhotoGPSAction() {
    copySlot(d, Slot::Gps);
}
void ClipboardPart::ClickCopyOneAllPhotoMetadataAction() {
    copySlot(d, Slot::All);
}
void ClipboardPart::ClickPasteExifDataAction() {
    pasteSlot(d, Slot::Exif);
}
void ClipboardPart::ClickPasteIPTCDataAction() {
    pasteSlot(d, Slot::Iptc);
}
void ClipboardPart::ClickPasteTIFFDataAction() {
    pasteSlot(d, Slot::Tiff);
}
void ClipboardPart::ClickPasteGPSDataAction() {
    pasteSlot(d, Slot::Gps);
}
void ClipboardPart::ClickPasteAllPhotoMetaAction() {
    pasteSlot(d, Slot::All);
}
