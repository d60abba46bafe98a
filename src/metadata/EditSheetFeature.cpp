// The edit sheet: opening, the text delegates and the apply that writes changed fields.
#include "metadata/EditSheet.h"

#include "app/AppServices.h"
#include "app/Browsers.h"
#include "app/Jobs.h"
#include "app/Sheets.h"
#include "browser/CameraCopies.h"
#include "browser/MainWindow.h"
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

EditSheetTexts rememberedTexts(const SelectionState &s) {
    EditSheetTexts t;
    t.title = s.oldTitleStr;
    t.artist = s.oldArtistStr;
    t.imageDescription = s.oldImageDescStr;
    t.copyright = s.oldCopyrightStr;
    t.comment = s.oldCommentStr;
    t.keywords = s.oldKeywordStr;
    t.cameraMake = s.oldCameraMakeStr;
    t.cameraModel = s.oldCameraModeStr;
    t.cameraDate = s.oldCameraDateStr;
    t.lensMake = s.oldlensMakeStr;
    t.lensModel = s.oldlenModelStr;
    t.lensSerialNumber = s.oldlensSerialNumStr;
    t.orientation = s.oldimageOrientationStr;
    t.isoSpeed = s.oldimageISOSpeedStr;
    t.fNumber = s.oldimageFNumberStr;
    t.focalLength35mm = s.oldimageFlen35mmStr;
    t.brightness = s.oldimageBrightStr;
    t.aperture = s.oldimageApertureStr;
    t.whiteBalance = s.oldimageWhiteBalanceStr;
    t.exposureTime = s.oldimageExpotimeStr;
    t.gpsAltitude = s.oldGpsAitStr;
    t.gpsLatitude = s.oldGpsLatiStr;
    t.gpsLongitude = s.oldGpsLongtStr;
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
    map->showPosition(latitude, longitude);
}

// A video's panels show none of its values, but the sheet opens on its own title, artist and
// position, remembered so that an apply rewrites only what the user changed.
void rememberVideoValues(AppServices &app) {
    const QList<IKImageItemPtr> selected = app.browsers().selectedLocalItems();
    if (selected.isEmpty() || GetViedoType(selected.first()->currentPath()) < 0)
        return;
    QString why;
    const std::optional<QJsonObject> tags =
        VideoEdits::readTags(selected.first()->currentPath(), &why);
    if (!tags)
        return;
    LocalPhotoPanels video;
    fillPanelsFromProperties(video, VideoEdits::propertiesOf(*tags, QDateTime()));
    app.selection().oldTitleStr = video.oldTitleStr;
    app.selection().oldArtistStr = video.oldArtistStr;
    app.selection().oldGpsLatiStr = video.oldGpsLatiStr;
    app.selection().oldGpsLongtStr = video.oldGpsLongtStr;
    app.selection().oldGpsAitStr = video.oldGpsAitStr;
}

} // namespace

EditSheet::EditSheet(AppServices &app, CameraCopies &camera, MainWindow &mainWindow,
                     LibraryPanels &libraryPanels, std::function<void()> saveTemplate,
                     std::function<bool()> localMode)
    : app(app), camera(camera), mainWindow(mainWindow), libraryPanels(libraryPanels),
      saveTemplate(std::move(saveTemplate)), localMode(std::move(localMode)) {}

EditSheetTexts EditSheet::fieldTexts() const {
    EditSheetTexts t;
    t.title = titlelab->text();
    t.artist = artistlab->text();
    t.imageDescription = imageDescrilab->text();
    t.copyright = copyrightlab->text();
    t.comment = commentslab->text();
    t.keywords = keywordslab->text();
    t.cameraMake = cameraMakelab->text();
    t.cameraModel = cameraModelab->text();
    t.cameraDate = cameraDatelab->text();
    t.lensMake = sheetLensMakelab->text();
    t.lensModel = sheetLensModellab->text();
    t.lensSerialNumber = lensSerialNumlab->text();
    t.orientation = imageOrientationlab->text();
    t.isoSpeed = imageISOSpeedlab->text();
    t.fNumber = imageFNumberlab->text();
    t.focalLength35mm = imageFlen35mmlab->text();
    t.brightness = imageBrightlab->text();
    t.aperture = imageAperturelab->text();
    t.whiteBalance = imageWhiteBalancelab->text();
    t.exposureTime = imageExpotimelab->text();
    t.gpsAltitude = gpsAitlab->text();
    t.gpsLatitude = gpsLatilab->text();
    t.gpsLongitude = gpsLongtlab->text();
    return t;
}

void EditSheet::fillEditFieldsFromRememberedValues() {
    if (!titlelab)
        return;
    const SelectionState &s = app.selection();
    const std::pair<QLineEdit *, const QString *> fields[] = {
        {titlelab, &s.oldTitleStr},
        {artistlab, &s.oldArtistStr},
        {imageDescrilab, &s.oldImageDescStr},
        {copyrightlab, &s.oldCopyrightStr},
        {commentslab, &s.oldCommentStr},
        {keywordslab, &s.oldKeywordStr},
        {cameraMakelab, &s.oldCameraMakeStr},
        {cameraModelab, &s.oldCameraModeStr},
        {cameraDatelab, &s.oldCameraDateStr},
        {sheetLensMakelab, &s.oldlensMakeStr},
        {sheetLensModellab, &s.oldlenModelStr},
        {lensSerialNumlab, &s.oldlensSerialNumStr},
        {imageOrientationlab, &s.oldimageOrientationStr},
        {imageISOSpeedlab, &s.oldimageISOSpeedStr},
        {imageFNumberlab, &s.oldimageFNumberStr},
        {imageFlen35mmlab, &s.oldimageFlen35mmStr},
        {imageBrightlab, &s.oldimageBrightStr},
        {imageAperturelab, &s.oldimageApertureStr},
        {imageWhiteBalancelab, &s.oldimageWhiteBalanceStr},
        {imageExpotimelab, &s.oldimageExpotimeStr},
        {gpsAitlab, &s.oldGpsAitStr},
        {gpsLatilab, &s.oldGpsLatiStr},
        {gpsLongtlab, &s.oldGpsLongtStr},
    };
    for (const auto &[field, value] : fields) {
        field->setText(*value);
        field->setCursorPosition(0); // a long value shows its start, not its end
    }
    // A photo with its lens model only in "{ExifAux}" shows that one, while the
    // remembered model stays "" (so an apply writes it into "{Exif}" too).
    if (s.oldlenModelStr.isEmpty()) {
        LocalPhotoPanels panels;
        fillPanelsFromProperties(panels, s.currentExifDictionary);
        sheetLensModellab->setText(panels.lensModelFieldText);
    }
}

void EditSheet::StartEditViewAction() {
    auto *sheet = qobject_cast<QDialog *>(eidtMetaWindow);
    if (!sheet)
        return;
    basicInfoChange = false;
    cameraInfoChange = false;
    gpsInfoChange = false;
    if (camera.cameraIsSource()) {
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
    rememberVideoValues(app);
    // Texts typed before a Cancel are not kept: the sheet always opens on the photo's values.
    fillEditFieldsFromRememberedValues();
    sheetLocationCitylab->setText(app.selection().currentLocationStr.isEmpty()
                                      ? QStringLiteral("")
                                      : app.selection().currentLocationStr);
    bool okLat = false, okLon = false;
    const double lat = app.selection().oldGpsLatiStr.toDouble(&okLat);
    const double lon = app.selection().oldGpsLongtStr.toDouble(&okLon);
    if (okLat && okLon)
        previewOnMap(editMetaMapView, lat, lon);
    else
        editMetaMapView->hide();
    sheet->open();
    titlelab->setFocus();
}

void EditSheet::HideEditViewAction() {
    if (eidtMetaWindow)
        eidtMetaWindow->hide();
}

std::optional<QString> EditSheet::typedAltitude() const {
    if (!gpsAitlab)
        return std::nullopt;
    return gpsAitlab->text();
}

void EditSheet::ClickEditPhotoExifDataMenuAction() {
    if (!localMode()) {
        libraryPanels.StartPhotoLibEditViewAction();
        return;
    }
    StartEditViewAction();
}

bool EditSheet::control(QObject *control) {
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

void EditSheet::controlTextDidChange(QObject *field) {
    control(field);
    if (!isOneOf(field, {gpsLatilab, gpsLongtlab}))
        return;
    gpsInfoChange = true;
    // A half-typed position is not previewed; 0, 0 would only mislead.
    QString problem;
    const auto position = parseGpsPosition(gpsLatilab->text(), gpsLongtlab->text(), &problem);
    if (!position)
        return;
    app.selection().currentCoords = QPointF(position->latitude, position->longitude);
    previewOnMap(editMetaMapView, position->latitude, position->longitude);
    mainWindow.previewPosition(position->latitude, position->longitude);
}

void EditSheet::ClickApplyChangeAction() {
    auto *sheet = qobject_cast<QDialog *>(eidtMetaWindow);
    if (!sheet)
        return;
    const bool fromCamera = camera.cameraIsSource();
    const EditSheetTexts fields = fieldTexts();
    // A camera photo has no remembered values: every field with a text is written to it,
    // and an empty field leaves its tag as the photo has it.
    const EditSheetTexts remembered =
        fromCamera ? EditSheetTexts{} : rememberedTexts(app.selection());
    const EditSheetGroups groups =
        fromCamera ? EditSheetGroups{true, true, true}
                   : EditSheetGroups{basicInfoChange, cameraInfoChange, gpsInfoChange};
    const QStringList problems = editSheetProblems(fields, remembered, groups);
    if (!problems.isEmpty()) {
        // Nothing is written; the sheet stays open so the value can be corrected.
        beginAlertSheet(
            sheet, tr("Invalid value"), problems.join(QLatin1Char('\n')), {tr(" Ok ")},
            [this](QMessageBox *alert, int code) { app.sheets().savePanelDidEnd3(alert, code); });
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
    if (fromCamera) {
        // Camera photos: their downloaded copies are rewritten in place.
        QPointer<Jobs> jobs(&app.jobs()); // gone with the application
        camera.withCameraCopies(
            [jobs, options](const QList<IKImageItemPtr> &copies, const QStringList &failures) {
                if (!jobs)
                    return;
                jobs->startRecipeJob(copies, false, options,
                                     [jobs, failures](const WriteRecipeReport &report, bool) {
                                         if (jobs)
                                             jobs->finishJob(jobReportFromRecipe(report, failures));
                                     });
            });
        return;
    }
    const QList<IKImageItemPtr> items = app.browsers().selectedLocalItems();
    const bool overwrite = app.preferences().overwrite;
    app.jobs().startRecipeJob(items, overwrite, options,
                              [this](const WriteRecipeReport &report, bool) {
                                  app.jobs().finishJob(jobReportFromRecipe(report));
                              });
}
