#pragma once

// Pieces the date features share: their alerts, the reading of the window's fields and the
// end of a job.
#include "metadata/core/DateCopies.h"
#include "metadata/core/WriteRecipe.h"
#include "model/IKImageItem.h"
#include "platform/core/JobRunner.h"

#include <QDateTime>
#include <QHash>
#include <QMutex>
#include <QString>
#include <QStringList>

class AppServices;
class PKImageView;
class QLineEdit;
class QWidget;

namespace datefeature {

// "Invalid date format", as a sheet on `parent`.
void showInvalidDateAlert(AppServices &app, QWidget *parent);
// "No Item has been selected", as a sheet on the main window (every editing feature).
void showNoSelectionSheet(AppServices &app);
// A date window shown in the middle of the screen, in front.
void showCentred(QWidget *w);

bool overwriteOn(AppServices &app);
// The integer a field holds; 0 for an empty or non-numeric text.
int intValue(const QLineEdit *field);
qint64 int64Value(const QLineEdit *field);
QString text(const QLineEdit *field);

// The three methods of the batch window, chosen by its contents: a reference photo, else a
// date typed in, else the amounts.
enum class BatchMethod { Reference, Fixed, Amounts };
BatchMethod chosenBatchMethod(const PKImageView *reference, const QLineEdit *setDate);

// The end of a job: reveal what it names and show the completion sheet when anything was
// written, or the list of photos left alone when some failed. Nothing at all: no sheet.
void finishJob(AppServices &app, const QString &revealPath, const QString &revealRoot, int written,
               const QStringList &notWritten, bool sheetOnSuccess = true);

// Per-photo dates that a recipe's change step finds on its worker threads.
struct PhotoDates {
    QDateTime creation, modification;
};
class PhotoDateTable {
  public:
    void put(const IKImageItem *item, const PhotoDates &dates) {
        QMutexLocker lock(&mutex);
        table.insert(item, dates);
    }
    PhotoDates get(const IKImageItem *item) const {
        QMutexLocker lock(&mutex);
        return table.value(item);
    }

  private:
    mutable QMutex mutex;
    QHash<const IKImageItem *, PhotoDates> table;
};

// Sets each written photo's file dates from the table; returns the failures as
// "name: reason".
QStringList applyPhotoDates(const QList<IKImageItemPtr> &items, const WriteRecipeReport &report,
                            const PhotoDateTable &table);

// A byte copy's outcome as a job's result.
JobResult dateCopyResult(const DateCopyOutcome &copy);

// Sets the three camera-date tags to `text` (Exif original and digitized, TIFF DateTime).
void setCameraDateTags(QVariantMap &working, const QString &original, const QString &digitized);

} // namespace datefeature
