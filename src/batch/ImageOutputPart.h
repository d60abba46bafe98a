#pragma once

#include "app/PartBasics.h"

class QMenu;

// Image output: its menu and its actions.
struct ImageOutputPart {
    AppDelegate &d; // the application object: the shared state and the other parts

    explicit ImageOutputPart(AppDelegate &app) : d(app) {}

    QMenu *imageOutputMenu = nullptr;

    // Image output (batch/ImageOutputFeature.cpp, batch/StampFeature.cpp): recompression,
    // resizing, conversion to JPEG and the date, copyright and place stamps. Each takes the
    // selection on the main thread, works on the job runner and ends in one message naming
    // the photos that gave no output (none when all went well) and one reveal.
    // `title` is the menu item's: "20%", "40%", "80%"; a resize size ("1920 x 1080", ...).
    void CompressPhotosWithOptions(const QString &title);
    void ResizePhotosWithOptions(const QString &title);
    void compressReSizePhotowithArrayThreader(const QList<IKImageItemPtr> &items,
                                              const QString &title);
    void ClickConvertHEICtoJPEGAction();
    void ConvertHEICtoJPEGThreader(const QList<IKImageItemPtr> &items, bool revealFirst);
    void AddDateStampsOnPhotoAction();
    void AddDateOnPhotoAction();
    void AddDateOnPhotoWithOutCompassAction();
    void AddCopyrightOnPhotoAction();
    void AddLocationPlaceOnPhotoAction();
};
