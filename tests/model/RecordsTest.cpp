#include "model/IKImageItem.h"
#include "model/PRDuplicateNode.h"
#include "model/PRPicFileInfo.h"

#include <QDate>
#include <gtest/gtest.h>

TEST(Records, NewPhotoRecordHasEmptyTextsAndNoKeys) {
    PRPicFileInfo info;
    for (const QString *s : std::initializer_list<const QString *>{
             &info.fileName, &info.fileFullPath, &info.rare().photouuid, &info.fileTypeStr}) {
        EXPECT_TRUE(s->isEmpty());
    }
    EXPECT_TRUE(info.latitudeText().isNull());
    EXPECT_TRUE(info.cameraDate.text().isNull());
    EXPECT_EQ(info.photoID, -1);
    EXPECT_EQ(info.iCloudphotoID, -1);
    EXPECT_EQ(info.photoAssetID, 0);
    EXPECT_EQ(info.originalfilesize, 0u);
    EXPECT_TRUE(info.bICloudDownloadPhoto);
    EXPECT_FALSE(info.biCloudPhoto);
    EXPECT_FALSE(info.hasLocation());
}

TEST(Records, CoordinateTextsComeBackAsTheyWentIn) {
    PRPicFileInfo info;
    for (const QString &text :
         {QStringLiteral("51.503572"), QStringLiteral("-0.000000"), QStringLiteral("1.0"),
          QStringLiteral("51.5035716"), QStringLiteral(" 2.000000"), QStringLiteral("nan"),
          QString(""), QStringLiteral("north")}) {
        info.setLatitudeText(text);
        EXPECT_EQ(info.latitudeText(), text);
        EXPECT_EQ(info.latitudeText().isNull(), text.isNull());
        EXPECT_EQ(info.hasLocation(), false);
    }
    // A number as the text its "%f" makes.
    for (double v : {51.5035716, -1e-9, 1e300, 12345678901.000002, -180.0,
                     std::numeric_limits<double>::infinity(), std::nan("")}) {
        info.setLatitude(v);
        EXPECT_EQ(info.latitudeText(), QString::asprintf("%f", v));
    }
    info.setLatitudeText("1.0");
    info.setLongitudeText("-2.500000");
    EXPECT_TRUE(info.hasLocation());
    const PRPicFileInfo copy = info;
    info.setLatitudeText(QString());
    EXPECT_EQ(copy.latitudeText(), "1.0");
    EXPECT_FALSE(info.hasLocation());
}

TEST(Records, DateTextsComeBackAsTheyWentIn) {
    DateText date;
    for (const QString &text :
         {QStringLiteral("2018-10-13 09:18:12"), QStringLiteral("0000-01-01 00:00:00"),
          QStringLiteral("0000-02-29 23:59:59"), QStringLiteral("1900-02-28 12:00:00"),
          QStringLiteral("1969-12-31 23:59:59"), QStringLiteral("9999-12-31 23:59:59"),
          QStringLiteral("2024-02-29 00:00:00"), QStringLiteral("2023-02-29 00:00:00"),
          QStringLiteral("2018:10:13 09:18:12"), QStringLiteral("2018-10-13 24:00:00"),
          QStringLiteral("2018-10-13 13:18:12 +0000"), QStringLiteral("3914190-11-27 08:25:45"),
          QStringLiteral("Unkown Date"), QStringLiteral("２018-10-13 09:18:12"), QString(""),
          QString()}) {
        date.setText(text);
        EXPECT_EQ(date.text(), text);
        EXPECT_EQ(date.text().isNull(), text.isNull());
        EXPECT_EQ(date.isEmpty(), text.isEmpty());
    }
    // Every day of four centuries from its fields, as the scan sets them.
    const QDate first(1900, 1, 1);
    for (QDate day = first; day.year() < 2300; day = day.addDays(1)) {
        ASSERT_TRUE(date.setFields(day.year(), day.month(), day.day(), 23, 59, 58));
        ASSERT_EQ(date.text(), day.toString("yyyy-MM-dd") + " 23:59:58");
    }
    EXPECT_FALSE(date.setFields(10000, 1, 1, 0, 0, 0));
    EXPECT_FALSE(date.setFields(2020, 4, 31, 0, 0, 0));
}

TEST(Records, ItemDefaultsAndRepresentation) {
    IKImageItem item;
    EXPECT_EQ(item.fileType, QStringLiteral("Image"));
    EXPECT_TRUE(item.fileThumbPath.isEmpty());
    EXPECT_FALSE(item.fileThumbPath.isNull());
    EXPECT_TRUE(item.filePath.isNull());
    EXPECT_TRUE(item.fileName.isNull());
    EXPECT_TRUE(item.bICloudDownloadPhoto);
    EXPECT_EQ(item.imageRepresentationType(), ImageRepresentationType::Path);

    item.fileType = QStringLiteral("Movie");
    EXPECT_EQ(item.imageRepresentationType(), ImageRepresentationType::Path);
    for (const char *other : {"Document", "image", ""}) {
        item.fileType = QLatin1String(other);
        EXPECT_EQ(item.imageRepresentationType(), ImageRepresentationType::QuickLookPath) << other;
    }

    item.fileThumbPath = QStringLiteral("/photos/a.jpg");
    item.fileName = QStringLiteral("a.jpg");
    EXPECT_EQ(item.imageUID(), item.fileThumbPath);
    EXPECT_EQ(item.imageRepresentation(), item.fileThumbPath);
    EXPECT_EQ(item.imageTitle(), QStringLiteral("a.jpg"));
}

TEST(Records, DuplicateGroupKeepsItsOwnListOfChildren) {
    QList<PRDupFileNodePtr> mine;
    mine << std::make_shared<PRDupFileNode>() << std::make_shared<PRDupFileNode>();
    PRDuplicateNode group;
    group.setFileChildren(mine);
    mine.removeFirst();
    mine << std::make_shared<PRDupFileNode>() << std::make_shared<PRDupFileNode>();
    EXPECT_EQ(group.fileChildren().size(), 2);

    // The held list itself is handed out, so members can be changed in place.
    group.fileChildren().removeLast();
    EXPECT_EQ(group.fileChildren().size(), 1);
    group.setFileChildren(group.fileChildren()); // the list it holds: no change
    EXPECT_EQ(group.fileChildren().size(), 1);

    PRDupFileNode file;
    EXPECT_TRUE(file.fileName.isEmpty());
    EXPECT_FALSE(file.fileName.isNull());
    EXPECT_TRUE(file.filePath.isNull());
    EXPECT_FALSE(file.bSelected);
}
