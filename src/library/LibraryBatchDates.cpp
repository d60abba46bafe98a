// The batch date window for library photos: its opening and its save into the library's
// camera dates (a sample photo's shift, one date stepped from photo to photo, or amounts
// added or subtracted).
#include "metadata/DateWindows.h"

#include "app/AppServices.h"
#include "app/Browsers.h"
#include "library/LibraryDatabase.h"
#include "library/LibraryPanels.h"
#include "library/core/LibraryWriter.h"

#include "base/SharedHelpers.h"
#include "library/LibraryEditRun.h"
#include "library/core/LibraryLookups.h"
#include "metadata/DateFeatureSupport.h"
#include "metadata/core/DateArithmetic.h"
#include "metadata/core/FileDateRules.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QScreen>
#include <cmath>
#include <optional>

using namespace datefeature;

namespace {

QDateTime dateOf(const QLineEdit *field) {
    return parseMetadataDate(text(field).trimmed());
}

// The camera date the open edit holds for the record, with the fraction of a second that
// the record's text leaves out, so that a shift moves the date by the shift alone.
std::optional<double> heldCameraSeconds(LibraryDatabase &database, const PRPicFileInfo &r) {
    return database.session().writer().heldCameraSeconds(r);
}

QDateTime dateFromLibrarySeconds(double seconds) {
    return QDateTime::fromMSecsSinceEpoch(
        qint64(std::llround((seconds + double(kLibraryReferenceDate)) * 1000.0)));
}

} // namespace

QPushButton *DateWindows::fileDatesButton() const {
    return changeMutiDateWindow ? changeMutiDateWindow->findChild<QPushButton *>(
                                      QStringLiteral("ClickMutiCreatedDateChangedSaveAction"))
                                : nullptr;
}

void DateWindows::ChangePhotoLibraryPhotoDateAction() {
    if (app.browsers().selectedLibraryItems().isEmpty()) {
        showNoSelectionSheet(app);
        return;
    }
    EditDateHeadInfolab->setText(
        DateWindows::tr("Choose One of Three Methods to Batch Modify Photo Library Photo Dates:"));
    if (app.mainWindow()) {
        app.mainWindow()->raise();
        app.mainWindow()->activateWindow();
    }
    const QString shown = panels.shownCameraDate();
    const QStringList parts = shown.split(QLatin1Char(' '));
    QString placeholder = parts.size() == 3 ? parts[0] + QLatin1Char(' ') + parts[1] : shown;
    if (placeholder.isEmpty())
        placeholder = QStringLiteral("YYYY:MM:DD HH:MM:SS");
    mutSetDatelab->setPlaceholderText(placeholder);
    // Library photos have no file dates to change from here.
    if (QPushButton *fileDates = fileDatesButton())
        fileDates->hide();
    showCentred(changeMutiDateWindow);
    resetMutiDateWindowTexts();
    AddDateNumBtn->setChecked(false);
    AddDateNumlab->setText(QStringLiteral("1"));
    AddDateUnitBtn->setCurrentIndex(AddDateUnitBtn->findText(QStringLiteral("Second")));
}

void DateWindows::ClickMutiDateChangedSavePhotoLibAction() {
    if (!database.mayEdit())
        return;
    const QList<IKImageItemPtr> items = LibraryEditRun::selectedOrSay(app);
    if (items.isEmpty())
        return;
    const BatchMethod method = chosenBatchMethod(dateImageview, mutSetDatelab);
    qint64 shift = 0;
    QDateTime start;
    if (method == BatchMethod::Reference) {
        // The shift uses the two original dates, so both must be dates.
        const QDateTime before = dateOf(beforeorignalDatelab), after = dateOf(afterorignalDatelab);
        if (!before.isValid() || !after.isValid()) {
            showInvalidDateAlert(app, changeMutiDateWindow);
            return;
        }
        shift = before.secsTo(after);
    } else if (method == BatchMethod::Fixed) {
        start = dateOf(mutSetDatelab);
        if (!start.isValid()) {
            showInvalidDateAlert(app, changeMutiDateWindow);
            return;
        }
    }
    const bool stepping = AddDateNumBtn && AddDateNumBtn->isChecked();
    const qint64 number = int64Value(AddDateNumlab);
    const QString unit = AddDateUnitBtn ? AddDateUnitBtn->currentText() : QString();
    const bool add = AddTimeBtn && AddTimeBtn->isChecked();
    const int amounts[] = {intValue(yearVaulab), intValue(monthVaulab), intValue(dayVaulab),
                           intValue(hourVaulab), intValue(minuVaulab),  intValue(secVaulab)};
    const bool current = database.session().writer().isCurrentSchema();

    LibraryEditRun run(app, database);
    if (!run.begin())
        return;
    qint64 step = 0;
    for (const IKImageItemPtr &item : items) {
        const PRPicFileInfoPtr r = item->photoLibFileNode;
        QDateTime date;
        if (method == BatchMethod::Fixed) {
            // Stepped by the photo's place in the selection, counted whether written or not.
            date = stepping ? start.addSecs(stepSeconds(number, step, unit)) : start;
            ++step;
        }
        if (!r) {
            run.skip(item, DateWindows::tr("it is not in the library's database"));
            continue;
        }
        if (method != BatchMethod::Fixed) {
            QDateTime own = parseMetadataDate(r->cameraDate.text());
            if (!own.isValid()) {
                run.skip(
                    item,
                    DateWindows::tr("its camera date \"%1\" is no date").arg(r->cameraDate.text()));
                continue;
            }
            if (const std::optional<double> held = heldCameraSeconds(database, *r))
                own = dateFromLibrarySeconds(*held);
            if (method == BatchMethod::Reference)
                date = own.addSecs(shift);
            else
                date = add ? AddDateTimeIntwithDate(own, amounts[0], amounts[1], amounts[2],
                                                    amounts[3], amounts[4], amounts[5])
                           : SubDateTimeIntwithDate(own, amounts[0], amounts[1], amounts[2],
                                                    amounts[3], amounts[4], amounts[5]);
        }
        if (!date.isValid()) {
            run.skip(item, DateWindows::tr("the new date is no date"));
            continue;
        }
        const double seconds = librarySeconds(date);
        const LibraryWriteResult w = database.session().writer().cameraDate(*r, seconds);
        if (!run.take(item, w,
                      [r, w, seconds, current] { setRecordCameraDate(*r, w, seconds, current); }))
            return;
    }
    if (!run.finish())
        return;
    resetMutiDateWindowTexts();
    changeMutiDateWindow->hide();
}
