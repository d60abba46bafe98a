#pragma once

// A fixture library opened through the application object, as the user opens one, with
// the means to select its photos, type into the library panel, read the sheets and read
// the library's own database.
#include "app/AppDelegate.h"
#include "platform/core/PhotosApplication.h"
#include "support/AppDriver.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QLineEdit>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <memory>


struct SheetText {
    QString text, informative;
};

class LibraryEditTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Copies the fixture library ("Test-13.0.0") and opens it; false when it did not load.
    // `prepare` changes the copy (its package path given) before the open.
    bool openLibrary(const QString &name,
                     const std::function<void(const QString &package)> &prepare = {});
    bool currentSchema() const { return d->library().bScanNewPhotosLib; }
    // The library's own database (inside the package).
    QString database() const;

    IKImageItemPtr item(const QString &fileName) const;
    PRPicFileInfo &record(const QString &fileName) const;
    // Selects the photos of these names in the library browser, as a click would.
    void select(const QStringList &fileNames);
    // What the user does in a field: the text as typed, and the field's edit signal.
    void type(QLineEdit *field, const QString &text);
    void type(const char *field, const QString &text) { type(this->field(field), text); }
    // The field of the program's windows named `name`.
    QLineEdit *field(const char *name) const { return drive(*d).find<QLineEdit>(name); }

    // The sheets open on the main window, closed once read.
    QList<SheetText> takeSheets();

    // Rows of `sql` on the library's database as it is now. The query runs on a copy: the
    // sqlite3 command opening the library itself would be one more program at the library
    // between two of our edits.
    // `of` names another database to read the same way (the working copy).
    QList<QStringList> rows(const QString &sql, const QString &of = QString()) const;
    QString value(const QString &sql, const QString &of = QString()) const;
    QString integrity() const { return value(QStringLiteral("PRAGMA integrity_check")); }
    // The package's database folder, file by file.
    QStringList databaseHashes() const;

    // The asset table of the current schema, and the key columns of one photo.
    QString assetTable() const;
    // Title, caption, position and camera date of a record's photo, read from the library
    // (of an older library, from the version the record shows).
    QString libraryTitle(const PRPicFileInfo &r) const;
    QString libraryCaption(const PRPicFileInfo &r) const;
    QStringList libraryPosition(const PRPicFileInfo &r) const;
    double libraryCameraDate(const PRPicFileInfo &r) const;
    // The keyword titles linked to a photo, sorted.
    QStringList libraryKeywords(const PRPicFileInfo &r) const;

    FakePhotosApplication photos;
    QTemporaryDir dir;
    QString libraryPath;
    std::unique_ptr<AppDelegate> d;

  private:
    QByteArray oldTz;
};

// exiftool's numeric reading of a file ("-j -n"), as a map of tag to value.
QVariantMap exiftoolNumbers(const QString &path);
