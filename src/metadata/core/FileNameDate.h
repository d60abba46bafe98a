#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

// The camera date hidden in a photo's file name.

// One date found in free text, at its place in the text.
struct DateMatch {
    qsizetype position = 0;
    qsizetype length = 0;
    QDateTime date; // local time; invalid when the match names no day
};

// Our date detector: the numeric forms year-month-day (separators "-", ":", ".", "_", "/" or
// none), optionally followed by a time, and the written forms "5 January 2020",
// "January 5, 2020" and "Jan 5 2020". Matches come in text order; only real calendar
// dates are reported.
QList<DateMatch> detectDates(const QString &text);

// The candidate text the name parser builds from a file name without its extension.
QString cameraDateCandidate(const QString &baseName);

struct FileNameDate {
    QString text;       // the date text for the tags, "yyyy:MM:dd HH:mm:ss" when valid
    QDateTime detected; // set only when the free-text detection of the name gave the date
    bool valid = false; // whether `text` is a date we may write
};

// The whole rule for one file name (extension included).
FileNameDate dateFromFileName(const QString &fileName);
