#pragma once

#include "platform/core/JobReport.h"
#include "metadata/core/WriteRecipe.h"

// The ending of a job that ran the write recipe.
// `failedBefore`: photos the job lost before the recipe (a download that failed).
inline JobReport jobReportFromRecipe(const WriteRecipeReport &report,
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
                QFileInfo(photo.sourcePath).fileName(), photo.leftOut.join(QStringLiteral(", ")));
    return job;
}
