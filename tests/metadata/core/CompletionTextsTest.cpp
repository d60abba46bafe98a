#include "metadata/core/CompletionTexts.h"
#include "metadata/core/RecipeJobReport.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

TEST(MenuWords, DropMnemonicAndEllipsisAndLeanOnTheMenuWhenSilent) {
    EXPECT_EQ(menuWords("Edit GPS Position…"), "Edit GPS Position");
    EXPECT_EQ(menuWords("&Remove GPS Data"), "Remove GPS Data");
    EXPECT_EQ(menuWords("Export to Plist..."), "Export to Plist");
    EXPECT_EQ(menuWords("Copy && Paste"), "Copy & Paste");
    EXPECT_EQ(menuWords("20%", "Recompress Photos"), "Recompress Photos 20%");
    EXPECT_EQ(menuWords("1920 x 1080", "&Resize Photos…"), "Resize Photos 1920 x 1080");
    EXPECT_EQ(menuWords("Title to Caption", "Copy Tags"), "Title to Caption");
    EXPECT_EQ(menuWords("20%"), "20%");
}

namespace {
JobReport written(int n, const QString &folder) {
    JobReport r;
    r.written = n;
    r.revealPath = folder + "/first.jpg";
    r.revealRoot = folder;
    r.actionTitle = "Remove GPS Data";
    return r;
}
} // namespace

TEST(CompletionTexts, SuccessNamesTheItemTheCountAndTheFolder) {
    const CompletionTexts t =
        completionTexts(written(3, "/home/u/Pictures/out"), 0, "/home/u/Pictures/out");
    EXPECT_FALSE(t.failures);
    EXPECT_EQ(t.message, "\u201cRemove GPS Data\u201d done for 3 photos.");
    EXPECT_TRUE(t.informative.startsWith("The changed photos are in:\n/home/u/Pictures/out"));
    EXPECT_TRUE(t.informative.contains("Preferences")) << "copies in the storage folder";

    JobReport one = written(1, "/exports/2020");
    one.revealRoot.clear(); // the folder comes from the result itself then
    const CompletionTexts e = completionTexts(one, 0, "/home/u/Pictures/out");
    EXPECT_EQ(e.message, "\u201cRemove GPS Data\u201d done for 1 photo.");
    EXPECT_EQ(e.informative, "The changed photo is in:\n/exports/2020");

    JobReport untitled = written(2, "/o");
    untitled.actionTitle.clear();
    EXPECT_EQ(completionTexts(untitled, 0, "/o").message, "Photo metadata updated successfully.");
}

TEST(CompletionTexts, OverwrittenOriginalsAreSaidSo) {
    EXPECT_EQ(completionTexts(written(2, "/photos"), 2, "/out").informative,
              "The original photos were overwritten.");
    // RAW photos are never replaced: their JPEG copies go to the storage folder.
    const CompletionTexts mixed = completionTexts(written(3, "/photos"), 2, "/out");
    EXPECT_EQ(mixed.informative, "2 of the original photos were overwritten; the other changed "
                                 "photos are in:\n/out");
}

TEST(CompletionTexts, FailuresAreNeverASuccessAndAreNamedUpToTwenty) {
    JobReport r = written(1, "/out");
    for (int i = 0; i < 25; ++i)
        r.notWritten << QStringLiteral("p%1.jpg: cancelled").arg(i);
    const CompletionTexts t = completionTexts(r, 0, "/out");
    EXPECT_TRUE(t.failures);
    EXPECT_EQ(t.message, "\u201cRemove GPS Data\u201d: some photos could not be changed.");
    EXPECT_FALSE(t.message.contains("done"));
    EXPECT_TRUE(t.informative.contains("p19.jpg: cancelled"));
    EXPECT_FALSE(t.informative.contains("p20.jpg"));
    EXPECT_TRUE(t.informative.contains("… and 5 more"));
    EXPECT_TRUE(t.informative.endsWith("The changed photo is in:\n/out"));

    r.written = 0;
    EXPECT_FALSE(completionTexts(r, 0, "/out").informative.contains("/out"));
}

TEST(CompletionTexts, RecipeReportsNameTheOriginalsTheyRewrote) {
    const auto result = [](const char *source, const char *output, const char *reason) {
        WriteRecipeResult r;
        r.sourcePath = source;
        r.outputPath = output;
        r.reason = reason;
        r.written = r.reason.isEmpty();
        return r;
    };
    WriteRecipeReport recipe;
    recipe.photos << result("/p/a.jpg", "/p/a.jpg", "") << result("/p/b.nef", "/out/b.jpg", "")
                  << result("/p/c.jpg", "/p/c.jpg", "locked");
    const JobReport job = jobReportFromRecipe(recipe);
    EXPECT_EQ(job.replaced, QStringList{"/p/a.jpg"});
    EXPECT_EQ(job.written, 2);
}
