#pragma once

#include "metadata/core/RecipeJobReport.h"

#include <QString>

// The words a menu item gives a job: its text without mnemonic and ellipsis, led by its
// menu's title when the item alone says nothing ("20%" of "Recompress Photos").
QString menuWords(const QString &itemText, const QString &menuTitle = {});

// What the sheet at the end of a job says: what was done, for how many photos, where
// they are now, and each photo that was not written.
struct CompletionTexts {
    QString message;
    QString informative;
    bool failures = false; // some photos were not written: never worded as a success
};

// `originalsReplaced`: how many written photos replaced their own original. `storageFolder`
// is where the others go when some originals could not be replaced.
CompletionTexts completionTexts(const JobReport &report, int originalsReplaced,
                                const QString &storageFolder);
