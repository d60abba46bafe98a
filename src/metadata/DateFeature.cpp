// The single date window, the opening of the date windows and the batch date change of the
// photos' metadata.
#include "app/AppDelegate.h"

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
    if (!d.selection.currentChooseFilePath.isEmpty())
        return d.selection.currentChooseFilePath;
    return selected.isEmpty() ? QString() : selected.first()->currentPath();
}

} // namespace

void AppDelegate::resetMutiDateWindowTexts() {
    for (QLineEdit *field : {dateWindows.mutSetDatelab, dateWindows.beforeorignalDatelab,
                             dateWindows.beforediginalDatelab, dateWindows.afterorignalDatelab,
                             dateWindows.afterdiginalDatelab, dateWindows.yearVaulab,
                             dateWindows.monthVaulab, dateWindows.dayVaulab, dateWindows.hourVaulab,
                             dateWindows.minuVaulab, dateWindows.secVaulab})
        if (field)
            field->clear();
    // With its dates gone, a kept reference photo would only steer the next save into the
    // reference method with nothing to shift by.
    if (dateWindows.dateImageview) {
        dateWindows.dateImageview->setImage(QPixmap());
        dateWindows.dateImageview->hide();
    }
    if (dateWindows.dateChoosePhotoBtn)
        dateWindows.dateChoosePhotoBtn->show();
}

void AppDelegate::ShowChangeDateWindow() {
    if (cameraIsSource()) {
        // The window shows the dates of the first copy once the copies are here.
        QPointer<AppDelegate> self(this);
        withCameraCopies([self](const QList<IKImageItemPtr> &copies, const QStringList &failures) {
            if (!self)
                return;
            if (copies.isEmpty()) {
                beginAlertSheet(self->window, tr("The photo could not be downloaded."),
                                failures.join(QLatin1Char('\n')), {tr(" Ok ")},
                                [self](QMessageBox *a, int c) { self->savePanelDidEnd3(a, c); });
                return;
            }
            const auto [original, digitized] = readTwoDatesOfFile(copies.first()->filePath);
            self->dateWindows.orignalDatelab->setText(cutZonePart(original));
            self->dateWindows.diginalDatelab->setText(cutZonePart(digitized));
            showCentred(self->dateWindows.changeDateWindow);
        });
        return;
    }
    const QList<IKImageItemPtr> selected = selectedLocalItems();
    if (selected.isEmpty()) {
        showNoSelectionSheet(*this);
        return;
    }
    const auto [original, digitized] = readTwoDatesOfFile(shownPhotoPath(*this, selected));
    dateWindows.orignalDatelab->setText(cutZonePart(original));
    dateWindows.diginalDatelab->setText(cutZonePart(digitized));
    showCentred(dateWindows.changeDateWindow);
}

void AppDelegate::ChangeDateExifFromPhoto() {
    const QList<IKImageItemPtr> selected = selectedLocalItems();
    if (!blocalMode && mainWindow.photolibView && !mainWindow.photolibView->isHidden()) {
        ChangePhotoLibraryPhotoDateAction(); // the library's photos, in the same window
        return;
    }
    if (!blocalMode) {
        // Photos on a camera are read from their downloaded copies by the camera feature.
        qCDebug(lcMetadata)
            << "ChangeDateExifFromPhoto: camera mode is handled by the camera feature";
        return;
    }
    if (selected.isEmpty()) {
        showNoSelectionSheet(*this);
        return;
    }
    dateWindows.EditDateHeadInfolab->setText(
        tr("Choose One of Three Methods to Batch Modify Exif and Creation Dates:"));
    const auto [original, digitized] = readTwoDatesOfFile(shownPhotoPath(*this, selected));
    dateWindows.orignalDatelab->setText(cutZonePart(original));
    dateWindows.diginalDatelab->setText(cutZonePart(digitized));
    qCDebug(lcMetadata).noquote() << QString::number(selected.size());
    if (window)
        window->activateWindow();
    const QString created =
        mainWindow.photoCreateDatelab ? mainWindow.photoCreateDatelab->text() : QString();
    dateWindows.mutSetDatelab->setPlaceholderText(
        created.isEmpty() ? QStringLiteral("YYYY:MM:DD HH:MM:SS") : cutZonePart(created));
    showCentred(dateWindows.changeMutiDateWindow);
    // Hidden while the window served library photos, which have no file dates here.
    if (auto *fileDates = dateWindows.changeMutiDateWindow->findChild<QPushButton *>(
            QStringLiteral("ClickMutiCreatedDateChangedSaveAction")))
        fileDates->show();
    resetMutiDateWindowTexts();
    dateWindows.AddDateNumBtn->setChecked(false);
    dateWindows.AddDateNumlab->setText(QStringLiteral("1"));
    dateWindows.AddDateUnitBtn->setCurrentIndex(
        dateWindows.AddDateUnitBtn->findText(QStringLiteral("Second")));
}

void AppDelegate::ClickDateChangedSaveAction() {
    // Both texts go into date tags, so both must be dates.
    const QDateTime original = parseMetadataDate(dateWindows.orignalDatelab->text().trimmed());
    const QDateTime digitized = parseMetadataDate(dateWindows.diginalDatelab->text().trimmed());
    if (!original.isValid() || !digitized.isValid()) {
        showInvalidDateAlert(*this, dateWindows.changeDateWindow);
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
    if (cameraIsSource()) {
        dateWindows.changeDateWindow->hide();
        QPointer<AppDelegate> self(this);
        withCameraCopies([self, options](const QList<IKImageItemPtr> &copies,
                                         const QStringList &failures) {
            if (!self)
                return;
            AppDelegate *d = self.data();
            d->startRecipeJob(
                copies, false, options, [d, failures](const WriteRecipeReport &report, bool) {
                    datefeature::finishJob(*d, report.revealPath, report.revealRoot,
                                           report.writtenCount(), failures + report.notWritten());
                });
        });
        return;
    }
    startRecipeJob(selectedLocalItems(), overwriteOn(*this), options,
                   [this](const WriteRecipeReport &report, bool) {
                       datefeature::finishJob(*this, report.revealPath, report.revealRoot,
                                              report.writtenCount(), report.notWritten());
                   });
    dateWindows.changeDateWindow->hide();
}

void AppDelegate::ClickCreatedDateChangedSaveAction() {
    const QDateTime original = parseMetadataDate(dateWindows.orignalDatelab->text().trimmed());
    if (!original.isValid() ||
        !CheckDateFormatWithDateString(dateWindows.diginalDatelab->text().trimmed())) {
        showInvalidDateAlert(*this, dateWindows.changeDateWindow);
        return;
    }
    // Camera photos: the downloaded copies are the copies, so only their dates change.
    if (cameraIsSource()) {
        dateWindows.changeDateWindow->hide();
        QPointer<AppDelegate> self(this);
        withCameraCopies([self, original](const QList<IKImageItemPtr> &copies,
                                          const QStringList &downloadFailures) {
            if (!self)
                return;
            QStringList failures = downloadFailures;
            QString revealPath;
            int written = 0;
            for (const IKImageItemPtr &copy : copies) {
                if (!FileDates::setCreationDate(copy->filePath, original) ||
                    !FileDates::setModificationDate(copy->filePath, original)) {
                    failures << tr("%1: its dates cannot be set").arg(copy->fileName);
                    continue;
                }
                if (++written == 1)
                    revealPath = copy->filePath;
            }
            datefeature::finishJob(*self, revealPath, self->preferences.storagelocation, written,
                                   failures, false);
        });
        return;
    }
    const bool overwrite = overwriteOn(*this);
    const QList<IKImageItemPtr> items = selectedLocalItems();
    const QStringList outputs = dateCopyOutputPaths(items, preferences.storagelocation);
    startPhotoJob(
        items,
        [items, outputs, original, overwrite](qsizetype i) {
            return dateCopyResult(
                copyPhotoWithDates(items[i]->filePath, outputs[i], original, original, overwrite));
        },
        overwrite ? QString() : preferences.storagelocation, false);
    dateWindows.changeDateWindow->hide();
}

void AppDelegate::ClickDateChangedCancelAction() {
    // Camera photos only ever open the single date window.
    if (cameraIsSource()) {
        dateWindows.changeDateWindow->hide();
        return;
    }
    const qsizetype count = selectedLocalItems().size();
    if (count == 1)
        dateWindows.changeDateWindow->hide();
    else if (count >= 2)
        dateWindows.changeMutiDateWindow->hide();
}

void AppDelegate::ClickAddTimeAction() {
    if (dateWindows.AddTimeBtn->isChecked())
        dateWindows.RemoveTimeBtn->setChecked(false);
}

void AppDelegate::ClickRemoveTimeAction() {
    if (dateWindows.RemoveTimeBtn->isChecked())
        dateWindows.AddTimeBtn->setChecked(false);
}

void AppDelegate::ChoosePhotosAction() {
    auto *panel = new QFileDialog(dateWindows.changeMutiDateWindow);
    panel->setAttribute(Qt::WA_DeleteOnClose);
    panel->setObjectName(QStringLiteral("ChoosePhotosPanel"));
    panel->setFileMode(QFileDialog::ExistingFiles);
    panel->setLabelText(QFileDialog::LookIn, tr("Please select one photo to change the date."));
    panel->setWindowTitle(tr("Please select one photo to change the date."));
    panel->setWindowModality(Qt::WindowModal);
    mainWindow.theOpenPanel = panel;
    connect(panel, &QFileDialog::finished, this, [this, panel](int result) {
        openPanelDidEnd3(panel, result == QDialog::Accepted ? 1 : 0);
    });
    panel->open();
}

void AppDelegate::openPanelDidEnd3(QFileDialog *panel, int returnCode, void *) {
    if (returnCode != 1 || !panel)
        return;
    const QStringList chosen = panel->selectedFiles();
    if (chosen.isEmpty())
        return;
    selection.currentChooseFilePath = chosen.first();
    QImageReader reader(selection.currentChooseFilePath);
    reader.setAutoTransform(true);
    QImage image = reader.read();
    if (image.isNull()) // HEIC and RAW photos through our own reader
        image = ImageSource::fromPath(selection.currentChooseFilePath).thumbnail(512);
    if (!image.isNull())
        dateWindows.dateImageview->setImage(QPixmap::fromImage(image));
    const auto [original, digitized] = readTwoDatesOfFile(selection.currentChooseFilePath);
    dateWindows.beforeorignalDatelab->setText(cutZonePart(original));
    dateWindows.beforediginalDatelab->setText(cutZonePart(digitized));
    dateWindows.dateChoosePhotoBtn->hide();
    dateWindows.dateImageview->show();
}

void AppDelegate::ClickMutiDateChangedCancelAction() {
    resetMutiDateWindowTexts();
    dateWindows.changeMutiDateWindow->hide();
}
