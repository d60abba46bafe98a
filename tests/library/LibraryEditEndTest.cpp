// The end of a library action: what the library did not take, the working copy does not
// keep either.
#include "LibraryEditTestSupport.h"
#include "LibraryTestSupport.h"
#include "library/LibraryDatabase.h"
#include "library/core/LibraryStore.h"
#include "library/core/LibraryWorkingCopy.h"

#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>

namespace {
class LibraryEditEnd : public LibraryEditTest {};
} // namespace

TEST_F(LibraryEditEnd, ARefusedCopyBackTakesTheChangeOutOfTheWorkingCopyToo) {
    ASSERT_TRUE(openLibrary(QStringLiteral("Test-13.0.0")));
    const QString w = d->library().currentPhotolibDatabasePath;
    const PRPicFileInfo &park = record(QStringLiteral("St James Park.jpg"));
    const QByteArray before = sqliteDump(w);

    QString why;
    ASSERT_TRUE(d->libraryDatabase().session().begin(&why)) << why.toStdString();
    EXPECT_TRUE(QFileInfo::exists(w + QStringLiteral(".pk-before")));
    ASSERT_TRUE(d->libraryDatabase()
                    .session()
                    .UpdatePhotoLibrayTitlewithTitleStr(QStringLiteral("Never kept"), park.photoID)
                    .ok);
    // Another program writes the library meanwhile: the copy back must refuse.
    ASSERT_EQ(QProcess::execute(QStringLiteral("sqlite3"),
                                {database(), QStringLiteral("PRAGMA user_version = 7")}),
              0);
    const LibraryStepResult end = d->libraryDatabase().session().end();
    EXPECT_FALSE(end.ok);
    EXPECT_TRUE(end.reason.contains(QStringLiteral("changed by another program")))
        << end.reason.toStdString();
    EXPECT_EQ(sqliteDump(w), before);
    EXPECT_FALSE(QFileInfo::exists(w + QStringLiteral(".pk-before")));
    EXPECT_NE(libraryTitle(park), QStringLiteral("Never kept"));

    // An action that reaches the library leaves no snapshot behind.
    ASSERT_TRUE(openLibrary(QStringLiteral("Test-13.0.0")));
    const QString w2 = d->library().currentPhotolibDatabasePath;
    const PRPicFileInfo &park2 = record(QStringLiteral("St James Park.jpg"));
    ASSERT_TRUE(d->libraryDatabase().session().begin(&why)) << why.toStdString();
    ASSERT_TRUE(d->libraryDatabase()
                    .session()
                    .UpdatePhotoLibrayTitlewithTitleStr(QStringLiteral("Kept"), park2.photoID)
                    .ok);
    const LibraryStepResult kept = d->libraryDatabase().session().end();
    ASSERT_TRUE(kept.ok) << kept.reason.toStdString();
    EXPECT_EQ(libraryTitle(park2), QStringLiteral("Kept"));
    EXPECT_FALSE(QFileInfo::exists(w2 + QStringLiteral(".pk-before")));
    EXPECT_EQ(integrity(), QStringLiteral("ok"));
}
