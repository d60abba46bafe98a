#include "platform/core/PropertyList.h"
#include "support/IsoBoxes.h"
#include "support/Mutations.h"
#include "support/PlistReader.h"
#include "support/TestSupport.h"

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

QByteArray readFile(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The fields of a binary property list: its trailer, its offset table, and each object's marker
// and the length after it.
std::vector<Mutations::Field> binaryListFields(const QByteArray &list) {
    const qsizetype trailer = list.size() - 32;
    std::vector<Mutations::Field> fields = {{trailer + 6, 1},  {trailer + 7, 1},  {trailer + 8, 8},
                                            {trailer + 12, 4}, {trailer + 16, 8}, {trailer + 20, 4},
                                            {trailer + 24, 8}, {trailer + 28, 4}};
    const int offsetSize = uchar(list[trailer + 6]);
    const qsizetype objects = qsizetype(readBe(list, trailer + 8, 8));
    const qsizetype table = qsizetype(readBe(list, trailer + 24, 8));
    for (qsizetype i = 0; i < objects; ++i) {
        const qsizetype entry = table + i * offsetSize;
        const qsizetype at = qsizetype(readBe(list, entry, offsetSize));
        fields.insert(fields.end(), {{entry, offsetSize}, {at, 1}, {at + 1, 1}, {at + 2, 2}});
    }
    return fields;
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

namespace {

// A binary property list built object by object, so that strings libplist would never write
// (a NUL inside) can be made.
class BinaryPlist {
  public:
    static QByteArray ascii(const QByteArray &s) { return char(0x50 | s.size()) + s; }
    static QByteArray utf16(const QString &s) {
        QByteArray o(1, char(0x60 | s.size()));
        for (QChar c : s) {
            o += char(c.unicode() >> 8);
            o += char(c.unicode() & 0xff);
        }
        return o;
    }
    static QByteArray dict(const QList<std::pair<int, int>> &refs) {
        QByteArray o(1, char(0xd0 | refs.size()));
        for (const auto &r : refs)
            o += char(r.first);
        for (const auto &r : refs)
            o += char(r.second);
        return o;
    }
    static QByteArray array(const QList<int> &refs) {
        QByteArray o(1, char(0xa0 | refs.size()));
        for (int r : refs)
            o += char(r);
        return o;
    }
    int add(const QByteArray &object) {
        objects << object;
        return int(objects.size() - 1);
    }
    QByteArray build() const {
        QByteArray out("bplist00");
        QList<int> offsets;
        for (const QByteArray &o : objects) {
            offsets << int(out.size());
            out += o;
        }
        const int table = int(out.size());
        for (int offset : offsets)
            out += char(offset);
        auto be64 = [](quint64 v) {
            QByteArray b(8, '\0');
            for (int i = 7; i >= 0; --i, v >>= 8)
                b[i] = char(v & 0xff);
            return b;
        };
        out += QByteArray(6, '\0') + char(1) + char(1) + be64(quint64(objects.size())) + be64(0) +
               be64(quint64(table));
        return out;
    }

  private:
    QList<QByteArray> objects;
};

const QString kNulText = QString::fromUtf8("\xc3\xa9") + QChar(0) + QLatin1String("b");

} // namespace

// libplist 2.2 aborts the program when asked for such a string; our reader refuses them.
TEST(PropertyList, NulCharactersInStringsAndKeysAreRefusedNotFatal) {
    BinaryPlist inValue;
    inValue.add(BinaryPlist::dict({{1, 2}}));
    inValue.add(BinaryPlist::ascii("k"));
    inValue.add(BinaryPlist::utf16(kNulText));

    BinaryPlist inKey;
    inKey.add(BinaryPlist::dict({{1, 2}}));
    inKey.add(BinaryPlist::utf16(kNulText));
    inKey.add(BinaryPlist::ascii("x"));

    BinaryPlist inArray;
    inArray.add(BinaryPlist::array({1}));
    inArray.add(BinaryPlist::utf16(kNulText));

    static const char xmlText[] = "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict>"
                                  "<key>k</key><string>a\0b</string></dict></plist>";
    const QByteArray xml(xmlText, sizeof xmlText - 1);
    for (const QByteArray &data : {inValue.build(), inKey.build(), inArray.build(), xml}) {
        const PropertyList::Document doc = PropertyList::fromData(data);
        EXPECT_FALSE(doc.ok);
        EXPECT_TRUE(doc.error.contains("NUL")) << doc.error.toStdString();
    }
    // The same list without the NUL still reads.
    BinaryPlist plain;
    plain.add(BinaryPlist::dict({{1, 2}}));
    plain.add(BinaryPlist::ascii("k"));
    plain.add(BinaryPlist::utf16(QString::fromUtf8("\xc3\xa9t\xc3\xa9")));
    const PropertyList::Document ok = PropertyList::fromData(plain.build());
    ASSERT_TRUE(ok.ok) << ok.error.toStdString();
    EXPECT_EQ(ok.root.toMap().value("k").toString(), QString::fromUtf8("\xc3\xa9t\xc3\xa9"));
}

// Damaged property lists as the libraries hold them (a binary one's trailer, offset table and
// objects; an XML one cut, doubled or nested past any reader) are read, or refused with a
// reason; what is read can be written out again.
TEST(PropertyList, DamagedListsAreReadOrRefusedWithAReason) {
    const QString database =
        fixturesDir() + QStringLiteral("/libraries/Test-13.0.0.photoslibrary/database/");
    const QByteArray binary = readFile(database + QStringLiteral("search/synonymsProcess.plist"));
    const QByteArray xml = readFile(database + QStringLiteral("Photos.sqlite.lock"));
    ASSERT_TRUE(PropertyList::fromData(binary).ok);
    ASSERT_TRUE(PropertyList::fromData(xml).ok);
    Mutations binaryDamage(binary, binaryListFields(binary), 5), xmlDamage(xml, {}, 6);
    int read = 0, refused = 0;
    for (int i = 0; i < 400; ++i) {
        QString what;
        const QByteArray data = i % 2 == 0 ? binaryDamage.next(&what) : xmlDamage.nextText(&what);
        SCOPED_TRACE(what.toStdString());
        const PropertyList::Document doc = PropertyList::fromData(data);
        if (!doc.ok) {
            EXPECT_FALSE(doc.error.isEmpty());
            ++refused;
            continue;
        }
        ++read;
        QString error;
        QStringList skipped;
        EXPECT_TRUE(!PropertyList::toXml(doc.root, &error, &skipped).isEmpty() || !error.isEmpty());
    }
    EXPECT_GT(read, 50);
    EXPECT_GT(refused, 50);
}
