// The single date window, the opening of the date windows and the batch date change of the
// photos' metadata.
#include "metadata/DateWindows.h"

#include "app/AppServices.h"
#include "app/Browsers.h"
#include "app/Jobs.h"
#include "app/Sheets.h"
#include "browser/CameraCopies.h"
#include "browser/MainWindow.h"
#include "browser/PRButton.h"

#include "base/Logging.h"
#include "base/SharedHelpers.h"
#include "metadata/DateFeatureSupport.h"
#include "metadata/core/DateArithmetic.h"
#include "metadata/core/DateCopies.h"
#include "metadata/core/FileDateRules.h"
#include "platform/AlertSheet.h"
#include "platform/ImageView.h"
#include "platform/core/FileDates.h"
#include "platform/core/ImageSource.h"
#include "platform/core/Workspace.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDebug>
#include <QFileDialog>
#include <QFileInfo>
#include <QFont>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMainWindow>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QScreen>

using namespace datefeature;

namespace {

// The photo whose dates the windows show: the one the selection handler read, else the
// first selected one.
QString shownPhotoPath(AppServices &app, const QList<IKImageItemPtr> &selected) {
    if (!app.selection().currentChooseFilePath.isEmpty())
        return app.selection().currentChooseFilePath;
    return selected.isEmpty() ? QString() : selected.first()->currentPath();
}

} // namespace

DateWindows::DateWindows(AppServices &app, CameraCopies &camera, MainWindow &mainWindow,
                         LibraryDatabase &database, LibraryPanels &panels,
                         std::function<bool()> localMode)
    : app(app), camera(camera), mainWindow(mainWindow), database(database), panels(panels),
      localMode(std::move(localMode)) {}

DateWindows::~DateWindows() {
    qDeleteAll(ownWindows);
}

void DateWindows::addDateItems(QMenu *dates) {
    const std::pair<const char *, void (DateWindows::*)()> items[] = {
        {QT_TR_NOOP("Change Date…"), &DateWindows::ShowChangeDateWindow},
        {QT_TR_NOOP("Batch Change Dates…"), &DateWindows::ChangeDateExifFromPhoto},
        {QT_TR_NOOP("Camera Date from File Name"),
         &DateWindows::ClickSetCameraDateFromFileNameAction},
        {QT_TR_NOOP("Copy Camera Date to File Dates"),
         &DateWindows::ClickCopyExifDateToCreateDateAction},
        {QT_TR_NOOP("Copy Creation Date to Camera Date"),
         &DateWindows::ClickCopyCreatedDateToCameraDateAction},
        {QT_TR_NOOP("Copy Creation Date to Modification Date"),
         &DateWindows::ClickCopyCreatedDateToModifyDateAction},
        {QT_TR_NOOP("Copy Modification Date to Creation Date"),
         &DateWindows::ClickCopyModiyDateToCreateDateAction},
    };
    for (const auto &[title, action] : items)
        app.jobs().addMenuItem(dates, tr(title), [this, action = action] { (this->*action)(); });
}

void DateWindows::addLibraryDateItem(QMenu *libraryEdits) {
    app.jobs().addMenuItem(libraryEdits, tr("Batch Change Dates…"),
                           [this] { ChangePhotoLibraryPhotoDateAction(); });
}

void DateWindows::restoreLaunchState(const QFont &titleFont) {
    if (dateCustomView && dateChoosePhotoBtn && dateImageview) {
        dateChoosePhotoBtn->setParent(dateCustomView);
        dateImageview->setParent(dateCustomView);
        dateChoosePhotoBtn->show();
        dateImageview->hide();
    }
    const std::pair<QPushButton *, QString> titles[] = {{AddTimeBtn, tr("Add Time")},
                                                        {RemoveTimeBtn, tr("Subtract Time")}};
    for (const auto &[button, title] : titles) {
        if (!button)
            continue;
        button->setText(title);
        button->setFont(titleFont);
    }
    if (AddDateUnitBtn) {
        const QStringList units = {QStringLiteral("Second"), QStringLiteral("Minute"),
                                   QStringLiteral("Hour")};
        AddDateUnitBtn->clear();
        AddDateUnitBtn->addItems(units);
        AddDateUnitBtn->setCurrentIndex(0);
    }
}

void DateWindows::saveButtonPressed() {
    changeMutiPhotoDateBtn->setImageName(QStringLiteral("savechanges.png"));
    if (localMode())
        ClickMutiDateChangedSaveAction();
    else
        ClickMutiDateChangedSavePhotoLibAction();
}

void DateWindows::resetMutiDateWindowTexts() {
    for (QLineEdit *field : {mutSetDatelab, beforeorignalDatelab, beforediginalDatelab,
                             afterorignalDatelab, afterdiginalDatelab, yearVaulab, monthVaulab,
                             dayVaulab, hourVaulab, minuVaulab, secVaulab})
        if (field)
            field->clear();
    // With its dates gone, a kept reference photo would only steer the next save into the
    // reference method with nothing to shift by.
    if (dateImageview) {
        dateImageview->setImage(QPixmap());
        dateImageview->hide();
    }
    if (dateChoosePhotoBtn)
        dateChoosePhotoBtn->show();
}

void DateWindows::ShowChangeDateWindow() {
    if (camera.cameraIsSource()) {
        // The window shows the dates of the first copy once the copies are here.
        QPointer<Jobs> alive(&app.jobs()); // gone with the application
        camera.withCameraCopies(
            [this, alive](const QList<IKImageItemPtr> &copies, const QStringList &failures) {
                if (!alive)
                    return;
                if (copies.isEmpty()) {
                    beginAlertSheet(
                        app.mainWindow(), DateWindows::tr("The photo could not be downloaded."),
                        failures.join(QLatin1Char('\n')), {DateWindows::tr(" Ok ")},
                        [this](QMessageBox *a, int c) { app.sheets().savePanelDidEnd3(a, c); });
                    return;
                }
                const auto [original, digitized] = readTwoDatesOfFile(copies.first()->filePath);
                orignalDatelab->setText(cutZonePart(original));
                diginalDatelab->setText(cutZonePart(digitized));
                showCentred(changeDateWindow);
            });
        return;
    }
    const QList<IKImageItemPtr> selected = app.browsers().selectedLocalItems();
    if (selected.isEmpty()) {
        showNoSelectionSheet(app);
        return;
    }
    const auto [original, digitized] = readTwoDatesOfFile(shownPhotoPath(app, selected));
    orignalDatelab->setText(cutZonePart(original));
    diginalDatelab->setText(cutZonePart(digitized));
    showCentred(changeDateWindow);
}

void DateWindows::ChangeDateExifFromPhoto() {
    const QList<IKImageItemPtr> selected = app.browsers().selectedLocalItems();
    if (!localMode() && app.browsers().libraryInSight()) {
        ChangePhotoLibraryPhotoDateAction(); // the library's photos, in the same window
        return;
    }
    if (!localMode()) {
        // Photos on a camera are read from their downloaded copies by the camera feature.
        qCDebug(lcMetadata)
            << "ChangeDateExifFromPhoto: camera mode is handled by the camera feature";
        return;
    }
    if (selected.isEmpty()) {
        showNoSelectionSheet(app);
        return;
    }
    EditDateHeadInfolab->setText(
        DateWindows::tr("Choose One of Three Methods to Batch Modify Exif and Creation Dates:"));
    const auto [original, digitized] = readTwoDatesOfFile(shownPhotoPath(app, selected));
    orignalDatelab->setText(cutZonePart(original));
    diginalDatelab->setText(cutZonePart(digitized));
    qCDebug(lcMetadata).noquote() << QString::number(selected.size());
    if (app.mainWindow())
        app.mainWindow()->activateWindow();
    const QString created = mainWindow.shownCreationDate();
    mutSetDatelab->setPlaceholderText(created.isEmpty() ? QStringLiteral("YYYY:MM:DD HH:MM:SS")
                                                        : cutZonePart(created));
    showCentred(changeMutiDateWindow);
    // Hidden while the window served library photos, which have no file dates here.
    if (QPushButton *fileDates = fileDatesButton())
        fileDates->show();
    resetMutiDateWindowTexts();
    AddDateNumBtn->setChecked(false);
    AddDateNumlab->setText(QStringLiteral("1"));
    AddDateUnitBtn->setCurrentIndex(AddDateUnitBtn->findText(QStringLiteral("Second")));
}

void DateWindows::ClickDateChangedSaveAction() {
    // Both texts go into date tags, so both must be dates.
    const QDateTime original = parseMetadataDate(orignalDatelab->text().trimmed());
    const QDateTime digitized = parseMetadataDate(diginalDatelab->text().trimmed());
    if (!original.isValid() || !digitized.isValid()) {
        showInvalidDateAlert(app, changeDateWindow);
        return;
    }
    const QString o = exifDateText(original), g = exifDateText(digitized);
    WriteRecipeOptions options;
    options.change = [o, g, original, digitized](QVariantMap &working, const IKImageItem &) {
        setCameraDateTags(working, o, g);
        // The IPTC copies move with the Exif dates, or readers that prefer them show the old.
        setIptcDates(working, original, digitized);
        return true;
    };
    options.verify = true;
    options.dates = WriteRecipeOptions::Dates::FromDateText;
    options.dateText = o;
    options.skippedCountsAsHandled = true;
    // Camera photos: their downloaded copies are rewritten in place.
    if (camera.cameraIsSource()) {
        changeDateWindow->hide();
        QPointer<Jobs> alive(&app.jobs()); // gone with the application
        camera.withCameraCopies([this, alive, options](const QList<IKImageItemPtr> &copies,
                                                       const QStringList &failures) {
            if (!alive)
                return;
            app.jobs().startRecipeJob(
                copies, false, options, [this, failures](const WriteRecipeReport &report, bool) {
                    datefeature::finishJob(app, report.revealPath, report.revealRoot,
                                           report.writtenCount(), failures + report.notWritten());
                });
        });
        return;
    }
    app.jobs().startRecipeJob(app.browsers().selectedLocalItems(), overwriteOn(app), options,
                              [this](const WriteRecipeReport &report, bool) {
                                  datefeature::finishJob(app, report.revealPath, report.revealRoot,
                                                         report.writtenCount(),
                                                         report.notWritten());
                              });
    changeDateWindow->hide();
}

void DateWindows::ClickCreatedDateChangedSaveAction() {
    const QDateTime original = parseMetadataDate(orignalDatelab->text().trimmed());
    if (!original.isValid() || !CheckDateFormatWithDateString(diginalDatelab->text().trimmed())) {
        showInvalidDateAlert(app, changeDateWindow);
        return;
    }
    // Camera photos: the downloaded copies are the copies, so only their dates change.
    if (camera.cameraIsSource()) {
        changeDateWindow->hide();
        QPointer<Jobs> alive(&app.jobs()); // gone with the application
        camera.withCameraCopies([this, alive, original](const QList<IKImageItemPtr> &copies,
                                                        const QStringList &downloadFailures) {
            if (!alive)
                return;
            QStringList failures = downloadFailures;
            QString revealPath;
            int written = 0;
            for (const IKImageItemPtr &copy : copies) {
                if (!FileDates::setCreationDate(copy->filePath, original) ||
                    !FileDates::setModificationDate(copy->filePath, original)) {
                    failures << DateWindows::tr("%1: its dates cannot be set").arg(copy->fileName);
                    continue;
                }
                if (++written == 1)
                    revealPath = copy->filePath;
            }
            datefeature::finishJob(app, revealPath, app.preferences().storagelocation, written,
                                   failures, false);
        });
        return;
    }
    const bool overwrite = overwriteOn(app);
    const QList<IKImageItemPtr> items = app.browsers().selectedLocalItems();
    const DateCopyStarts starts(items, app.preferences().storagelocation, overwrite);
    app.jobs().startPhotoJob(
        items,
        [starts, original, overwrite](qsizetype i) {
            return dateCopyResult(copyPhotoWithDates(starts.at(i), original, original, overwrite));
        },
        overwrite ? QString() : app.preferences().storagelocation, false);
    changeDateWindow->hide();
}

void DateWindows::ClickDateChangedCancelAction() {
    // Camera photos only ever open the single date window.
    if (camera.cameraIsSource()) {
        changeDateWindow->hide();
        return;
    }
    const qsizetype count = app.browsers().selectedLocalItems().size();
    if (count == 1)
        changeDateWindow->hide();
    else if (count >= 2)
        changeMutiDateWindow->hide();
}

void DateWindows::ClickAddTimeAction() {
    if (AddTimeBtn->isChecked())
        RemoveTimeBtn->setChecked(false);
}

void DateWindows::ClickRemoveTimeAction() {
    if (RemoveTimeBtn->isChecked())
        AddTimeBtn->setChecked(false);
}

void DateWindows::ChoosePhotosAction() {
    auto *panel = new QFileDialog(changeMutiDateWindow);
    panel->setAttribute(Qt::WA_DeleteOnClose);
    panel->setObjectName(QStringLiteral("ChoosePhotosPanel"));
    panel->setFileMode(QFileDialog::ExistingFiles);
    panel->setLabelText(QFileDialog::LookIn,
                        DateWindows::tr("Please select one photo to change the date."));
    panel->setWindowTitle(DateWindows::tr("Please select one photo to change the date."));
    panel->setWindowModality(Qt::WindowModal);
    QObject::connect(panel, &QFileDialog::finished, panel, [this, panel](int result) {
        openPanelDidEnd3(panel, result == QDialog::Accepted ? 1 : 0);
    });
    panel->open();
}

void DateWindows::openPanelDidEnd3(QFileDialog *panel, int returnCode, void *) {
    if (returnCode != 1 || !panel)
        return;
    const QStringList chosen = panel->selectedFiles();
    if (chosen.isEmpty())
        return;
    app.selection().currentChooseFilePath = chosen.first();
    QImageReader reader(app.selection().currentChooseFilePath);
    reader.setAutoTransform(true);
    QImage image = reader.read();
    if (image.isNull()) // HEIC and RAW photos through our own reader
        image = ImageSource::fromPath(app.selection().currentChooseFilePath).thumbnail(512);
    if (!image.isNull())
        dateImageview->setImage(QPixmap::fromImage(image));
    const auto [original, digitized] = readTwoDatesOfFile(app.selection().currentChooseFilePath);
    beforeorignalDatelab->setText(cutZonePart(original));
    beforediginalDatelab->setText(cutZonePart(digitized));
    dateChoosePhotoBtn->hide();
    dateImageview->show();
}

void DateWindows::ClickMutiDateChangedCancelAction() {
    resetMutiDateWindowTexts();
    changeMutiDateWindow->hide();
}
