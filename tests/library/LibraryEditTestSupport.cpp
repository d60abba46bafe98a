#include "LibraryEditTestSupport.h"
#include "browser/MainWindowController.h"

#include "LibraryTestSupport.h"
#include "app/core/Settings.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QListView>
#include <QMainWindow>
#include <QMessageBox>
#include <QProcess>
#include <QTest>
#include <ctime>

void LibraryEditTest::SetUp() {
    // A zone away from UTC, so that a date taken for UTC, or UTC for local, shows.
    oldTz = qgetenv("TZ");
    qputenv("TZ", "Asia/Tokyo");
    tzset();
    clearUserDefaults();
    userDefaults()->setValue(QLatin1String(SettingsKey::ExampleAlertSuppress), true);
    setPhotosApplication(&photos);
    d = std::make_unique<AppDelegate>();
    d->launch();
}

void LibraryEditTest::TearDown() {
    takeSheets();
    d.reset();
    setPhotosApplication(nullptr);
    if (oldTz.isNull())
        qunsetenv("TZ");
    else
        qputenv("TZ", oldTz);
    tzset();
}

bool LibraryEditTest::openLibrary(const QString &name,
                                  const std::function<void(const QString &package)> &prepare) {
    libraryPath = copyLibrary(name, dir.path());
    if (libraryPath.isEmpty())
        return false;
    if (prepare)
        prepare(libraryPath);
    auto *panel = new QFileDialog(d->window);
    panel->setOption(QFileDialog::DontUseNativeDialog, true);
    panel->setFileMode(QFileDialog::AnyFile);
    panel->selectFile(libraryPath);
    d->mainWindowController().openPanelDidEnd8(panel, 1);
    delete panel;
    QDeadlineTimer deadline(120000);
    while (!d->library().scanComplete && !deadline.hasExpired())
        QTest::qWait(5);
    takeSheets();
    // The library view, as the user sees it after the open.
    d->mainWindowController().ChangePhotoLibraryMenuAction();
    return d->library().scanComplete && !d->library().photoLibBroserArray.isEmpty();
}

QString LibraryEditTest::database() const {
    return d->library().originalPhotolibDatabasePath;
}

IKImageItemPtr LibraryEditTest::item(const QString &fileName) const {
    for (const IKImageItemPtr &i : d->library().photoLibBroserArray)
        if (i->fileName == fileName)
            return i;
    ADD_FAILURE() << "no library photo " << fileName.toStdString();
    return nullptr;
}

PRPicFileInfo &LibraryEditTest::record(const QString &fileName) const {
    static PRPicFileInfo none;
    const IKImageItemPtr i = item(fileName);
    return i && i->photoLibFileNode ? *i->photoLibFileNode : none;
}

void LibraryEditTest::select(const QStringList &fileNames) {
    QItemSelection chosen;
    QAbstractItemModel *model = drive(*d).find<QListView>("photoLibBrowserView")->model();
    for (const QString &name : fileNames) {
        const int row = int(d->library().photoLibBroserArray.indexOf(item(name)));
        ASSERT_GE(row, 0) << name.toStdString();
        chosen.select(model->index(row, 0), model->index(row, 0));
    }
    drive(*d)
        .find<QListView>("photoLibBrowserView")
        ->selectionModel()
        ->select(chosen, QItemSelectionModel::ClearAndSelect);
}

void LibraryEditTest::type(QLineEdit *field, const QString &text) {
    field->setText(text);
    emit field->textEdited(text);
}

QList<SheetText> LibraryEditTest::takeSheets() {
    QList<SheetText> out;
    if (!d || !d->window)
        return out;
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    for (QWidget *top : QApplication::topLevelWidgets())
        for (QMessageBox *s : top->findChildren<QMessageBox *>())
            if (s->isVisible()) {
                out << SheetText{s->text(), s->informativeText()};
                s->close();
            }
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return out;
}

QList<QStringList> LibraryEditTest::rows(const QString &sql, const QString &of) const {
    QTemporaryDir scratch;
    const QString source = of.isEmpty() ? database() : of;
    const QString name = QFileInfo(source).fileName();
    for (const QString &suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-shm")})
        if (QFileInfo::exists(source + suffix))
            QFile::copy(source + suffix, scratch.filePath(name + suffix));
    return sqliteRows(scratch.filePath(name), sql);
}

QString LibraryEditTest::value(const QString &sql, const QString &of) const {
    const QList<QStringList> r = rows(sql, of);
    return r.isEmpty() || r.first().isEmpty() ? QString() : r.first().first();
}

QStringList LibraryEditTest::databaseHashes() const {
    return folderHashes(QFileInfo(database()).absolutePath());
}

QString LibraryEditTest::assetTable() const {
    return value("SELECT name FROM sqlite_master WHERE type = 'table' AND name = 'ZASSET'")
                   .isEmpty()
               ? QStringLiteral("ZGENERICASSET")
               : QStringLiteral("ZASSET");
}

QString LibraryEditTest::libraryTitle(const PRPicFileInfo &r) const {
    return currentSchema()
               ? value(QString("SELECT ZTITLE FROM ZADDITIONALASSETATTRIBUTES WHERE Z_PK = %1")
                           .arg(r.photoID))
               : value(QString("SELECT name FROM RKVersion WHERE modelId = %1").arg(r.versionID));
}

QString LibraryEditTest::libraryCaption(const PRPicFileInfo &r) const {
    // iPhoto and Aperture keep their captions in Properties.apdb beside the catalogue.
    if (!currentSchema() && QFileInfo(database()).suffix() == QLatin1String("apdb"))
        return value(QString("SELECT group_concat(DISTINCT s.stringProperty) FROM RKIptcProperty "
                             "i JOIN RKUniqueString s ON s.modelId = i.stringId WHERE "
                             "i.propertyKey = 'Caption/Abstract' AND i.versionId = %1")
                         .arg(r.versionID),
                     QFileInfo(database()).path() + QStringLiteral("/Properties.apdb"));
    return currentSchema()
               ? value(QString("SELECT ZLONGDESCRIPTION FROM ZASSETDESCRIPTION WHERE "
                               "ZASSETATTRIBUTES = %1")
                           .arg(r.photoID))
               : value(QString("SELECT extendedDescription FROM RKVersion WHERE modelId = %1")
                           .arg(r.versionID));
}

QStringList LibraryEditTest::libraryPosition(const PRPicFileInfo &r) const {
    const QList<QStringList> found =
        currentSchema()
            ? rows(QString("SELECT ZLATITUDE, ZLONGITUDE FROM %1 WHERE Z_PK = %2")
                       .arg(assetTable())
                       .arg(r.photoAssetID))
            : rows(QString("SELECT exifLatitude, exifLongitude FROM RKVersion WHERE modelId = %1")
                       .arg(r.versionID));
    return found.value(0);
}

double LibraryEditTest::libraryCameraDate(const PRPicFileInfo &r) const {
    return (currentSchema() ? value(QString("SELECT ZDATECREATED FROM %1 WHERE Z_PK = %2")
                                        .arg(assetTable())
                                        .arg(r.photoAssetID))
                            // The version's date, the one the photo application shows.
                            : value(QString("SELECT imageDate FROM RKVersion WHERE modelId = %1")
                                        .arg(r.versionID)))
        .toDouble();
}

QStringList LibraryEditTest::libraryKeywords(const PRPicFileInfo &r) const {
    QString sql;
    if (currentSchema()) {
        QString link;
        for (const QStringList &column : rows("PRAGMA table_info(Z_1KEYWORDS)"))
            if (column.value(1) != QLatin1String("Z_1ASSETATTRIBUTES"))
                link = column.value(1);
        sql = QString("SELECT K.ZTITLE FROM ZKEYWORD K JOIN Z_1KEYWORDS L ON L.%1 = K.Z_PK "
                      "WHERE L.Z_1ASSETATTRIBUTES = %2")
                  .arg(link)
                  .arg(r.photoID);
    } else {
        sql = QString("SELECT K.name FROM RKKeyword K JOIN RKKeywordForVersion L ON "
                      "L.keywordId = K.modelId WHERE L.versionId = %1")
                  .arg(r.versionID);
    }
    QStringList out;
    for (const QStringList &row : rows(sql))
        out << row.value(0);
    out.sort();
    return out;
}

QVariantMap exiftoolNumbers(const QString &path) {
    QProcess p;
    p.start(QStringLiteral("exiftool"), {QStringLiteral("-j"), QStringLiteral("-n"), path});
    p.waitForFinished(30000);
    const QJsonArray all = QJsonDocument::fromJson(p.readAllStandardOutput()).array();
    return all.isEmpty() ? QVariantMap() : all.first().toObject().toVariantMap();
}
