#pragma once

#include <QCoreApplication>
#include <QFileInfo>
#include <QString>
#include <QStringList>

// What a job of the window leaves for its one ending: how many photos were written, each
// photo that was not and why, and the one result to show in the file manager.
struct JobReport {
    int written = 0;
    QStringList notWritten;    // "name: reason", one per photo
    QStringList partlyWritten; // "name: values", one per video written without some values
    // The first result; an empty path with a root opens the root folder instead.
    QString revealPath;
    QString revealRoot;
    // Whether a job in which everything went well still says so in a sheet.
    bool sheetOnSuccess = true;
    // Whether a job in which everything went well ends without any trace: no sheet and no
    // reveal (a camera photo's copy rewritten in place).
    bool quiet = false;
    bool cancelled = false;
    // The words of the menu item that started the job ("Remove GPS Data"); empty when the
    // job was started otherwise.
    QString actionTitle;
    // The photos whose own file was rewritten (overwritten originals), as written.
    QStringList replaced;
    // The job's own words for its sheet, in place of those made from the counts (a search that
    // found nothing, a merge and its counts). A job that brings them always ends with that
    // sheet, which no setting suppresses (its one button, " Ok " unless given), and its result
    // is shown at once beside it. It warns when something was not done, or nothing was.
    QString message, informative, button;
    // The job wrote nothing because there was nothing to do (a search that found nothing):
    // its own words are no warning.
    bool nothingToDo = false;

    // The folder the written photos are in: the reveal's root, else the first result's.
    QString resultFolder() const;
};

inline QString JobReport::resultFolder() const {
    if (!revealRoot.isEmpty())
        return revealRoot;
    return revealPath.isEmpty() ? QString() : QFileInfo(revealPath).absolutePath();
}

// The first `shown` lines of a list for a sheet, then "… and N more" for the rest.
inline QStringList shortList(const QStringList &lines, int shown = 20) {
    QStringList out = lines.mid(0, shown);
    if (lines.size() > shown)
        out << QCoreApplication::translate("JobReport", "… and %1 more").arg(lines.size() - shown);
    return out;
}
