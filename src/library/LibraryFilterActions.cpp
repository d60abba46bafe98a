// The library browser's filters and selections: each puts one list of the last scan on
// screen and marks it on the filter button, which the sorts read back.
#include "app/AppServices.h"
#include "app/Sheets.h"
#include "browser/MainWindowController.h"

#include "browser/PRButton.h"
#include "library/core/LibraryFilters.h"
#include "platform/AlertSheet.h"
#include "platform/core/FileDates.h"

#include <QCoreApplication>
#include <QDateTimeEdit>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QFormLayout>
#include <QListView>
#include <QMainWindow>

// The toolbar's layout places and sizes both buttons; only their marks change here.
void MainWindowController::markLibraryFilter(const QString &image, const QString &title) {
    if (PRButton *b = showPhotoTypelibBtn) {
        b->setImageName(image);
        const QString text = tr("Show: %1").arg(title);
        b->setFittedText(text);
        b->setToolTip(text);
    }
    markLibrarySort(QStringLiteral("sortphotobydate.png"));
}

void MainWindowController::markLibrarySort(const QString &image) {
    if (PRButton *b = filterPhotolibBtn)
        b->setImageName(image);
}

QString MainWindowController::libraryFilterImage() const {
    return showPhotoTypelibBtn ? showPhotoTypelibBtn->imageName() : QString();
}

namespace {

void markFilter(MainWindowController &w, const LibraryFilterLook &look) {
    w.markLibraryFilter(QLatin1String(look.image),
                        QCoreApplication::translate("LibraryFilters", look.title));
}

void showList(MainWindowController &w, QList<IKImageItemPtr> items) {
    w.app.library().photoLibBroserArray = std::move(items);
    w.LoadImportedPhotoLibraryonMainThread();
}

void showFilter(MainWindowController &w, LibraryFilter filter) {
    if (w.libraryScanNotCompleted())
        return;
    const LibraryFilterLook &look = libraryFilterLook(filter);
    showList(w, libraryFilterShownList(w.libraryListForFilter(QLatin1String(look.image)),
                                       look.newestFirst));
    markFilter(w, look);
}

void showSelection(MainWindowController &w, const QList<IKImageItemPtr> &items, const char *image) {
    if (w.libraryScanNotCompleted())
        return;
    showList(w, items);
    // The filter button keeps its picture: a sort afterwards still sorts the filter's list.
    w.markLibrarySort(QLatin1String(image));
}

} // namespace

bool MainWindowController::libraryScanNotCompleted() {
    // While a load runs its lists are still being filled: no view of them yet.
    if (app.library().scanComplete && !app.library().scanPhotoLibStart)
        return false;
    app.sheets().alert(tr("The Scan is not completed."),
                       tr("Please wait a while to complete the scan."));
    return true;
}

void MainWindowController::ShowAllItemsBtninPhotoLibraryAction() {
    showFilter(*this, LibraryFilter::All);
}
void MainWindowController::ShowLivePhotoBtninPhotoLibraryAction() {
    showFilter(*this, LibraryFilter::LivePhotos);
}
void MainWindowController::ShowJPGPhotoBtninPhotoLibraryAction() {
    showFilter(*this, LibraryFilter::Jpeg);
}
void MainWindowController::ShowUnDownloadediCloudPhotoLibraryAction() {
    showFilter(*this, LibraryFilter::NotDownloaded);
}
void MainWindowController::ShowRAWPhotoBtninPhotoLibraryAction() {
    showFilter(*this, LibraryFilter::Raw);
}
void MainWindowController::ShowPNGPhotoBtninPhotoLibraryAction() {
    showFilter(*this, LibraryFilter::Png);
}
void MainWindowController::ShowFavortePhotoBtninPhotoLibraryAction() {
    showFilter(*this, LibraryFilter::Favourites);
}
void MainWindowController::ShowEditedPhotoBtninPhotoLibraryAction() {
    showFilter(*this, LibraryFilter::Edited);
}
void MainWindowController::ShowNoAlbumPhotoBtninPhotoLibraryAction() {
    showFilter(*this, LibraryFilter::NoAlbum);
}
void MainWindowController::ShowNoTitlePhotoBtninPhotoLibraryAction() {
    showFilter(*this, LibraryFilter::NoTitle);
}
void MainWindowController::ShowNoCaptionPhotoBtninPhotoLibraryAction() {
    showFilter(*this, LibraryFilter::NoCaption);
}
void MainWindowController::ShowNoLocationPhotoBtninPhotoLibraryAction() {
    showFilter(*this, LibraryFilter::NoLocation);
}
void MainWindowController::ShowNoKeywordsPhotoBtninPhotoLibraryAction() {
    showFilter(*this, LibraryFilter::NoKeywords);
}
void MainWindowController::ShowTwentyfourHoursinPhotoLibraryAction() {
    showFilter(*this, LibraryFilter::Last24Hours);
}
void MainWindowController::ShowSevenDaysinPhotoLibraryAction() {
    showFilter(*this, LibraryFilter::Last7Days);
}
void MainWindowController::ShowThirtyDaysinPhotoLibraryAction() {
    showFilter(*this, LibraryFilter::Last30Days);
}
void MainWindowController::ShowNineDaysinPhotoLibraryAction() {
    showFilter(*this, LibraryFilter::Last90Days);
}
void MainWindowController::ShowOneYearDaysinPhotoLibraryAction() {
    showFilter(*this, LibraryFilter::LastYear);
}
void MainWindowController::ShowVideosBtninPhotoLibraryAction() {
    showFilter(*this, LibraryFilter::Videos);
}
void MainWindowController::ShowReferencePhotosinPhotoLibraryAction() {
    showFilter(*this, LibraryFilter::Referenced);
}
void MainWindowController::ShowLostReferencePhotosinPhotoLibraryAction() {
    showFilter(*this, LibraryFilter::LostReferenced);
}

void MainWindowController::FilterSelectOneAlbumsAction(const QString &albumTitle) {
    if (libraryScanNotCompleted())
        return;
    const auto album = app.library().albumDictionary.constFind(albumTitle);
    if (album == app.library().albumDictionary.cend())
        return;
    const LibraryFilterLook &look = libraryFilterLook(LibraryFilter::Album);
    showList(*this, libraryFilterShownList(album.value(), true));
    app.library().currentAlbumArray = album.value();
    markLibraryFilter(QLatin1String(look.image), albumTitle);
}

void MainWindowController::ShowCustomRangePhotoLibraryAction() {
    if (libraryScanNotCompleted())
        return;
    ensureDateRangePickers();
    const QList<IKImageItemPtr> kept =
        libraryItemsInRange(app.library().backupdifPhotoLibItemArray, startDatePicker->dateTime(),
                            endDatePicker->dateTime(), QDateTime::currentDateTime(),
                            [](const QString &path) { return FileDates::creationDate(path); });
    const LibraryFilterLook &look = libraryFilterLook(LibraryFilter::CustomRange);
    showList(*this, libraryFilterShownList(kept, true));
    app.library().currentAlbumArray = kept;
    markFilter(*this, look);
}

void MainWindowController::ensureDateRangePickers() {
    if (dateRangeWindow)
        return;
    auto *sheet = new QDialog(app.mainWindow());
    sheet->setObjectName(QStringLiteral("dateRangeWindow"));
    sheet->setWindowTitle(tr("Custom Date Range"));
    sheet->setWindowModality(Qt::WindowModal);
    auto *form = new QFormLayout(sheet);
    const QDateTime now = QDateTime::currentDateTime();
    startDatePicker = new QDateTimeEdit(now.addDays(-30), sheet);
    startDatePicker->setObjectName(QStringLiteral("startDatePicker"));
    endDatePicker = new QDateTimeEdit(now, sheet);
    endDatePicker->setObjectName(QStringLiteral("endDatePicker"));
    for (QDateTimeEdit *picker : {startDatePicker, endDatePicker}) {
        picker->setCalendarPopup(true);
        picker->setDisplayFormat(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    }
    form->addRow(tr("From:"), startDatePicker);
    form->addRow(tr("To:"), endDatePicker);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, sheet);
    form->addRow(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, sheet, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, sheet, &QDialog::reject);
    QObject::connect(sheet, &QDialog::accepted, sheet,
                     [this] { ShowCustomRangePhotoLibraryAction(); });
    // Wide enough that a title bar shows the title whole beside its buttons.
    QFont bold = sheet->font();
    bold.setBold(true);
    sheet->setMinimumWidth(QFontMetrics(bold).horizontalAdvance(sheet->windowTitle()) + 160);
    dateRangeWindow = sheet;
}

void MainWindowController::ShowCustomRangeWindow() {
    if (libraryScanNotCompleted())
        return;
    ensureDateRangePickers();
    static_cast<QDialog *>(dateRangeWindow)->open();
}

void MainWindowController::SelectAllPhotosLibraryAction() {
    showSelection(*this, app.library().backupdifPhotoLibItemArray, "allphotoinphotolib.png");
}

void MainWindowController::SelectAllissuesPhotosAction() {
    showSelection(*this, app.library().difPhotoLibItemArray, "allincorrectphotos.png");
}

void MainWindowController::SelectSamePhotosNameAction() {
    if (libraryScanNotCompleted())
        return;
    showList(*this, sameFileNameItems(app.library().nameDictionary));
    if (filterPhotolibBtn)
        filterPhotolibBtn->show();
    if (showPhotoTypelibBtn)
        showPhotoTypelibBtn->show();
    markLibraryFilter(QStringLiteral("samephotoname.png"), tr("Photos with the Same File Name"));
}

void MainWindowController::FindSameFileNameinPhotoLibraryAction() {
    SelectSamePhotosNameAction();
}
