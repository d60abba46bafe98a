// Library fields replaced by what each selected photo's original file says: title,
// position, keywords, caption, and camera and lens. The file wins where it can be read: its
// empty title, caption or keyword list clears the library's; a position or camera it lacks
// leaves the library's alone (no 0, 0).
#include "library/LibraryPanels.h"

#include "app/AppServices.h"
#include "app/Sheets.h"
#include "library/LibraryDatabase.h"
#include "library/LibraryEditRun.h"
#include "library/core/LibraryComparison.h"
#include "library/core/LibraryWriter.h"

#include <QMainWindow>
#include <functional>

namespace {

// One photo's part: the original's record `o` is fresh from the file.
using FromOriginalStep = std::function<bool(LibraryEditRun &run, const IKImageItemPtr &item,
                                            const PRPicFileInfoPtr &r, const PRPicFileInfo &o)>;

void fromOriginalFrame(AppServices &app, LibraryDatabase &database, const FromOriginalStep &step) {
    LibraryEditRun::overSelection(
        app, database,
        [&](LibraryEditRun &run, const IKImageItemPtr &item, const PRPicFileInfoPtr &r) {
            QString why;
            if (!originalReadable(*item, &why)) {
                run.skip(item, why);
                return true;
            }
            getOriginalMedataDataWithItem(*item);
            if (!item->originalFileNode) {
                run.skip(item, LibraryPanels::tr("its original cannot be read"));
                return true;
            }
            const PRPicFileInfo o = *item->originalFileNode;
            return step(run, item, r, o);
        });
}

} // namespace

void LibraryPanels::ReplacePhotoLibrarytitleWithOriginalPhototitleAction() {
    fromOriginalFrame(app, database,
                      [this](LibraryEditRun &run, const IKImageItemPtr &item,
                             const PRPicFileInfoPtr &r, const PRPicFileInfo &o) {
                          // A title of blanks is no title.
                          const QString title =
                              o.fileTitle.trimmed().isEmpty() ? QString() : o.fileTitle;
                          const LibraryWriteResult w = database.session().writer().title(*r, title);
                          const QString v = storedOr(w, title);
                          return run.take(item, w, [r, v] { r->fileTitle = v; });
                      });
}

void LibraryPanels::ReplacePhotoLibraryGPSInfoWithOriginalPhotoGPSInfoAction() {
    fromOriginalFrame(
        app, database,
        [this](LibraryEditRun &run, const IKImageItemPtr &item, const PRPicFileInfoPtr &r,
               const PRPicFileInfo &o) {
            // No position in the file is no position at 0, 0.
            if (!o.hasLocation()) {
                run.skip(item, tr("its original has no position"));
                return true;
            }
            bool none = false;
            QString why;
            const auto position =
                parseLibraryPosition(o.latitudeText(), o.longitudeText(), &none, &why);
            if (!position) {
                run.skip(item, tr("its original's position cannot be used: %1").arg(why));
                return true;
            }
            const LibraryWriteResult w =
                database.session().writer().position(*r, o.latitudeText(), o.longitudeText());
            const QString latitude = QString::asprintf("%f", position->latitude);
            const QString longitude = QString::asprintf("%f", position->longitude);
            return run.take(item, w, [r, latitude, longitude] {
                r->setLatitudeText(latitude);
                r->setLongitudeText(longitude);
            });
        });
}

void LibraryPanels::ReplacePhotoLibraryKeyWordsWithOriginalPhotoKeyWordsAction() {
    fromOriginalFrame(app, database,
                      [this](LibraryEditRun &run, const IKImageItemPtr &item,
                             const PRPicFileInfoPtr &r, const PRPicFileInfo &o) {
                          const QString keywords =
                              keywordSet(o.fileKeywords).join(QLatin1Char(','));
                          const LibraryWriteResult w =
                              database.session().writer().keywords(*r, keywords);
                          const QString v = storedOr(w, keywords);
                          return run.take(item, w, [r, v] { r->fileKeywords = v; });
                      });
}

void LibraryPanels::ReplacePhotoLibraryDescriWithOriginalPhotoDescriAction() {
    fromOriginalFrame(app, database,
                      [this](LibraryEditRun &run, const IKImageItemPtr &item,
                             const PRPicFileInfoPtr &r, const PRPicFileInfo &o) {
                          // Some cameras fill the description with blanks: that is no caption.
                          const QString caption =
                              o.fileDescription.trimmed().isEmpty() ? QString() : o.fileDescription;
                          const LibraryWriteResult w =
                              database.session().writer().caption(*r, caption);
                          const QString v = storedOr(w, caption);
                          return run.take(item, w, [r, v] { r->fileDescription = v; });
                      });
}

void LibraryPanels::ReplacePhotoLibraryCameraandLensInfoWithOriginalPhotoCameraLensAction() {
    if (!database.session().writer().keepsCameraFields()) {
        app.sheets().alert(tr("This library keeps no camera fields of its own."),
                           tr("Its photos show the camera and lens their original files name."));
        return;
    }
    fromOriginalFrame(
        app, database,
        [this](LibraryEditRun &run, const IKImageItemPtr &item, const PRPicFileInfoPtr &r,
               const PRPicFileInfo &o) {
            if (o.fileMaker.isEmpty() && o.fileModel.isEmpty() && o.fileLensModel.isEmpty()) {
                run.skip(item, tr("its original names no camera or lens"));
                return true;
            }
            const LibraryWriteResult w = database.session().writer().cameraInfo(
                *r, o.fileMaker, o.fileModel, o.fileLensModel);
            const QString make = o.fileMaker, model = o.fileModel, lens = o.fileLensModel;
            return run.take(item, w, [r, make, model, lens] {
                r->fileMaker = make;
                r->fileModel = model;
                r->fileLensModel = lens;
            });
        });
}
