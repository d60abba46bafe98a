#include "browser/core/DisplayValues.h"

#include "browser/core/PhotoPanels.h"
#include "support/TestSupport.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>

namespace {

const PropertyNode *findNode(const QList<PropertyNode> &nodes, const QString &key) {
    for (const PropertyNode &n : nodes)
        if (n.key == key)
            return &n;
    return nullptr;
}

QString treeValue(const LocalPhotoPanels &p, const QString &dictionary, const QString &key) {
    const PropertyNode *dict = findNode(p.propertyTree, dictionary);
    const PropertyNode *node = dict ? findNode(dict->children, key) : nullptr;
    return node ? node->value : QStringLiteral("<missing>");
}

LocalPhotoPanels describeFixture(const QTemporaryDir &dir, const QString &name) {
    IKImageItem item;
    item.filePath = copyFixture(name, dir.path());
    item.fileName = QFileInfo(item.filePath).fileName();
    return describeLocalPhoto(item);
}

} // namespace

TEST(DisplayValues, ApertureFocalLengthBrightnessAndBias) {
    EXPECT_EQ(apertureText(4), "f/4.0");
    EXPECT_EQ(apertureText(2.8), "f/2.8");
    EXPECT_EQ(apertureText(1.7999999), "f/1.8");
    EXPECT_EQ(apertureText(0), "");
    EXPECT_EQ(apertureText(NAN), "");

    EXPECT_EQ(focalLengthText(24), "24 mm");
    EXPECT_EQ(focalLengthText(12.074), "12.1 mm");
    EXPECT_EQ(focalLengthText(50.0000001), "50 mm");
    EXPECT_EQ(focalLengthText(-3), "");

    EXPECT_EQ(brightnessText(2.3456), "2.35");
    EXPECT_EQ(brightnessText(-0.4), "-0.40");
    EXPECT_EQ(brightnessText(-0.001), "0.00");

    EXPECT_EQ(exposureBiasText(0.6666667), "+0.7 EV");
    EXPECT_EQ(exposureBiasText(-1), "-1.0 EV");
    EXPECT_EQ(exposureBiasText(0), "0 EV");
    EXPECT_EQ(exposureBiasText(-0.01), "0 EV");
}

TEST(DisplayValues, ExposureTimesReadAsTheCameraShowedThem) {
    EXPECT_EQ(exposureTimeText(0.0005), "1/2000 s");
    EXPECT_EQ(exposureTimeText(1.0 / 8000), "1/8000 s");
    EXPECT_EQ(exposureTimeText(0.0015625), "1/640 s");
    EXPECT_EQ(exposureTimeText(0.008196721311), "1/122 s");
    EXPECT_EQ(exposureTimeText(1.0 / 3), "1/3 s");
    EXPECT_EQ(exposureTimeText(0.3), "1/3 s"); // within a sixth of a stop
    EXPECT_EQ(exposureTimeText(0.5), "1/2 s");
    // 1/3 would be a fifth off: the decimal tells the truth.
    EXPECT_EQ(exposureTimeText(0.4), "0.4 s");
    EXPECT_EQ(exposureTimeText(0.625), "0.63 s");
    EXPECT_EQ(exposureTimeText(1), "1 s");
    EXPECT_EQ(exposureTimeText(2), "2 s");
    EXPECT_EQ(exposureTimeText(1.5), "1.5 s");
    EXPECT_EQ(exposureTimeText(30), "30 s");
    EXPECT_EQ(exposureTimeText(0), "");
    EXPECT_EQ(exposureTimeText(-1), "");
}

TEST(DisplayValues, NumbersDatesAndListsInTheTree) {
    EXPECT_EQ(trimmedNumberText(0.00050000000000000001), "0.0005");
    EXPECT_EQ(trimmedNumberText(51.50357222222), "51.503572");
    EXPECT_EQ(trimmedNumberText(2.6), "2.6");
    EXPECT_EQ(trimmedNumberText(3.0), "3");
    EXPECT_EQ(trimmedNumberText(-0.0000001), "0");

    EXPECT_EQ(exifDateDisplayText("2018:10:13 09:18:12"), "2018-10-13 09:18:12");
    EXPECT_EQ(exifDateDisplayText("2021:09:05 19:41:12", "-07:00"), "2021-09-05 19:41:12 -07:00");
    EXPECT_EQ(exifDateDisplayText("2018:10:13"), "2018-10-13");
    EXPECT_EQ(exifDateDisplayText("sometime"), "sometime");
    EXPECT_EQ(exifDateDisplayText(""), "");

    EXPECT_EQ(displayValueText("FNumber", 4.0), "f/4.0");
    EXPECT_EQ(displayValueText("ExposureTime", 0.0005), "1/2000 s");
    EXPECT_EQ(displayValueText("FocalLenIn35mmFilm", 26), "26 mm");
    EXPECT_EQ(displayValueText("BrightnessValue", 5.262631218), "5.26");
    EXPECT_EQ(displayValueText("ExposureBiasValue", -1.666666667), "-1.7 EV");
    EXPECT_EQ(displayValueText("ShutterSpeedValue", 10.965784284662087), "10.965784");
    EXPECT_EQ(displayValueText("Orientation", 6), "6");
    EXPECT_EQ(displayValueText("DateTimeOriginal", "2018:10:13 09:18:12"), "2018-10-13 09:18:12");
    EXPECT_EQ(displayValueText("Model", "2018:10:13 09:18:12"), "2018:10:13 09:18:12");
    EXPECT_EQ(displayValueText("LensSpecification", QVariantList{12, 24, 4.0, 4.00000000001}),
              "12,24,4,4");
    EXPECT_EQ(displayValueText("Keywords", QStringList{"a", "b"}), "a,b");
}

TEST(DisplayValues, ExposureLineNamesThePartsPresent) {
    EXPECT_EQ(exposureSummaryText(QVariantMap{{"FNumber", 4.0},
                                              {"ExposureTime", 0.0015625},
                                              {"ISOSpeedRatings", QVariantList{80}},
                                              {"FocalLength", 12.074},
                                              {"ExposureBiasValue", 0.0}}),
              "f/4.0, 1/640 s, ISO 80, 12.1 mm");
    EXPECT_EQ(exposureSummaryText(QVariantMap{{"ExposureTime", 2.0}, {"ExposureBiasValue", 0.7}}),
              "2 s, +0.7 EV");
    EXPECT_EQ(exposureSummaryText({}), "");
    EXPECT_EQ(exposureSummaryText(QVariantMap{{"FNumber", 0.0}}), "");
}

TEST(DisplayValues, PanelsShowReadableFormsWhileEditFieldsKeepTheExifForm) {
    QTemporaryDir dir;
    const LocalPhotoPanels park = describeFixture(dir, "St James Park.jpg");
    ASSERT_TRUE(park.readable);
    EXPECT_EQ(park.photoModDateText, "2018-10-13 09:18:12");
    EXPECT_EQ(park.photoExposureText, "1/2000 s, ISO 200, 22 mm, -1.7 EV");
    EXPECT_EQ(treeValue(park, "{Exif}", "ExposureTime"), "1/2000 s");
    EXPECT_EQ(treeValue(park, "{Exif}", "DateTimeOriginal"), "2018-10-13 09:18:12");
    EXPECT_EQ(treeValue(park, "{GPS}", "Latitude"), "51.503572");
    // What the edit sheet shows and writes back stays as the file has it.
    EXPECT_EQ(park.oldCameraDateStr, "2018:10:13 09:18:12");
    EXPECT_EQ(park.oldimageExpotimeStr, "0.0005");
    EXPECT_EQ(park.currentExifDictionary.value("{Exif}").toMap().value("ExposureTime").toDouble(),
              0.0005);
    // A file date is the local clock's, without a zone.
    if (!park.photoCreateDateText.isEmpty()) {
        EXPECT_EQ(park.photoCreateDateText.size(), 19) << park.photoCreateDateText.toStdString();
    }

    const LocalPhotoPanels fri = describeFixture(dir, "Fritest.jpeg");
    ASSERT_TRUE(fri.readable);
    // The camera's offset follows its time.
    EXPECT_EQ(fri.photoModDateText, "2021-09-05 19:41:12 -07:00");
    EXPECT_EQ(fri.oldCameraDateStr, "2021:09:05 19:41:12");
    EXPECT_EQ(fri.photoExposureText, "f/1.8, 1/122 s, ISO 50, 4.3 mm");
    EXPECT_EQ(fri.oldimageFNumberStr, "1.8");
    EXPECT_EQ(treeValue(fri, "{Exif}", "FNumber"), "f/1.8");
    EXPECT_EQ(treeValue(fri, "{Exif}", "BrightnessValue"), "5.26");
    EXPECT_EQ(treeValue(fri, "{Exif}", "FocalLenIn35mmFilm"), "26 mm");
}
