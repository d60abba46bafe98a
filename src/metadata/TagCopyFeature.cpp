// Copies of one tag into another in the selected local photos.
#include "metadata/MetadataMenus.h"

#include "app/AppServices.h"
#include "app/Browsers.h"
#include "app/Jobs.h"
#include <QMenu>

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
void runTagCopy(AppServices &app, const TagCopy &copy,
                std::function<void(const WriteRecipeReport &)> after = {}) {
    const QList<IKImageItemPtr> items = app.browsers().selectedLocalItems();
    if (items.isEmpty())
        return datefeature::showNoSelectionSheet(app);
    const bool overwrite = copy.mayOverwrite && app.preferences().overwrite;
    WriteRecipeOptions options;
    options.change = copy.change;
    options.destinationDictionary = copy.destination;
    options.dates = WriteRecipeOptions::Dates::CopyFromSource;
    options.useRawTemporary = copy.useRawTemporary;
    AppServices *owner = &app;
    const bool completion = copy.completion;
    app.jobs().startRecipeJob(items, overwrite, options,
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

void MetadataMenus::ClickCopyTIFFandIPTCtoExifAction() {
    // Each written photo takes its own new camera date as its file dates.
    runTagCopy(app, {plain(copyTiffDateToExif), QStringLiteral("{TIFF}"), true, false, true},
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

void MetadataMenus::ClickCopyExiftoTIFFandIPTCAction() {
    runTagCopy(app, {plain(copyExifDateToTiff), QStringLiteral("{IPTC}"), false, false, true});
}

void MetadataMenus::ClickCopyTitletoCaptionAction() {
    runTagCopy(app, {plain(copyTitleToCaption), QStringLiteral("{IPTC}")});
}

void MetadataMenus::ClickCopyKeywordstoCaptionAction() {
    runTagCopy(app, {plain(copyKeywordsToCaption), QStringLiteral("{IPTC}")});
}

void MetadataMenus::ClickCopyCaptionToTitleAction() {
    runTagCopy(app, {plain(copyCaptionToTitle), QStringLiteral("{IPTC}")});
}

void MetadataMenus::ClickAddPersonShownAction() {
    if (app.browsers().selectedLocalItems().isEmpty())
        return datefeature::showNoSelectionSheet(app);
    // The persons are the user's to give: asked in a sheet, written when it is accepted.
    auto *ask = new QInputDialog(app.mainWindow());
    ask->setObjectName(QStringLiteral("addPersonsShownSheet"));
    ask->setAttribute(Qt::WA_DeleteOnClose);
    ask->setWindowModality(Qt::WindowModal);
    ask->setWindowTitle(MetadataMenus::tr("Add Persons Shown"));
    ask->setLabelText(
        MetadataMenus::tr("Persons shown in the selected photos (separated by commas):"));
    QObject::connect(ask, &QInputDialog::textValueSelected, &app.jobs(),
                     [this](const QString &text) { addPersonsShownDidEnd(parsePersonList(text)); });
    ask->open();
}

void MetadataMenus::addPersonsShownDidEnd(const QStringList &persons) {
    if (persons.isEmpty())
        return;
    runTagCopy(app, {[persons](QVariantMap &working, const IKImageItem &) {
                         return setPersonsShown(working, persons);
                     },
                     QStringLiteral("{IPTC}")});
}

void MetadataMenus::ClickCopyPersonShownToKeywordsAction() {
    runTagCopy(app, {plain(copyPersonsToKeywords), QStringLiteral("{IPTC}")});
}

void MetadataMenus::ClickCopyCameraDateToTitleAction() {
    runTagCopy(app, {[](QVariantMap &working, const IKImageItem &item) {
                         // The photo's own file, never its RAW stand-in.
                         return copyCameraDateToTitle(working,
                                                      FileDates::creationDate(item.filePath));
                     },
                     QStringLiteral("{IPTC}")});
}

void MetadataMenus::ClickCopyFileNameToTitleAction() {
    runTagCopy(app, {[](QVariantMap &working, const IKImageItem &item) {
                         return copyFileNameToTitle(working, item.fileName);
                     },
                     QStringLiteral("{IPTC}"), true});
}

void MetadataMenus::ClickCopyFileNameToCommentsAction() {
    runTagCopy(app, {[](QVariantMap &working, const IKImageItem &item) {
                         return copyFileNameToComment(working, item.fileName);
                     },
                     QStringLiteral("{TIFF}"), true, true, false});
}

void MetadataMenus::addTagCopyItems(QMenu *tags) {
    const std::pair<const char *, void (MetadataMenus::*)()> copies[] = {
        {"TIFF Date to Exif Dates", &MetadataMenus::ClickCopyTIFFandIPTCtoExifAction},
        {"Exif Date to TIFF Date", &MetadataMenus::ClickCopyExiftoTIFFandIPTCAction},
        {"Title to Caption", &MetadataMenus::ClickCopyTitletoCaptionAction},
        {"Keywords to Caption", &MetadataMenus::ClickCopyKeywordstoCaptionAction},
        {"Caption to Title", &MetadataMenus::ClickCopyCaptionToTitleAction},
        {"Add Persons Shown…", &MetadataMenus::ClickAddPersonShownAction},
        {"Persons Shown to Keywords", &MetadataMenus::ClickCopyPersonShownToKeywordsAction},
        {"Camera Date to Title", &MetadataMenus::ClickCopyCameraDateToTitleAction},
        {"File Name to Title", &MetadataMenus::ClickCopyFileNameToTitleAction},
        {"File Name to Comments", &MetadataMenus::ClickCopyFileNameToCommentsAction},
        {nullptr, nullptr},
        {"Name Copies after the Title", &MetadataMenus::ClickCopyPhotoTitleToFilenameAction},
        {"Name Copies after the Place", &MetadataMenus::ClickCopyPhotoGPSNameToFilenameAction},
    };
    for (const auto &[title, action] : copies) {
        if (action)
            app.jobs().addMenuItem(tags, tr(title), [this, action = action] { (this->*action)(); });
        else
            tags->addSeparator();
    }
}
