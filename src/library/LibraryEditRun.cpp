#include "library/LibraryEditRun.h"

#include "app/AppServices.h"
#include "app/Browsers.h"
#include "app/Jobs.h"
#include "app/Sheets.h"
#include "base/Logging.h"
#include "library/LibraryDatabase.h"
#include "library/core/LibraryLookups.h"
#include "platform/core/ImageSource.h"
#include "platform/core/JobReport.h"

#include <QDebug>
#include <QFileInfo>
#include <cmath>

namespace {
QString listed(const QStringList &lines) {
    return shortList(lines).join(QLatin1Char('\n'));
}
} // namespace

QString libraryPhotoName(const IKImageItem &item) {
    if (!item.fileName.isEmpty())
        return item.fileName;
    return item.photoLibFileNode ? item.photoLibFileNode->fileName : item.filePath;
}

QString storedOr(const LibraryWriteResult &result, const QString &fallback) {
    return result.stored.isEmpty() ? fallback : result.stored;
}

double librarySeconds(const QDateTime &date) {
    return double(date.toMSecsSinceEpoch()) / 1000.0 - double(kLibraryReferenceDate);
}

void setRecordCameraDate(PRPicFileInfo &record, const LibraryWriteResult &result, double seconds,
                         bool currentSchema) {
    record.cameraDate.setText(storedOr(result, libraryDateText(int64_t(std::floor(seconds)))));
    record.shootDateNumber = uint64_t(int64_t(std::floor(seconds)));
    // The current schema shows one column as both dates.
    if (currentSchema)
        record.createDate = record.cameraDate;
}

bool originalReadable(const IKImageItem &item, QString *why) {
    const auto say = [why](const QString &text) {
        if (why)
            *why = text;
        return false;
    };
    if (!item.bICloudDownloadPhoto)
        return say(LibraryEditRun::tr("its original is only in iCloud"));
    if (item.filePath.isEmpty() || !QFileInfo(item.filePath).isFile())
        return say(LibraryEditRun::tr("its original file is missing"));
    if (item.fileType != QLatin1String("Image"))
        return say(LibraryEditRun::tr("the metadata of its original video is not read here"));
    const ImageSource source = ImageSource::fromPath(item.filePath);
    if (!source.isValid())
        return say(LibraryEditRun::tr("its original cannot be read: %1").arg(source.errorString()));
    return true;
}

LibraryEditRun::~LibraryEditRun() {
    if (open_)
        database_.session().abandon();
}

QList<IKImageItemPtr> LibraryEditRun::selectedOrSay(AppServices &app) {
    const QList<IKImageItemPtr> items = app.browsers().selectedLibraryItems();
    if (items.isEmpty())
        app.sheets().noSelection();
    return items;
}

void LibraryEditRun::overSelection(AppServices &app, LibraryDatabase &database, const Step &step,
                                   bool refresh) {
    if (!database.mayEdit())
        return;
    const QList<IKImageItemPtr> items = selectedOrSay(app);
    if (items.isEmpty())
        return;
    LibraryEditRun run(app, database);
    if (!run.begin())
        return;
    for (const IKImageItemPtr &item : items) {
        const PRPicFileInfoPtr r = item->photoLibFileNode;
        if (!r) {
            run.skip(item, tr("it is not in the library's database"));
            continue;
        }
        if (!step(run, item, r))
            return;
    }
    run.finish(refresh);
}

bool LibraryEditRun::begin() {
    QString why;
    if (!database_.session().begin(&why)) {
        showEnd(LibraryEditRun::tr("Photo Library metadata can't update"), why);
        failed_ = true;
        return false;
    }
    open_ = true;
    return true;
}

bool LibraryEditRun::take(const IKImageItemPtr &item, const LibraryWriteResult &result,
                          std::function<void()> update) {
    if (failed_)
        return false;
    if (!result.ok) {
        if (open_)
            database_.session().abandon();
        open_ = false;
        failed_ = true;
        updates_.clear();
        qCWarning(lcLibrary).noquote() << "library edit refused==" << result.reason;
        showEnd(LibraryEditRun::tr("Photo Library metadata can't update"),
                LibraryEditRun::tr("%1: %2\n\nNothing of this change was written to the library.")
                    .arg(item ? libraryPhotoName(*item) : QString(), result.reason));
        return false;
    }
    ++written_;
    if (update)
        updates_.push_back(std::move(update));
    return true;
}

void LibraryEditRun::skip(const IKImageItemPtr &item, const QString &why) {
    skipped_ << QStringLiteral("%1: %2").arg(item ? libraryPhotoName(*item) : QString(), why);
}

bool LibraryEditRun::finish(bool refresh) {
    if (failed_ || !open_)
        return false;
    if (written_ == 0) {
        // Nothing to carry into the library: no copy back.
        database_.session().abandon();
        open_ = false;
        showEnd(LibraryEditRun::tr("No library photo was changed."),
                skipped_.isEmpty() ? LibraryEditRun::tr("There was nothing to change.")
                                   : listed(skipped_));
        return false;
    }
    open_ = false;
    const LibraryStepResult end = database_.session().end();
    if (!end.ok) {
        failed_ = true;
        showEnd(LibraryEditRun::tr("Photo Library metadata can't update"),
                LibraryEditRun::tr("Writing the changed exif data to Photo Library failed.") +
                    QLatin1Char('\n') + end.reason);
        return false;
    }
    for (const auto &update : updates_)
        update();
    updates_.clear();
    if (refresh)
        app_.browsers().reloadLibraryBrowserKeepingSelection();
    QString informative =
        LibraryEditRun::tr("The changed exif data has been saved in the library.");
    if (!skipped_.isEmpty())
        informative += QStringLiteral("\n\n") + LibraryEditRun::tr("Left as they were:") +
                       QLatin1Char('\n') + listed(skipped_);
    showEnd(LibraryEditRun::tr("New Photo Library metadata tag(s) has been applied."), informative,
            written_);
    return true;
}

void LibraryEditRun::showEnd(const QString &message, const QString &informative, int written) {
    JobReport ending;
    ending.message = message;
    ending.informative = informative;
    ending.written = written;
    ending.notWritten = skipped_;
    app_.jobs().finishJob(ending);
}
