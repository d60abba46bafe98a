// The edit sheet: opening, the text delegates and the apply that writes changed fields.
#include "app/AppDelegate.h"
#include "app/Browsers.h"
#include "app/Jobs.h"
#include "app/Sheets.h"
#include "browser/CameraWindow.h"
#include "browser/MainWindowController.h"
#include "library/LibraryPanels.h"

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
    t.title = d.selection().oldTitleStr;
    t.artist = d.selection().oldArtistStr;
    t.imageDescription = d.selection().oldImageDescStr;
    t.copyright = d.selection().oldCopyrightStr;
    t.comment = d.selection().oldCommentStr;
    t.keywords = d.selection().oldKeywordStr;
    t.cameraMake = d.selection().oldCameraMakeStr;
    t.cameraModel = d.selection().oldCameraModeStr;
    t.cameraDate = d.selection().oldCameraDateStr;
    t.lensMake = d.selection().oldlensMakeStr;
    t.lensModel = d.selection().oldlenModelStr;
    t.lensSerialNumber = d.selection().oldlensSerialNumStr;
    t.orientation = d.selection().oldimageOrientationStr;
    t.isoSpeed = d.selection().oldimageISOSpeedStr;
    t.fNumber = d.selection().oldimageFNumberStr;
    t.focalLength35mm = d.selection().oldimageFlen35mmStr;
    t.brightness = d.selection().oldimageBrightStr;
    t.aperture = d.selection().oldimageApertureStr;
    t.whiteBalance = d.selection().oldimageWhiteBalanceStr;
    t.exposureTime = d.selection().oldimageExpotimeStr;
    t.gpsAltitude = d.selection().oldGpsAitStr;
    t.gpsLatitude = d.selection().oldGpsLatiStr;
    t.gpsLongitude = d.selection().oldGpsLongtStr;
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
    const QList<IKImageItemPtr> selected = d.browsers().selectedLocalItems();
    if (selected.isEmpty() || GetViedoType(selected.first()->currentPath()) < 0)
        return;
    QString why;
    const std::optional<QJsonObject> tags =
        VideoEdits::readTags(selected.first()->currentPath(), &why);
    if (!tags)
        return;
    LocalPhotoPanels video;
    fillPanelsFromProperties(video, VideoEdits::propertiesOf(*tags, QDateTime()));
    d.selection().oldTitleStr = video.oldTitleStr;
    d.selection().oldArtistStr = video.oldArtistStr;
    d.selection().oldGpsLatiStr = video.oldGpsLatiStr;
    d.selection().oldGpsLongtStr = video.oldGpsLongtStr;
    d.selection().oldGpsAitStr = video.oldGpsAitStr;
}

} // namespace

void EditSheetPart::fillEditFieldsFromRememberedValues() {
    if (!titlelab)
        return;
    const std::pair<QLineEdit *, const QString *> fields[] = {
        {titlelab, &d.selection().oldTitleStr},
        {artistlab, &d.selection().oldArtistStr},
        {imageDescrilab, &d.selection().oldImageDescStr},
        {copyrightlab, &d.selection().oldCopyrightStr},
        {commentslab, &d.selection().oldCommentStr},
        {keywordslab, &d.selection().oldKeywordStr},
        {cameraMakelab, &d.selection().oldCameraMakeStr},
        {cameraModelab, &d.selection().oldCameraModeStr},
        {cameraDatelab, &d.selection().oldCameraDateStr},
        {sheetLensMakelab, &d.selection().oldlensMakeStr},
        {sheetLensModellab, &d.selection().oldlenModelStr},
        {lensSerialNumlab, &d.selection().oldlensSerialNumStr},
        {imageOrientationlab, &d.selection().oldimageOrientationStr},
        {imageISOSpeedlab, &d.selection().oldimageISOSpeedStr},
        {imageFNumberlab, &d.selection().oldimageFNumberStr},
        {imageFlen35mmlab, &d.selection().oldimageFlen35mmStr},
        {imageBrightlab, &d.selection().oldimageBrightStr},
        {imageAperturelab, &d.selection().oldimageApertureStr},
        {imageWhiteBalancelab, &d.selection().oldimageWhiteBalanceStr},
        {imageExpotimelab, &d.selection().oldimageExpotimeStr},
        {gpsAitlab, &d.selection().oldGpsAitStr},
        {gpsLatilab, &d.selection().oldGpsLatiStr},
        {gpsLongtlab, &d.selection().oldGpsLongtStr},
    };
    for (const auto &[field, value] : fields) {
        field->setText(*value);
        field->setCursorPosition(0); // a long value shows its start, not its end
    }
    // A photo with its lens model only in "{ExifAux}" shows that one, while the
    // remembered model stays "" (so an apply writes it into "{Exif}" too).
    if (d.selection().oldlenModelStr.isEmpty()) {
        LocalPhotoPanels panels;
        fillPanelsFromProperties(panels, d.selection().currentExifDictionary);
        sheetLensModellab->setText(panels.lensModelFieldText);
    }
}

void EditSheetPart::StartEditViewAction() {
    auto *sheet = qobject_cast<QDialog *>(eidtMetaWindow);
    if (!sheet)
        return;
    basicInfoChange = false;
    cameraInfoChange = false;
    gpsInfoChange = false;
    if (d.cameraWindow().cameraIsSource()) {
        // Camera photos have no values shown here: the sheet opens empty, and only what
        // the user types is written to them.
        for (QLineEdit *field : {titlelab,
                                 artistlab,
                                 imageDescrilab,
                                 copyrightlab,
                                 commentslab,
                                 keywordslab,
                                 cameraMakelab,
                                 cameraModelab,
                                 cameraDatelab,
                                 sheetLensMakelab,
                                 sheetLensModellab,
                                 lensSerialNumlab,
                                 imageOrientationlab,
                                 imageISOSpeedlab,
                                 imageFNumberlab,
                                 imageFlen35mmlab,
                                 imageBrightlab,
                                 imageAperturelab,
                                 imageWhiteBalancelab,
                                 imageExpotimelab,
                                 gpsAitlab,
                                 gpsLatilab,
                                 gpsLongtlab})
            field->clear();
        sheetLocationCitylab->setText(QString());
        editMetaMapView->hide();
        sheet->open();
        titlelab->setFocus();
        return;
    }
    rememberVideoValues(d);
    // Texts typed before a Cancel are not kept: the sheet always opens on the photo's values.
    fillEditFieldsFromRememberedValues();
    sheetLocationCitylab->setText(d.selection().currentLocationStr.isEmpty()
                                      ? QStringLiteral("")
                                      : d.selection().currentLocationStr);
    bool okLat = false, okLon = false;
    const double lat = d.selection().oldGpsLatiStr.toDouble(&okLat);
    const double lon = d.selection().oldGpsLongtStr.toDouble(&okLon);
    if (okLat && okLon)
        previewOnMap(editMetaMapView, lat, lon);
    else
        editMetaMapView->hide();
    sheet->open();
    titlelab->setFocus();
}

void EditSheetPart::HideEditViewAction() {
    if (eidtMetaWindow)
        eidtMetaWindow->hide();
}

std::optional<QString> EditSheetPart::typedAltitude() const {
    if (!gpsAitlab)
        return std::nullopt;
    return gpsAitlab->text();
}

void EditSheetPart::ClickEditPhotoExifDataMenuAction() {
    if (!d.blocalMode) {
        d.libraryPanels().StartPhotoLibEditViewAction();
        return;
    }
    StartEditViewAction();
}

bool EditSheetPart::control(QObject *control) {
    if (isOneOf(control,
                {titlelab, artistlab, imageDescrilab, copyrightlab, commentslab, keywordslab}))
        basicInfoChange = true;
    else if (isOneOf(control, {cameraMakelab, cameraModelab, cameraDatelab, sheetLensMakelab,
                               sheetLensModellab, lensSerialNumlab, imageOrientationlab,
                               imageISOSpeedlab, imageFNumberlab, imageFlen35mmlab, imageBrightlab,
                               imageAperturelab, imageWhiteBalancelab, imageExpotimelab}))
        cameraInfoChange = true;
    // Entering a position field marks nothing: only a typed change counts for the
    // position, so a click never rewrites the photo's "{GPS}".
    return true;
}

void EditSheetPart::controlTextDidChange(QObject *field) {
    control(field);
    if (!isOneOf(field, {gpsLatilab, gpsLongtlab}))
        return;
    gpsInfoChange = true;
    // A half-typed position is not previewed; 0, 0 would only mislead.
    QString problem;
    const auto position = parseGpsPosition(gpsLatilab->text(), gpsLongtlab->text(), &problem);
    if (!position)
        return;
    d.selection().currentCoords = QPointF(position->latitude, position->longitude);
    d.mainWindowController().bMapPreview = true;
    previewOnMap(editMetaMapView, position->latitude, position->longitude);
    previewOnMap(d.mainWindowController().currentlocalMapView, position->latitude,
                 position->longitude);
}

void EditSheetPart::ClickApplyChangeAction() {
    auto *sheet = qobject_cast<QDialog *>(eidtMetaWindow);
    if (!sheet)
        return;
    const bool camera = d.cameraWindow().cameraIsSource();
    const EditSheetTexts fields = fieldTexts(d);
    // A camera photo has no remembered values: every field with a text is written to it,
    // and an empty field leaves its tag as the photo has it.
    const EditSheetTexts remembered = camera ? EditSheetTexts{} : rememberedTexts(d);
    const EditSheetGroups groups =
        camera ? EditSheetGroups{true, true, true}
               : EditSheetGroups{basicInfoChange, cameraInfoChange, gpsInfoChange};
    const QStringList problems = editSheetProblems(fields, remembered, groups);
    if (!problems.isEmpty()) {
        // Nothing is written; the sheet stays open so the value can be corrected.
        beginAlertSheet(sheet, AppDelegate::tr("Invalid value"), problems.join(QLatin1Char('\n')),
                        {AppDelegate::tr(" Ok ")}, [this](QMessageBox *alert, int code) {
                            d.sheets().savePanelDidEnd3(alert, code);
                        });
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
        QPointer<AppDelegate> self(&d);
        d.cameraWindow().withCameraCopies([self, options](const QList<IKImageItemPtr> &copies,
                                                          const QStringList &failures) {
            if (!self)
                return;
            AppDelegate *d = self.data();
            d->jobs().startRecipeJob(copies, false, options,
                                     [d, failures](const WriteRecipeReport &report, bool) {
                                         d->jobs().finishJob(jobReportFromRecipe(report, failures));
                                     });
        });
        return;
    }
    const QList<IKImageItemPtr> items = d.browsers().selectedLocalItems();
    const bool overwrite = d.preferences().overwrite;
    d.jobs().startRecipeJob(items, overwrite, options,
                            [this](const WriteRecipeReport &report, bool) {
                                d.jobs().finishJob(jobReportFromRecipe(report));
                            });
}
