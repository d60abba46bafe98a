#pragma once

#include <QtGlobal>

#include <memory>

class PKImageView;
class QCheckBox;
class QLabel;
class QProgressBar;
class QWidget;

// The library's secondary windows: the renamed-file repair, the iCloud download and the
// custom date range.
struct LibraryWindowsPart {
    bool bDownloadinYear = false, bDownloadinAlum = false;
    QWidget *fixReferencedNameWindow = nullptr;
    PKImageView *fixReferencedNameImgView = nullptr;
    QCheckBox *copyPhotoLibFileNameBtn = nullptr, *copyOrigFileNameBtn = nullptr;
    QWidget *downloadiCloudPhotosWindow = nullptr;
    PKImageView *downloadiCloudPhotosImgView = nullptr;
    QWidget *downloadPhotosWindow = nullptr; // the download window, shown as a sheet
    QProgressBar *downloadPhotosProgressor = nullptr;
    QLabel *downloadiCloudPhotoInfolab = nullptr, *downloadiCloudPhotoProcesslab = nullptr;
    int allDownloadiCloudNum = 0;
    quint64 allDownloadiCloudPhotoSize = 0;
    QWidget *dateRangeWindow = nullptr;
    class QDateTimeEdit *startDatePicker = nullptr, *endDatePicker = nullptr;
};
