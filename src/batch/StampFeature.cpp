// The date, copyright and place stamps drawn into the selected local photos.
#include "batch/ImageOutput.h"

#include "app/AppServices.h"
#include "app/Browsers.h"
#include "app/Jobs.h"

#include "base/Coordinates.h"
#include "base/Logging.h"
#include "batch/core/StampPhoto.h"
#include "platform/core/ImageSource.h"
#include "platform/core/JobReport.h"
#include "platform/core/JobRunner.h"
#include "platform/core/ReverseGeocoder.h"

#include <QFileInfo>
#include <QHash>
#include <QPointer>

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace {

StampSettings stampSettingsOf(const Preferences &p, StampKind kind, bool recompress) {
    StampSettings s;
    s.kind = kind;
    s.corner = p.postion;
    s.dateFormat = p.dateformat;
    s.fontName = p.currentFontname;
    s.fontSize = p.currentFontSize;
    s.color = p.currentFontColor;
    s.recompress = recompress;
    s.overwrite = p.overwrite;
    s.storage = p.storagelocation;
    return s;
}

PreparedOutput stampResult(const StampSettings &settings, const IKImageItemPtr &item,
                           const QString &placeText = {}) {
    return prepareStamp(settings, item->filePath, placeText);
}

// What the place stamp's walk leaves for its ending, one entry per photo: the place's text,
// or why the photo has none; both empty for a photo the walk did not finish.
struct PlaceWalk {
    QStringList texts;
    QStringList failures;
};

// The geocoder's answer for one position, waited for on the walk's worker.
class PlaceAnswer {
  public:
    void set(const QString &text, const QString &error) {
        const std::lock_guard lock(mutex);
        this->text = text;
        this->error = error;
        ready = true;
        arrived.notify_all();
    }
    // False when the job was cancelled first. Cancel is looked at every few ms, so neither
    // a Cancel nor the application's end waits for a slow server.
    bool wait(const JobControl &control) {
        std::unique_lock lock(mutex);
        while (!ready) {
            if (control.isCancelled())
                return false;
            arrived.wait_for(lock, std::chrono::milliseconds(10));
        }
        return true;
    }
    QString text, error;

  private:
    std::mutex mutex;
    std::condition_variable arrived;
    bool ready = false;
};

QString nameOf(const IKImageItemPtr &item) {
    return QFileInfo(item->filePath).fileName();
}

} // namespace

void ImageOutput::AddDateStampsOnPhotoAction() {
    if (app.preferences().compress)
        AddDateOnPhotoAction();
    else
        AddDateOnPhotoWithOutCompassAction();
}

void ImageOutput::AddDateOnPhotoAction() {
    const StampSettings s = stampSettingsOf(app.preferences(), StampKind::Date, true);
    startImageOutputJob(
        app.browsers().selectedLocalItems(),
        [s](const IKImageItemPtr &item) { return stampResult(s, item); },
        OutputReveal::FirstOutput);
}

void ImageOutput::AddDateOnPhotoWithOutCompassAction() {
    const StampSettings s = stampSettingsOf(app.preferences(), StampKind::Date, false);
    startImageOutputJob(
        app.browsers().selectedLocalItems(),
        [s](const IKImageItemPtr &item) { return stampResult(s, item); },
        OutputReveal::FirstOutput);
}

void ImageOutput::AddCopyrightOnPhotoAction() {
    const StampSettings s = stampSettingsOf(app.preferences(), StampKind::Copyright, true);
    startImageOutputJob(
        app.browsers().selectedLocalItems(),
        [s](const IKImageItemPtr &item) { return stampResult(s, item); },
        OutputReveal::FirstOutput);
}

void ImageOutput::AddLocationPlaceOnPhotoAction() {
    constexpr auto kind = Jobs::OneAtATime::PlaceStamp;
    if (app.jobs().runningJob(kind))
        return;
    const QList<IKImageItemPtr> items = app.browsers().selectedLocalItems();
    if (items.isEmpty())
        return;
    QStringList paths;
    for (const IKImageItemPtr &item : items)
        paths << item->filePath;
    PlaceWalk none;
    none.texts.resize(items.size());
    none.failures.resize(items.size());
    // A main-thread object: the walk hands it each position and waits for the answer.
    auto *geocoder = new ReverseGeocoder(&app.jobs());
    const StampSettings s = stampSettingsOf(app.preferences(), StampKind::Place, true);
    JobRunner *runner = app.jobs().startJob(kind);
    const auto ending = [this, geocoder, items, s](PlaceWalk &&walk, bool cancelled) {
        geocoder->deleteLater();
        QStringList failures;
        QHash<const IKImageItem *, QString> texts;
        QList<IKImageItemPtr> found;
        for (qsizetype i = 0; i < items.size(); ++i) {
            if (!walk.failures[i].isEmpty())
                failures << QStringLiteral("%1: %2").arg(nameOf(items[i]), walk.failures[i]);
            else if (cancelled)
                failures << QStringLiteral("%1: cancelled").arg(nameOf(items[i]));
            else if (!walk.texts[i].isEmpty()) {
                found << items[i];
                texts.insert(items[i].get(), walk.texts[i]);
            }
        }
        // A cancelled walk writes nothing and ends as any cancelled job.
        if (cancelled) {
            JobReport report;
            report.cancelled = true;
            report.sheetOnSuccess = false;
            report.notWritten = failures;
            app.jobs().finishJob(report);
            return;
        }
        // Only positions waited for the server; no photo was decoded before now.
        startImageOutputJob(
            found,
            [s, texts](const IKImageItemPtr &item) {
                return stampResult(s, item, texts.value(item.get()));
            },
            OutputReveal::FirstOutput, failures);
    };
    const auto task = [paths, none, asker = QPointer(geocoder)](JobControl &control) {
        PlaceWalk walk = none;
        const int total = int(paths.size());
        for (int i = 0; i < total && !control.isCancelled(); ++i) {
            const QString name = QFileInfo(paths[i]).fileName();
            control.setProgress(i, total, ImageOutput::tr("Finding the place of %1").arg(name));
            const ImageSource source = ImageSource::fromPath(paths[i]);
            const SignedGpsCoordinates position =
                signedCoordinates(source.properties(0).value(QStringLiteral("{GPS}")).toMap());
            if (!source.isValid() || !position.latitude || !position.longitude) {
                walk.failures[i] = source.isValid() ? ImageOutput::tr("it has no position")
                                                    : ImageOutput::tr("not an image we can read");
                continue;
            }
            // One position at a time: the geocoder keeps the server's pace and answers a
            // position it met before from its cache.
            auto answer = std::make_shared<PlaceAnswer>();
            JobRunner::handTo(asker, [asker, answer, latitude = *position.latitude,
                                      longitude = *position.longitude] {
                asker->reverseGeocode(
                    latitude, longitude, asker,
                    [answer](const Placemark &place, const QString &error) {
                        qCInfo(lcBatch) << "Reverse geocoding finished";
                        answer->set(error.isEmpty() ? placeStampText(place) : QString(), error);
                    });
            });
            if (!answer->wait(control))
                break;
            if (!answer->text.isEmpty())
                walk.texts[i] = answer->text;
            else
                walk.failures[i] = answer->error.isEmpty()
                                       ? ImageOutput::tr("no place is known there")
                                       : answer->error;
        }
        control.setProgress(total, total);
        return walk;
    };
    app.jobs().startLong<PlaceWalk>(runner, task, ending, [none] { return none; });
}
