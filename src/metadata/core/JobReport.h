#pragma once

#include "metadata/core/WriteRecipe.h"

#include <QFileInfo>
#include <QString>
#include <QStringList>

// What a job of the window leaves for its one ending: how many photos were written, each
// photo that was not and why, and the one result to show in the file manager.
struct JobReport {
    int written = 0;
    QStringList notWritten; // "name: reason", one per photo
    QStringList partlyWritten; // "name: values", one per video written without some values
    // The first result; an empty path with a root opens the root folder instead.
    QString revealPath;
    QString revealRoot;
    // Whether a job in which everything went well still says so in a sheet.
    bool sheetOnSuccess = true;
    bool cancelled = false;
    // The words of the menu item that started the job ("Remove GPS Data"); empty when the
    // job was started otherwise.
    QString actionTitle;
    // The photos whose own file was rewritten (overwritten originals), as written.
    QStringList replaced;

    // The folder the written photos are in: the reveal's root, else the first result's.
    QString resultFolder() const;

    // `failedBefore`: photos the job lost before the recipe (a download that failed).
    static JobReport fromRecipe(const WriteRecipeReport &report,
                                const QStringList &failedBefore = {}) {
        JobReport job;
        job.written = report.writtenCount();
        job.notWritten = failedBefore + report.notWritten();
        // A photo skipped but counted as handled names no file: nothing to show then.
        if (!report.revealPath.isEmpty()) {
            job.revealPath = report.revealPath;
            job.revealRoot = report.revealRoot;
        }
        for (const WriteRecipeResult &photo : report.photos)
            if (photo.written && photo.outputPath == photo.sourcePath)
                job.replaced << photo.outputPath;
        for (const WriteRecipeResult &photo : report.photos)
            if (photo.written && !photo.leftOut.isEmpty())
                job.partlyWritten << QStringLiteral("%1: %2").arg(
                    QFileInfo(photo.sourcePath).fileName(),
                    photo.leftOut.join(QStringLiteral(", ")));
        return job;
    }
};

inline QString JobReport::resultFolder() const {
    if (!revealRoot.isEmpty())
        return revealRoot;
    return revealPath.isEmpty() ? QString() : QFileInfo(revealPath).absolutePath();
}
