// Copies from one library field into another for every selected library photo: camera
// dates, added dates, titles, file names and captions, each action one library edit.
#include "library/LibraryPanels.h"

#include "base/SharedHelpers.h"
#include "library/LibraryDatabase.h"
#include "library/LibraryEditRun.h"
#include "library/core/LibraryComparison.h"
#include "library/core/LibraryWriter.h"
#include "metadata/core/FileDateRules.h"
#include "metadata/core/SafeFileName.h"

#include <QFileInfo>
#include <QTimeZone>
#include <functional>

namespace {

// One photo's part of a copy: write through the run, or say why not.
using CopyStep = LibraryEditRun::Step;

void copyFrame(AppServices &app, LibraryDatabase &database, bool readOriginalFirst, bool refresh,
               const CopyStep &step) {
    LibraryEditRun::overSelection(
        app, database,
        [&](LibraryEditRun &run, const IKImageItemPtr &item, const PRPicFileInfoPtr &r) {
            if (readOriginalFirst)
                getOriginalMedataDataWithItem(*item);
            return step(run, item, r);
        },
        refresh);
}

QString baseName(const QString &fileName) {
    return QFileInfo(fileName).completeBaseName();
}

// A date text as the original's record gives it: Exif's local "yyyy:MM:dd HH:mm:ss", or
// the file's creation date, printed in UTC with "+0000".
QDateTime originalDate(const QString &text) {
    static const QLatin1String utc(" +0000");
    if (text.endsWith(utc)) {
        QDateTime date =
            QDateTime::fromString(text.chopped(utc.size()), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        date.setTimeZone(QTimeZone::utc());
        return date;
    }
    return parseMetadataDate(text);
}

bool writeTitle(LibraryWriter &writer, LibraryEditRun &run, const IKImageItemPtr &item,
                const PRPicFileInfoPtr &r, const QString &title) {
    const LibraryWriteResult w = writer.title(*r, title);
    const QString v = storedOr(w, title);
    return run.take(item, w, [r, v] { r->fileTitle = v; });
}

bool writeCaption(LibraryWriter &writer, LibraryEditRun &run, const IKImageItemPtr &item,
                  const PRPicFileInfoPtr &r, const QString &caption) {
    const LibraryWriteResult w = writer.caption(*r, caption);
    const QString v = storedOr(w, caption);
    return run.take(item, w, [r, v] { r->fileDescription = v; });
}

} // namespace

void LibraryPanels::CopyOriginalCameraDatetoPhotoLibraryCameraDateAction() {
    copyFrame(
        app, database, true, true,
        [this](LibraryEditRun &run, const IKImageItemPtr &item, const PRPicFileInfoPtr &r) {
            QString why;
            if (!originalReadable(*item, &why)) {
                run.skip(item, why);
                return true;
            }
            const PRPicFileInfoPtr o = item->originalFileNode;
            const QString text = !o                                ? QString()
                                 : !o->cameraDate.text().isEmpty() ? o->cameraDate.text()
                                                                   : o->createDate.text();
            const QDateTime date = originalDate(text);
            if (!date.isValid()) {
                run.skip(
                    item,
                    text.isEmpty()
                        ? LibraryPanels::tr("its original has no date")
                        : LibraryPanels::tr("its original's date \"%1\" is no date").arg(text));
                return true;
            }
            const double seconds = librarySeconds(date);
            const bool current = database.session().writer().isCurrentSchema();
            const LibraryWriteResult w = database.session().writer().cameraDate(*r, seconds);
            return run.take(item, w, [r, w, seconds, current] {
                setRecordCameraDate(*r, w, seconds, current);
            });
        });
}

void LibraryPanels::CopyCameraDatetoPhotoLibraryAddedDateAction() {
    // The copy is made inside the database, from the camera date the library holds.
    copyFrame(app, database, true, false,
              [this](LibraryEditRun &run, const IKImageItemPtr &item, const PRPicFileInfoPtr &r) {
                  return run.take(item, database.session().writer().addedDateFromCameraDate(*r));
              });
}

void LibraryPanels::CopyCameraDatetoPhotoLibraryTileAction() {
    copyFrame(app, database, true, true,
              [this](LibraryEditRun &run, const IKImageItemPtr &item, const PRPicFileInfoPtr &r) {
                  const QString date =
                      r->cameraDate.text().isEmpty() ? r->createDate.text() : r->cameraDate.text();
                  // No date: an empty title would only erase the one it has.
                  if (date.isEmpty()) {
                      run.skip(item, LibraryPanels::tr("it has no date"));
                      return true;
                  }
                  return writeTitle(database.session().writer(), run, item, r, date);
              });
}

namespace {

enum class TextField { Title, Caption };

// A text of each selected photo's record into its title or caption; a photo without that
// text is skipped and named.
void copyRecordText(AppServices &app, LibraryDatabase &database,
                    QString (*source)(const PRPicFileInfo &), const QString &whenEmpty,
                    TextField target) {
    copyFrame(app, database, false, true,
              [&database, source, whenEmpty,
               target](LibraryEditRun &run, const IKImageItemPtr &item, const PRPicFileInfoPtr &r) {
                  const QString text = source(*r);
                  if (text.isEmpty()) {
                      run.skip(item, whenEmpty);
                      return true;
                  }
                  return target == TextField::Title
                             ? writeTitle(database.session().writer(), run, item, r, text)
                             : writeCaption(database.session().writer(), run, item, r, text);
              });
}

} // namespace

void LibraryPanels::CopyFileNametoPhotoLibraryTileAction() {
    copyRecordText(
        app, database, [](const PRPicFileInfo &r) { return baseName(r.fileName); },
        LibraryPanels::tr("it has no file name"), TextField::Title);
}

void LibraryPanels::CopyFileTitletoPhotoLibraryFileNameAction() {
    copyFrame(
        app, database, false, true,
        [this](LibraryEditRun &run, const IKImageItemPtr &item, const PRPicFileInfoPtr &r) {
            if (r->fileTitle.isEmpty()) {
                run.skip(item, LibraryPanels::tr("it has no title"));
                return true;
            }
            const QString extension = QFileInfo(r->fileName).suffix();
            const QString name = safeFileBaseName(r->fileTitle, extension);
            if (name.isEmpty()) {
                run.skip(
                    item,
                    LibraryPanels::tr("its title \"%1\" cannot name a file").arg(r->fileTitle));
                return true;
            }
            const LibraryWriteResult w =
                database.session().writer().fileName(*r, name, r->fileName);
            const QString v =
                storedOr(w, extension.isEmpty() ? name : name + QLatin1Char('.') + extension);
            return run.take(item, w, [item, r, v] {
                r->fileName = v;
                item->fileName = v;
            });
        });
}

void LibraryPanels::CopyFileTitletoPhotoLibraryCaptionAction() {
    copyRecordText(
        app, database, [](const PRPicFileInfo &r) { return r.fileTitle; },
        LibraryPanels::tr("it has no title"), TextField::Caption);
}

void LibraryPanels::CopyFileNametoPhotoLibraryCaptionAction() {
    copyRecordText(
        app, database, [](const PRPicFileInfo &r) { return baseName(r.fileName); },
        LibraryPanels::tr("it has no file name"), TextField::Caption);
}

void LibraryPanels::CopyFileCaptiontoPhotoLibraryTitleAction() {
    copyRecordText(
        app, database, [](const PRPicFileInfo &r) { return r.fileDescription; },
        LibraryPanels::tr("it has no caption"), TextField::Title);
}
