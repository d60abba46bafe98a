#include "batch/core/NamingEngine.h"

#include "base/SharedHelpers.h"

#include <QFileInfo>
#include <QLocale>
#include <QTimeZone>

namespace naming {

namespace {

QVariantMap section(const QVariantMap &properties, const char *key) {
    return properties.value(QLatin1String(key)).toMap();
}

// The property's text as "%@" prints it; missing gives the empty text.
QString textOf(const QVariant &value) {
    if (!value.isValid() || value.isNull())
        return QString();
    if (value.typeId() == QMetaType::QStringList || value.typeId() == QMetaType::QVariantList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

// An entry the list's text form writes bare: letters, digits, "_" and "." only.
bool isPlainWord(const QString &entry) {
    if (entry.isEmpty())
        return false;
    for (QChar c : entry)
        if (!c.isLetterOrNumber() && c != QLatin1Char('_') && c != QLatin1Char('.'))
            return false;
    return true;
}

QString withoutBlanks(QString text) {
    text.remove(QLatin1Char('\n'));
    text.remove(QLatin1Char('\r'));
    text.remove(QLatin1Char(' '));
    return text;
}

QString baseNameOf(const QString &fileName) {
    const int dot = int(fileName.lastIndexOf(QLatin1Char('.')));
    return dot > 0 ? fileName.left(dot) : fileName;
}

QString replaced(QString text, const char *token, const QString &value) {
    return text.replace(QLatin1String(token), value, Qt::CaseSensitive);
}

} // namespace

QString keywordListText(const QVariant &keywords) {
    if (keywords.typeId() != QMetaType::QStringList && keywords.typeId() != QMetaType::QVariantList)
        return textOf(keywords);
    QStringList lines;
    for (const QString &entry : keywords.toStringList()) {
        QString e = entry;
        if (!isPlainWord(e))
            e = QLatin1Char('"') + e.replace(QLatin1Char('"'), QLatin1String("\\\"")) +
                QLatin1Char('"');
        lines << QStringLiteral("    ") + e;
    }
    if (lines.isEmpty())
        return QStringLiteral("(\n)");
    return QStringLiteral("(\n") + lines.join(QStringLiteral(",\n")) + QStringLiteral("\n)");
}

QString photoDateText(const QVariantMap &properties, const QDateTime &fileCreated) {
    const QVariantMap exif = section(properties, "{Exif}");
    QString text;
    if (exif.contains(QStringLiteral("DateTimeOriginal")) ||
        exif.contains(QStringLiteral("DateTimeDigitized"))) {
        const QString original = textOf(exif.value(QStringLiteral("DateTimeOriginal")));
        const QString digitized = textOf(exif.value(QStringLiteral("DateTimeDigitized")));
        if (CheckDateFormatWithDateString(original))
            text = original;
        else if (CheckDateFormatWithDateString(digitized))
            text = digitized;
    } else {
        text = textOf(section(properties, "{TIFF}").value(QStringLiteral("DateTime")));
    }
    if (text.size() <= 3 && fileCreated.isValid())
        text = fileCreated.toTimeZone(QTimeZone::utc())
                   .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) +
               QStringLiteral(" +0000");
    return text;
}

PhotoValues photoValues(const QVariantMap &properties, const QString &fileName,
                        const QDateTime &fileCreated, Missing missing) {
    PhotoValues v;
    v.baseName = baseNameOf(fileName);
    const QString none = missing == Missing::Null ? QStringLiteral("(null)") : QString();
    const QVariantMap iptc = section(properties, "{IPTC}");
    const QVariantMap tiff = section(properties, "{TIFF}");
    const QVariantMap exif = section(properties, "{Exif}");
    v.title = iptc.contains(QStringLiteral("ObjectName"))
                  ? textOf(iptc.value(QStringLiteral("ObjectName")))
                  : none;
    v.keywords = iptc.contains(QStringLiteral("Keywords"))
                     ? withoutBlanks(keywordListText(iptc.value(QStringLiteral("Keywords"))))
                     : none;
    v.hasTiff = properties.contains(QStringLiteral("{TIFF}"));
    v.caption = textOf(tiff.value(QStringLiteral("ImageDescription")));
    v.artist = textOf(tiff.value(QStringLiteral("Artist")));
    v.copyright = textOf(tiff.value(QStringLiteral("Copyright")));
    v.make = textOf(tiff.value(QStringLiteral("Make")));
    v.model = textOf(tiff.value(QStringLiteral("Model")));
    const QVariant w = properties.value(QStringLiteral("PixelWidth"));
    const QVariant h = properties.value(QStringLiteral("PixelHeight"));
    if (w.isValid() && h.isValid())
        v.dimensions = QStringLiteral("%1 x %2").arg(textOf(w), textOf(h));
    v.comments = textOf(exif.value(QStringLiteral("UserComment")));
    v.dateText = photoDateText(properties, fileCreated);
    return v;
}

QString cameraDateText(const QString &dateText) {
    const QStringList words = dateText.split(QLatin1Char(' '));
    if (words.size() < 2)
        return dateText;
    QString date = QStringLiteral("%1 %2").arg(words[0], words[1]);
    QStringList d = words[0].split(QLatin1Char(':'));
    if (d.size() == 1)
        d = words[0].split(QLatin1Char('-'));
    if (d.size() == 3)
        date = QStringLiteral("%1.%2.%3").arg(d[0], d[1], d[2]);
    const QStringList t = words[1].split(QLatin1Char(':'));
    if (t.size() == 3)
        return QStringLiteral("%1_%2.%3.%4").arg(date, t[0], t[1], t[2]);
    return QStringLiteral("%1_%2").arg(date, words[1]);
}

QStringList renameDateFormats() {
    return {QStringLiteral("Please Choose Date format"),
            QStringLiteral("MM:DD:YYYY HH:MM:ss"),
            QStringLiteral("DD:MM:YYYY HH:MM:ss"),
            QStringLiteral("YYYY:MM:DD HH:MM:ss"),
            QStringLiteral("YYYY_MM_DD HH.MM.ss"),
            QStringLiteral("MM_DD_YYYY HH.MM.ss"),
            QStringLiteral("DD_MM_YYYY HH.MM.ss"),
            QStringLiteral("YYYY_MM_DD"),
            QStringLiteral("YYYYMMDD"),
            QStringLiteral("YYYYMMDD HHMMss"),
            QStringLiteral("MMDDYYYY HHMMss"),
            QStringLiteral("DDMMYYYY HHMMss")};
}

QString formatRenameDate(const QString &dateText, const QString &formatTitle) {
    const int format = int(renameDateFormats().indexOf(formatTitle));
    if (format < 0)
        return QString();
    if (format == 0)
        return dateText;
    const QStringList words = dateText.split(QLatin1Char(' '));
    if (words.size() < 2)
        return dateText;
    const QString &first = words[0], &second = words[1];
    QStringList d = first.split(QLatin1Char(':'));
    if (d.size() == 1)
        d = first.split(QLatin1Char('-'));
    const QStringList t = second.split(QLatin1Char(':'));

    // Date fields in the format's order, its date separator, and its time separator
    // (empty: the time stays inside the date text; null: the format has no time).
    struct Layout {
        int a, b, c; // indexes into Y, M, D
        const char *dateSep;
        const char *timeSep;
    };
    enum { Y, M, D };
    static const Layout layouts[] = {
        {M, D, Y, ":", ""},  {D, M, Y, ":", ""},  {Y, M, D, ":", ""},      {Y, M, D, "_", "."},
        {M, D, Y, "_", "."}, {D, M, Y, "_", "."}, {Y, M, D, "_", nullptr}, {Y, M, D, "", nullptr},
        {Y, M, D, "", ""},   {M, D, Y, "", ""},   {D, M, Y, "", ""},
    };
    // In pop-up order, after "Please Choose Date format".
    const Layout &l = layouts[format - 1];
    const bool colon = QLatin1String(l.dateSep) == QLatin1String(":");

    QString date = QStringLiteral("%1 %2").arg(first, second);
    if (d.size() == 3) {
        const QString sep = QLatin1String(l.dateSep);
        date = d[l.a] + sep + d[l.b] + sep + d[l.c];
        if (colon)
            date += QLatin1Char(' ') + second;
    }
    if (colon || !l.timeSep)
        return date;
    if (t.size() != 3)
        return QStringLiteral("%1 %2").arg(date, second);
    const QString sep = QLatin1String(l.timeSep);
    return QStringLiteral("%1 %2").arg(date, t[0] + sep + t[1] + sep + t[2]);
}

QString counterText(const QString &text, int counter) {
    const QString number = QString::number(counter);
    return text + (counter <= 99999 ? number.rightJustified(6, QLatin1Char('0')) : number);
}

QString cleanUp(QString text, bool null) {
    if (null)
        text.remove(QStringLiteral("(null)"));
    for (const char *c : {"{", "}", ",", "(", ")", "/"})
        text.remove(QLatin1String(c));
    return text;
}

QStringList fileNameModeTitles(TextKind kind) {
    const QString what =
        kind == TextKind::Title ? QStringLiteral("Title") : QStringLiteral("Caption");
    return {QStringLiteral("Use entire File Name as Photo ") + what,
            QStringLiteral("Add some Text to File Name as Photo ") + what,
            QStringLiteral("Replace some text of File Name as Photo ") + what};
}

QString fileNameModeText(const TitleSettings &settings, const QString &baseName) {
    switch (fileNameModeTitles(settings.kind).indexOf(settings.modeTitle)) {
    case 0:
        return baseName;
    case 1:
        return QStringLiteral("%1 %2").arg(settings.addText, baseName);
    case 2: {
        QString name = baseName;
        if (!settings.findText.isEmpty())
            name.replace(settings.findText, settings.replaceText, Qt::CaseSensitive);
        return name;
    }
    default:
        return QString();
    }
}

QString replaceTitleTokens(TextKind kind, const QString &templateText, const PhotoValues &v) {
    QString t = replaced(templateText, "File Name", v.baseName);
    if (kind == TextKind::Title) {
        t = replaced(t, "Artist", v.artist);
        t = replaced(t, "Caption", v.caption);
    } else {
        t = replaced(t, "Title", v.title);
        t = replaced(t, "Artist", v.artist);
    }
    t = replaced(t, "Copyright", v.copyright);
    t = replaced(t, "Dimensions", v.dimensions);
    t = replaced(t, "Keywords", v.keywords);
    t = replaced(t, "Comments", v.comments);
    t = replaced(t, "Camera Make", v.make);
    t = replaced(t, "Camera Model", v.model);
    t = replaced(t, "Camera Date", cameraDateText(v.dateText));
    if (kind == TextKind::Title)
        return replaced(t, "Existing Photo Title", v.title);
    return replaced(t, "Existing Photo Caption", v.caption);
}

QString nameSegments(const QString &baseName, NameSegment segment) {
    QStringList words = baseName.split(QLatin1Char(' '));
    if (words.size() < 2)
        words = baseName.split(QLatin1Char('-'));
    if (words.size() >= 2) {
        switch (segment) {
        case NameSegment::KeepLast:
            words = {words.last()};
            break;
        case NameSegment::KeepFirst:
            words = {words.first()};
            break;
        case NameSegment::RemoveLast:
            words.removeLast();
            break;
        case NameSegment::RemoveFirst:
            words.removeFirst();
            break;
        case NameSegment::None:
            break;
        }
    }
    return words.join(QLatin1Char(' ')).remove(QLatin1Char('_'));
}

QString customFileName(const RenameSettings &s, const QString &baseName, int counter) {
    if (s.startNumber)
        return counterText(s.customText, counter);
    if (s.segment != NameSegment::None)
        return nameSegments(baseName, s.segment);
    return s.customText;
}

QString templateFileName(const RenameSettings &s, const PhotoValues &v, int counter) {
    QString t = replaced(s.templateText, "Title", v.title);
    t = replaced(t, "Artist", v.artist);
    t = replaced(t, "Description", v.caption);
    t = replaced(t, "Copyright", v.copyright);
    t = replaced(t, "Dimensions", v.dimensions);
    t = replaced(t, "Keywords", v.keywords);
    t = replaced(t, "Comments", v.comments);
    t = replaced(t, "Camera Make", v.make);
    t = replaced(t, "Camera Model", v.model);
    const QString date = formatRenameDate(v.dateText, s.dateFormatTitle);
    if (!date.isNull())
        t = replaced(t, "Camera Date", date);
    t = replaced(t, "ExistingFileName", v.baseName);
    t = cleanUp(t, false);
    return s.counter ? counterText(t, counter) : t;
}

QString newFileName(const RenameSettings &s, const PhotoValues &v, int counter) {
    return s.useCustomName ? customFileName(s, v.baseName, counter)
                           : templateFileName(s, v, counter);
}

} // namespace naming
