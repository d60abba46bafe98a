// The date, copyright and place stamps drawn into the selected local photos.
#include "app/AppDelegate.h"

#include "base/Coordinates.h"
#include "base/Logging.h"
#include "batch/core/StampPhoto.h"
#include "platform/core/ImageSource.h"
#include "platform/core/JobRunner.h"
#include "platform/core/ReverseGeocoder.h"

#include <QFileInfo>
#include <QHash>
#include <QPointer>

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

// The place stamp's walk: one position asked at a time, the texts kept until the last answer.
struct PlaceWalk {
    QList<IKImageItemPtr> items;
    qsizetype next = 0;
    QList<IKImageItemPtr> found;
    QHash<const IKImageItem *, QString> texts;
    QStringList failures;
    ReverseGeocoder *geocoder = nullptr;
};

QString nameOf(const IKImageItemPtr &item) {
    return QFileInfo(item->filePath).fileName();
}

} // namespace

void ImageOutputPart::AddDateStampsOnPhotoAction() {
    if (d.preferences.compress)
        AddDateOnPhotoAction();
    else
        AddDateOnPhotoWithOutCompassAction();
}

void ImageOutputPart::AddDateOnPhotoAction() {
    const StampSettings s = stampSettingsOf(d.preferences, StampKind::Date, true);
    d.startImageOutputJob(
        d.selectedLocalItems(), [s](const IKImageItemPtr &item) { return stampResult(s, item); },
        AppDelegate::OutputReveal::FirstOutput);
}

void ImageOutputPart::AddDateOnPhotoWithOutCompassAction() {
    const StampSettings s = stampSettingsOf(d.preferences, StampKind::Date, false);
    d.startImageOutputJob(
        d.selectedLocalItems(), [s](const IKImageItemPtr &item) { return stampResult(s, item); },
        AppDelegate::OutputReveal::FirstOutput);
}

void ImageOutputPart::AddCopyrightOnPhotoAction() {
    const StampSettings s = stampSettingsOf(d.preferences, StampKind::Copyright, true);
    d.startImageOutputJob(
        d.selectedLocalItems(), [s](const IKImageItemPtr &item) { return stampResult(s, item); },
        AppDelegate::OutputReveal::FirstOutput);
}

void ImageOutputPart::AddLocationPlaceOnPhotoAction() {
    if (placeStampRunning)
        return;
    auto walk = std::make_shared<PlaceWalk>();
    walk->items = d.selectedLocalItems();
    if (walk->items.isEmpty())
        return;
    placeStampRunning = true;
    walk->geocoder = new ReverseGeocoder(&d);
    const StampSettings s = stampSettingsOf(d.preferences, StampKind::Place, true);
    QPointer<AppDelegate> self(&d);
    // Only positions wait for the server; no photo is decoded until every answer is in.
    auto step = std::make_shared<std::function<void()>>();
    // The pending answer holds the walk; the walk holds itself only weakly.
    *step = [self, walk, s, weakStep = std::weak_ptr(step)] {
        const auto step = weakStep.lock();
        if (!self || !step)
            return;
        while (walk->next < walk->items.size()) {
            const IKImageItemPtr item = walk->items[walk->next++];
            const ImageSource source = ImageSource::fromPath(item->filePath);
            const SignedGpsCoordinates position =
                signedCoordinates(source.properties(0).value(QStringLiteral("{GPS}")).toMap());
            if (!source.isValid() || !position.latitude || !position.longitude) {
                walk->failures << QStringLiteral("%1: %2").arg(
                    nameOf(item), source.isValid() ? AppDelegate::tr("it has no position")
                                                   : AppDelegate::tr("not an image we can read"));
                continue;
            }
            walk->geocoder->reverseGeocode(
                *position.latitude, *position.longitude, self,
                [walk, item, step](const Placemark &place, const QString &error) {
                    qCInfo(lcBatch) << "Reverse geocoding finished";
                    const QString text = error.isEmpty() ? placeStampText(place) : QString();
                    if (!text.isEmpty()) {
                        walk->found << item;
                        walk->texts.insert(item.get(), text);
                    } else {
                        walk->failures << QStringLiteral("%1: %2").arg(
                            nameOf(item),
                            error.isEmpty() ? AppDelegate::tr("no place is known there") : error);
                    }
                    (*step)();
                });
            return;
        }
        walk->geocoder->deleteLater();
        self->imageOutput.placeStampRunning = false;
        const auto texts = walk->texts;
        self->startImageOutputJob(
            walk->found,
            [s, texts](const IKImageItemPtr &item) {
                return stampResult(s, item, texts.value(item.get()));
            },
            AppDelegate::OutputReveal::FirstOutput, walk->failures);
    };
    (*step)();
}
