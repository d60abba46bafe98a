#pragma once

// One library edit as the user meets it: the checks before it, one transaction over the
// selected photos, one copy back and one sheet at its end. The records of the browser
// change only after the library holds the new values.
#include "library/core/LibraryStore.h"
#include "model/IKImageItem.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

class AppServices;
class LibraryDatabase;

class LibraryEditRun {
    Q_DECLARE_TR_FUNCTIONS(LibraryEditRun)
  public:
    LibraryEditRun(AppServices &app, LibraryDatabase &database) : app_(app), database_(database) {}
    ~LibraryEditRun(); // an edit left open is rolled back
    LibraryEditRun(const LibraryEditRun &) = delete;
    LibraryEditRun &operator=(const LibraryEditRun &) = delete;

    // The selected library photos, or the no-selection sheet and an empty list.
    static QList<IKImageItemPtr> selectedOrSay(AppServices &app);

    // One photo's part of an action over the selection; false stops it (the run failed).
    using Step = std::function<bool(LibraryEditRun &run, const IKImageItemPtr &item,
                                    const PRPicFileInfoPtr &record)>;
    // The frame of such an action: the checks, one transaction, `step` for each selected
    // photo that has a library record, then finish(refresh).
    static void overSelection(AppServices &app, LibraryDatabase &database, const Step &step,
                              bool refresh = true);

    // Opens the action's transaction; false with a sheet when it cannot be opened.
    bool begin();
    // One writer's outcome for `item`. A failure rolls the whole action back and names the
    // photo and the cause; `update` (the record's new values) waits for the copy back.
    bool take(const IKImageItemPtr &item, const LibraryWriteResult &result,
              std::function<void()> update = {});
    // A photo left as it is, and why; listed in the end sheet.
    void skip(const IKImageItemPtr &item, const QString &why);
    // Commits and copies back once, then updates the records and shows the one sheet; with
    // `refresh` the browser and panels show the new values. A run where nothing was written
    // is rolled back and says what was left. True when the library holds the changes.
    bool finish(bool refresh = true);

    bool failed() const { return failed_; }
    int written() const { return written_; }

  private:
    // The run's one ending; it warns unless `written` photos changed and none was left.
    void showEnd(const QString &message, const QString &informative, int written = 0);
    AppServices &app_;
    LibraryDatabase &database_;
    bool open_ = false, failed_ = false;
    int written_ = 0;
    QStringList skipped_;
    std::vector<std::function<void()>> updates_;
};

// The name a photo goes by in the sheets.
QString libraryPhotoName(const IKImageItem &item);
// The value a writer says the library now holds, else `fallback`.
QString storedOr(const LibraryWriteResult &result, const QString &fallback);
// Seconds since the library's reference date of a date and time.
double librarySeconds(const QDateTime &date);
// A record's camera date as the library now holds it after writing `seconds`.
void setRecordCameraDate(PRPicFileInfo &record, const LibraryWriteResult &result, double seconds,
                         bool currentSchema);
// Whether the item's original can be read on this computer; if not, why (in the sheet's
// words).
bool originalReadable(const IKImageItem &item, QString *why);
