// The library browser's filters and selections: each puts one list of the last scan on
// screen and marks it on the filter button, which the sorts read back.
#include "app/AppDelegate.h"

#include "browser/PRButton.h"
#include "library/core/LibraryFilters.h"
#include "platform/AlertSheet.h"
#include "platform/core/FileDates.h"

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
    if (PRButton *b = d.mainWindow.showPhotoTypelibBtn) {
        b->setImageName(image);
        const QString text = AppDelegate::tr("Show: %1").arg(title);
        // A long album title is cut in the middle so the toolbar keeps its other buttons.
        b->setText(b->fontMetrics()
                       .elidedText(text, Qt::ElideMiddle, 260)
                       .replace(QLatin1Char('&'), QLatin1String("&&")));
        b->setToolTip(text);
    }
    if (PRButton *b = d.mainWindow.filterPhotolibBtn)
        b->setImageName(QStringLiteral("sortphotobydate.png"));
}

void markFilter(AppDelegate &d, const LibraryFilterLook &look) {
    markFilter(d, QLatin1String(look.image), AppDelegate::tr(look.title));
}

void showList(AppDelegate &d, QList<IKImageItemPtr> items) {
    d.library.photoLibBroserArray = std::move(items);
    d.LoadImportedPhotoLibraryonMainThread();
}

void showFilter(AppDelegate &d, LibraryFilter filter) {
    if (d.libraryScanNotCompleted())
        return;
    const LibraryFilterLook &look = libraryFilterLook(filter);
    showList(d, libraryFilterShownList(d.libraryListForFilter(QLatin1String(look.image)),
                                       look.newestFirst));
    markFilter(d, look);
}

void showSelection(AppDelegate &d, const QList<IKImageItemPtr> &items, const char *image) {
    if (d.libraryScanNotCompleted())
        return;
    showList(d, items);
    // The filter button keeps its picture: a sort afterwards still sorts the filter's list.
    if (PRButton *b = d.mainWindow.filterPhotolibBtn)
        b->setImageName(QLatin1String(image));
}

} // namespace

bool AppDelegate::libraryScanNotCompleted() {
    // While a load runs its lists are still being filled: no view of them yet.
    if (library.scanComplete && !library.scanPhotoLibStart)
        return false;
    beginAlertSheet(window, tr("The Scan is not completed."),
                    tr("Please wait a while to complete the scan."), {tr(" Ok ")},
                    [this](QMessageBox *a, int c) { savePanelDidEnd3(a, c); });
    return true;
}

void AppDelegate::ShowAllItemsBtninPhotoLibraryAction() {
    showFilter(*this, LibraryFilter::All);
}
void AppDelegate::ShowLivePhotoBtninPhotoLibraryAction() {
    showFilter(*this, LibraryFilter::LivePhotos);
}
void AppDelegate::ShowJPGPhotoBtninPhotoLibraryAction() {
    showFilter(*this, LibraryFilter::Jpeg);
}
void AppDelegate::ShowUnDownloadediCloudPhotoLibraryAction() {
    showFilter(*this, LibraryFilter::NotDownloaded);
}
void AppDelegate::ShowRAWPhotoBtninPhotoLibraryAction() {
    showFilter(*this, LibraryFilter::Raw);
}
void AppDelegate::ShowPNGPhotoBtninPhotoLibraryAction() {
    showFilter(*this, LibraryFilter::Png);
}
void AppDelegate::ShowFavortePhotoBtninPhotoLibraryAction() {
    showFilter(*this, LibraryFilter::Favourites);
}
void AppDelegate::ShowEditedPhotoBtninPhotoLibraryAction() {
    showFilter(*this, LibraryFilter::Edited);
}
void AppDelegate::ShowNoAlbumPhotoBtninPhotoLibraryAction() {
    showFilter(*this, LibraryFilter::NoAlbum);
}
void AppDelegate::ShowNoTitlePhotoBtninPhotoLibraryAction() {
    showFilter(*this, LibraryFilter::NoTitle);
}
void AppDelegate::ShowNoCaptionPhotoBtninPhotoLibraryAction() {
    showFilter(*this, LibraryFilter::NoCaption);
}
void AppDelegate::ShowNoLocationPhotoBtninPhotoLibraryAction() {
    showFilter(*this, LibraryFilter::NoLocation);
}
void AppDelegate::ShowNoKeywordsPhotoBtninPhotoLibraryAction() {
    showFilter(*this, LibraryFilter::NoKeywords);
}
void AppDelegate::ShowTwentyfourHoursinPhotoLibraryAction() {
    showFilter(*this, LibraryFilter::Last24Hours);
}
void AppDelegate::ShowSevenDaysinPhotoLibraryAction() {
    showFilter(*this, LibraryFilter::Last7Days);
}
void AppDelegate::ShowThirtyDaysinPhotoLibraryAction() {
    showFilter(*this, LibraryFilter::Last30Days);
}
void AppDelegate::ShowNineDaysinPhotoLibraryAction() {
    showFilter(*this, LibraryFilter::Last90Days);
}
void AppDelegate::ShowOneYearDaysinPhotoLibraryAction() {
    showFilter(*this, LibraryFilter::LastYear);
}
void AppDelegate::ShowVideosBtninPhotoLibraryAction() {
    showFilter(*this, LibraryFilter::Videos);
}
void AppDelegate::ShowReferencePhotosinPhotoLibraryAction() {
    showFilter(*this, LibraryFilter::Referenced);
}
void AppDelegate::ShowLostReferencePhotosinPhotoLibraryAction() {
    showFilter(*this, LibraryFilter::LostReferenced);
}

void AppDelegate::FilterSelectOneAlbumsAction(const QString &albumTitle) {
    if (libraryScanNotCompleted())
        return;
    const auto album = library.albumDictionary.constFind(albumTitle);
    if (album == library.albumDictionary.cend())
        return;
    const LibraryFilterLook &look = libraryFilterLook(LibraryFilter::Album);
    showList(*this, libraryFilterShownList(album.value(), true));
    library.currentAlbumArray = album.value();
    markFilter(*this, QLatin1String(look.image), albumTitle);
}

void AppDelegate::ShowCustomRangePhotoLibraryAction() {
    if (libraryScanNotCompleted())
        return;
    ensureDateRangePickers();
    const QList<IKImageItemPtr> kept = libraryItemsInRange(
        library.backupdifPhotoLibItemArray, libraryWindows.startDatePicker->dateTime(),
        libraryWindows.endDatePicker->dateTime(), QDateTime::currentDateTime(),
        [](const QString &path) { return FileDates::creationDate(path); });
    const LibraryFilterLook &look = libraryFilterLook(LibraryFilter::CustomRange);
    showList(*this, libraryFilterShownList(kept, true));
    library.currentAlbumArray = kept;
    markFilter(*this, look);
}

void AppDelegate::ensureDateRangePickers() {
    if (libraryWindows.dateRangeWindow)
        return;
    auto *sheet = new QDialog(window);
    sheet->setObjectName(QStringLiteral("dateRangeWindow"));
    sheet->setWindowTitle(tr("Custom Date Range"));
    sheet->setWindowModality(Qt::WindowModal);
    auto *form = new QFormLayout(sheet);
    const QDateTime now = QDateTime::currentDateTime();
    libraryWindows.startDatePicker = new QDateTimeEdit(now.addDays(-30), sheet);
    libraryWindows.startDatePicker->setObjectName(QStringLiteral("startDatePicker"));
    libraryWindows.endDatePicker = new QDateTimeEdit(now, sheet);
    libraryWindows.endDatePicker->setObjectName(QStringLiteral("endDatePicker"));
    for (QDateTimeEdit *picker : {libraryWindows.startDatePicker, libraryWindows.endDatePicker}) {
        picker->setCalendarPopup(true);
        picker->setDisplayFormat(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    }
    form->addRow(tr("From:"), libraryWindows.startDatePicker);
    form->addRow(tr("To:"), libraryWindows.endDatePicker);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, sheet);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, sheet, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, sheet, &QDialog::reject);
    connect(sheet, &QDialog::accepted, this, &AppDelegate::ShowCustomRangePhotoLibraryAction);
    // Wide enough that a title bar shows the title whole beside its buttons.
    QFont bold = sheet->font();
    bold.setBold(true);
    sheet->setMinimumWidth(QFontMetrics(bold).horizontalAdvance(sheet->windowTitle()) + 160);
    libraryWindows.dateRangeWindow = sheet;
}

void AppDelegate::ShowCustomRangeWindow() {
    if (libraryScanNotCompleted())
        return;
    ensureDateRangePickers();
    static_cast<QDialog *>(libraryWindows.dateRangeWindow)->open();
}

void AppDelegate::SelectAllPhotosLibraryAction() {
    showSelection(*this, library.backupdifPhotoLibItemArray, "allphotoinphotolib.png");
}

void AppDelegate::SelectAllissuesPhotosAction() {
    showSelection(*this, library.difPhotoLibItemArray, "allincorrectphotos.png");
}

void AppDelegate::SelectSamePhotosNameAction() {
    if (libraryScanNotCompleted())
        return;
    showList(*this, sameFileNameItems(library.nameDictionary));
    if (mainWindow.filterPhotolibBtn)
        mainWindow.filterPhotolibBtn->show();
    if (mainWindow.showPhotoTypelibBtn)
        mainWindow.showPhotoTypelibBtn->show();
    markFilter(*this, QStringLiteral("samephotoname.png"), tr("Photos with the Same File Name"));
}

void AppDelegate::FindSameFileNameinPhotoLibraryAction() {
    SelectSamePhotosNameAction();
}
