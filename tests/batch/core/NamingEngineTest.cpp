#include "batch/core/NamingEngine.h"
#include "platform/core/ImageSource.h"
#include "support/TestSupport.h"

#include <QTimeZone>
#include <gtest/gtest.h>

using namespace naming;

namespace {

QVariantMap exifDates(const QString &original, const QString &digitized = {}) {
    QVariantMap exif;
    if (!original.isNull())
        exif.insert(QStringLiteral("DateTimeOriginal"), original);
    if (!digitized.isNull())
        exif.insert(QStringLiteral("DateTimeDigitized"), digitized);
    return {{QStringLiteral("{Exif}"), exif}};
}

const QDateTime kCreated(QDate(2021, 3, 1), QTime(8, 15, 0), QTimeZone::utc());

QVariantMap photo(const QVariantMap &iptc, const QVariantMap &tiff = {}) {
    QVariantMap p = exifDates(QStringLiteral("2019:05:04 13:22:11"));
    if (!iptc.isEmpty())
        p.insert(QStringLiteral("{IPTC}"), iptc);
    if (!tiff.isEmpty())
        p.insert(QStringLiteral("{TIFF}"), tiff);
    return p;
}

QString titleOf(TextKind kind, const QString &templ, const PhotoValues &v) {
    return cleanUp(replaceTitleTokens(kind, templ, v), true);
}

} // namespace

TEST(NamingDates, CameraDateFromExifDigitizedOrTheFileCreation) {
    EXPECT_EQ(
        cameraDateText(photoDateText(exifDates(QStringLiteral("2019:05:04 13:22:11")), kCreated)),
        QStringLiteral("2019.05.04_13.22.11"));
    // An original date the date check refuses gives way to the digitized one...
    EXPECT_EQ(
        cameraDateText(photoDateText(
            exifDates(QStringLiteral("garbage"), QStringLiteral("2018:01:02 03:04:05")), kCreated)),
        QStringLiteral("2018.01.02_03.04.05"));
    // ...and with neither acceptable, or no date at all, to the file's creation in UTC.
    EXPECT_EQ(cameraDateText(photoDateText(
                  exifDates(QStringLiteral("garbage"), QStringLiteral("0000")), kCreated)),
              QStringLiteral("2021.03.01_08.15.00"));
    EXPECT_EQ(photoDateText({}, kCreated.toTimeZone(QTimeZone(3600))),
              QStringLiteral("2021-03-01 08:15:00 +0000"));
    // Without Exif dates the TIFF date counts.
    const QVariantMap tiffOnly{
        {QStringLiteral("{TIFF}"),
         QVariantMap{{QStringLiteral("DateTime"), QStringLiteral("2010:10:10 10:10:10")}}}};
    EXPECT_EQ(photoDateText(tiffOnly, kCreated), QStringLiteral("2010:10:10 10:10:10"));
    EXPECT_EQ(cameraDateText(QStringLiteral("nodate")), QStringLiteral("nodate"));
}

TEST(NamingDates, EveryRenameFormat) {
    const QString d = QStringLiteral("2019:05:04 13:22:11");
    const std::pair<const char *, const char *> expected[] = {
        {"Please Choose Date format", "2019:05:04 13:22:11"},
        {"MM:DD:YYYY HH:MM:ss", "05:04:2019 13:22:11"},
        {"DD:MM:YYYY HH:MM:ss", "04:05:2019 13:22:11"},
        {"YYYY:MM:DD HH:MM:ss", "2019:05:04 13:22:11"},
        {"YYYY_MM_DD HH.MM.ss", "2019_05_04 13.22.11"},
        {"MM_DD_YYYY HH.MM.ss", "05_04_2019 13.22.11"},
        {"DD_MM_YYYY HH.MM.ss", "04_05_2019 13.22.11"},
        {"YYYY_MM_DD", "2019_05_04"},
        {"YYYYMMDD", "20190504"},
        {"YYYYMMDD HHMMss", "20190504 132211"},
        {"MMDDYYYY HHMMss", "05042019 132211"},
        {"DDMMYYYY HHMMss", "04052019 132211"},
    };
    for (const auto &[title, result] : expected)
        EXPECT_EQ(formatRenameDate(d, QLatin1String(title)), QLatin1String(result)) << title;
    // The creation-date fallback splits its date at "-"; the zone offset is dropped.
    EXPECT_EQ(formatRenameDate(QStringLiteral("2021-03-01 08:15:00 +0000"),
                               QStringLiteral("YYYY_MM_DD HH.MM.ss")),
              QStringLiteral("2021_03_01 08.15.00"));
    EXPECT_TRUE(formatRenameDate(d, QStringLiteral("Some other title")).isNull());
    EXPECT_EQ(formatRenameDate(QStringLiteral("nodate"), QStringLiteral("YYYYMMDD")),
              QStringLiteral("nodate"));
}

TEST(NamingTitles, TemplatesCleanUpAndReplaceLaterTokensAgain) {
    const QVariantMap iptc{
        {QStringLiteral("ObjectName"), QStringLiteral("Pier")},
        {QStringLiteral("Keywords"), QStringList{QStringLiteral("sea"), QStringLiteral("sky")}}};
    const QVariantMap tiff{{QStringLiteral("Artist"), QStringLiteral("Ann Lee")}};
    const PhotoValues v =
        photoValues(photo(iptc, tiff), QStringLiteral("Artist_01.jpg"), kCreated, Missing::Null);
    EXPECT_EQ(v.keywords, QStringLiteral("(sea,sky)"));
    EXPECT_EQ(titleOf(TextKind::Title, QStringLiteral("{Keywords}"), v), QStringLiteral("seasky"));
    EXPECT_EQ(titleOf(TextKind::Caption, QStringLiteral("Trip/2019, {Title}"), v),
              QStringLiteral("Trip2019 Pier"));
    // The file name holds "Artist", a later token: it is replaced again.
    EXPECT_EQ(titleOf(TextKind::Title, QStringLiteral("{File Name}"), v),
              QStringLiteral("Ann Lee_01"));
    // Case counts: a lower-case word only loses its braces.
    EXPECT_EQ(titleOf(TextKind::Caption, QStringLiteral("{title}"), v), QStringLiteral("title"));
    EXPECT_EQ(titleOf(TextKind::Title, QStringLiteral("{Camera Date}"), v),
              QStringLiteral("2019.05.04_13.22.11"));

    // A photo without title or keywords: "(null)" stands in and is cleaned away.
    const PhotoValues bare =
        photoValues(photo({}), QStringLiteral("a.jpg"), kCreated, Missing::Null);
    EXPECT_EQ(replaceTitleTokens(TextKind::Title, QStringLiteral("{Existing Photo Title}"), bare),
              QStringLiteral("{(null)}"));
    EXPECT_TRUE(titleOf(TextKind::Title, QStringLiteral("{Existing Photo Title}"), bare).isEmpty());
    EXPECT_TRUE(titleOf(TextKind::Caption, QStringLiteral("{Keywords}{Artist}"), bare).isEmpty());
    // Quoted entries keep their quotes; blanks inside go.
    EXPECT_EQ(keywordListText(QStringList{QStringLiteral("New York"), QStringLiteral("sea")}),
              QStringLiteral("(\n    \"New York\",\n    sea\n)"));
}

TEST(NamingTitles, FileNameModes) {
    TitleSettings s;
    s.kind = TextKind::Caption;
    s.modeTitle = QStringLiteral("Use entire File Name as Photo Caption");
    EXPECT_EQ(fileNameModeText(s, QStringLiteral("IMG_0001")), QStringLiteral("IMG_0001"));
    s.modeTitle = QStringLiteral("Add some Text to File Name as Photo Caption");
    EXPECT_EQ(fileNameModeText(s, QStringLiteral("IMG_0001")), QStringLiteral(" IMG_0001"));
    s.modeTitle = QStringLiteral("Replace some text of File Name as Photo Caption");
    s.findText = QStringLiteral("img");
    s.replaceText = QStringLiteral("Pic");
    EXPECT_EQ(fileNameModeText(s, QStringLiteral("IMG_img")), QStringLiteral("IMG_Pic"));
    // A title of the other kind is no mode of this one.
    s.modeTitle = QStringLiteral("Use entire File Name as Photo Title");
    EXPECT_TRUE(fileNameModeText(s, QStringLiteral("IMG_0001")).isEmpty());
}

TEST(NamingRenames, CustomFamilyCountersAndSegments) {
    RenameSettings s;
    s.customText = QStringLiteral("Trip");
    s.startNumber = true;
    EXPECT_EQ(customFileName(s, QStringLiteral("x"), 1), QStringLiteral("Trip000001"));
    EXPECT_EQ(counterText(QStringLiteral("T"), 99999), QStringLiteral("T099999"));
    EXPECT_EQ(counterText(QStringLiteral("T"), 123456), QStringLiteral("T123456"));
    // The counter wins over a segment box left on.
    s.segment = NameSegment::KeepFirst;
    EXPECT_EQ(customFileName(s, QStringLiteral("IMG 2019 05"), 2), QStringLiteral("Trip000002"));
    s.startNumber = false;
    const std::tuple<const char *, NameSegment, const char *> words[] = {
        {"IMG 2019 05", NameSegment::KeepFirst, "IMG"},
        {"IMG 2019 05", NameSegment::KeepLast, "05"},
        {"IMG 2019 05", NameSegment::RemoveLast, "IMG 2019"},
        {"IMG 2019 05", NameSegment::RemoveFirst, "2019 05"},
        {"trip-day-1", NameSegment::RemoveLast, "trip day"},
        {"IMG_1234", NameSegment::KeepLast, "IMG1234"},
        {"IMG_1234", NameSegment::RemoveFirst, "IMG1234"},
    };
    for (const auto &[name, segment, result] : words) {
        s.segment = segment;
        EXPECT_EQ(customFileName(s, QLatin1String(name), 1), QLatin1String(result)) << name;
    }
    s.segment = NameSegment::None;
    EXPECT_EQ(customFileName(s, QStringLiteral("x"), 5), QStringLiteral("Trip"));
}

TEST(NamingRenames, TemplateFamily) {
    const PhotoValues v =
        photoValues(photo({}), QStringLiteral("IMG_1.jpg"), kCreated, Missing::Empty);
    RenameSettings s;
    s.useCustomName = false;
    s.dateFormatTitle = QStringLiteral("YYYYMMDD");
    s.templateText = QStringLiteral("{Title}-{Camera Date}");
    // No title: the name begins with the hyphen.
    EXPECT_EQ(newFileName(s, v, 1), QStringLiteral("-20190504"));
    s.dateFormatTitle = QStringLiteral("Not a format");
    EXPECT_EQ(newFileName(s, v, 1), QStringLiteral("-Camera Date"));
    s.templateText = QStringLiteral("Holiday");
    s.counter = true;
    EXPECT_EQ(newFileName(s, v, 7), QStringLiteral("Holiday000007"));
    s.counter = false;
    s.templateText = QStringLiteral("{ExistingFileName} ({Dimensions})");
    EXPECT_EQ(newFileName(s, v, 1), QStringLiteral("IMG_1 "));
}

TEST(NamingRenames, ValuesOfARealPhoto) {
    const ImageSource source =
        ImageSource::fromPath(fixturePath(QStringLiteral("St James Park.jpg")));
    ASSERT_TRUE(source.isValid());
    const PhotoValues v = photoValues(source.properties(0), QStringLiteral("St James Park.jpg"),
                                      kCreated, Missing::Empty);
    EXPECT_EQ(v.dimensions, QStringLiteral("2047 x 1356"));
    EXPECT_EQ(v.title, QStringLiteral("St. James's Park"));
    EXPECT_FALSE(v.artist.isEmpty());
    RenameSettings s;
    s.useCustomName = false;
    s.templateText = QStringLiteral("{Camera Make} {Title}");
    s.dateFormatTitle = QStringLiteral("YYYYMMDD");
    EXPECT_EQ(newFileName(s, v, 1), QStringLiteral("NIKON CORPORATION St. James's Park"));
}
