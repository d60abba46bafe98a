#pragma once

#include "metadata/core/EditedCopies.h"
#include "model/IKImageItem.h"
#include "platform/core/JobRunner.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <functional>

// The one procedure by which every metadata edit rewrites a local photo: read it, change
// the property dictionaries of image 0, build the new file in memory with every frame,
// write it into the storage folder under the photo's name, set its file dates, and, when
// asked, replace the original, but only with a file that was written in full and reads
// back as an image.
// Where one photo is read from and where its new file goes, for jobs that decide it photo
// by photo (the library exports: renders, thumbnails, sorted folders, their own names).
struct RecipePlacement {
    QString readPath; // the file read instead of the item's filePath
    QString folder;   // the folder written into; created when missing
    // Names tried in order, then the next free "base n.ext" of the first; a change of type
    // (the TIFF road) changes their extensions.
    QStringList names;
    // When valid, both file dates of the new file; otherwise those of readPath.
    QDateTime date;
    // Why the photo is not written at all (a storage folder already full); empty to write.
    QString refused;
};

// The reason given for a photo whose change returned false.
inline constexpr char kNothingToChange[] = "nothing to change";

struct WriteRecipeOptions {
    enum class Dates { CopyFromSource, FromDateText, Keep };

    // Changes the working copy (all properties of image 0, sub-dictionaries under their
    // keys). Returning false skips the photo, which then counts as not written. Photos
    // are written side by side, so this runs on worker threads and may only read what
    // it captured.
    std::function<bool(QVariantMap &working, const IKImageItem &item)> change;
    // The sub-dictionary of the working copy that becomes the destination's own
    // properties; empty for none.
    QString destinationDictionary = QStringLiteral("{TIFF}");
    // Checks the written "{Exif}" against the changed one and recompresses when the
    // format could not carry it.
    bool verify = false;
    Dates dates = Dates::CopyFromSource;
    QString dateText;
    // Reads supported RAW photos through their JPEG stand-in.
    bool useRawTemporary = false;
    // When set, decides each photo's source, folder, names and dates (and `dates` is not
    // used); the job then never replaces a file.
    std::function<RecipePlacement(const IKImageItem &item)> placement;
    // Whether a skipped photo still takes the one reveal of the job.
    bool skippedCountsAsHandled = false;
    // Whether an earlier edit's copy of a photo is where this edit starts (and what it
    // replaces); off for results that must stand beside each other.
    bool addsUp = true;
    // Whether the new files go to the disk past the page cache, and are read back from the
    // disk: a batch of edited copies, not read again soon, would otherwise fill the cache
    // with pages the kernel must first find room for. Exports keep the cache, for the program
    // the photos are exported to.
    bool pastTheCache = true;
};

struct WriteRecipeResult {
    QString sourcePath;
    QString outputPath; // where the new file ended up (the original's path when overwritten)
    bool written = false;
    // The change left the photo as it was (it answered false): nothing was written.
    bool unchanged = false;
    bool recompressed = false;
    QString reason;
    // The values of the edit a written video could not take ("copyright").
    QStringList leftOut;
    // The photo's item, and whether the output is its edited copy in the storage folder
    // (the start of its next edit), with the digest of the bytes written.
    IKImageItemPtr item;
    bool editedCopy = false;
    QByteArray digest, originalState;
};

struct WriteRecipeReport {
    QList<WriteRecipeResult> photos;
    // The first handled photo, to show in the file manager; empty when none.
    QString revealPath;
    QString revealRoot;

    int writtenCount() const;
    // "name: reason" for each photo that was not written.
    QStringList notWritten() const;
};

// An edit of a photo whose copy an earlier edit wrote into the storage folder starts from
// that copy and replaces it, so edits add up; the original stays as it is unless
// overwriting is on. Jobs with a placement (exports) always read their own source.
// When the job ends, each item written remembers its new copy (or, once overwritten, none):
// on the calling thread for runWriteRecipe, before `done` for startWriteRecipe.
void rememberEditedCopies(const WriteRecipeReport &report);
// A photo's paths and what its item remembers of its edited copy, taken where the item lives
// so that a worker can look the copy up.
struct EditedPhoto {
    QString filePath, fileName;
    EditedCopies::Remembered remembered;
};
EditedPhoto editedPhotoOf(const IKImageItem &item);
// The copy in `storageFolder` an edit of the photo starts from and replaces, as the recipe
// finds it; empty while the photo's own file holds its latest state.
QString editedCopyToStartFrom(const EditedPhoto &photo, const QString &storageFolder);
// The same for an item, read where it lives.
QString editedCopyToStartFrom(const IKImageItem &item, const QString &storageFolder);

// Writes the photos side by side on the job runner's pool and waits for the last one.
WriteRecipeReport runWriteRecipe(const QList<IKImageItemPtr> &items, const QString &storageFolder,
                                 bool overwrite, const WriteRecipeOptions &options);

// Starts the same job on `runner` and returns at once; `done` runs on the runner's thread
// when the job ends, with photos the job never reached reported as "cancelled". Returns
// false when the runner is busy.
using WriteRecipeDone = std::function<void(const WriteRecipeReport &report, bool cancelled)>;
bool startWriteRecipe(JobRunner &runner, const QList<IKImageItemPtr> &items,
                      const QString &storageFolder, bool overwrite,
                      const WriteRecipeOptions &options, WriteRecipeDone done);

// The sub-dictionary `key` of `properties`, or an empty one.
QVariantMap subDictionary(const QVariantMap &properties, const QString &key);

// Whether every value of `expected` stands in `written` under its key, numbers compared
// with the tolerance of a rational's round trip.
bool sameValues(const QVariantMap &written, const QVariantMap &expected);

// Step 5's check: the "{Exif}" of the written bytes holds the given values.
bool checkSameExifFromImageData(const QByteArray &data, const QVariantMap &exif);

// "%@/%@_.%@": the sibling a recompression writes (IMG_1.JPG gives IMG_1_.JPG).
QString recompressedPath(const QString &path);
