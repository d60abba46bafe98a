#include "browser/core/PhotoPanels.h"

#include "support/MakeDng.h"
#include "support/TestSupport.h"

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

IKImageItem itemFor(const QString &path) {
    IKImageItem item;
    item.filePath = path;
    item.fileName = QFileInfo(path).fileName();
    return item;
}

LocalPhotoPanels describeFixture(const QTemporaryDir &dir, const QString &name) {
    const QString path = copyFixture(name, dir.path());
    EXPECT_FALSE(path.isEmpty()) << name.toStdString();
    return describeLocalPhoto(itemFor(path));
}

QString writeFile(const QString &path, const QByteArray &bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        return {};
    return path;
}

QByteArray makeJpeg(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 90);
    return bytes;
}

const PropertyNode *findNode(const QList<PropertyNode> &nodes, const QString &key) {
    for (const PropertyNode &n : nodes)
        if (n.key == key)
            return &n;
    return nullptr;
}

} // namespace

TEST(PhotoPanels, NikonPhotoWithGpsAndIptcFillsEveryPanel) {
    QTemporaryDir dir;
    const LocalPhotoPanels p = describeFixture(dir, QStringLiteral("St James Park.jpg"));
    ASSERT_TRUE(p.readable);
    EXPECT_EQ(p.currentChooseFilePath, dir.path() + QStringLiteral("/St James Park.jpg"));
    EXPECT_EQ(p.currentFileName, "St James Park.jpg");
    EXPECT_FALSE(p.currentExifDictionary.isEmpty());

    EXPECT_EQ(p.oldCameraModeStr, "NIKON D7000");
    EXPECT_EQ(p.photoDPIText, "NIKON D7000");
    EXPECT_EQ(p.oldCameraDateStr, "2018:10:13 09:18:12");
    EXPECT_EQ(p.oldimageExpotimeStr, "0.0005");           // 1/2000 s, as a plain decimal
    EXPECT_EQ(p.photoModDateText, "2018-10-13 09:18:12"); // shown with dashes
    EXPECT_EQ(p.oldTitleStr, "St. James's Park");
    EXPECT_EQ(p.photoTitleText, p.oldTitleStr);
    EXPECT_EQ(p.oldArtistStr, "Jeff Hitchcock");
    EXPECT_EQ(p.oldCopyrightStr, "Copyright 2018 Jeff Hitchcock, Some Rights Reserved");
    EXPECT_EQ(p.oldKeywordStr, "UK,England,United Kingdom,London,London 2018,St. James's Park");
    EXPECT_EQ(p.oldlenModelStr, "12.0-24.0 mm f/4.0");
    EXPECT_EQ(p.lensModelFieldText, p.oldlenModelStr);
    EXPECT_FALSE(p.oldimageISOSpeedStr.isEmpty());
    EXPECT_FALSE(p.oldimageISOSpeedStr.contains(QLatin1Char(' ')));

    // Western longitude is negative; the decimal text has six places.
    ASSERT_TRUE(p.bMapPreview);
    EXPECT_NEAR(p.latitude, 51.5035722, 1e-6);
    EXPECT_NEAR(p.longitude, -0.1318056, 1e-6);
    EXPECT_EQ(p.oldGpsLatiStr, "51.503572");
    EXPECT_EQ(p.oldGpsLongtStr, "-0.131806");
    EXPECT_TRUE(p.startsGeocoding);
    EXPECT_TRUE(p.oldGpsAitStr.startsWith(QStringLiteral("2.6")));

    // Information lines describe the file itself.
    EXPECT_EQ(p.photoNameText, "St James Park.jpg");
    const qint64 size = QFileInfo(p.currentChooseFilePath).size();
    EXPECT_TRUE(p.photoFileSizeText.endsWith(QStringLiteral(" (%1 bytes)").arg(size)))
        << p.photoFileSizeText.toStdString();
    EXPECT_TRUE(p.photoImageSizeText.contains(QStringLiteral(" x ")));
    if (!p.photoCreateDateText.isEmpty()) {
        // The local clock's time, as the file manager shows it.
        const QDateTime shown =
            QDateTime::fromString(p.photoCreateDateText, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        EXPECT_TRUE(shown.isValid()) << p.photoCreateDateText.toStdString();
    }

    // The tree holds the dictionaries as branches in key order.
    const PropertyNode *tiff = findNode(p.propertyTree, QStringLiteral("{TIFF}"));
    ASSERT_NE(tiff, nullptr);
    EXPECT_TRUE(tiff->value.isEmpty());
    const PropertyNode *model = findNode(tiff->children, QStringLiteral("Model"));
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(model->value, "NIKON D7000");
    for (qsizetype i = 1; i < p.propertyTree.size(); ++i)
        EXPECT_LT(p.propertyTree[i - 1].key, p.propertyTree[i].key);
}

TEST(PhotoPanels, AppleFilesKeepNonAsciiTitlesAndHeicCameras) {
    QTemporaryDir dir;
    const LocalPhotoPanels fri = describeFixture(dir, QStringLiteral("Fritest.jpeg"));
    ASSERT_TRUE(fri.readable);
    EXPECT_EQ(fri.oldTitleStr, QString::fromUtf8("Frítest"));
    EXPECT_EQ(fri.oldCameraModeStr, "iPhone 11 Pro");
    EXPECT_EQ(fri.oldimageOrientationStr, "1");

    const LocalPhotoPanels heic = describeFixture(dir, QStringLiteral("IMG_3092.heic"));
    ASSERT_TRUE(heic.readable);
    EXPECT_EQ(heic.oldCameraModeStr, "iPhone 6s");
    EXPECT_EQ(heic.oldCameraMakeStr, "Apple");
    EXPECT_EQ(heic.photoImageSizeText, "3024 x 4032");
}

TEST(PhotoPanels, UnreadableOrGpsFreeFilesShowNoPosition) {
    QTemporaryDir dir;
    QByteArray noise(4096, '\0');
    QRandomGenerator gen(7);
    for (char &c : noise)
        c = static_cast<char>(gen.bounded(256));
    const QString broken = writeFile(dir.path() + QStringLiteral("/broken.jpg"), noise);
    ASSERT_FALSE(broken.isEmpty());
    const LocalPhotoPanels b = describeLocalPhoto(itemFor(broken));
    EXPECT_FALSE(b.readable);
    EXPECT_EQ(b.currentChooseFilePath, broken);
    EXPECT_FALSE(b.bMapPreview);
    EXPECT_TRUE(b.oldTitleStr.isEmpty());
    EXPECT_TRUE(b.oldCameraModeStr.isEmpty());
    EXPECT_TRUE(b.currentExifDictionary.isEmpty());
    EXPECT_TRUE(b.propertyTree.isEmpty());

    const LocalPhotoPanels missing = describeLocalPhoto(itemFor(dir.path() + "/gone.jpg"));
    EXPECT_FALSE(missing.readable);
    EXPECT_FALSE(describeLocalPhoto(IKImageItem()).readable);

    const LocalPhotoPanels canon = describeFixture(dir, QStringLiteral("IMG_1994.JPG"));
    ASSERT_TRUE(canon.readable);
    EXPECT_EQ(canon.oldCameraModeStr, "Canon PowerShot G10");
    EXPECT_FALSE(canon.bMapPreview);
    EXPECT_FALSE(canon.startsGeocoding);
    EXPECT_TRUE(canon.oldGpsLatiStr.isEmpty());
    EXPECT_TRUE(canon.oldGpsLongtStr.isEmpty());
}

TEST(PhotoPanels, SupportedRawIsReadThroughItsTemporary) {
    QTemporaryDir dir;
    const QString raw = writeFile(dir.path() + QStringLiteral("/DSC_0042.NEF"),
                                  makeMinimalDng(makeJpeg(96, 64), QStringLiteral("Kestry"),
                                                 QStringLiteral("TestCam 2"),
                                                 QStringLiteral("2022:03:04 05:06:07")));
    ASSERT_FALSE(raw.isEmpty());
    const LocalPhotoPanels p = describeLocalPhoto(itemFor(raw));
    ASSERT_TRUE(p.readable);
    EXPECT_NE(p.currentChooseFilePath, raw);
    EXPECT_EQ(p.oldCameraModeStr, "TestCam 2");
    EXPECT_EQ(p.oldCameraDateStr, "2022:03:04 05:06:07");
    // The size line is the RAW's own, not the temporary's.
    EXPECT_TRUE(
        p.photoFileSizeText.endsWith(QStringLiteral(" (%1 bytes)").arg(QFileInfo(raw).size())));
}

TEST(PhotoPanels, FieldRulesFromDictionaries) {
    QVariantMap exif{{"DateTimeOriginal", "not a date"},
                     {"DateTimeDigitized", "2019:01:02 03:04:05"},
                     {"ISOSpeedRatings", QVariantList{100, 200}},
                     {"FNumber", 2.8}};
    QVariantMap gps{{"Latitude", 33.5}, {"LatitudeRef", "S"}, {"Longitude", 18.25}};
    QVariantMap props{{"{Exif}", exif},
                      {"{ExifAux}", QVariantMap{{"LensModel", "Aux 50mm"}}},
                      {"{GPS}", gps},
                      {"{IPTC}", QVariantMap{{"Keywords", QStringList{"a", "b"}}}}};
    LocalPhotoPanels p;
    fillPanelsFromProperties(p, props);
    EXPECT_EQ(p.oldCameraDateStr, "2019:01:02 03:04:05");
    EXPECT_EQ(p.oldimageISOSpeedStr, "100,200");
    EXPECT_EQ(p.oldimageFNumberStr, "2.8");
    EXPECT_EQ(p.oldKeywordStr, "a,b");
    EXPECT_EQ(p.oldimageOrientationStr, "0");
    // The remembered lens model is taken before the ExifAux fallback.
    EXPECT_EQ(p.lensModelFieldText, "Aux 50mm");
    EXPECT_EQ(p.photoLensInfoText, "Aux 50mm");
    EXPECT_EQ(p.oldlenModelStr, "");
    // South by its reference; a missing reference keeps the stored sign.
    EXPECT_TRUE(p.bMapPreview);
    EXPECT_DOUBLE_EQ(p.latitude, -33.5);
    EXPECT_DOUBLE_EQ(p.longitude, 18.25);
    EXPECT_EQ(p.oldGpsLatiStr, "-33.500000");
    EXPECT_TRUE(p.startsGeocoding);

    // Invalid Exif dates fall back to the TIFF date unchecked.
    LocalPhotoPanels t;
    fillPanelsFromProperties(
        t, QVariantMap{{"{Exif}", QVariantMap{{"DateTimeOriginal", "x"}}},
                       {"{TIFF}", QVariantMap{{"DateTime", "sometime"}}},
                       {"{GPS}", QVariantMap{{"Latitude", 0.0}, {"Longitude", 0.0}}}});
    EXPECT_EQ(t.oldCameraDateStr, "sometime");
    EXPECT_TRUE(t.bMapPreview);
    EXPECT_FALSE(t.startsGeocoding);

    LocalPhotoPanels empty;
    fillPanelsFromProperties(empty, {});
    EXPECT_FALSE(empty.bMapPreview);
    EXPECT_EQ(empty.oldimageOrientationStr, "0");
    EXPECT_EQ(empty.oldTitleStr, "");
    EXPECT_TRUE(empty.propertyTree.isEmpty());
}

TEST(PhotoPanels, PropertyTreeSortsKeysAndNestsDictionaries) {
    const QVariantMap props{
        {"b", 2},
        {"A", "x"},
        {"{Sub}", QVariantMap{{"z", QVariantList{1, 2}}, {"m", QVariantMap{}}}}};
    const QList<PropertyNode> tree = propTree(props);
    ASSERT_EQ(tree.size(), 3);
    EXPECT_EQ(tree[0].key, "A");
    EXPECT_EQ(tree[0].value, "x");
    EXPECT_TRUE(tree[0].children.isEmpty());
    EXPECT_EQ(tree[1].key, "b");
    EXPECT_EQ(tree[1].value, "2");
    EXPECT_EQ(tree[2].key, "{Sub}");
    EXPECT_TRUE(tree[2].isDictionary);
    EXPECT_EQ(tree[2].value, "");
    ASSERT_EQ(tree[2].children.size(), 2);
    EXPECT_EQ(tree[2].children[0].key, "m");
    EXPECT_TRUE(tree[2].children[0].isDictionary);
    EXPECT_TRUE(tree[2].children[0].children.isEmpty());
    EXPECT_EQ(tree[2].children[1].value, "1,2");
    EXPECT_TRUE(propTree({}).isEmpty());
}
