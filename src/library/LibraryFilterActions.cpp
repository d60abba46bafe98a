// The library browser's filters and selections: each puts one list of the last scan on
// screen and marks it on the filter button, which the sorts read back.
#include "app/AppDelegate.h"
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

namespace {

// Marks the view on the filter button, which names it, and resets the sort button to newest
// first. The toolbar's layout places and sizes both buttons.
void markFilter(AppDelegate &d, const QString &image, const QString &title) {
    if (PRButton *b = d.mainWindowController().showPhotoTypelibBtn) {
        b->setImageName(image);
        const QString text = AppDelegate::tr("Show: %1").arg(title);
        b->setFittedText(text);
        b->setToolTip(text);
    }
    if (PRButton *b = d.mainWindowController().filterPhotolibBtn)
        b->setImageName(QStringLiteral("sortphotobydate.png"));
}

void markFilter(AppDelegate &d, const LibraryFilterLook &look) {
    markFilter(d, QLatin1String(look.image),
               QCoreApplication::translate("LibraryFilters", look.title));
}

void showList(AppDelegate &d, QList<IKImageItemPtr> items) {
    d.library().photoLibBroserArray = std::move(items);
    d.mainWindowController().LoadImportedPhotoLibraryonMainThread();
}

void showFilter(AppDelegate &d, LibraryFilter filter) {
    if (d.mainWindowController().libraryScanNotCompleted())
        return;
    const LibraryFilterLook &look = libraryFilterLook(filter);
    showList(d, libraryFilterShownList(
                    d.mainWindowController().libraryListForFilter(QLatin1String(look.image)),
                    look.newestFirst));
    markFilter(d, look);
}

void showSelection(AppDelegate &d, const QList<IKImageItemPtr> &items, const char *image) {
    if (d.mainWindowController().libraryScanNotCompleted())
        return;
    showList(d, items);
    // The filter button keeps its picture: a sort afterwards still sorts the filter's list.
    if (PRButton *b = d.mainWindowController().filterPhotolibBtn)
        b->setImageName(QLatin1String(image));
}

} // namespace

bool MainWindowController::libraryScanNotCompleted() {
    // While a load runs its lists are still being filled: no view of them yet.
    if (d.library().scanComplete && !d.library().scanPhotoLibStart)
        return false;
    beginAlertSheet(d.window, AppDelegate::tr("The Scan is not completed."),
                    AppDelegate::tr("Please wait a while to complete the scan."),
                    {AppDelegate::tr(" Ok ")},
                    [this](QMessageBox *a, int c) { d.sheets().savePanelDidEnd3(a, c); });
    return true;
}

void MainWindowController::ShowAllItemsBtninPhotoLibraryAction() {
    showFilter(d, LibraryFilter::All);
}
void MainWindowController::ShowLivePhotoBtninPhotoLibraryAction() {
    showFilter(d, LibraryFilter::LivePhotos);
}
void MainWindowController::ShowJPGPhotoBtninPhotoLibraryAction() {
    showFilter(d, LibraryFilter::Jpeg);
}
void MainWindowController::ShowUnDownloadediCloudPhotoLibraryAction() {
    showFilter(d, LibraryFilter::NotDownloaded);
}
void MainWindowController::ShowRAWPhotoBtninPhotoLibraryAction() {
    showFilter(d, LibraryFilter::Raw);
}
void MainWindowController::ShowPNGPhotoBtninPhotoLibraryAction() {
    showFilter(d, LibraryFilter::Png);
}
void MainWindowController::ShowFavortePhotoBtninPhotoLibraryAction() {
    showFilter(d, LibraryFilter::Favourites);
}
void MainWindowController::ShowEditedPhotoBtninPhotoLibraryAction() {
    showFilter(d, LibraryFilter::Edited);
}
void MainWindowController::ShowNoAlbumPhotoBtninPhotoLibraryAction() {
    showFilter(d, LibraryFilter::NoAlbum);
}
void MainWindowController::ShowNoTitlePhotoBtninPhotoLibraryAction() {
    showFilter(d, LibraryFilter::NoTitle);
}
void MainWindowController::ShowNoCaptionPhotoBtninPhotoLibraryAction() {
    showFilter(d, LibraryFilter::NoCaption);
}
void MainWindowController::ShowNoLocationPhotoBtninPhotoLibraryAction() {
    showFilter(d, LibraryFilter::NoLocation);
}
void MainWindowController::ShowNoKeywordsPhotoBtninPhotoLibraryAction() {
    showFilter(d, LibraryFilter::NoKeywords);
}
void MainWindowController::ShowTwentyfourHoursinPhotoLibraryAction() {
    showFilter(d, LibraryFilter::Last24Hours);
}
void MainWindowController::ShowSevenDaysinPhotoLibraryAction() {
    showFilter(d, LibraryFilter::Last7Days);
}
void MainWindowController::ShowThirtyDaysinPhotoLibraryAction() {
    showFilter(d, LibraryFilter::Last30Days);
}
void MainWindowController::ShowNineDaysinPhotoLibraryAction() {
    showFilter(d, LibraryFilter::Last90Days);
}
void MainWindowController::ShowOneYearDaysinPhotoLibraryAction() {
    showFilter(d, LibraryFilter::LastYear);
}
void MainWindowController::ShowVideosBtninPhotoLibraryAction() {
    showFilter(d, LibraryFilter::Videos);
}
void MainWindowController::ShowReferencePhotosinPhotoLibraryAction() {
    showFilter(d, LibraryFilter::Referenced);
}
void MainWindowController::ShowLostReferencePhotosinPhotoLibraryAction() {
    showFilter(d, LibraryFilter::LostReferenced);
}

void MainWindowController::FilterSelectOneAlbumsAction(const QString &albumTitle) {
    if (libraryScanNotCompleted())
        return;
    const auto album = d.library().albumDictionary.constFind(albumTitle);
    if (album == d.library().albumDictionary.cend())
        return;
    const LibraryFilterLook &look = libraryFilterLook(LibraryFilter::Album);
    showList(d, libraryFilterShownList(album.value(), true));
    d.library().currentAlbumArray = album.value();
    markFilter(d, QLatin1String(look.image), albumTitle);
}

void MainWindowController::ShowCustomRangePhotoLibraryAction() {
    if (libraryScanNotCompleted())
        return;
    ensureDateRangePickers();
    const QList<IKImageItemPtr> kept =
        libraryItemsInRange(d.library().backupdifPhotoLibItemArray, startDatePicker->dateTime(),
                            endDatePicker->dateTime(), QDateTime::currentDateTime(),
                            [](const QString &path) { return FileDates::creationDate(path); });
    const LibraryFilterLook &look = libraryFilterLook(LibraryFilter::CustomRange);
    showList(d, libraryFilterShownList(kept, true));
    d.library().currentAlbumArray = kept;
    markFilter(d, look);
}

void MainWindowController::ensureDateRangePickers() {
    if (dateRangeWindow)
        return;
    auto *sheet = new QDialog(d.window);
    sheet->setObjectName(QStringLiteral("dateRangeWindow"));
    sheet->setWindowTitle(AppDelegate::tr("Custom Date Range"));
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
    form->addRow(AppDelegate::tr("From:"), startDatePicker);
    form->addRow(AppDelegate::tr("To:"), endDatePicker);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, sheet);
    form->addRow(buttons);
    d.connect(buttons, &QDialogButtonBox::accepted, sheet, &QDialog::accept);
    d.connect(buttons, &QDialogButtonBox::rejected, sheet, &QDialog::reject);
    d.connect(sheet, &QDialog::accepted, &d,
              &AppDelegate::forward<&MainWindowController::ShowCustomRangePhotoLibraryAction>);
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
    showSelection(d, d.library().backupdifPhotoLibItemArray, "allphotoinphotolib.png");
}

void MainWindowController::SelectAllissuesPhotosAction() {
    showSelection(d, d.library().difPhotoLibItemArray, "allincorrectphotos.png");
}

void MainWindowController::SelectSamePhotosNameAction() {
    if (libraryScanNotCompleted())
        return;
    showList(d, sameFileNameItems(d.library().nameDictionary));
    if (filterPhotolibBtn)
        filterPhotolibBtn->show();
    if (showPhotoTypelibBtn)
        showPhotoTypelibBtn->show();
    markFilter(d, QStringLiteral("samephotoname.png"),
               AppDelegate::tr("Photos with the Same File Name"));
}

void MainWindowController::FindSameFileNameinPhotoLibraryAction() {
    SelectSamePhotosNameAction();
}
