// Library fields replaced by what each selected photo's original file says: title,
// position, keywords, caption, and camera and lens. The file wins, but only where it can be
// read and holds the field: an original that says nothing never empties the library.
#include "app/AppDelegate.h"

#include "library/LibraryEditRun.h"
#include "platform/AlertSheet.h"

#include <QMainWindow>
#include <functional>

namespace {

// One photo's part: the original's record `o` is fresh from the file.
using FromOriginalStep = std::function<bool(LibraryEditRun &run, const IKImageItemPtr &item,
                                            const PRPicFileInfoPtr &r, const PRPicFileInfo &o)>;

void fromOriginalFrame(AppDelegate &d, const FromOriginalStep &step) {
    LibraryEditRun::overSelection(
        d, [&](LibraryEditRun &run, const IKImageItemPtr &item, const PRPicFileInfoPtr &r) {
            QString why;
            if (!originalReadable(*item, &why)) {
                run.skip(item, why);
                return true;
            }
            d.getOriginalMedataDataWithItem(item);
            if (!item->originalFileNode) {
                run.skip(item, AppDelegate::tr("its original cannot be read"));
                return true;
            }
            const PRPicFileInfo o = *item->originalFileNode;
            return step(run, item, r, o);
        });
}

} // namespace

void AppDelegate::ReplacePhotoLibrarytitleWithOriginalPhototitleAction() {
    fromOriginalFrame(*this, [this](LibraryEditRun &run, const IKImageItemPtr &item,
                                    const PRPicFileInfoPtr &r, const PRPicFileInfo &o) {
        if (o.fileTitle.trimmed().isEmpty()) {
            run.skip(item, tr("its original has no title"));
            return true;
        }
        const LibraryWriteResult w =
            library.bScanNewPhotosLib
                ? UpdatePhotoLibrayTitlewithTitleStr(o.fileTitle, r->photoID)
                : UpdateOldPhotoLibrayTitlewithTitleStr(o.fileTitle, r->photoID);
        const QString v = storedOr(w, o.fileTitle);
        return run.take(item, w, [r, v] { r->fileTitle = v; });
    });
}

void AppDelegate::ReplacePhotoLibraryGPSInfoWithOriginalPhotoGPSInfoAction() {
    fromOriginalFrame(*this, [this](LibraryEditRun &run, const IKImageItemPtr &item,
                                    const PRPicFileInfoPtr &r, const PRPicFileInfo &o) {
        // No position in the file is no position at 0, 0.
        if (!o.hasLocation()) {
            run.skip(item, tr("its original has no position"));
            return true;
        }
        bool none = false;
        QString why;
        const auto position =
            parseLibraryPosition(o.fileLcationLatitude, o.fileLocationLongitude, &none, &why);
        if (!position) {
            run.skip(item, tr("its original's position cannot be used: %1").arg(why));
            return true;
        }
        const LibraryWriteResult w =
            library.bScanNewPhotosLib
                ? UpdatePhotoLibrayGPSwithLatitude(o.fileLcationLatitude, o.fileLocationLongitude,
                                                   r->photoAssetID)
                : UpdateOldPhotoLibrayGPSwithLatitude(o.fileLcationLatitude,
                                                      o.fileLocationLongitude, r->photoID);
        const QString latitude = QString::asprintf("%f", position->latitude);
        const QString longitude = QString::asprintf("%f", position->longitude);
        return run.take(item, w, [r, latitude, longitude] {
            r->fileLcationLatitude = latitude;
            r->fileLocationLongitude = longitude;
        });
    });
}

void AppDelegate::ReplacePhotoLibraryKeyWordsWithOriginalPhotoKeyWordsAction() {
    fromOriginalFrame(*this, [this](LibraryEditRun &run, const IKImageItemPtr &item,
                                    const PRPicFileInfoPtr &r, const PRPicFileInfo &o) {
        if (keywordSet(o.fileKeywords).isEmpty()) {
            run.skip(item, tr("its original has no keywords"));
            return true;
        }
        const bool has = !r->fileKeywords.isEmpty();
        const LibraryWriteResult w =
            library.bScanNewPhotosLib
                ? (has ? UpdatePhotoLibrayKeywordswithKeyWords(o.fileKeywords, r->photoID)
                       : InsertPhotoLibrayKeywordswithDescription(o.fileKeywords, r->photoID))
                : (has ? UpdateOldPhotoLibrayKeywordswithKeyWords(o.fileKeywords, r->photoID)
                       : InsertOldPhotoLibrayKeywordswithDescription(o.fileKeywords, r->photoID));
        const QString v = storedOr(w, keywordSet(o.fileKeywords).join(QLatin1Char(',')));
        return run.take(item, w, [r, v] { r->fileKeywords = v; });
    });
}

void AppDelegate::ReplacePhotoLibraryDescriWithOriginalPhotoDescriAction() {
    fromOriginalFrame(*this, [this](LibraryEditRun &run, const IKImageItemPtr &item,
                                    const PRPicFileInfoPtr &r, const PRPicFileInfo &o) {
        // Some cameras fill the description with blanks.
        if (o.fileDescription.trimmed().isEmpty()) {
            run.skip(item, tr("its original has no caption"));
            return true;
        }
        const LibraryWriteResult w =
            !library.bScanNewPhotosLib
                ? UpdateOldPhotoLibrayDescriptionwithDescription(o.fileDescription, r->photoID)
            : r->fileDescription.isEmpty()
                ? InsertPhotoLibrayDescriptionwithDescription(o.fileDescription, r->photoID)
                : UpdatePhotoLibrayDescriptionwithDescription(o.fileDescription, r->photoID);
        const QString v = storedOr(w, o.fileDescription);
        return run.take(item, w, [r, v] { r->fileDescription = v; });
    });
}

void AppDelegate::ReplacePhotoLibraryCameraandLensInfoWithOriginalPhotoCameraLensAction() {
    if (!library.bScanNewPhotosLib) {
        // The older libraries show the file's own camera fields; they keep none to replace.
        beginAlertSheet(window, tr("This library keeps no camera fields of its own."),
                        tr("Its photos show the camera and lens their original files name."),
                        {tr(" Ok ")},
                        [this](QMessageBox *alert, int code) { savePanelDidEnd3(alert, code); });
        return;
    }
    fromOriginalFrame(*this, [this](LibraryEditRun &run, const IKImageItemPtr &item,
                                    const PRPicFileInfoPtr &r, const PRPicFileInfo &o) {
        if (o.fileMaker.isEmpty() && o.fileModel.isEmpty() && o.fileLensModel.isEmpty()) {
            run.skip(item, tr("its original names no camera or lens"));
            return true;
        }
        const LibraryWriteResult w = UpdatePhotoLibrayCameraInfowithCameraMake(
            o.fileMaker, o.fileModel, o.fileLensModel, r->photoAssetID);
        const QString make = o.fileMaker, model = o.fileModel, lens = o.fileLensModel;
        return run.take(item, w, [r, make, model, lens] {
            r->fileMaker = make;
            r->fileModel = model;
            r->fileLensModel = lens;
        });
    });
}
