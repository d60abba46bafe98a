#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariantMap>

// The texts of the batch title, caption and rename jobs: pure functions over values read
// from one photo and the settings a job copied from its window when it started.
namespace naming {

enum class TextKind { Title, Caption };

// The values the tag words stand for, read from one photo (and, in a library, its record).
struct PhotoValues {
    QString baseName;                       // the file name without its extension
    QString title;                          // IPTC object name
    QString caption;                        // TIFF image description
    QString artist, copyright, make, model; // TIFF
    QString dimensions;                     // "w x h" when both are known
    QString keywords; // the keyword list's text form, line breaks and blanks removed
    QString comments; // Exif user comment
    QString dateText; // the photo's date text before any formatting (photoDateText)
    bool hasTiff = false;
};

// How a missing IPTC object name or keyword list reads: the title and caption templates
// see "(null)" (their clean-up removes it), the rename templates the empty text.
enum class Missing { Null, Empty };

// Values of the properties of image 0 (`properties`), for the photo named `fileName`
// whose file was created at `fileCreated` (the date fallback).
PhotoValues photoValues(const QVariantMap &properties, const QString &fileName,
                        const QDateTime &fileCreated, Missing missing);

// The keyword list's text form: a list is written one entry a line in parentheses, entries
// that are not plain words in double quotes; a text stays itself.
QString keywordListText(const QVariant &keywords);

// The photo's date: the Exif original date when the date check accepts it, else the
// digitized one; without either, the TIFF date; a text of three characters or fewer gives
// way to the file's creation date as "yyyy-MM-dd HH:mm:ss +0000" (UTC).
QString photoDateText(const QVariantMap &properties, const QDateTime &fileCreated);

// "2019:05:04 13:22:11" -> "2019.05.04_13.22.11"; texts that are no date pass through.
QString cameraDateText(const QString &dateText);

// The rename date formats, by the title of their pop-up item. "Please Choose Date format"
// keeps the text; a title outside the list gives a null string (the word stays).
QStringList renameDateFormats(); // the twelve titles, "Please Choose Date format" first
QString formatRenameDate(const QString &dateText, const QString &formatTitle);

// The text followed by the counter padded to six digits ("Trip000001"); from 100000 on no
// zeros are added.
QString counterText(const QString &text, int counter);

// Deletes "{", "}", ",", "(", ")" and "/"; with `null` first every "(null)".
QString cleanUp(QString text, bool null);

// ---- Titles and captions ----
struct TitleSettings {
    TextKind kind = TextKind::Title;
    bool fileNameMode = true;
    QString modeTitle; // the file-name mode pop-up's selected title
    QString addText, findText, replaceText;
    QString templateText;
};

// The file-name mode pop-up's three titles of a kind.
QStringList fileNameModeTitles(TextKind kind);
// The text of file-name mode; an unknown title gives the empty text.
QString fileNameModeText(const TitleSettings &settings, const QString &baseName);
// The template with the kind's tag words replaced in their order, not yet cleaned up.
QString replaceTitleTokens(TextKind kind, const QString &templateText, const PhotoValues &values);

// ---- Renaming ----
enum class NameSegment { None, KeepLast, KeepFirst, RemoveLast, RemoveFirst };

struct RenameSettings {
    bool useCustomName = true;
    bool startNumber = false; // custom text followed by the counter
    QString customText;
    NameSegment segment = NameSegment::None;
    QString templateText;    // the tag template
    QString dateFormatTitle; // the date-format pop-up's title
    bool counter = false;    // the template name followed by the counter
};

// The segments of a name split at " ", else at "-", joined with blanks, "_" removed.
QString nameSegments(const QString &baseName, NameSegment segment);
// The custom family's name of the `counter`-th photo.
QString customFileName(const RenameSettings &settings, const QString &baseName, int counter);
// The template family's name of the `counter`-th photo, cleaned up.
QString templateFileName(const RenameSettings &settings, const PhotoValues &values, int counter);
// Either family.
QString newFileName(const RenameSettings &settings, const PhotoValues &values, int counter);

} // namespace naming
