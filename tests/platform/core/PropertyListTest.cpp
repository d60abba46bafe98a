#include "platform/core/PropertyList.h"
#include "support/PlistReader.h"

#include <QDateTime>
#include <QFile>
#include <QJsonArray>
#include <QPointF>
#include <QTemporaryDir>
#include <QTimeZone>
#include <gtest/gtest.h>

namespace {

QVariantMap everyKind() {
    QVariantMap nested{{"Speed", 0.5}, {"Ref", "K"}};
    return QVariantMap{
        {"text", QStringLiteral("Frítest <&> \"quoted\"")},
        {"empty", QString()},
        {"int", 200},
        {"negative", -7},
        {"big", qlonglong(1) << 40},
        {"real", 48.856601715087891},
        {"whole real", 4.0},
        {"yes", true},
        {"when", QDateTime(QDate(2020, 5, 6), QTime(7, 8, 9), QTimeZone::utc())},
        {"bytes", QByteArray("\x00\x01\xfe", 3)},
        {"list", QVariantList{1, 2, 3}},
        {"words", QStringList{"UK", "London"}},
        {"{GPS}", nested},
    };
}

void writeFile(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

} // namespace

TEST(PropertyList, EveryKindRoundTripsAndReadsOutside) {
    QTemporaryDir dir;
    const QString path = dir.filePath("kinds.plist");
    QString error;
    ASSERT_TRUE(PropertyList::writeXml(path, everyKind(), &error)) << error.toStdString();

    const QJsonObject outside = readPlistOutside(path);
    ASSERT_FALSE(outside.isEmpty());
    EXPECT_EQ(outside["format"].toString(), "xml");
    const QJsonObject v = outside["value"].toObject();
    EXPECT_EQ(v["text"]["t"].toString(), "str");
    EXPECT_EQ(v["text"]["v"].toString(), QStringLiteral("Frítest <&> \"quoted\""));
    EXPECT_EQ(v["empty"]["v"].toString(), "");
    EXPECT_EQ(v["int"]["t"].toString(), "int");
    EXPECT_EQ(v["negative"]["v"].toInt(), -7);
    EXPECT_EQ(v["big"]["v"].toDouble(), double(qlonglong(1) << 40));
    EXPECT_EQ(v["real"]["t"].toString(), "real");
    EXPECT_DOUBLE_EQ(v["real"]["v"].toDouble(), 48.856601715087891);
    EXPECT_EQ(v["whole real"]["t"].toString(), "real");
    EXPECT_EQ(v["yes"]["t"].toString(), "bool");
    EXPECT_EQ(v["when"]["t"].toString(), "date");
    EXPECT_TRUE(v["when"]["v"].toString().startsWith("2020-05-06T07:08:09"));
    EXPECT_EQ(v["bytes"]["t"].toString(), "data");
    EXPECT_EQ(v["bytes"]["v"].toString(), "AAH+");
    EXPECT_EQ(v["words"].toArray().size(), 2);
    EXPECT_EQ(v["{GPS}"]["Ref"]["v"].toString(), "K");

    // Ours reads back the same values and types, from XML and from binary.
    const QString binary = dir.filePath("kinds.bin.plist");
    ASSERT_TRUE(convertToBinaryPlist(path, binary));
    for (const QString &file : {path, binary}) {
        const PropertyList::Document doc = PropertyList::read(file);
        ASSERT_TRUE(doc.ok) << doc.error.toStdString();
        const QVariantMap back = doc.root.toMap();
        EXPECT_EQ(back.value("text").toString(), everyKind().value("text").toString());
        EXPECT_EQ(back.value("int").typeId(), QMetaType::Int);
        EXPECT_EQ(back.value("negative").toInt(), -7);
        EXPECT_EQ(back.value("big").toLongLong(), qlonglong(1) << 40);
        EXPECT_EQ(back.value("real").typeId(), QMetaType::Double);
        EXPECT_EQ(back.value("real").toDouble(), 48.856601715087891);
        EXPECT_EQ(back.value("whole real").typeId(), QMetaType::Double);
        EXPECT_EQ(back.value("yes").typeId(), QMetaType::Bool);
        EXPECT_EQ(back.value("when").toDateTime(), everyKind().value("when").toDateTime());
        EXPECT_EQ(back.value("bytes").toByteArray(), QByteArray("\x00\x01\xfe", 3));
        EXPECT_EQ(back.value("words").toStringList(), (QStringList{"UK", "London"}));
        EXPECT_EQ(back.value("{GPS}").toMap().value("Speed").toDouble(), 0.5);
    }
}

TEST(PropertyList, OrderedDictionaryKeepsItsOrder) {
    QTemporaryDir dir;
    const QString path = dir.filePath("ordered.plist");
    PropertyList::OrderedDictionary dict{{"Zulu", "z"}, {"Alpha", 1}, {"Mike", 2.5}};
    QString error;
    ASSERT_TRUE(PropertyList::writeXml(path, QVariant::fromValue(dict), &error));
    const QJsonObject outside = readPlistOutside(path);
    const QJsonArray keys = outside["keys"].toArray();
    ASSERT_EQ(keys.size(), 3);
    EXPECT_EQ(keys[0].toString(), "Zulu");
    EXPECT_EQ(keys[1].toString(), "Alpha");
    EXPECT_EQ(keys[2].toString(), "Mike");
    EXPECT_EQ(PropertyList::read(path).rootKeys, (QStringList{"Zulu", "Alpha", "Mike"}));
}

TEST(PropertyList, ValuesItCannotCarryAreNamedAndLeftOut) {
    QStringList skipped;
    QString error;
    const QByteArray xml = PropertyList::toXml(
        QVariantMap{
            {"ok", 1}, {"null", QVariant()}, {"{Exif}", QVariantMap{{"point", QPointF(1, 2)}}}},
        &error, &skipped);
    EXPECT_FALSE(xml.isEmpty());
    skipped.sort();
    EXPECT_EQ(skipped, (QStringList{"null", "{Exif}/point"}));
    EXPECT_TRUE(PropertyList::toXml(QVariant(), &error).isEmpty());
    EXPECT_FALSE(error.isEmpty());
}

TEST(PropertyList, BadFilesAreRefusedWithAReason) {
    QTemporaryDir dir;
    const std::pair<const char *, QByteArray> cases[] = {
        {"empty.plist", QByteArray()},
        {"text.plist", QByteArray("just some text\n")},
        {"cut.plist",
         QByteArray("<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>a</key>")},
        {"cutbinary.plist", QByteArray("bplist00\xd1\x01\x02", 11)},
        {"photo.plist", QByteArray("\xff\xd8\xff\xe0\x00\x10JFIF", 10)},
    };
    for (const auto &[name, bytes] : cases) {
        const QString path = dir.filePath(name);
        writeFile(path, bytes);
        const PropertyList::Document doc = PropertyList::read(path);
        EXPECT_FALSE(doc.ok) << name;
        EXPECT_FALSE(doc.error.isEmpty()) << name;
    }
    EXPECT_FALSE(PropertyList::read(dir.filePath("missing.plist")).ok);
}

TEST(PropertyList, FailedWriteLeavesTheOldFile) {
    QTemporaryDir dir;
    const QString path = dir.filePath("keep.plist");
    QString error;
    ASSERT_TRUE(PropertyList::writeXml(path, QVariantMap{{"a", 1}}, &error));
    // The root itself cannot be written: nothing replaces the file.
    EXPECT_FALSE(PropertyList::writeXml(path, QVariant(QPointF(1, 1)), &error));
    EXPECT_EQ(PropertyList::read(path).root.toMap().value("a").toInt(), 1);
    EXPECT_FALSE(PropertyList::writeXml(dir.filePath("no/such/folder/x.plist"),
                                        QVariantMap{{"a", 1}}, &error));
    EXPECT_FALSE(error.isEmpty());
}
