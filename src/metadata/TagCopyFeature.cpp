// Copies of one tag into another in the selected local photos.
#include "app/AppDelegate.h"
#include "app/Browsers.h"
#include "app/Jobs.h"

#include "metadata/DateFeatureSupport.h"
#include "metadata/core/FileDateRules.h"
#include "metadata/core/RecipeJobReport.h"
#include "metadata/core/TagCopies.h"
#include "metadata/core/WriteRecipe.h"
#include "platform/core/FileDates.h"
#include "platform/core/ImageSource.h"

#include <QCheckBox>
#include <QFile>
#include <QInputDialog>
#include <QMainWindow>

namespace {

using Change = std::function<bool(QVariantMap &, const IKImageItem &)>;

struct TagCopy {
    Change change;
    QString destination;       // the dictionary set on the destination
    bool mayOverwrite = false; // replaces the original when the setting says so
    bool completion = true;    // the completion sheet closes the job
    bool useRawTemporary = true;
};

// Starts the copy as a job of the window; `after` runs on its report before the ending.
void runTagCopy(AppDelegate &d, const TagCopy &copy,
                std::function<void(const WriteRecipeReport &)> after = {}) {
    const QList<IKImageItemPtr> items = d.browsers().selectedLocalItems();
    if (items.isEmpty())
        return datefeature::showNoSelectionSheet(d);
    const bool overwrite = copy.mayOverwrite && d.preferences().overwrite;
    WriteRecipeOptions options;
    options.change = copy.change;
    options.destinationDictionary = copy.destination;
    options.dates = WriteRecipeOptions::Dates::CopyFromSource;
    options.useRawTemporary = copy.useRawTemporary;
    AppDelegate *owner = &d;
    const bool completion = copy.completion;
    d.jobs().startRecipeJob(items, overwrite, options,
                            [owner, completion, after](const WriteRecipeReport &report, bool) {
                                if (after)
                                    after(report);
                                JobReport job = jobReportFromRecipe(report);
                                job.sheetOnSuccess = completion;
                                owner->jobs().finishJob(job);
                            });
}

Change plain(bool (*f)(QVariantMap &)) {
    return [f](QVariantMap &working, const IKImageItem &) { return f(working); };
}

} // namespace

void MetadataMenusPart::ClickCopyTIFFandIPTCtoExifAction() {
    // Each written photo takes its own new camera date as its file dates.
    runTagCopy(d, {plain(copyTiffDateToExif), QStringLiteral("{TIFF}"), true, false, true},
               [](const WriteRecipeReport &report) {
                   for (const WriteRecipeResult &r : report.photos) {
                       if (!r.written)
                           continue;
                       QFile file(r.outputPath);
                       if (!file.open(QIODevice::ReadOnly))
                           continue;
                       const QVariantMap exif = subDictionary(
                           ImageSource(file.readAll()).properties(0), QStringLiteral("{Exif}"));
                       if (exif.contains(QStringLiteral("DateTimeOriginal")))
                           SetDateAttributWithFilePath(
                               r.outputPath, r.sourcePath,
                               exif.value(QStringLiteral("DateTimeOriginal")).toString());
                   }
               });
}

void MetadataMenusPart::ClickCopyExiftoTIFFandIPTCAction() {
    runTagCopy(d, {plain(copyExifDateToTiff), QStringLiteral("{IPTC}"), false, false, true});
}

void MetadataMenusPart::ClickCopyTitletoCaptionAction() {
    runTagCopy(d, {plain(copyTitleToCaption), QStringLiteral("{IPTC}")});
}

void MetadataMenusPart::ClickCopyKeywordstoCaptionAction() {
    runTagCopy(d, {plain(copyKeywordsToCaption), QStringLiteral("{IPTC}")});
}

void MetadataMenusPart::ClickCopyCaptionToTitleAction() {
    runTagCopy(d, {plain(copyCaptionToTitle), QStringLiteral("{IPTC}")});
}

void MetadataMenusPart::ClickAddPersonShownAction() {
    if (d.browsers().selectedLocalItems().isEmpty())
        return datefeature::showNoSelectionSheet(d);
    // The persons are the user's to give: asked in a sheet, written when it is accepted.
    auto *ask = new QInputDialog(d.window);
    ask->setObjectName(QStringLiteral("addPersonsShownSheet"));
    ask->setAttribute(Qt::WA_DeleteOnClose);
    ask->setWindowModality(Qt::WindowModal);
    ask->setWindowTitle(AppDelegate::tr("Add Persons Shown"));
    ask->setLabelText(
        AppDelegate::tr("Persons shown in the selected photos (separated by commas):"));
    QObject::connect(ask, &QInputDialog::textValueSelected, &d,
                     [this](const QString &text) { addPersonsShownDidEnd(parsePersonList(text)); });
    ask->open();
}

void MetadataMenusPart::addPersonsShownDidEnd(const QStringList &persons) {
    if (persons.isEmpty())
        return;
    runTagCopy(d, {[persons](QVariantMap &working, const IKImageItem &) {
                       return setPersonsShown(working, persons);
                   },
                   QStringLiteral("{IPTC}")});
}

void MetadataMenusPart::ClickCopyPersonShownToKeywordsAction() {
    runTagCopy(d, {plain(copyPersonsToKeywords), QStringLiteral("{IPTC}")});
}

void MetadataMenusPart::ClickCopyCameraDateToTitleAction() {
    runTagCopy(d, {[](QVariantMap &working, const IKImageItem &item) {
                       // The photo's own file, never its RAW stand-in.
                       return copyCameraDateToTitle(working,
                                                    FileDates::creationDate(item.filePath));
                   },
                   QStringLiteral("{IPTC}")});
}

void MetadataMenusPart::ClickCopyFileNameToTitleAction() {
    runTagCopy(d, {[](QVariantMap &working, const IKImageItem &item) {
                       return copyFileNameToTitle(working, item.fileName);
                   },
                   QStringLiteral("{IPTC}"), true});
}

void MetadataMenusPart::ClickCopyFileNameToCommentsAction() {
    runTagCopy(d, {[](QVariantMap &working, const IKImageItem &item) {
                       return copyFileNameToComment(working, item.fileName);
                   },
                   QStringLiteral("{TIFF}"), true, true, false});
}
