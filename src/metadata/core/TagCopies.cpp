#include "metadata/core/TagCopies.h"

#include "base/SharedHelpers.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QTimeZone>

namespace {

const QString kExif = QStringLiteral("{Exif}");
const QString kTiff = QStringLiteral("{TIFF}");
const QString kIptc = QStringLiteral("{IPTC}");
const QString kDateTime = QStringLiteral("DateTime");
const QString kOriginal = QStringLiteral("DateTimeOriginal");
const QString kDigitized = QStringLiteral("DateTimeDigitized");
const QString kDescription = QStringLiteral("ImageDescription");
const QString kTitle = QStringLiteral("ObjectName");
const QString kKeywords = QStringLiteral("Keywords");
const QString kPersons = QStringLiteral("PersonInImage");

QVariantMap section(const QVariantMap &working, const QString &key) {
    return working.value(key).toMap();
}

bool has(const QVariantMap &dict, const QString &key) {
    return dict.contains(key) && !dict.value(key).isNull();
}

} // namespace

bool copyTiffDateToExif(QVariantMap &working) {
    const QVariantMap tiff = section(working, kTiff);
    QVariantMap exif = section(working, kExif);
    if (has(tiff, kDateTime) && (!has(exif, kOriginal) || exif.value(kOriginal).toString() !=
                                                              tiff.value(kDateTime).toString())) {
        exif.insert(kOriginal, tiff.value(kDateTime).toString());
        exif.insert(kDigitized, tiff.value(kDateTime).toString());
    }
    working.insert(kExif, exif);
    return true;
}

bool copyExifDateToTiff(QVariantMap &working) {
    const QVariantMap exif = section(working, kExif);
    QVariantMap tiff = section(working, kTiff);
    if (has(exif, kOriginal))
        tiff.insert(kDateTime, exif.value(kOriginal).toString());
    else if (has(exif, kDigitized))
        tiff.insert(kDateTime, exif.value(kDigitized).toString());
    working.insert(kTiff, tiff);
    return true;
}

bool copyTitleToCaption(QVariantMap &working) {
    if (!working.contains(kIptc))
        return false;
    const QVariantMap iptc = section(working, kIptc);
    QVariantMap tiff = section(working, kTiff);
    if (has(iptc, kTitle))
        tiff.insert(kDescription, iptc.value(kTitle).toString());
    working.insert(kTiff, tiff);
    return true;
}

bool copyKeywordsToCaption(QVariantMap &working) {
    const QVariantMap iptc = section(working, kIptc);
    const QStringList keywords = iptc.value(kKeywords).toStringList();
    if (!has(iptc, kKeywords) || keywords.isEmpty())
        return false;
    QVariantMap tiff = section(working, kTiff);
    tiff.insert(kDescription, keywords.join(QLatin1Char(',')));
    working.insert(kTiff, tiff);
    return true;
}

bool copyCaptionToTitle(QVariantMap &working) {
    if (!working.contains(kTiff))
        return false;
    const QVariantMap tiff = section(working, kTiff);
    QVariantMap iptc = section(working, kIptc);
    if (has(tiff, kDescription))
        iptc.insert(kTitle, tiff.value(kDescription).toString());
    working.insert(kIptc, iptc);
    return true;
}

bool setPersonsShown(QVariantMap &working, const QStringList &persons) {
    if (persons.isEmpty())
        return false;
    QVariantMap iptc = section(working, kIptc);
    iptc.insert(kPersons, persons);
    working.insert(kIptc, iptc);
    return true;
}

bool copyPersonsToKeywords(QVariantMap &working) {
    QVariantMap iptc = section(working, kIptc);
    const QStringList persons = iptc.value(kPersons).toStringList();
    if (persons.isEmpty())
        return false;
    QStringList keywords = iptc.value(kKeywords).toStringList();
    for (const QString &person : persons)
        if (!keywords.contains(person))
            keywords << person;
    iptc.insert(kKeywords, keywords);
    working.insert(kIptc, iptc);
    return true;
}

QString cameraDateText(const QVariantMap &properties, const QDateTime &fileCreated) {
    const QVariantMap exif = section(properties, kExif);
    if (has(exif, kOriginal) || has(exif, kDigitized)) {
        for (const QString &key : {kOriginal, kDigitized}) {
            const QString text = exif.value(key).toString();
            if (has(exif, key) && CheckDateFormatWithDateString(text))
                return text;
        }
        return {};
    }
    const QVariantMap tiff = section(properties, kTiff);
    if (has(tiff, kDateTime))
        return tiff.value(kDateTime).toString();
    if (!fileCreated.isValid())
        return {};
    return fileCreated.toTimeZone(QTimeZone::utc()).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

bool copyCameraDateToTitle(QVariantMap &working, const QDateTime &fileCreated) {
    const QString text = cameraDateText(working, fileCreated);
    if (text.isEmpty())
        return false;
    QVariantMap iptc = section(working, kIptc);
    iptc.insert(kTitle, text);
    working.insert(kIptc, iptc);
    return true;
}

bool copyFileNameToTitle(QVariantMap &working, const QString &fileName) {
    QVariantMap iptc = section(working, kIptc);
    iptc.insert(kTitle, fileNameWithoutExtension(fileName));
    working.insert(kIptc, iptc);
    return true;
}

bool copyFileNameToComment(QVariantMap &working, const QString &fileName) {
    QVariantMap exif = section(working, kExif);
    exif.insert(QStringLiteral("UserComment"), fileNameWithoutExtension(fileName));
    working.insert(kExif, exif);
    working.insert(kTiff, section(working, kTiff));
    return true;
}

QString fileNameWithoutExtension(const QString &fileName) {
    const QString name = QFileInfo(fileName).fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? name.left(dot) : name;
}

QStringList parsePersonList(const QString &text) {
    static const QRegularExpression separators(QStringLiteral("[,;\\n]"));
    QStringList out;
    for (const QString &part : text.split(separators)) {
        const QString name = part.simplified();
        if (!name.isEmpty() && !out.contains(name))
            out << name;
    }
    return out;
}
