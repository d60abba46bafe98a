#include "library/core/ReferencePhotos.h"
#include "LibraryTestSupport.h"
#include "library/core/LibraryLookups.h"
#include "library/core/LibraryScan.h"
#include "library/core/LibraryWorkingCopy.h"
#include "platform/core/FileDates.h"
#include "platform/core/PhotosApplication.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// 13.0.0 with St James Park.jpg turned into a referenced photo of a copy of the fixture
// photo, whose creation date is the library's date.
struct ReferencedPark {
    QTemporaryDir dir;
    QString library, photo;
};

std::unique_ptr<ReferencedPark> referencedPark(const QString &title = {}) {
    auto p = std::make_unique<ReferencedPark>();
    p->library = copyLibrary(QStringLiteral("Test-13.0.0"), p->dir.path());
    const QString folder = p->dir.path() + QStringLiteral("/Pictures");
    QDir().mkpath(folder);
    p->photo = copyFixture(QStringLiteral("St James Park.jpg"), folder);
    const QString db = p->library + QStringLiteral("/database/Photos.sqlite");
    sqliteRows(db,
               QStringLiteral("UPDATE ZASSET SET ZDIRECTORY = '%1' WHERE Z_PK = 6").arg(folder));
    if (!title.isEmpty())
        sqliteRows(db, QStringLiteral(
                           "UPDATE ZADDITIONALASSETATTRIBUTES SET ZTITLE = '%1' WHERE ZASSET = 6")
                           .arg(title));
    const double seconds =
        sqliteValue(db, QStringLiteral("SELECT ZDATECREATED FROM ZASSET WHERE Z_PK = 6"))
            .toDouble();
    FileDates::setCreationDate(
        p->photo,
        QDateTime::fromMSecsSinceEpoch(qint64((seconds + kLibraryReferenceDate) * 1000), Qt::UTC));
    return p;
}

ReferencePhotoLists check(const QString &library) {
    FakePhotosApplication nobody;
    LibraryWorkingCopy copy(&nobody);
    const LibraryScanResult scan = ScanPhotoLibMetadata(library, copy);
    EXPECT_TRUE(scan.ok) << scan.message.toStdString();
    return scanReferencePhotos(scan.records);
}

IKImageItemPtr named(const QList<IKImageItemPtr> &items, const QString &name) {
    for (const IKImageItemPtr &i : items)
        if (i->fileName == name)
            return i;
    return nullptr;
}

} // namespace

TEST(ReferencePhotos, MatchingFileIsNotDifferent) {
    auto park = referencedPark();
    const ReferencePhotoLists lists = check(park->library);
    const IKImageItemPtr item =
        named(lists.referencePhotoItemArray, QStringLiteral("St James Park.jpg"));
    ASSERT_TRUE(item);
    ASSERT_TRUE(item->originalFileNode);
    EXPECT_FALSE(item->bMetadataDifferent)
        << item->originalFileNode->createDate.text().toStdString() << " / "
        << item->photoLibFileNode->createDate.text().toStdString() << "\n"
        << item->originalFileNode->fileTitle.toStdString() << " / "
        << item->photoLibFileNode->fileTitle.toStdString() << "\n"
        << item->originalFileNode->fileDescription.toStdString() << " / "
        << item->photoLibFileNode->fileDescription.toStdString() << "\n"
        << item->originalFileNode->fileKeywords.toStdString() << " / "
        << item->photoLibFileNode->fileKeywords.toStdString() << "\n"
        << item->originalFileNode->latitudeText().toStdString() << " / "
        << item->photoLibFileNode->latitudeText().toStdString() << "\n"
        << item->originalFileNode->longitudeText().toStdString() << " / "
        << item->photoLibFileNode->longitudeText().toStdString();
    EXPECT_FALSE(named(lists.difPhotoLibItemArray, QStringLiteral("St James Park.jpg")));
    // The two lost references are listed as lost, without an original record.
    EXPECT_EQ(lists.lostReferencePhotoItemArray.size(), 2);
    for (const IKImageItemPtr &lost : lists.lostReferencePhotoItemArray)
        EXPECT_FALSE(lost->originalFileNode);
    EXPECT_EQ(lists.items.size(), 3);
}

TEST(ReferencePhotos, OtherTitleIsDifferent) {
    auto park = referencedPark(QStringLiteral("Green Park"));
    const ReferencePhotoLists lists = check(park->library);
    const IKImageItemPtr item =
        named(lists.difPhotoLibItemArray, QStringLiteral("St James Park.jpg"));
    ASSERT_TRUE(item);
    EXPECT_TRUE(item->bMetadataDifferent);
}

TEST(ReferencePhotos, ComparisonRules) {
    PRPicFileInfo o, l;
    o.createDate.setText(QStringLiteral("2018-10-13 13:18:12 +0000"));
    l.createDate.setText(QDateTime::fromSecsSinceEpoch(1539436692)
                             .toLocalTime()
                             .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
    EXPECT_FALSE(libraryMetadataDiffers(o, l));
    o.fileTitle = QStringLiteral("Val d'Is\u00e8re");
    l.fileTitle = QStringLiteral("Val d'Ise\u0300re");
    EXPECT_FALSE(libraryMetadataDiffers(o, l));
    l.fileKeywords = QStringLiteral("a,b");
    o.fileKeywords = QStringLiteral("b, a");
    EXPECT_FALSE(libraryMetadataDiffers(o, l));
    l.setLatitudeText(QStringLiteral("51.503572"));
    l.setLongitudeText(QStringLiteral("-0.131805"));
    o.setLatitudeText(QStringLiteral("51.5035716"));
    o.setLongitudeText(QStringLiteral("-0.1318056"));
    EXPECT_FALSE(libraryMetadataDiffers(o, l));
    o.setLongitudeText(QString());
    EXPECT_TRUE(libraryMetadataDiffers(o, l));
    o.setLongitudeText(QStringLiteral("-0.1319"));
    EXPECT_TRUE(libraryMetadataDiffers(o, l));
    o.setLongitudeText(QStringLiteral("-0.131805"));
    l.fileTitle.clear(); // an empty library title is no difference
    EXPECT_FALSE(libraryMetadataDiffers(o, l));
    o.createDate.setText(QStringLiteral("2018-10-13 13:18:13 +0000"));
    EXPECT_TRUE(libraryMetadataDiffers(o, l));
}
