// Copy and paste of metadata sections between local photos.
#include "metadata/Clipboard.h"

#include "app/AppServices.h"
#include "app/Browsers.h"
#include "app/Jobs.h"
#include "app/Sheets.h"

#include "metadata/DateFeatureSupport.h"
#include "metadata/core/MetadataClipboard.h"
#include "metadata/core/RecipeJobReport.h"
#include "metadata/core/WriteRecipe.h"
#include "platform/core/ImageSource.h"

#include <QAction>
#include <QMenu>

namespace {

// The key of a section's dictionary (empty for the whole dictionary) and what a paste
// before its copy says.
struct SectionWords {
    QString key;
    QString message;
    QString informative;
};

SectionWords wordsOf(Clipboard::Section section) {
    const auto info = [](const char *what) {
        return Clipboard::tr("Please select a photo, and then click the Copy %1 data from a "
                             "selected photo menu item.")
            .arg(QLatin1String(what));
    };
    switch (section) {
    case Clipboard::Section::Exif:
        return {QStringLiteral("{Exif}"),
                Clipboard::tr("First you need to copy Exif data from a photo."), info("Exif")};
    case Clipboard::Section::Iptc:
        return {QStringLiteral("{IPTC}"),
                Clipboard::tr("First you need to copy IPTC data from a photo."), info("IPTC")};
    case Clipboard::Section::Tiff:
        return {QStringLiteral("{TIFF}"),
                Clipboard::tr("First you need to copy TIFF data from a photo."), info("TIFF")};
    case Clipboard::Section::Gps:
        return {QStringLiteral("{GPS}"),
                Clipboard::tr("First you need to copy GPS data from a photo."), info("GPS")};
    case Clipboard::Section::All:
        break;
    }
    return {QString(), Clipboard::tr("First you need to copy All Photo metadata from a photo."),
            QString()};
}

} // namespace

Clipboard::Clipboard(AppServices &app) : app(app) {}

void Clipboard::addItems(QMenu *edit) {
    using S = Section;
    const std::pair<QString, void (Clipboard::*)()> copies[] = {
        {tr("Copy Exif data from a selected photo"), &Clipboard::ClickCopyOnePhotoExifAction},
        {tr("Copy IPTC data from a selected photo"), &Clipboard::ClickCopyOnePhotoIPTCAction},
        {tr("Copy TIFF data from a selected photo"), &Clipboard::ClickCopyOnePhotoTIFFAction},
        {tr("Copy GPS data from a selected photo"), &Clipboard::ClickCopyOnePhotoGPSAction},
        {tr("Copy All Photo metadata from a selected photo"),
         &Clipboard::ClickCopyOneAllPhotoMetadataAction},
    };
    for (const auto &[title, action] : copies)
        app.jobs().addMenuItem(edit, title, [this, action = action] { (this->*action)(); });
    edit->addSeparator();
    const std::tuple<S, QString, const char *> pastes[] = {
        {S::Exif, tr("Paste Exif Metadata"), "pasteExifMenuItem"},
        {S::Iptc, tr("Paste IPTC Metadata"), "pasteIPTCMenuItem"},
        {S::Tiff, tr("Paste TIFF Metadata"), "pasteTIFFMenuItem"},
        {S::Gps, tr("Paste GPS Metadata"), "pasteGPSMenuItem"},
        {S::All, tr("Paste All Metadata"), "pasteAllPhotoMetaMenuItem"},
    };
    for (const auto &[section, title, name] : pastes) {
        QAction *item =
            app.jobs().addMenuItem(edit, title, [this, section = section] { paste(section); });
        item->setObjectName(QLatin1String(name));
        slot(section).pasteItem = item;
    }
}

void Clipboard::forgetCopies() {
    for (Slot &s : sections) {
        s.copied = false;
        if (s.pasteItem)
            s.pasteItem->setEnabled(false);
    }
}

bool Clipboard::holds(Section section) const {
    return slot(section).copied;
}

QVariantMap Clipboard::copied(Section section) const {
    return slot(section).dictionary;
}

void Clipboard::copy(Section section) {
    const QList<IKImageItemPtr> items = app.browsers().selectedLocalItems();
    if (items.isEmpty())
        return datefeature::showNoSelectionSheet(app);
    const ImageSource source = ImageSource::fromPath(items.first()->currentPath());
    if (!source.isValid()) {
        app.sheets().alert(
            tr("The metadata of \"%1\" could not be read.").arg(items.first()->fileName),
            QString());
        return;
    }
    const QVariantMap properties = source.properties(0);
    const QString key = wordsOf(section).key;
    Slot &s = slot(section);
    s.dictionary = key.isEmpty() ? properties : subDictionary(properties, key);
    s.copied = true;
    if (s.pasteItem)
        s.pasteItem->setEnabled(true);
}

void Clipboard::paste(Section section) {
    const SectionWords words = wordsOf(section);
    const Slot &s = slot(section);
    if (!s.copied) {
        app.sheets().alert(words.message, words.informative);
        return;
    }
    const QList<IKImageItemPtr> items = app.browsers().selectedLocalItems();
    if (items.isEmpty())
        return datefeature::showNoSelectionSheet(app);
    const QVariantMap copied = s.dictionary;
    const QString key = words.key;
    WriteRecipeOptions options;
    options.change = [copied, key](QVariantMap &working, const IKImageItem &) {
        working = key.isEmpty() ? pasteAll(working, copied) : pasteSection(working, key, copied);
        return true;
    };
    options.destinationDictionary = QStringLiteral("{IPTC}");
    options.dates = WriteRecipeOptions::Dates::CopyFromSource;
    options.useRawTemporary = true;
    // A paste writes into the storage folder only; the original is never replaced.
    app.jobs().startRecipeJob(items, false, options, [this](const WriteRecipeReport &report, bool) {
        JobReport job = jobReportFromRecipe(report);
        job.sheetOnSuccess = false;
        app.jobs().finishJob(job);
    });
}

void Clipboard::ClickCopyOnePhotoExifAction() {
    copy(Section::Exif);
}
void Clipboard::ClickCopyOnePhotoIPTCAction() {
    copy(Section::Iptc);
}
void Clipboard::ClickCopyOnePhotoTIFFAction() {
    copy(Section::Tiff);
}
void Clipboard::ClickCopyOnePhotoGPSAction() {
    copy(Section::Gps);
}
void Clipboard::ClickCopyOneAllPhotoMetadataAction() {
    copy(Section::All);
}
void Clipboard::ClickPasteExifDataAction() {
    paste(Section::Exif);
}
void Clipboard::ClickPasteIPTCDataAction() {
    paste(Section::Iptc);
}
void Clipboard::ClickPasteTIFFDataAction() {
    paste(Section::Tiff);
}
void Clipboard::ClickPasteGPSDataAction() {
    paste(Section::Gps);
}
void Clipboard::ClickPasteAllPhotoMetaAction() {
    paste(Section::All);
}
