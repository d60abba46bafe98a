// The apply of the library panel: every field the user typed into, written for each
// selected photo whose record holds something else, in one library edit.
#include "library/LibraryPanels.h"

#include "app/AppServices.h"
#include "app/Sheets.h"
#include "library/LibraryDatabase.h"
#include "library/LibraryEditRun.h"
#include "library/core/LibraryWriter.h"
#include "metadata/core/SafeFileName.h"

#include <QFileInfo>
#include <QLineEdit>
#include <QMainWindow>
#include <optional>

namespace {

struct PanelTexts {
    QString title, name, caption, keywords, make, model, lens, latitude, longitude, date;
};

QString textOf(const QLineEdit *field) {
    return field ? field->text() : QString(QLatin1String(""));
}

// What the user typed, read once: the flags as they were when the apply began.
struct Typed {
    bool title, name, caption, keywords, date, camera, position;
};

QString baseName(const QString &fileName) {
    return QFileInfo(fileName).completeBaseName();
}

} // namespace

void LibraryPanels::ApplyPhotoLibMetadataChangeAction() {
    if (!database.mayEdit())
        return;
    const QList<IKImageItemPtr> items = LibraryEditRun::selectedOrSay(app);
    if (items.isEmpty())
        return;
    LibraryWriter &writer = database.session().writer();
    const PanelTexts p{textOf(photolibEiteTitlelab),      textOf(photolibEiteFileNamelab),
                       textOf(photolibEiteDescriplab),    textOf(photolibEitekeywordslab),
                       textOf(photolibEiteCameraMakelab), textOf(photolibEiteCameraModellab),
                       textOf(photolibEiteLensModellab),  textOf(photolibEitegpsLatilab),
                       textOf(photolibEitegpsLongtlab),   textOf(photolibEiteCameraDatelab)};
    const TypedFields t = typedFields();
    const Typed typed{t.title,   t.name, t.caption, t.keywords, t.date, t.makeAndModel || t.lens,
                      t.position};
    if (!typed.title && !typed.name && !typed.caption && !typed.keywords && !typed.date &&
        !typed.camera && !typed.position) {
        app.sheets().alert(
            tr("No library field was changed."),
            tr("Type the new values into the fields of the library panel, then apply."));
        return;
    }

    // Every typed value is checked before anything is written.
    std::optional<double> seconds;
    if (typed.date) {
        bool differs = false;
        for (const IKImageItemPtr &item : items)
            if (item->photoLibFileNode && item->photoLibFileNode->cameraDate.text() != p.date)
                differs = true;
        seconds = librarySecondsFromText(p.date.trimmed());
        if (differs && !seconds) {
            app.sheets().invalidDate(app.mainWindow());
            return;
        }
    }
    std::optional<LibraryPosition> position;
    if (typed.position) {
        bool none = false;
        QString why;
        position = parseLibraryPosition(p.latitude, p.longitude, &none, &why);
        if (!position && !none) {
            app.sheets().alert(tr("The position cannot be written."), why);
            return;
        }
    }
    if (typed.name) {
        for (const IKImageItemPtr &item : items) {
            const PRPicFileInfoPtr r = item->photoLibFileNode;
            if (r && p.name != baseName(r->fileName) &&
                safeFileBaseName(p.name, QFileInfo(r->fileName).suffix()).isEmpty()) {
                app.sheets().alert(tr("The file name cannot be used."),
                                   tr("\"%1\" leaves nothing that can name a file.").arg(p.name));
                return;
            }
        }
    }
    const QString positionLatitude =
        position ? QString::asprintf("%f", position->latitude) : QString(QLatin1String(""));
    const QString positionLongitude =
        position ? QString::asprintf("%f", position->longitude) : QString(QLatin1String(""));

    LibraryEditRun run(app, database);
    if (!run.begin())
        return;
    for (const IKImageItemPtr &item : items) {
        const PRPicFileInfoPtr r = item->photoLibFileNode;
        if (!r) {
            run.skip(item, tr("it is not in the library's database"));
            continue;
        }
        if (typed.title && p.title != r->fileTitle) {
            const LibraryWriteResult w = writer.title(*r, p.title);
            const QString v = storedOr(w, p.title);
            if (!run.take(item, w, [r, v] { r->fileTitle = v; }))
                return;
        }
        if (typed.name && p.name != baseName(r->fileName)) {
            const QString extension = QFileInfo(r->fileName).suffix();
            const QString name = safeFileBaseName(p.name, extension);
            const LibraryWriteResult w = writer.fileName(*r, name, r->fileName);
            // The record keeps the extension, as the library does.
            const QString v =
                storedOr(w, extension.isEmpty() ? name : name + QLatin1Char('.') + extension);
            if (!run.take(item, w, [item, r, v] {
                    r->fileName = v;
                    item->fileName = v;
                }))
                return;
        }
        if (typed.caption && p.caption != r->fileDescription) {
            const LibraryWriteResult w = writer.caption(*r, p.caption);
            const QString v = storedOr(w, p.caption);
            if (!run.take(item, w, [r, v] { r->fileDescription = v; }))
                return;
        }
        if (typed.keywords && p.keywords != r->fileKeywords) {
            const LibraryWriteResult w = writer.keywords(*r, p.keywords);
            // The library keeps keywords as a set; the record shows what it now holds.
            const QString v = storedOr(w, keywordSet(p.keywords).join(QLatin1Char(',')));
            if (!run.take(item, w, [r, v] { r->fileKeywords = v; }))
                return;
        }
        // The older schema keeps no camera fields of its own: nothing to write there.
        if (typed.camera && writer.keepsCameraFields() &&
            (p.make != r->fileMaker || p.model != r->fileModel || p.lens != r->fileLensModel)) {
            const LibraryWriteResult w = writer.cameraInfo(*r, p.make, p.model, p.lens);
            const PanelTexts t = p;
            if (!run.take(item, w, [r, t] {
                    r->fileMaker = t.make;
                    r->fileModel = t.model;
                    r->fileLensModel = t.lens;
                }))
                return;
        }
        if (typed.position &&
            (p.latitude != r->latitudeText() || p.longitude != r->longitudeText())) {
            const LibraryWriteResult w = writer.position(*r, p.latitude, p.longitude);
            if (!run.take(item, w, [r, positionLatitude, positionLongitude] {
                    r->setLatitudeText(positionLatitude);
                    r->setLongitudeText(positionLongitude);
                }))
                return;
        }
        if (typed.date && seconds && p.date != r->cameraDate.text()) {
            const double s = *seconds;
            const LibraryWriteResult w = writer.cameraDate(*r, s);
            const bool current = writer.isCurrentSchema();
            if (!run.take(item, w, [r, w, s, current] { setRecordCameraDate(*r, w, s, current); }))
                return;
        }
    }
    if (run.finish())
        clearLibraryChangeFlags();
}
