// The edit sheet: opening, the text delegates and the apply that writes changed fields.
#include "app/AppDelegate.h"

#include "base/FileTypes.h"
#include "browser/core/PhotoPanels.h"
#include "metadata/core/EditSheetChanges.h"
#include "metadata/core/RecipeJobReport.h"
#include "metadata/core/VideoEdits.h"
#include "metadata/core/WriteRecipe.h"
#include "platform/AlertSheet.h"
#include "platform/MapView.h"
#include "platform/core/Workspace.h"

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPointer>

namespace {

EditSheetTexts fieldTexts(const AppDelegate &d) {
    EditSheetTexts t;
    t.title = d.editSheet.titlelab->text();
    t.artist = d.editSheet.artistlab->text();
    t.imageDescription = d.editSheet.imageDescrilab->text();
    t.copyright = d.editSheet.copyrightlab->text();
    t.comment = d.editSheet.commentslab->text();
    t.keywords = d.editSheet.keywordslab->text();
    t.cameraMake = d.editSheet.cameraMakelab->text();
    t.cameraModel = d.editSheet.cameraModelab->text();
    t.cameraDate = d.editSheet.cameraDatelab->text();
    t.lensMake = d.editSheet.sheetLensMakelab->text();
    t.lensModel = d.editSheet.sheetLensModellab->text();
    t.lensSerialNumber = d.editSheet.lensSerialNumlab->text();
    t.orientation = d.editSheet.imageOrientationlab->text();
    t.isoSpeed = d.editSheet.imageISOSpeedlab->text();
    t.fNumber = d.editSheet.imageFNumberlab->text();
    t.focalLength35mm = d.editSheet.imageFlen35mmlab->text();
    t.brightness = d.editSheet.imageBrightlab->text();
    t.aperture = d.editSheet.imageAperturelab->text();
    t.whiteBalance = d.editSheet.imageWhiteBalancelab->text();
    t.exposureTime = d.editSheet.imageExpotimelab->text();
    t.gpsAltitude = d.editSheet.gpsAitlab->text();
    t.gpsLatitude = d.editSheet.gpsLatilab->text();
    t.gpsLongitude = d.editSheet.gpsLongtlab->text();
    return t;
}

EditSheetTexts rememberedTexts(const AppDelegate &d) {
    EditSheetTexts t;
    t.title = d.selection.oldTitleStr;
    t.artist = d.selection.oldArtistStr;
    t.imageDescription = d.selection.oldImageDescStr;
    t.copyright = d.selection.oldCopyrightStr;
    t.comment = d.selection.oldCommentStr;
    t.keywords = d.selection.oldKeywordStr;
    t.cameraMake = d.selection.oldCameraMakeStr;
    t.cameraModel = d.selection.oldCameraModeStr;
    t.cameraDate = d.selection.oldCameraDateStr;
    t.lensMake = d.selection.oldlensMakeStr;
    t.lensModel = d.selection.oldlenModelStr;
    t.lensSerialNumber = d.selection.oldlensSerialNumStr;
    t.orientation = d.selection.oldimageOrientationStr;
    t.isoSpeed = d.selection.oldimageISOSpeedStr;
    t.fNumber = d.selection.oldimageFNumberStr;
    t.focalLength35mm = d.selection.oldimageFlen35mmStr;
    t.brightness = d.selection.oldimageBrightStr;
    t.aperture = d.selection.oldimageApertureStr;
    t.whiteBalance = d.selection.oldimageWhiteBalanceStr;
    t.exposureTime = d.selection.oldimageExpotimeStr;
    t.gpsAltitude = d.selection.oldGpsAitStr;
    t.gpsLatitude = d.selection.oldGpsLatiStr;
    t.gpsLongitude = d.selection.oldGpsLongtStr;
    return t;
}

bool isOneOf(QObject *field, std::initializer_list<QLineEdit *> fields) {
    for (QLineEdit *f : fields)
        if (f && f == field)
            return true;
    return false;
}

void previewOnMap(PKMapView *map, double latitude, double longitude) {
    if (!map)
        return;
    map->show();
    map->setRegion(latitude, longitude);
    map->setPin(latitude, longitude);
    map->update();
}

// A video's panels show none of its values, but the sheet opens on its own title, artist and
// position, remembered so that an apply rewrites only what the user changed.
void rememberVideoValues(AppDelegate &d) {
    const QList<IKImageItemPtr> selected = d.selectedLocalItems();
    if (selected.isEmpty() || GetViedoType(selected.first()->currentPath()) < 0)
        return;
    QString why;
    const std::optional<QJsonObject> tags =
        VideoEdits::readTags(selected.first()->currentPath(), &why);
    if (!tags)
        return;
    LocalPhotoPanels video;
    fillPanelsFromProperties(video, VideoEdits::propertiesOf(*tags, QDateTime()));
    d.selection.oldTitleStr = video.oldTitleStr;
    d.selection.oldArtistStr = video.oldArtistStr;
    d.selection.oldGpsLatiStr = video.oldGpsLatiStr;
    d.selection.oldGpsLongtStr = video.oldGpsLongtStr;
    d.selection.oldGpsAitStr = video.oldGpsAitStr;
}

} // namespace

void AppDelegate::fillEditFieldsFromRememberedValues() {
    if (!editSheet.titlelab)
        return;
    const std::pair<QLineEdit *, const QString *> fields[] = {
        {editSheet.titlelab, &selection.oldTitleStr},
        {editSheet.artistlab, &selection.oldArtistStr},
        {editSheet.imageDescrilab, &selection.oldImageDescStr},
        {editSheet.copyrightlab, &selection.oldCopyrightStr},
        {editSheet.commentslab, &selection.oldCommentStr},
        {editSheet.keywordslab, &selection.oldKeywordStr},
        {editSheet.cameraMakelab, &selection.oldCameraMakeStr},
        {editSheet.cameraModelab, &selection.oldCameraModeStr},
        {editSheet.cameraDatelab, &selection.oldCameraDateStr},
        {editSheet.sheetLensMakelab, &selection.oldlensMakeStr},
        {editSheet.sheetLensModellab, &selection.oldlenModelStr},
        {editSheet.lensSerialNumlab, &selection.oldlensSerialNumStr},
        {editSheet.imageOrientationlab, &selection.oldimageOrientationStr},
        {editSheet.imageISOSpeedlab, &selection.oldimageISOSpeedStr},
        {editSheet.imageFNumberlab, &selection.oldimageFNumberStr},
        {editSheet.imageFlen35mmlab, &selection.oldimageFlen35mmStr},
        {editSheet.imageBrightlab, &selection.oldimageBrightStr},
        {editSheet.imageAperturelab, &selection.oldimageApertureStr},
        {editSheet.imageWhiteBalancelab, &selection.oldimageWhiteBalanceStr},
        {editSheet.imageExpotimelab, &selection.oldimageExpotimeStr},
        {editSheet.gpsAitlab, &selection.oldGpsAitStr},
        {editSheet.gpsLatilab, &selection.oldGpsLatiStr},
        {editSheet.gpsLongtlab, &selection.oldGpsLongtStr},
    };
    for (const auto &[field, value] : fields) {
        field->setText(*value);
        field->setCursorPosition(0); // a long value shows its start, not its end
    }
    // A photo with its lens model only in "{ExifAux}" shows that one, while the
    // remembered model stays "" (so an apply writes it into "{Exif}" too).
    if (selection.oldlenModelStr.isEmpty()) {
        LocalPhotoPanels panels;
        fillPanelsFromProperties(panels, selection.currentExifDictionary);
        editSheet.sheetLensModellab->setText(panels.lensModelFieldText);
    }
}

void AppDelegate::StartEditViewAction() {
    auto *sheet = qobject_cast<QDialog *>(editSheet.eidtMetaWindow);
    if (!sheet)
        return;
    editSheet.basicInfoChange = false;
    editSheet.cameraInfoChange = false;
    editSheet.gpsInfoChange = false;
    if (cameraIsSource()) {
        // Camera photos have no values shown here: the sheet opens empty, and only what
        // the user types is written to them.
        for (QLineEdit *field : {editSheet.titlelab,
                                 editSheet.artistlab,
                                 editSheet.imageDescrilab,
                                 editSheet.copyrightlab,
                                 editSheet.commentslab,
                                 editSheet.keywordslab,
                                 editSheet.cameraMakelab,
                                 editSheet.cameraModelab,
                                 editSheet.cameraDatelab,
                                 editSheet.sheetLensMakelab,
                                 editSheet.sheetLensModellab,
                                 editSheet.lensSerialNumlab,
                                 editSheet.imageOrientationlab,
                                 editSheet.imageISOSpeedlab,
                                 editSheet.imageFNumberlab,
                                 editSheet.imageFlen35mmlab,
                                 editSheet.imageBrightlab,
                                 editSheet.imageAperturelab,
                                 editSheet.imageWhiteBalancelab,
                                 editSheet.imageExpotimelab,
                                 editSheet.gpsAitlab,
                                 editSheet.gpsLatilab,
                                 editSheet.gpsLongtlab})
            field->clear();
        editSheet.sheetLocationCitylab->setText(QString());
        editSheet.editMetaMapView->hide();
        sheet->open();
        editSheet.titlelab->setFocus();
        return;
    }
    rememberVideoValues(*this);
    // Texts typed before a Cancel are not kept: the sheet always opens on the photo's values.
    fillEditFieldsFromRememberedValues();
    editSheet.sheetLocationCitylab->setText(
        selection.currentLocationStr.isEmpty() ? QStringLiteral("") : selection.currentLocationStr);
    bool okLat = false, okLon = false;
    const double lat = selection.oldGpsLatiStr.toDouble(&okLat);
    const double lon = selection.oldGpsLongtStr.toDouble(&okLon);
    if (okLat && okLon)
        previewOnMap(editSheet.editMetaMapView, lat, lon);
    else
        editSheet.editMetaMapView->hide();
    sheet->open();
    editSheet.titlelab->setFocus();
}

void AppDelegate::HideEditViewAction() {
    if (editSheet.eidtMetaWindow)
        editSheet.eidtMetaWindow->hide();
}

void AppDelegate::ClickEditPhotoExifDataMenuAction() {
    if (!blocalMode) {
        StartPhotoLibEditViewAction();
        return;
    }
    StartEditViewAction();
}

bool AppDelegate::control(QObject *control) {
    if (isOneOf(control, {editSheet.titlelab, editSheet.artistlab, editSheet.imageDescrilab,
                          editSheet.copyrightlab, editSheet.commentslab, editSheet.keywordslab}))
        editSheet.basicInfoChange = true;
    else if (isOneOf(control, {editSheet.cameraMakelab, editSheet.cameraModelab,
                               editSheet.cameraDatelab, editSheet.sheetLensMakelab,
                               editSheet.sheetLensModellab, editSheet.lensSerialNumlab,
                               editSheet.imageOrientationlab, editSheet.imageISOSpeedlab,
                               editSheet.imageFNumberlab, editSheet.imageFlen35mmlab,
                               editSheet.imageBrightlab, editSheet.imageAperturelab,
                               editSheet.imageWhiteBalancelab, editSheet.imageExpotimelab}))
        editSheet.cameraInfoChange = true;
    // Entering a position field marks nothing: only a typed change counts for the
    // position, so a click never rewrites the photo's "{GPS}".
    return true;
}

void AppDelegate::controlTextDidChange(QObject *field) {
    if (libraryControlTextDidChange(field))
        return;
    control(field);
    if (!isOneOf(field, {editSheet.gpsLatilab, editSheet.gpsLongtlab}))
        return;
    editSheet.gpsInfoChange = true;
    // A half-typed position is not previewed; 0, 0 would only mislead.
    QString problem;
    const auto position =
        parseGpsPosition(editSheet.gpsLatilab->text(), editSheet.gpsLongtlab->text(), &problem);
    if (!position)
        return;
    selection.currentCoords = QPointF(position->latitude, position->longitude);
    mainWindow.bMapPreview = true;
    previewOnMap(editSheet.editMetaMapView, position->latitude, position->longitude);
    previewOnMap(mainWindow.currentlocalMapView, position->latitude, position->longitude);
}

void AppDelegate::ClickApplyChangeAction() {
    auto *sheet = qobject_cast<QDialog *>(editSheet.eidtMetaWindow);
    if (!sheet)
        return;
    const bool camera = cameraIsSource();
    const EditSheetTexts fields = fieldTexts(*this);
    // A camera photo has no remembered values: every field with a text is written to it,
    // and an empty field leaves its tag as the photo has it.
    const EditSheetTexts remembered = camera ? EditSheetTexts{} : rememberedTexts(*this);
    const EditSheetGroups groups =
        camera ? EditSheetGroups{true, true, true}
               : EditSheetGroups{editSheet.basicInfoChange, editSheet.cameraInfoChange,
                                 editSheet.gpsInfoChange};
    const QStringList problems = editSheetProblems(fields, remembered, groups);
    if (!problems.isEmpty()) {
        // Nothing is written; the sheet stays open so the value can be corrected.
        beginAlertSheet(sheet, tr("Invalid value"), problems.join(QLatin1Char('\n')), {tr(" Ok ")},
                        [this](QMessageBox *alert, int code) { savePanelDidEnd3(alert, code); });
        return;
    }
    sheet->hide();

    WriteRecipeOptions options;
    options.change = [fields, remembered, groups](QVariantMap &working, const IKImageItem &) {
        applyEditSheetChanges(working, fields, remembered, groups);
        return true;
    };
    options.useRawTemporary = true;
    options.skippedCountsAsHandled = true;
    if (editSheetFileDate(fields, remembered, groups).isValid()) {
        options.dates = WriteRecipeOptions::Dates::FromDateText;
        options.dateText = normalizedCameraDate(fields.cameraDate);
    } else {
        options.dates = WriteRecipeOptions::Dates::CopyFromSource;
    }
    if (camera) {
        // Camera photos: their downloaded copies are rewritten in place.
        QPointer<AppDelegate> self(this);
        withCameraCopies(
            [self, options](const QList<IKImageItemPtr> &copies, const QStringList &failures) {
                if (!self)
                    return;
                AppDelegate *d = self.data();
                d->startRecipeJob(copies, false, options,
                                  [d, failures](const WriteRecipeReport &report, bool) {
                                      d->finishJob(jobReportFromRecipe(report, failures));
                                  });
            });
        return;
    }
    const QList<IKImageItemPtr> items = selectedLocalItems();
    const bool overwrite = preferences.overwrite;
    startRecipeJob(items, overwrite, options, [this](const WriteRecipeReport &report, bool) {
        finishJob(jobReportFromRecipe(report));
    });
}
