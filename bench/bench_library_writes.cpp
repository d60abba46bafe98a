// Library writes, on the core road (working copy, one transaction, commit, copy back):
// first scripted edits on copies of the three fixture libraries, read back by a scan of each
// library's own database through a fresh working copy; then three batch actions of 2,000
// photos on a library grown to 20,000 assets, each timed from the transaction's start to the
// end of the copy back, beside the sqlite3 command doing the same title updates on a plain
// copy of the database followed by the quick_check our copy back also passes, a cp of it and
// a sync.
//
//   bench_library_writes [--keep DIR] [--assets N] [--photos N]
//
// --keep leaves the edited fixture copies as DIR/Test-<version>.photoslibrary.
#include "library/core/LibraryLookups.h"
#include "library/core/LibraryScan.h"
#include "library/core/LibraryStore.h"
#include "library/core/LibraryWorkingCopy.h"
#include "platform/core/PhotosApplication.h"
#include "support/BenchEnvironment.h"
#include "support/BenchLibraries.h"
#include "support/LibraryBenchGenerator.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>

namespace {
using bench::copyPackage;
using bench::fixturesFolder;

QString databaseOf(const QString &library) {
    const QString current = library + QStringLiteral("/database/Photos.sqlite");
    return QFileInfo(current).isFile() ? current : library + QStringLiteral("/database/photos.db");
}

// Runs a program to its end; its standard output, or a null string when it failed.
QString runTool(const QString &program, const QStringList &arguments,
                const QByteArray &input = {}) {
    QProcess p;
    p.start(program, arguments);
    if (!p.waitForStarted(-1))
        return {};
    if (!input.isEmpty())
        p.write(input);
    p.closeWriteChannel();
    p.waitForFinished(-1);
    const QString out = QString::fromUtf8(p.readAllStandardOutput());
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        std::fprintf(stderr, "%s failed: %s\n", qPrintable(program),
                     qPrintable(QString::fromUtf8(p.readAllStandardError()).trimmed()));
        return {};
    }
    return out.isNull() ? QStringLiteral("") : out;
}

// Timed run of a program, with its output in `output` when asked; -1 when it failed.
double timedTool(const QString &program, const QStringList &arguments, const QByteArray &input = {},
                 QString *output = nullptr) {
    QElapsedTimer t;
    t.start();
    const QString out = runTool(program, arguments, input);
    const double seconds = t.nsecsElapsed() / 1e9;
    if (output)
        *output = out.trimmed();
    return out.isNull() ? -1.0 : seconds;
}

QString integrityOf(const QString &database) {
    const QString out =
        runTool(QStringLiteral("sqlite3"), {database, QStringLiteral("PRAGMA integrity_check")});
    return out.isNull() ? QStringLiteral("sqlite3 did not run") : out.trimmed();
}

QSet<QString> keywordSetOf(const QString &text) {
    QSet<QString> out;
    for (const QString &k : keywordSet(text))
        out.insert(k.normalized(QString::NormalizationForm_C));
    return out;
}

// Every field of a record, by name, as text.
QList<std::pair<const char *, QString>> fieldsOf(const PRPicFileInfo &r) {
    const auto flag = [](bool b) { return b ? QStringLiteral("1") : QStringLiteral("0"); };
    return {{"fileName", r.fileName},
            {"filePhotoLibName", r.filePhotoLibName},
            {"fileFullPath", r.fileFullPath},
            {"fileThumbPath", r.fileThumbPath},
            {"fileLargeThumbPath", r.fileLargeThumbPath},
            {"fileSize", r.fileSize},
            {"filePixel", r.filePixel},
            {"fileCreateDate", r.createDate.text()},
            {"fileCameraDate", r.cameraDate.text()},
            {"fileTitle", r.fileTitle},
            {"fileAuthor", r.rare().fileAuthor},
            {"fileDescription", r.fileDescription},
            {"fileKeywords", r.fileKeywords},
            {"fileComments", r.rare().fileComments},
            {"fileCopyright", r.rare().fileCopyright},
            {"fileAlbum", r.fileAlbum},
            {"albumTitles", r.albumTitles.join(QLatin1Char('\n'))},
            {"fileLcationLatitude", r.latitudeText()},
            {"fileLocationLongitude", r.longitudeText()},
            {"fileMaker", r.fileMaker},
            {"fileModel", r.fileModel},
            {"fileLensMake", r.rare().fileLensMake},
            {"fileLensModel", r.fileLensModel},
            {"photouuid", r.rare().photouuid},
            {"findLocation", r.rare().findLocation},
            {"fileTypeStr", r.fileTypeStr},
            {"photoID", QString::number(r.photoID)},
            {"photoAssetID", QString::number(r.photoAssetID)},
            {"iCloudphotoID", QString::number(r.iCloudphotoID)},
            {"favoriteNum", QString::number(r.favoriteNum)},
            {"hasAdjustNum", QString::number(r.hasAdjustNum)},
            {"shootDateNumber", QString::number(r.shootDateNumber)},
            {"originalfilesize", QString::number(r.originalfilesize)},
            {"biCloudPhoto", flag(r.biCloudPhoto)},
            {"bReferencePhoto", flag(r.bReferencePhoto)},
            {"bLostReferencePhoto", flag(r.bLostReferencePhoto)},
            {"bTrashPhoto", flag(r.bTrashPhoto)},
            {"bICloudDownloadPhoto", flag(r.bICloudDownloadPhoto)}};
}

// Records by their keys (attributes or master key, and asset key).
QHash<QString, PRPicFileInfo> byKey(const QList<PRPicFileInfoPtr> &records) {
    QHash<QString, PRPicFileInfo> out;
    for (const PRPicFileInfoPtr &p : records) {
        QString key = QStringLiteral("%1/%2").arg(p->photoID).arg(p->photoAssetID);
        for (int i = 2; out.contains(key); ++i)
            key = QStringLiteral("%1/%2#%3").arg(p->photoID).arg(p->photoAssetID).arg(i);
        out.insert(key, *p);
    }
    return out;
}

PRPicFileInfoPtr findByName(const QList<PRPicFileInfoPtr> &records, const QString &fileName) {
    for (const PRPicFileInfoPtr &p : records)
        if (p->fileName == fileName)
            return p;
    return nullptr;
}

// The scripted values.
const QString kTitle = QStringLiteral("St. James's \"Park\"; --");
const QString kNewName = QStringLiteral("St James' Park");
const QString kStoredName = QStringLiteral("St James' Park.jpg");
const QString kCaption = QString::fromUtf8("Caf\u00e9 \u2013 100% ''");
const QString kLatitude = QStringLiteral("48.858370"), kLongitude = QStringLiteral("2.294481");
const QString kCameraDate = QStringLiteral("2020:07:04 12:00:00");
const QString kCameraDateShown = QStringLiteral("2020-07-04 12:00:00");
const QString kMake = QStringLiteral("Ricoh \"GR\""), kModel = QStringLiteral("GR III"),
              kLens = QStringLiteral("18.3 mm f/2.8");
const QString kKeywords = QString::fromUtf8("Kids, Val d'Is\u00e8re ,Pumpkin");
const QString kPumpkinCaption = QStringLiteral("Two pumpkins");

struct FixtureOutcome {
    bool ok = false;
    bool current = false;
    int writes = 0;
    qsizetype recordsBefore = -1, recordsAfter = -1;
    QString integrity;
    QStringList problems;
};

// Edits one fixture library, copies it back and reads it again.
FixtureOutcome editFixture(const QString &library, PhotosApplication &photos) {
    FixtureOutcome out;
    const auto problem = [&](const QString &what) { out.problems << what; };

    QList<PRPicFileInfoPtr> before;
    {
        LibraryWorkingCopy copy(&photos);
        const LibraryScanResult scan = ScanPhotoLibMetadata(library, copy);
        if (!scan.ok) {
            problem(QStringLiteral("first scan: ") + scan.message);
            return out;
        }
        before = scan.records;
        out.recordsBefore = before.size();
        const PRPicFileInfoPtr park = findByName(before, QStringLiteral("St James Park.jpg"));
        const PRPicFileInfoPtr pumpkins = findByName(before, QStringLiteral("Pumkins2.jpg"));
        const PRPicFileInfoPtr wedding = findByName(before, QStringLiteral("wedding.jpg"));
        if (!park || !pumpkins || !wedding) {
            problem(QStringLiteral("a scripted photo is not in the first scan"));
            return out;
        }
        QString error;
        std::unique_ptr<LibraryStore> store = LibraryStore::begin(
            copy.currentPhotolibDatabasePath(), copy.photolibReadOnlyReason(), &error);
        if (!store) {
            problem(QStringLiteral("begin: ") + error);
            return out;
        }
        const bool current = out.current = store->isCurrentSchema();
        const auto check = [&](const char *what, const LibraryWriteResult &r) {
            ++out.writes;
            if (!r.ok)
                problem(QLatin1String(what) + QStringLiteral(": ") + r.reason);
        };
        bool none = false;
        QString why;
        const std::optional<LibraryPosition> position =
            parseLibraryPosition(kLatitude, kLongitude, &none, &why);
        const std::optional<double> seconds = librarySecondsFromText(kCameraDate);
        if (!position || !seconds) {
            problem(QStringLiteral("the scripted position or date does not parse"));
            return out;
        }
        if (current) {
            check("setTitle", store->setTitle(park->photoID, kTitle));
            const LibraryWriteResult named =
                store->setFileName(park->photoID, kNewName, park->fileName);
            check("setFileName", named);
            if (named.ok && named.stored != kStoredName)
                problem(QStringLiteral("setFileName stored \"%1\"").arg(named.stored));
            check("setDescription", store->setDescription(park->photoID, kCaption));
            check("setPosition", store->setPosition(park->photoAssetID, position));
            check("setCameraDate", store->setCameraDate(park->photoAssetID, *seconds));
            check("setCameraInfo", store->setCameraInfo(park->photoAssetID, kMake, kModel, kLens));
            check("setKeywords", store->setKeywords(pumpkins->photoID, kKeywords));
            check("setDescription", store->setDescription(pumpkins->photoID, kPumpkinCaption));
            check("deletePhoto", store->deletePhoto(wedding->photoID, wedding->photoAssetID,
                                                    wedding->iCloudphotoID));
        } else {
            check("setOlderTitle", store->setOlderTitle(park->photoID, kTitle));
            const LibraryWriteResult named =
                store->setOlderFileName(park->photoID, kNewName, park->fileName);
            check("setOlderFileName", named);
            if (named.ok && named.stored != kStoredName)
                problem(QStringLiteral("setOlderFileName stored \"%1\"").arg(named.stored));
            check("setOlderDescription", store->setOlderDescription(park->photoID, kCaption));
            check("setOlderPosition", store->setOlderPosition(park->photoID, position));
            check("setOlderCameraDate", store->setOlderCameraDate(park->photoID, *seconds));
            check("setOlderKeywords", store->setOlderKeywords(pumpkins->photoID, kKeywords));
            check("setOlderDescription",
                  store->setOlderDescription(pumpkins->photoID, kPumpkinCaption));
            check("deleteOlderPhoto", store->deleteOlderPhoto(wedding->photoID));
        }
        if (!out.problems.isEmpty()) {
            store->rollback();
            return out;
        }
        if (!store->commit(&error)) {
            problem(QStringLiteral("commit: ") + error);
            return out;
        }
        store.reset();
        const LibraryStepResult back = copy.copyBack();
        if (!back.ok) {
            problem(QStringLiteral("copy back: ") + back.reason);
            return out;
        }

        // What the read back must show: the first scan with the scripted changes.
        const qint64 secondsCount = qint64(*seconds);
        QHash<QString, PRPicFileInfo> expected = byKey(before);
        for (auto it = expected.begin(); it != expected.end();) {
            PRPicFileInfo &r = *it;
            if (r.photoID == wedding->photoID && r.photoAssetID == wedding->photoAssetID) {
                it = expected.erase(it);
                continue;
            }
            if (r.photoID == park->photoID && r.photoAssetID == park->photoAssetID) {
                r.fileTitle = kTitle;
                r.fileName = kStoredName; // the file in the package keeps its own name
                r.fileDescription = kCaption;
                r.setLatitudeText(kLatitude);
                r.setLongitudeText(kLongitude);
                r.cameraDate.setText(kCameraDateShown);
                r.shootDateNumber = uint64_t(secondsCount);
                if (current) {
                    r.createDate.setText(kCameraDateShown);
                    r.fileMaker = kMake;
                    r.fileModel = kModel;
                    r.fileLensModel = kLens;
                }
            }
            if (r.photoID == pumpkins->photoID && r.photoAssetID == pumpkins->photoAssetID) {
                r.fileKeywords = kKeywords;
                r.fileDescription = kPumpkinCaption;
            }
            ++it;
        }

        out.integrity = integrityOf(databaseOf(library));
        if (out.integrity != QLatin1String("ok"))
            problem(QStringLiteral("integrity_check: ") + out.integrity.left(200));

        copy.close();
        LibraryWorkingCopy fresh(&photos);
        const LibraryScanResult again = ScanPhotoLibMetadata(library, fresh);
        if (!again.ok) {
            problem(QStringLiteral("second scan: ") + again.message);
            return out;
        }
        out.recordsAfter = again.records.size();
        if (findByName(again.records, QStringLiteral("wedding.jpg")))
            problem(QStringLiteral("wedding.jpg is still there"));
        const QHash<QString, PRPicFileInfo> after = byKey(again.records);
        for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
            const auto found = after.constFind(it.key());
            if (found == after.constEnd()) {
                problem(QStringLiteral("%1 (%2) is gone").arg(it->fileName, it.key()));
                continue;
            }
            const auto want = fieldsOf(*it), got = fieldsOf(*found);
            for (int i = 0; i < want.size(); ++i) {
                const bool keywords = qstrcmp(want[i].first, "fileKeywords") == 0;
                const bool same = keywords
                                      ? keywordSetOf(want[i].second) == keywordSetOf(got[i].second)
                                      : want[i].second == got[i].second;
                if (!same)
                    problem(QStringLiteral("%1 (%2) %3: \"%4\", expected \"%5\"")
                                .arg(it->fileName, it.key(), QLatin1String(want[i].first),
                                     got[i].second, want[i].second));
            }
        }
        for (auto it = after.cbegin(); it != after.cend(); ++it)
            if (!expected.contains(it.key()))
                problem(QStringLiteral("%1 (%2) is new").arg(it->fileName, it.key()));
    }
    out.ok = out.problems.isEmpty();
    return out;
}

struct TimedAction {
    double seconds = -1, sqlSeconds = 0, copyBackSeconds = 0;
    int failed = 0;
    QString problem;
};

// One user action on `chosen`: begin, a write per photo, commit, copy back.
TimedAction
timeAction(LibraryWorkingCopy &work, const QList<PRPicFileInfoPtr> &chosen,
           const std::function<LibraryWriteResult(LibraryStore &, const PRPicFileInfo &)> &write) {
    TimedAction out;
    // Whatever earlier steps left unwritten is not this action's to flush.
    QProcess::execute(QStringLiteral("sync"), {});
    QElapsedTimer t;
    t.start();
    QString error;
    // As the program's actions do: with the working copy's earlier state kept aside until
    // the library has taken the change.
    std::unique_ptr<LibraryStore> store =
        LibraryStore::begin(work.currentPhotolibDatabasePath(), work.photolibReadOnlyReason(),
                            &error, 5000, /*keepSnapshot=*/true);
    if (!store) {
        out.problem = QStringLiteral("begin: ") + error;
        return out;
    }
    for (const PRPicFileInfoPtr &r : chosen) {
        const LibraryWriteResult w = write(*store, *r);
        if (!w.ok && out.failed++ == 0)
            out.problem = w.reason;
    }
    if (out.failed) {
        store->rollback();
        return out;
    }
    if (!store->commit(&error)) {
        out.problem = QStringLiteral("commit: ") + error;
        return out;
    }
    store->closeConnection();
    out.sqlSeconds = t.nsecsElapsed() / 1e9;
    const LibraryStepResult back = work.copyBack();
    store.reset(); // the kept state goes once the library has the change
    out.seconds = t.nsecsElapsed() / 1e9;
    out.copyBackSeconds = out.seconds - out.sqlSeconds;
    if (!back.ok) {
        out.problem = QStringLiteral("copy back: ") + back.reason;
        out.seconds = -1;
    }
    return out;
}

int argumentValue(const QStringList &args, const QString &name, int fallback) {
    const int i = args.indexOf(name);
    return i >= 0 && i + 1 < args.size() ? std::max(1, args[i + 1].toInt()) : fallback;
}

} // namespace

int main(int argc, char **argv) {
    QTemporaryDir home;
    bench::useHome(home.path());
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int keepAt = args.indexOf(QStringLiteral("--keep"));
    const QString keep = keepAt >= 0 && keepAt + 1 < args.size()
                             ? QFileInfo(args[keepAt + 1]).absoluteFilePath()
                             : QString();
    const int assets = argumentValue(args, QStringLiteral("--assets"), 20000);
    const int photos = argumentValue(args, QStringLiteral("--photos"), 2000);
    if (!QFileInfo(fixturesFolder() + QStringLiteral("/libraries")).isDir()) {
        std::fprintf(stderr, "no fixture libraries in %s\n", qPrintable(fixturesFolder()));
        return 1;
    }
    QTemporaryDir dir;
    FakePhotosApplication nobody; // the copies are ours alone
    setPhotosApplication(&nobody);

    // (1) Scripted edits on the fixture libraries, read back.
    int rescanOk = 0;
    for (const char *name : {"Test-10.14.6", "Test-10.15.7", "Test-13.0.0"}) {
        const QString folder = keep.isEmpty() ? dir.path() + QLatin1Char('/') + name : keep;
        const QString library = copyPackage(QLatin1String(name), folder);
        const FixtureOutcome o =
            library.isEmpty() ? FixtureOutcome{} : editFixture(library, nobody);
        rescanOk += o.ok;
        std::printf("library=%s schema=%s writes=%d records=%lld->%lld integrity=%s rescan=%s "
                    "problems=%lld\n",
                    name, o.current ? "current" : "older", o.writes, qlonglong(o.recordsBefore),
                    qlonglong(o.recordsAfter),
                    o.integrity.isEmpty() ? "-" : qPrintable(o.integrity.left(40)),
                    o.ok ? "ok" : "FAILED", qlonglong(o.problems.size()));
        for (const QString &p : o.problems)
            std::printf("  %s\n", qPrintable(p));
    }
    std::fflush(stdout);

    // (2) A library grown to `assets` assets, three actions of `photos` photos each.
    const QString library = copyPackage(QStringLiteral("Test-13.0.0"), dir.path() + "/big");
    const QString database = library + QStringLiteral("/database/Photos.sqlite");
    commitDB(database);
    int64_t existing = 0;
    {
        SqliteDatabase db;
        QString error;
        if (!db.open(database, SqliteDatabase::Mode::ReadOnly, &error)) {
            std::fprintf(stderr, "open: %s\n", qPrintable(error));
            return 1;
        }
        existing = db.scalar(QStringLiteral("SELECT count(*) FROM ZASSET")).toLongLong();
    }
    const QString photo = dir.path() + QStringLiteral("/photo.jpg");
    QFile::copy(fixturesFolder() + QStringLiteral("/photos/St James Park.jpg"), photo);
    const bench::GeneratedLibrary grown =
        bench::growLibrary(library, std::max<int>(0, assets - int(existing)), photo);
    if (!grown.ok) {
        std::fprintf(stderr, "generator: %s\n", qPrintable(grown.error));
        return 1;
    }
    // The floor's own copy, as the actions find the database.
    const QString floorDatabase = dir.path() + QStringLiteral("/floor/Photos.sqlite");
    QDir().mkpath(QFileInfo(floorDatabase).absolutePath());
    QFile::copy(database, floorDatabase);

    LibraryWorkingCopy work(&nobody);
    const LibraryStepResult opened = work.open(database);
    if (!opened.ok) {
        std::fprintf(stderr, "open: %s\n", qPrintable(opened.reason));
        return 1;
    }
    const LibraryScanResult scan =
        scanCurrentLibraryDatabase(library, work.currentPhotolibDatabasePath());
    QList<PRPicFileInfoPtr> candidates;
    for (const PRPicFileInfoPtr &r : scan.records)
        if (r->photoID > 0 && r->photoAssetID > 0 && !r->bTrashPhoto)
            candidates << r;
    if (!scan.ok || candidates.size() < photos) {
        std::fprintf(stderr, "scan: %s (%lld photos)\n", qPrintable(scan.message),
                     qlonglong(candidates.size()));
        return 1;
    }
    // A selection spread over the whole library.
    QList<PRPicFileInfoPtr> chosen;
    for (int i = 0; i < photos; ++i)
        chosen << candidates[int(qint64(i) * candidates.size() / photos)];
    QHash<int, int64_t> datesBefore;
    for (const PRPicFileInfoPtr &r : chosen)
        datesBefore.insert(r->photoAssetID, int64_t(r->shootDateNumber));

    const QString title = QStringLiteral("Summer trip");
    const QString keywords = QStringLiteral("Trip,Family");
    const TimedAction titled =
        timeAction(work, chosen, [&](LibraryStore &s, const PRPicFileInfo &r) {
            return s.setTitle(r.photoID, title);
        });
    const TimedAction keyworded =
        timeAction(work, chosen, [&](LibraryStore &s, const PRPicFileInfo &r) {
            return s.setKeywords(r.photoID, keywords);
        });
    QString dateSql;
    const TimedAction shifted =
        timeAction(work, chosen, [&](LibraryStore &s, const PRPicFileInfo &r) {
            // The date as the library holds it now, not as the scan saw it.
            if (dateSql.isEmpty())
                dateSql = QStringLiteral("SELECT ZDATECREATED FROM %1 WHERE Z_PK = ?1")
                              .arg(s.schema().assetTable);
            SqliteStatement *date = s.database().prepare(dateSql);
            if (!date)
                return LibraryWriteResult::failed(s.database().lastError());
            date->bind(1, int64_t(r.photoAssetID));
            if (!date->step() || date->isNull(0)) {
                const QString why = date->failed() ? date->error() : QStringLiteral("no date");
                date->reset();
                return LibraryWriteResult::failed(why);
            }
            const double seconds = date->real(0);
            date->reset();
            return s.setCameraDate(r.photoAssetID, seconds + 3600);
        });
    const TimedAction *actions[] = {&titled, &keyworded, &shifted};
    const char *names[] = {"title", "keywords", "dateshift"};
    bool actionsOk = true;
    for (int i = 0; i < 3; ++i) {
        const TimedAction &a = *actions[i];
        actionsOk = actionsOk && a.seconds >= 0;
        std::printf("action=%s photos=%d failed=%d sql_s=%.3f copyback_s=%.3f total_s=%.3f%s\n",
                    names[i], photos, a.failed, a.sqlSeconds, a.copyBackSeconds, a.seconds,
                    a.problem.isEmpty() ? "" : qPrintable(QStringLiteral(" error=") + a.problem));
    }
    work.close();

    // What the library itself now says about the chosen photos.
    {
        LibraryWorkingCopy check(&nobody);
        const LibraryScanResult again = ScanPhotoLibMetadata(library, check);
        QHash<int, PRPicFileInfoPtr> byAsset;
        for (const PRPicFileInfoPtr &r : again.records)
            byAsset.insert(r->photoAssetID, r);
        int titles = 0, keyworded = 0, dates = 0;
        const QSet<QString> wanted = keywordSetOf(keywords);
        for (const PRPicFileInfoPtr &r : chosen) {
            const PRPicFileInfoPtr now = byAsset.value(r->photoAssetID);
            if (!now)
                continue;
            titles += now->fileTitle == title;
            keyworded += keywordSetOf(now->fileKeywords) == wanted;
            dates += int64_t(now->shootDateNumber) == datesBefore.value(r->photoAssetID) + 3600;
        }
        std::printf("read_back titles=%d keywords=%d dates=%d of %d integrity=%s\n", titles,
                    keyworded, dates, photos, qPrintable(integrityOf(database)));
        actionsOk = actionsOk && titles == photos && keyworded == photos && dates == photos;
    }

    // The floor: the sqlite3 command doing the same title updates in one transaction on a
    // plain copy of the database (the values come in through its CSV import, bound by it),
    // then the quick_check that our copy back runs before the library takes its copy, a cp of
    // that database and a sync.
    const QString values = dir.path() + QStringLiteral("/floor/titles.csv");
    {
        QFile csv(values);
        if (!csv.open(QIODevice::WriteOnly)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(values));
            return 1;
        }
        for (const PRPicFileInfoPtr &r : chosen)
            csv.write(QByteArray::number(r->photoID) + ",\"" + title.toUtf8() + "\"\n");
    }
    const QByteArray script =
        ".bail on\n"
        "CREATE TEMP TABLE v(k INTEGER PRIMARY KEY, t TEXT);\n"
        ".import --csv --schema temp '" +
        QFile::encodeName(values) +
        "' v\n"
        "BEGIN;\n"
        "UPDATE ZADDITIONALASSETATTRIBUTES SET ZTITLE = v.t, Z_OPT = ifnull(Z_OPT, 0) + 1 "
        "FROM temp.v WHERE ZADDITIONALASSETATTRIBUTES.Z_PK = v.k;\n"
        "SELECT changes();\n"
        "COMMIT;\n";
    QProcess::execute(QStringLiteral("sync"), {});
    QString floorTitles;
    const double cli = timedTool(QStringLiteral("sqlite3"), {floorDatabase}, script, &floorTitles);
    QString floorCheck;
    const double quickCheck =
        timedTool(QStringLiteral("sqlite3"), {floorDatabase, QStringLiteral("PRAGMA quick_check")},
                  {}, &floorCheck);
    const double cp =
        timedTool(QStringLiteral("cp"), {floorDatabase, floorDatabase + QStringLiteral(".copy")});
    const double sync = timedTool(QStringLiteral("sync"), {});
    const double floor =
        cli >= 0 && quickCheck >= 0 && cp >= 0 && sync >= 0 && floorCheck == QLatin1String("ok")
            ? cli + quickCheck + cp + sync
            : -1;
    std::printf("floor sqlite3_s=%.3f quick_check_s=%.3f (%s) cp_s=%.3f sync_s=%.3f titles=%s "
                "database_mb=%.1f\n",
                cli, quickCheck, qPrintable(floorCheck.left(40)), cp, sync, qPrintable(floorTitles),
                QFileInfo(database).size() / 1048576.0);

    const double slowest = std::max({titled.seconds, keyworded.seconds, shifted.seconds});
    std::printf("lib_title_2000_s=%.3f lib_keywords_2000_s=%.3f lib_dateshift_2000_s=%.3f "
                "floor_s=%.3f ratio_vs_floor=%.2f rescan_ok=%d\n",
                titled.seconds, keyworded.seconds, shifted.seconds, floor,
                floor > 0 && actionsOk ? slowest / floor : 0.0, rescanOk);
    setPhotosApplication(nullptr);
    return rescanOk == 3 && actionsOk && floor > 0 ? 0 : 1;
}
