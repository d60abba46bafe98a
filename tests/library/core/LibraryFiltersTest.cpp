// The plain list logic of the library browser's views: the custom date range and the
// same-name groups, and what a deletion trashes and drops.
#include "library/core/LibraryFilters.h"
#include "library/core/LibraryDeletion.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

IKImageItemPtr dated(const QString &name, const QString &dateText, const QString &path = {}) {
    auto item = std::make_shared<IKImageItem>();
    item->fileName = name;
    item->filePath = path.isEmpty() ? QStringLiteral("/nowhere/") + name : path;
    item->photoLibFileNode = std::make_shared<PRPicFileInfo>();
    item->photoLibFileNode->fileName = name;
    item->photoLibFileNode->createDate.setText(dateText);
    return item;
}

QStringList names(const QList<IKImageItemPtr> &items) {
    QStringList out;
    for (const auto &i : items)
        out << i->fileName;
    return out;
}

void writeFile(const QString &path) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write("x");
}

QString text(const QDateTime &d) {
    return d.toString(QStringLiteral("yyyy:MM:dd HH:mm:ss"));
}

} // namespace

TEST(LibraryCustomRange, BothEndsCountAndDatesAfterNowCompareLikeAnyOther) {
    const QDateTime now(QDate(2024, 5, 10), QTime(12, 0, 0, 700));
    const auto noFile = [](const QString &) { return QDateTime(); };
    const QList<IKImageItemPtr> items = {
        dated("morning", "2024:05:10 08:00:00"), dated("tomorrow", text(now.addDays(1))),
        dated("dashed", "2019-07-01 10:00:00"),  dated("start", "2024:05:01 00:00:00"),
        dated("nothing", "last Tuesday"),        dated("empty", QString()),
    };
    // The end later today keeps this morning's photo; the start itself is kept.
    EXPECT_EQ(names(libraryItemsInRange(items, QDateTime(QDate(2024, 5, 1), QTime(0, 0)),
                                        now.addSecs(3600), now, noFile)),
              (QStringList{"morning", "start"}));
    // A photo dated after now is kept when it lies between the ends.
    EXPECT_EQ(names(libraryItemsInRange(items, now, now.addDays(2), now, noFile)),
              (QStringList{"tomorrow"}));
    EXPECT_EQ(names(libraryItemsInRange(items, QDateTime(QDate(2019, 7, 1), QTime(10, 0)),
                                        QDateTime(QDate(2019, 7, 1), QTime(10, 0)), now, noFile)),
              (QStringList{"dashed"}));
    // An end before the start keeps nothing.
    EXPECT_TRUE(libraryItemsInRange(items, now.addDays(2), now, now, noFile).isEmpty());
    // Whole seconds from now: a start 0.7 s after the photo's second still keeps it.
    const QDateTime second(QDate(2024, 5, 10), QTime(8, 0, 0));
    EXPECT_EQ(
        names(libraryItemsInRange(items, second.addMSecs(300), second.addMSecs(300), now, noFile)),
        (QStringList{"morning"}));
}

TEST(LibraryCustomRange, AnUnreadableDateFallsBackToTheFileAndElseIsLeftOut) {
    const QDateTime made(QDate(2021, 3, 3), QTime(3, 3, 3));
    const QList<IKImageItemPtr> items = {dated("nothing", "last Tuesday", "/files/a.jpg"),
                                         dated("empty", QString(), "/files/b.jpg")};
    const auto fileDates = [&made](const QString &path) {
        return path.endsWith(QLatin1String("a.jpg")) ? made : QDateTime();
    };
    EXPECT_EQ(
        names(libraryItemsInRange(items, made, made, QDateTime::currentDateTime(), fileDates)),
        (QStringList{"nothing"}));
    EXPECT_FALSE(libraryRangeDate(*items.at(1), fileDates).has_value());
}

TEST(LibrarySameNames, GroupsOfMoreThanOneSortedByNameEachInStoredOrder) {
    QHash<QString, QList<IKImageItemPtr>> names_;
    const auto add = [&names_](const QString &name) {
        auto item = dated(name, QString());
        names_[name].append(item);
        return item;
    };
    add("single.jpg");
    const IKImageItemPtr w1 = add("winebottle.jpeg"), w2 = add("winebottle.jpeg");
    const IKImageItemPtr f1 = add("Frítest.jpg"), f2 = add("Frítest.jpg");
    const IKImageItemPtr b1 = add("[2020-08-29] AAF035.jpg"), b2 = add("[2020-08-29] AAF035.jpg");
    EXPECT_EQ(sameFileNameItems(names_), (QList<IKImageItemPtr>{b1, b2, f1, f2, w1, w2}));
    // The same name decomposed ("e" and a combining grave) joins its composed twin.
    const IKImageItemPtr one = add("Val d'Isère.jpg");
    const IKImageItemPtr twin = add(QStringLiteral("Val d'Ise\u0300re.jpg"));
    EXPECT_EQ(sameFileNameItems(names_),
              (QList<IKImageItemPtr>{b1, b2, f1, f2, twin, one, w1, w2}));
}

TEST(LibraryTrashPlan, CompanionsOnlyWhenAskedAndSharedFilesStay) {
    QTemporaryDir dir;
    const QString p = dir.path();
    for (const char *f : {"wedding.jpg", "wedding_3.mov", "park.jpg", "shared.jpg"})
        writeFile(p + QLatin1Char('/') + QLatin1String(f));
    const IKImageItemPtr wedding = dated("wedding.jpg", {}, p + "/wedding.jpg");
    const IKImageItemPtr park = dated("park.jpg", {}, p + "/park.jpg");
    const IKImageItemPtr shared = dated("shared.jpg", {}, p + "/./shared.jpg");
    const IKImageItemPtr sharer = dated("shared.jpg", {}, p + "/shared.jpg");
    const IKImageItemPtr cloud = dated("cloud.jpg", {}, p + "/not-downloaded.jpg");
    const QList<IKImageItemPtr> all = {wedding, park, shared, sharer, cloud};

    LibraryTrashPlan plan = libraryTrashPlan({wedding, shared, cloud, wedding}, all, true, p);
    EXPECT_EQ(plan.files, (QStringList{p + "/wedding.jpg", p + "/wedding_3.mov"}));
    EXPECT_EQ(plan.kept, (QStringList{p + "/./shared.jpg"}));
    plan = libraryTrashPlan({wedding}, all, false, p);
    EXPECT_EQ(plan.files, (QStringList{p + "/wedding.jpg"}));
    // With both photos of the shared file gone, the file goes too.
    plan = libraryTrashPlan({shared, sharer}, all, true, p);
    EXPECT_EQ(plan.files, (QStringList{p + "/./shared.jpg"}));
    EXPECT_EQ(livePhotoCompanionPath(QStringLiteral("/a/b/IMG_1.2.HEIC")),
              QStringLiteral("/a/b/IMG_1.2_3.mov"));
}

TEST(LibraryTrashPlan, OnlyThePhotosOwnFilesAreTrashed) {
    QTemporaryDir dir;
    const QString lib = dir.path() + "/L.photoslibrary", out = dir.path() + "/Elsewhere";
    for (const QString &f : {lib + "/originals/A/own.jpg", out + "/victim.jpg",
                             out + "/victim_3.mov", out + "/ref.jpg"})
        writeFile(f);
    ASSERT_TRUE(QFile::link(out, lib + "/originals/L"));
    ASSERT_TRUE(QFile::link(out + "/ref.jpg", out + "/link.jpg"));
    const auto referenced = [](IKImageItemPtr item) {
        item->photoLibFileNode->bReferencePhoto = true;
        return item;
    };
    const IKImageItemPtr own = dated("own.jpg", {}, lib + "/originals/A/own.jpg");
    const QList<IKImageItemPtr> hostile = {
        // Names that climb out of the package, or are read against our working folder.
        dated("victim.jpg", {}, lib + "/originals/A/../../../Elsewhere/victim.jpg"),
        dated("victim.jpg", {}, QDir(QDir::currentPath()).relativeFilePath(out + "/victim.jpg")),
        referenced(dated("victim.jpg", {}, out + "/../Elsewhere/victim.jpg")),
        // A folder of the package that leads outside, a photo outside it, a link on the way.
        dated("victim.jpg", {}, lib + "/originals/L/victim.jpg"),
        dated("victim.jpg", {}, out + "/victim.jpg"),
        referenced(dated("ref.jpg", {}, out + "/link.jpg"))};
    for (const IKImageItemPtr &item : hostile) {
        const LibraryTrashPlan plan = libraryTrashPlan({item}, {}, true, lib);
        EXPECT_TRUE(plan.files.isEmpty()) << item->filePath.toStdString();
        EXPECT_TRUE(plan.kept.isEmpty()) << item->filePath.toStdString();
        EXPECT_EQ(plan.foreign, QStringList{item->filePath});
    }
    const IKImageItemPtr ref = referenced(dated("ref.jpg", {}, out + "/ref.jpg"));
    // The other master of a RAW+JPEG pair goes by the same rules.
    writeFile(lib + "/originals/A/own.cr2");
    own->photoLibFileNode->editRare().pairedFilePath = lib + "/originals/A/own.cr2";
    ref->photoLibFileNode->editRare().pairedFilePath = lib + "/originals/L/victim.jpg";
    hostile[0]->photoLibFileNode->editRare().pairedFilePath = lib + "/originals/A/../../../ref.jpg";
    hostile[3]->photoLibFileNode->editRare().pairedFilePath = out + "/victim_3.mov";
    EXPECT_EQ(libraryTrashPlan(hostile + QList{own, ref}, {}, true, lib).files,
              (QStringList{lib + "/originals/A/own.jpg", lib + "/originals/A/own.cr2",
                           out + "/ref.jpg"}));
}

TEST(LibraryTrashPlan, DeletedItemsLeaveEveryListAndEmptyDictionaryEntries) {
    LibraryLists l;
    const IKImageItemPtr a = dated("a.jpg", {}), b = dated("b.jpg", {});
    l.photoLibBroserArray = l.backupdifPhotoLibItemArray = l.jpgPhotosItemArray = {a, b};
    l.lostReferencePhotoItemArray = l.oneyearsItemArray = {a};
    l.nameDictionary["a.jpg"] = {a};
    l.nameDictionary["b.jpg"] = {b};
    l.albumDictionary["Trip"] = {b, a};
    removeLibraryItems(l, {a.get()});
    EXPECT_EQ(l.photoLibBroserArray, (QList<IKImageItemPtr>{b}));
    EXPECT_EQ(l.jpgPhotosItemArray, (QList<IKImageItemPtr>{b}));
    EXPECT_TRUE(l.lostReferencePhotoItemArray.isEmpty());
    EXPECT_TRUE(l.oneyearsItemArray.isEmpty());
    EXPECT_EQ(l.nameDictionary.keys(), (QList<QString>{"b.jpg"}));
    EXPECT_EQ(l.albumDictionary.value("Trip"), (QList<IKImageItemPtr>{b}));
}
