#include "metadata/core/EditSheetChanges.h"

#include "base/SharedHelpers.h"
#include "metadata/core/DateArithmetic.h"
#include "metadata/core/WriteRecipe.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <cmath>

namespace {

QString tr(const char *text) {
    return QCoreApplication::translate("EditSheet", text);
}

const QString kExif = QStringLiteral("{Exif}");
const QString kTiff = QStringLiteral("{TIFF}");
const QString kIptc = QStringLiteral("{IPTC}");
const QString kExifAux = QStringLiteral("{ExifAux}");
const QString kGps = QStringLiteral("{GPS}");

std::optional<qint64> wholeNumber(const QString &text) {
    bool ok = false;
    const qint64 v = text.trimmed().toLongLong(&ok);
    return ok ? std::optional<qint64>(v) : std::nullopt;
}

// "100,200" or "100 200": the ISO speeds, each a positive whole number.
std::optional<QVariantList> isoSpeeds(const QString &text) {
    QVariantList out;
    const QStringList parts =
        text.split(QRegularExpression(QStringLiteral("[,\\s]+")), Qt::SkipEmptyParts);
    for (const QString &part : parts) {
        const std::optional<qint64> v = wholeNumber(part);
        if (!v || *v <= 0 || *v > 65535)
            return std::nullopt;
        out << int(*v);
    }
    if (out.isEmpty())
        return std::nullopt;
    return out;
}

QStringList keywordList(const QString &text) {
    QStringList out;
    for (const QString &k : text.split(QLatin1Char(',')))
        if (!k.trimmed().isEmpty())
            out << k.trimmed();
    return out;
}

// What an emptied number field means: the tag goes away.
QVariant removed() {
    return QVariant();
}

} // namespace

std::optional<double> parseDecimalOrFraction(const QString &text) {
    const QString s = text.trimmed();
    if (s.isEmpty())
        return std::nullopt;
    bool ok = false;
    double value = 0;
    const qsizetype slash = s.indexOf(QLatin1Char('/'));
    if (slash >= 0) {
        bool okD = false;
        const double n = s.left(slash).trimmed().toDouble(&ok);
        const double d = s.mid(slash + 1).trimmed().toDouble(&okD);
        if (!ok || !okD || d == 0)
            return std::nullopt;
        value = n / d;
    } else {
        value = s.toDouble(&ok);
        if (!ok)
            return std::nullopt;
    }
    if (!std::isfinite(value))
        return std::nullopt;
    return value;
}

float apertureValueForFNumber(double fNumber) {
    const float f = float(fNumber);
    return std::log2(f * f);
}

float shutterSpeedValueForExposureTime(double seconds) {
    return float(std::log2(1.0 / seconds));
}

QString normalizedCameraDate(const QString &text) {
    QString s = text.trimmed();
    // Only the date part takes colons; the time part already has them.
    if (s.size() >= 10 && s[4] == QLatin1Char('-') && s[7] == QLatin1Char('-')) {
        s[4] = QLatin1Char(':');
        s[7] = QLatin1Char(':');
    }
    return s;
}

bool fieldChanged(const QString &field, const QString &remembered) {
    return field != remembered;
}

QStringList editSheetProblems(const EditSheetTexts &f, const EditSheetTexts &r,
                              const EditSheetGroups &groups) {
    QStringList problems;
    const bool body = groups.basic || groups.camera;
    auto number = [&](const QString &field, const QString &remembered, const QString &label,
                      bool positive) {
        if (!body || !fieldChanged(field, remembered) || field.trimmed().isEmpty())
            return;
        const std::optional<double> v = parseDecimalOrFraction(field);
        if (!v || (positive && *v <= 0))
            problems << tr("%1 \"%2\" is not a %3number.")
                            .arg(label, field.trimmed(), positive ? tr("positive ") : QString());
    };
    number(f.fNumber, r.fNumber, tr("The F-number"), true);
    number(f.exposureTime, r.exposureTime, tr("The exposure time"), true);
    number(f.brightness, r.brightness, tr("The brightness"), false);
    number(f.aperture, r.aperture, tr("The aperture"), false);
    if (body && fieldChanged(f.isoSpeed, r.isoSpeed) && !f.isoSpeed.trimmed().isEmpty() &&
        !isoSpeeds(f.isoSpeed))
        problems << tr("The ISO speed \"%1\" is not a whole number (several are separated by "
                       "commas).")
                        .arg(f.isoSpeed.trimmed());
    if (body && fieldChanged(f.focalLength35mm, r.focalLength35mm) &&
        !f.focalLength35mm.trimmed().isEmpty()) {
        const std::optional<qint64> v = wholeNumber(f.focalLength35mm);
        if (!v || *v < 0 || *v > 65535)
            problems << tr("The 35 mm focal length \"%1\" is not a whole number of millimetres.")
                            .arg(f.focalLength35mm.trimmed());
    }
    if (body && fieldChanged(f.whiteBalance, r.whiteBalance) &&
        !f.whiteBalance.trimmed().isEmpty()) {
        const std::optional<qint64> v = wholeNumber(f.whiteBalance);
        if (!v || (*v != 0 && *v != 1))
            problems << tr("The white balance \"%1\" must be 0 (auto) or 1 (manual).")
                            .arg(f.whiteBalance.trimmed());
    }
    if (fieldChanged(f.orientation, r.orientation) && !f.orientation.trimmed().isEmpty()) {
        const std::optional<qint64> v = wholeNumber(f.orientation);
        if (!v || *v < 1 || *v > 8)
            problems << tr("The orientation \"%1\" must be a whole number from 1 to 8.")
                            .arg(f.orientation.trimmed());
    }
    if (body && fieldChanged(f.cameraDate, r.cameraDate) &&
        !CheckDateFormatWithDateString(normalizedCameraDate(f.cameraDate)))
        problems << tr("Input the valid date format: YYYY:MM:DD HH:MM:SS or YYYY-MM-DD HH:MM:SS");
    if (groups.gps && (fieldChanged(f.gpsLatitude, r.gpsLatitude) ||
                       fieldChanged(f.gpsLongitude, r.gpsLongitude))) {
        QString problem;
        if (!parseGpsPosition(f.gpsLatitude, f.gpsLongitude, &problem))
            problems << problem;
    }
    return problems;
}

void applyEditSheetChanges(QVariantMap &working, const EditSheetTexts &f, const EditSheetTexts &r,
                           const EditSheetGroups &groups) {
    const bool body = groups.basic || groups.camera;
    auto changed = [](const QString &a, const QString &b) { return fieldChanged(a, b); };
    auto numberOrRemoved = [](const QString &text) -> QVariant {
        if (text.trimmed().isEmpty())
            return removed();
        return *parseDecimalOrFraction(text);
    };
    const bool orientationChanged = changed(f.orientation, r.orientation);
    const QVariant orientation =
        f.orientation.trimmed().isEmpty() ? removed() : QVariant(int(*wholeNumber(f.orientation)));
    const bool dateChanged = body && changed(f.cameraDate, r.cameraDate);
    const QString cameraDate = normalizedCameraDate(f.cameraDate);

    // 1. The orientation stands at the top level and in "{TIFF}": both must agree, or the
    // one written last would undo the other.
    if (orientationChanged)
        working.insert(QStringLiteral("Orientation"), orientation);

    // 2. The position; what the user did not touch stays.
    if (groups.gps &&
        (changed(f.gpsLatitude, r.gpsLatitude) || changed(f.gpsLongitude, r.gpsLongitude))) {
        QString problem;
        if (const auto position = parseGpsPosition(f.gpsLatitude, f.gpsLongitude, &problem))
            working.insert(kGps, gpsWithPosition(subDictionary(working, kGps), *position));
    }

    // 3. "{TIFF}".
    QVariantMap tiff = subDictionary(working, kTiff);
    if (orientationChanged)
        tiff.insert(QStringLiteral("Orientation"), orientation);
    if (body) {
        const std::pair<const QString *, const QString *> texts[] = {
            {&f.artist, &r.artist},
            {&f.imageDescription, &r.imageDescription},
            {&f.copyright, &r.copyright},
            {&f.cameraMake, &r.cameraMake},
            {&f.cameraModel, &r.cameraModel}};
        const char *keys[] = {"Artist", "ImageDescription", "Copyright", "Make", "Model"};
        for (int i = 0; i < 5; ++i)
            if (changed(*texts[i].first, *texts[i].second))
                tiff.insert(QLatin1String(keys[i]), *texts[i].first);
        if (dateChanged)
            tiff.insert(QStringLiteral("DateTime"), cameraDate);
    }
    if ((body || orientationChanged) && (!tiff.isEmpty() || working.contains(kTiff)))
        working.insert(kTiff, tiff);

    // 4. "{Exif}".
    if (body) {
        QVariantMap exif = subDictionary(working, kExif);
        if (dateChanged) {
            exif.insert(QStringLiteral("DateTimeOriginal"), cameraDate);
            exif.insert(QStringLiteral("DateTimeDigitized"), cameraDate);
        }
        if (changed(f.lensMake, r.lensMake))
            exif.insert(QStringLiteral("LensMake"), f.lensMake);
        if (changed(f.lensModel, r.lensModel))
            exif.insert(QStringLiteral("LensModel"), f.lensModel);
        if (changed(f.lensSerialNumber, r.lensSerialNumber))
            exif.insert(QStringLiteral("LensSerialNumber"), f.lensSerialNumber);
        if (changed(f.isoSpeed, r.isoSpeed))
            exif.insert(QStringLiteral("ISOSpeedRatings"), f.isoSpeed.trimmed().isEmpty()
                                                               ? removed()
                                                               : QVariant(*isoSpeeds(f.isoSpeed)));
        if (changed(f.fNumber, r.fNumber)) {
            const QVariant fNumber = numberOrRemoved(f.fNumber);
            exif.insert(QStringLiteral("FNumber"), fNumber);
            exif.insert(QStringLiteral("ApertureValue"),
                        fNumber.isValid()
                            ? QVariant(double(apertureValueForFNumber(fNumber.toDouble())))
                            : removed());
        } else if (changed(f.aperture, r.aperture)) {
            // An aperture typed without a new F-number is taken as it stands (APEX).
            exif.insert(QStringLiteral("ApertureValue"), numberOrRemoved(f.aperture));
        }
        if (changed(f.focalLength35mm, r.focalLength35mm))
            exif.insert(QStringLiteral("FocalLenIn35mmFilm"),
                        f.focalLength35mm.trimmed().isEmpty()
                            ? removed()
                            : QVariant(int(*wholeNumber(f.focalLength35mm))));
        if (changed(f.brightness, r.brightness))
            exif.insert(QStringLiteral("BrightnessValue"), numberOrRemoved(f.brightness));
        if (changed(f.whiteBalance, r.whiteBalance))
            exif.insert(QStringLiteral("WhiteBalance"),
                        f.whiteBalance.trimmed().isEmpty()
                            ? removed()
                            : QVariant(int(*wholeNumber(f.whiteBalance))));
        if (changed(f.exposureTime, r.exposureTime)) {
            const QVariant seconds = numberOrRemoved(f.exposureTime);
            exif.insert(QStringLiteral("ExposureTime"), seconds);
            exif.insert(QStringLiteral("ShutterSpeedValue"),
                        seconds.isValid()
                            ? QVariant(double(shutterSpeedValueForExposureTime(seconds.toDouble())))
                            : removed());
        }
        if (changed(f.comment, r.comment))
            exif.insert(QStringLiteral("UserComment"), f.comment);
        if (!exif.isEmpty() || working.contains(kExif))
            working.insert(kExif, exif);
    }

    // 5. "{ExifAux}", only where the photo has one. Its "SerialNumber" is the camera
    // body's, so the lens serial number does not go there.
    if (working.contains(kExifAux)) {
        QVariantMap aux = subDictionary(working, kExifAux);
        if (changed(f.lensModel, r.lensModel))
            aux.insert(QStringLiteral("LensModel"), f.lensModel);
        if (changed(f.lensSerialNumber, r.lensSerialNumber))
            aux.insert(QStringLiteral("LensSerialNumber"), f.lensSerialNumber);
        working.insert(kExifAux, aux);
    }

    // 6. "{IPTC}". Its image orientation is a letter (portrait, landscape, square), not
    // the Exif number, so it is left as it is.
    if (body) {
        QVariantMap iptc = subDictionary(working, kIptc);
        if (changed(f.keywords, r.keywords)) {
            const QStringList keywords = keywordList(f.keywords);
            iptc.insert(QStringLiteral("Keywords"),
                        keywords.isEmpty() ? removed() : QVariant(keywords));
        }
        if (changed(f.title, r.title))
            iptc.insert(QStringLiteral("ObjectName"), f.title);
        if (changed(f.imageDescription, r.imageDescription))
            iptc.insert(QStringLiteral("Caption/Abstract"), f.imageDescription);
        // IPTC's own artist and copyright, where the photo has them, say what "{TIFF}" says;
        // their XMP copies follow.
        if (changed(f.artist, r.artist) && iptc.contains(QStringLiteral("By-line")))
            iptc.insert(QStringLiteral("By-line"), f.artist);
        if (changed(f.copyright, r.copyright) && iptc.contains(QStringLiteral("CopyrightNotice")))
            iptc.insert(QStringLiteral("CopyrightNotice"), f.copyright);
        if (!iptc.isEmpty() || working.contains(kIptc))
            working.insert(kIptc, iptc);
        // A camera date that does not parse changes no IPTC key.
        if (dateChanged)
            setIptcDates(working, ConvertDateWithDateString(cameraDate));
    }
}

QDateTime editSheetFileDate(const EditSheetTexts &fields, const EditSheetTexts &remembered,
                            const EditSheetGroups &groups) {
    if (!groups.camera || !fieldChanged(fields.cameraDate, remembered.cameraDate))
        return {};
    return ConvertDateWithDateString(normalizedCameraDate(fields.cameraDate));
}
