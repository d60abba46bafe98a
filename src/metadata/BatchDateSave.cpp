// The saves of the batch date window: into the photos' metadata, or into their file dates.
#include "metadata/DateWindows.h"

#include "app/AppServices.h"
#include "app/Browsers.h"
#include "app/Jobs.h"

#include "base/Logging.h"
#include "base/SharedHelpers.h"
#include "metadata/DateFeatureSupport.h"
#include "metadata/core/DateArithmetic.h"
#include "metadata/core/DateCopies.h"
#include "metadata/core/FileDateRules.h"
#include "platform/core/FileDates.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDebug>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <memory>

using namespace datefeature;

struct DateWindows::Amounts {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    bool add = true;
};

DateWindows::Amounts DateWindows::readAmounts() const {
    Amounts a;
    a.year = intValue(yearVaulab);
    a.month = intValue(monthVaulab);
    a.day = intValue(dayVaulab);
    a.hour = intValue(hourVaulab);
    a.minute = intValue(minuVaulab);
    a.second = intValue(secVaulab);
    a.add = AddTimeBtn && AddTimeBtn->isChecked();
    return a;
}

QDateTime DateWindows::moveByAmounts(const QDateTime &base, const Amounts &a) {
    const QString text =
        a.add ? AddTimeIntwithDate(base, a.year, a.month, a.day, a.hour, a.minute, a.second)
              : SubTimeIntwithDate(base, a.year, a.month, a.day, a.hour, a.minute, a.second);
    qCDebug(lcMetadata).noquote() << QStringLiteral("%1=").arg(text);
    return parseMetadataDate(text);
}

// The reference shift: the four dates must all be dates.
struct DateWindows::Shift {
    qint64 original = 0, digitized = 0;
    bool valid = false;
};

DateWindows::Shift DateWindows::readShift() const {
    Shift s;
    const QDateTime bo = parseMetadataDate(text(beforeorignalDatelab).trimmed());
    const QDateTime bg = parseMetadataDate(text(beforediginalDatelab).trimmed());
    const QDateTime ao = parseMetadataDate(text(afterorignalDatelab).trimmed());
    const QDateTime ag = parseMetadataDate(text(afterdiginalDatelab).trimmed());
    if (!bo.isValid() || !ao.isValid() || !ag.isValid())
        return s;
    s.original = bo.secsTo(ao);
    // A reference without a digitized date moves its digitized date like the original.
    s.digitized = bg.isValid() ? bg.secsTo(ag) : s.original;
    s.valid = true;
    return s;
}

// The fixed date of each photo, stepped by its place in the job.
QList<QDateTime> DateWindows::fixedDates(const QDateTime &start, qsizetype count) const {
    QList<QDateTime> dates;
    const bool stepping = AddDateNumBtn && AddDateNumBtn->isChecked();
    const qint64 number = int64Value(AddDateNumlab);
    const QString unit = AddDateUnitBtn ? AddDateUnitBtn->currentText() : QString();
    for (qsizetype k = 0; k < count; ++k)
        dates << (stepping ? start.addSecs(stepSeconds(number, k, unit)) : start);
    return dates;
}

namespace {

void setAllDateTags(QVariantMap &working, const QDateTime &original, const QDateTime &digitized) {
    setCameraDateTags(working, exifDateText(original), exifDateText(digitized));
    setIptcDates(working, original, digitized);
}

// Photos without an original date to move (the change left them alone): a plain copy dated
// by its creation. A photo an earlier edit copied into the storage folder is that copy,
// which takes the dates in its place, so the edits add up.
void copyUndatedPhotos(const QList<IKImageItemPtr> &items, const QString &storage, bool overwrite,
                       WriteRecipeReport &report) {
    const DateCopyStarts starts(items, storage, overwrite);
    for (qsizetype i = 0; i < items.size() && i < report.photos.size(); ++i) {
        WriteRecipeResult &r = report.photos[i];
        if (r.written || r.reason != QLatin1String(kNothingToChange))
            continue;
        const DateCopyStart start = starts.at(i);
        const QDateTime created = FileDates::creationDate(start.source);
        if (!created.isValid()) {
            r.reason = QStringLiteral("has no date to move");
            continue;
        }
        const DateCopyOutcome c = copyPhotoWithDates(start, created, created, overwrite);
        r.written = c.written;
        r.outputPath = c.finalPath;
        r.reason = c.reason;
        if (c.written && report.revealPath.isEmpty()) {
            report.revealPath = c.finalPath;
            report.revealRoot = overwrite ? QFileInfo(c.finalPath).absolutePath() : storage;
        }
    }
}

} // namespace

void DateWindows::ClickMutiDateChangedSaveAction() {
    const BatchMethod method = chosenBatchMethod(dateImageview, mutSetDatelab);
    const QList<IKImageItemPtr> items = app.browsers().selectedLocalItems();
    const bool overwrite = overwriteOn(app);
    auto table = std::make_shared<PhotoDateTable>();
    WriteRecipeOptions options;
    options.verify = true;
    options.dates = WriteRecipeOptions::Dates::Keep;
    bool copyUndated = false;

    if (method == BatchMethod::Reference) {
        const Shift shift = readShift();
        if (!CheckDateFormatWithDateString(text(afterdiginalDatelab).trimmed()) || !shift.valid) {
            showInvalidDateAlert(app, changeMutiDateWindow);
            return;
        }
        if (localMode()) {
            options.change = [shift, table](QVariantMap &working, const IKImageItem &item) {
                const QVariantMap exif = subDictionary(working, QStringLiteral("{Exif}"));
                QString o = exif.value(QStringLiteral("DateTimeOriginal")).toString();
                QString g = exif.value(QStringLiteral("DateTimeDigitized")).toString();
                if (o.isEmpty())
                    o = g;
                if (g.isEmpty())
                    g = o;
                QDateTime original = parseMetadataDate(o), digitized = parseMetadataDate(g);
                if (o.isEmpty()) {
                    original = FileDates::creationDate(item.filePath);
                    digitized = FileDates::modificationDate(item.filePath);
                }
                if (!original.isValid())
                    return false; // nothing to shift: no date tag gets a non-date
                if (!digitized.isValid())
                    digitized = original;
                const QDateTime newOriginal = original.addSecs(shift.original);
                const QDateTime newDigitized = digitized.addSecs(shift.digitized);
                qCDebug(lcMetadata).noquote()
                    << QStringLiteral("%1=").arg(exifDateText(newOriginal));
                setAllDateTags(working, newOriginal, newDigitized);
                table->put(&item, {newOriginal, newDigitized});
                return true;
            };
        } else {
            // The reference road of a device's photos writes nothing.
            resetMutiDateWindowTexts();
            changeMutiDateWindow->hide();
            return;
        }
    } else if (method == BatchMethod::Fixed) {
        const QDateTime start = parseMetadataDate(text(mutSetDatelab).trimmed());
        if (!start.isValid()) {
            showInvalidDateAlert(app, changeMutiDateWindow);
            return;
        }
        const QList<QDateTime> dates = fixedDates(start, items.size());
        for (qsizetype k = 0; k < items.size(); ++k)
            table->put(items[k].get(), {dates[k], dates[k]});
        options.change = [table](QVariantMap &working, const IKImageItem &item) {
            const QDateTime date = table->get(&item).creation;
            setAllDateTags(working, date, date);
            return true;
        };
    } else {
        const Amounts amounts = readAmounts();
        copyUndated = true;
        options.change = [amounts, table](QVariantMap &working, const IKImageItem &item) {
            const QString text = subDictionary(working, QStringLiteral("{Exif}"))
                                     .value(QStringLiteral("DateTimeOriginal"))
                                     .toString();
            const QDateTime base = parseMetadataDate(text);
            const QDateTime moved = base.isValid() ? moveByAmounts(base, amounts) : QDateTime();
            if (!moved.isValid())
                return false; // no date to move: the photo is copied as it is, below
            setAllDateTags(working, moved, moved);
            table->put(&item, {moved, moved});
            return true;
        };
    }

    const QString storage = app.preferences().storagelocation;
    app.jobs().startRecipeJob(
        items, overwrite, options,
        [this, items, table, copyUndated, overwrite, storage](WriteRecipeReport report, bool) {
            if (copyUndated) {
                copyUndatedPhotos(items, storage, overwrite, report);
                app.browsers().showEditedPhotos(report);
            }
            const QStringList failures =
                report.notWritten() + applyPhotoDates(items, report, *table);
            datefeature::finishJob(app, report.revealPath, report.revealRoot, report.writtenCount(),
                                   failures, false);
        });
    resetMutiDateWindowTexts();
    changeMutiDateWindow->hide();
}

void DateWindows::ClickMutiCreatedDateChangedSaveAction() {
    const BatchMethod method = chosenBatchMethod(dateImageview, mutSetDatelab);
    const QList<IKImageItemPtr> items = app.browsers().selectedLocalItems();
    // Photo i's new date from the creation date of the file it starts from, on its worker;
    // invalid: the photo is not copied.
    std::function<QDateTime(qsizetype, const QDateTime &)> dateOf;

    if (method == BatchMethod::Reference) {
        const Shift shift = readShift();
        if (!CheckDateFormatWithDateString(text(afterdiginalDatelab).trimmed()) || !shift.valid) {
            showInvalidDateAlert(app, changeMutiDateWindow);
            return;
        }
        dateOf = [shift](qsizetype, const QDateTime &created) {
            return created.isValid() ? created.addSecs(shift.original) : QDateTime();
        };
    } else if (method == BatchMethod::Fixed) {
        const QDateTime start = parseMetadataDate(text(mutSetDatelab).trimmed());
        if (!start.isValid()) {
            showInvalidDateAlert(app, changeMutiDateWindow);
            return;
        }
        dateOf = [dates = fixedDates(start, items.size())](qsizetype i, const QDateTime &) {
            return dates[i];
        };
    } else {
        dateOf = [amounts = readAmounts()](qsizetype, const QDateTime &created) {
            return created.isValid() ? moveByAmounts(created, amounts) : QDateTime();
        };
    }

    const bool overwrite = overwriteOn(app);
    const DateCopyStarts starts(items, app.preferences().storagelocation, overwrite);
    resetMutiDateWindowTexts();
    changeMutiDateWindow->hide();
    // A device's photos have no file dates to shift: nothing is copied.
    if (method == BatchMethod::Reference && !localMode())
        return;
    app.jobs().startPhotoJob(
        items,
        [starts, dateOf, overwrite](qsizetype i) {
            const DateCopyStart start = starts.at(i);
            const QDateTime date = dateOf(i, FileDates::creationDate(start.source));
            if (!date.isValid()) {
                JobResult r;
                r.reason = DateWindows::tr("has no creation date to start from");
                return r;
            }
            return dateCopyResult(copyPhotoWithDates(start, date, date, overwrite));
        },
        overwrite ? QString() : app.preferences().storagelocation, true);
}
