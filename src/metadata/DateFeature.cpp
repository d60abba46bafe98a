// The single date window, the opening of the date windows and the batch date change of the
// photos' metadata.
#include "app/AppDelegate.h"
#include "app/Browsers.h"
#include "app/Jobs.h"
#include "app/Sheets.h"
#include "browser/MainWindowController.h"

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
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMainWindow>
#include <QPointer>
#include <QPushButton>
#include <QScreen>

using namespace datefeature;

namespace {

// The photo whose dates the windows show: the one the selection handler read, else the
// first selected one.
QString shownPhotoPath(const AppDelegate &d, const QList<IKImageItemPtr> &selected) {
    if (!d.selection().currentChooseFilePath.isEmpty())
        return d.selection().currentChooseFilePath;
    return selected.isEmpty() ? QString() : selected.first()->currentPath();
}

} // namespace

void DateWindowsPart::resetMutiDateWindowTexts() {
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

void DateWindowsPart::ShowChangeDateWindow() {
    if (d.cameraWindow.cameraIsSource()) {
        // The window shows the dates of the first copy once the copies are here.
        QPointer<AppDelegate> self(&d);
        d.cameraWindow.withCameraCopies(
            [self](const QList<IKImageItemPtr> &copies, const QStringList &failures) {
                if (!self)
                    return;
                if (copies.isEmpty()) {
                    beginAlertSheet(
                        self->window, AppDelegate::tr("The photo could not be downloaded."),
                        failures.join(QLatin1Char('\n')), {AppDelegate::tr(" Ok ")},
                        [self](QMessageBox *a, int c) { self->sheets().savePanelDidEnd3(a, c); });
                    return;
                }
                const auto [original, digitized] = readTwoDatesOfFile(copies.first()->filePath);
                self->dateWindows.orignalDatelab->setText(cutZonePart(original));
                self->dateWindows.diginalDatelab->setText(cutZonePart(digitized));
                showCentred(self->dateWindows.changeDateWindow);
            });
        return;
    }
    const QList<IKImageItemPtr> selected = d.browsers().selectedLocalItems();
    if (selected.isEmpty()) {
        showNoSelectionSheet(d);
        return;
    }
    const auto [original, digitized] = readTwoDatesOfFile(shownPhotoPath(d, selected));
    orignalDatelab->setText(cutZonePart(original));
    diginalDatelab->setText(cutZonePart(digitized));
    showCentred(changeDateWindow);
}

void DateWindowsPart::ChangeDateExifFromPhoto() {
    const QList<IKImageItemPtr> selected = d.browsers().selectedLocalItems();
    if (!d.blocalMode && d.browsers().libraryInSight()) {
        ChangePhotoLibraryPhotoDateAction(); // the library's photos, in the same window
        return;
    }
    if (!d.blocalMode) {
        // Photos on a camera are read from their downloaded copies by the camera feature.
        qCDebug(lcMetadata)
            << "ChangeDateExifFromPhoto: camera mode is handled by the camera feature";
        return;
    }
    if (selected.isEmpty()) {
        showNoSelectionSheet(d);
        return;
    }
    EditDateHeadInfolab->setText(
        AppDelegate::tr("Choose One of Three Methods to Batch Modify Exif and Creation Dates:"));
    const auto [original, digitized] = readTwoDatesOfFile(shownPhotoPath(d, selected));
    orignalDatelab->setText(cutZonePart(original));
    diginalDatelab->setText(cutZonePart(digitized));
    qCDebug(lcMetadata).noquote() << QString::number(selected.size());
    if (d.window)
        d.window->activateWindow();
    const QString created = d.mainWindowController().photoCreateDatelab
                                ? d.mainWindowController().photoCreateDatelab->text()
                                : QString();
    mutSetDatelab->setPlaceholderText(created.isEmpty() ? QStringLiteral("YYYY:MM:DD HH:MM:SS")
                                                        : cutZonePart(created));
    showCentred(changeMutiDateWindow);
    // Hidden while the window served library photos, which have no file dates here.
    if (auto *fileDates = changeMutiDateWindow->findChild<QPushButton *>(
            QStringLiteral("ClickMutiCreatedDateChangedSaveAction")))
        fileDates->show();
    resetMutiDateWindowTexts();
    AddDateNumBtn->setChecked(false);
    AddDateNumlab->setText(QStringLiteral("1"));
    AddDateUnitBtn->setCurrentIndex(AddDateUnitBtn->findText(QStringLiteral("Second")));
}

void DateWindowsPart::ClickDateChangedSaveAction() {
    // Both texts go into date tags, so both must be dates.
    const QDateTime original = parseMetadataDate(orignalDatelab->text().trimmed());
    const QDateTime digitized = parseMetadataDate(diginalDatelab->text().trimmed());
    if (!original.isValid() || !digitized.isValid()) {
        showInvalidDateAlert(d, changeDateWindow);
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
    if (d.cameraWindow.cameraIsSource()) {
        changeDateWindow->hide();
        QPointer<AppDelegate> self(&d);
        d.cameraWindow.withCameraCopies([self, options](const QList<IKImageItemPtr> &copies,
                                                        const QStringList &failures) {
            if (!self)
                return;
            AppDelegate *d = self.data();
            d->jobs().startRecipeJob(
                copies, false, options, [d, failures](const WriteRecipeReport &report, bool) {
                    datefeature::finishJob(*d, report.revealPath, report.revealRoot,
                                           report.writtenCount(), failures + report.notWritten());
                });
        });
        return;
    }
    d.jobs().startRecipeJob(d.browsers().selectedLocalItems(), overwriteOn(d), options,
                            [this](const WriteRecipeReport &report, bool) {
                                datefeature::finishJob(d, report.revealPath, report.revealRoot,
                                                       report.writtenCount(), report.notWritten());
                            });
    changeDateWindow->hide();
}

void DateWindowsPart::ClickCreatedDateChangedSaveAction() {
    const QDateTime original = parseMetadataDate(orignalDatelab->text().trimmed());
    if (!original.isValid() || !CheckDateFormatWithDateString(diginalDatelab->text().trimmed())) {
        showInvalidDateAlert(d, changeDateWindow);
        return;
    }
    // Camera photos: the downloaded copies are the copies, so only their dates change.
    if (d.cameraWindow.cameraIsSource()) {
        changeDateWindow->hide();
        QPointer<AppDelegate> self(&d);
        d.cameraWindow.withCameraCopies([self, original](const QList<IKImageItemPtr> &copies,
                                                         const QStringList &downloadFailures) {
            if (!self)
                return;
            QStringList failures = downloadFailures;
            QString revealPath;
            int written = 0;
            for (const IKImageItemPtr &copy : copies) {
                if (!FileDates::setCreationDate(copy->filePath, original) ||
                    !FileDates::setModificationDate(copy->filePath, original)) {
                    failures << AppDelegate::tr("%1: its dates cannot be set").arg(copy->fileName);
                    continue;
                }
                if (++written == 1)
                    revealPath = copy->filePath;
            }
            datefeature::finishJob(*self, revealPath, self->preferences().storagelocation, written,
                                   failures, false);
        });
        return;
    }
    const bool overwrite = overwriteOn(d);
    const QList<IKImageItemPtr> items = d.browsers().selectedLocalItems();
    const DateCopyStarts starts(items, d.preferences().storagelocation, overwrite);
    d.jobs().startPhotoJob(
        items,
        [starts, original, overwrite](qsizetype i) {
            return dateCopyResult(copyPhotoWithDates(starts.at(i), original, original, overwrite));
        },
        overwrite ? QString() : d.preferences().storagelocation, false);
    changeDateWindow->hide();
}

void DateWindowsPart::ClickDateChangedCancelAction() {
    // Camera photos only ever open the single date window.
    if (d.cameraWindow.cameraIsSource()) {
        changeDateWindow->hide();
        return;
    }
    const qsizetype count = d.browsers().selectedLocalItems().size();
    if (count == 1)
        changeDateWindow->hide();
    else if (count >= 2)
        changeMutiDateWindow->hide();
}

void DateWindowsPart::ClickAddTimeAction() {
    if (AddTimeBtn->isChecked())
        RemoveTimeBtn->setChecked(false);
}

void DateWindowsPart::ClickRemoveTimeAction() {
    if (RemoveTimeBtn->isChecked())
        AddTimeBtn->setChecked(false);
}

void DateWindowsPart::ChoosePhotosAction() {
    auto *panel = new QFileDialog(changeMutiDateWindow);
    panel->setAttribute(Qt::WA_DeleteOnClose);
    panel->setObjectName(QStringLiteral("ChoosePhotosPanel"));
    panel->setFileMode(QFileDialog::ExistingFiles);
    panel->setLabelText(QFileDialog::LookIn,
                        AppDelegate::tr("Please select one photo to change the date."));
    panel->setWindowTitle(AppDelegate::tr("Please select one photo to change the date."));
    panel->setWindowModality(Qt::WindowModal);
    d.mainWindowController().theOpenPanel = panel;
    d.connect(panel, &QFileDialog::finished, &d, [this, panel](int result) {
        openPanelDidEnd3(panel, result == QDialog::Accepted ? 1 : 0);
    });
    panel->open();
}

void DateWindowsPart::openPanelDidEnd3(QFileDialog *panel, int returnCode, void *) {
    if (returnCode != 1 || !panel)
        return;
    const QStringList chosen = panel->selectedFiles();
    if (chosen.isEmpty())
        return;
    d.selection().currentChooseFilePath = chosen.first();
    QImageReader reader(d.selection().currentChooseFilePath);
    reader.setAutoTransform(true);
    QImage image = reader.read();
    if (image.isNull()) // HEIC and RAW photos through our own reader
        image = ImageSource::fromPath(d.selection().currentChooseFilePath).thumbnail(512);
    if (!image.isNull())
        dateImageview->setImage(QPixmap::fromImage(image));
    const auto [original, digitized] = readTwoDatesOfFile(d.selection().currentChooseFilePath);
    beforeorignalDatelab->setText(cutZonePart(original));
    beforediginalDatelab->setText(cutZonePart(digitized));
    dateChoosePhotoBtn->hide();
    dateImageview->show();
}

void DateWindowsPart::ClickMutiDateChangedCancelAction() {
    resetMutiDateWindowTexts();
    changeMutiDateWindow->hide();
}
