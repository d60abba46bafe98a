#pragma once

#include "model/IKImageItem.h"

#include <QCoreApplication>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class AppServices;
class QMenu;
class QWidget;
struct PreparedOutput;

// Image output: its menu and its actions.
class ImageOutput {
    Q_DECLARE_TR_FUNCTIONS(ImageOutput)
  public:
    explicit ImageOutput(AppServices &app);

    // Builds the "Image Output" menu with its items, owned by `owner`; the menus that show it
    // as their submenu take it from menu().
    QMenu *buildMenu(QWidget *owner);
    QMenu *menu() const { return imageOutputMenu; }

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

  private:
    // How a job shows its result: the storage folder, the first output, or the output of the
    // list's first item only.
    enum class OutputReveal { StorageFolder, FirstOutput, FirstOutputIfFirstItem };
    // `prepare` encodes on the workers; the outputs are written in list order, so that the
    // first photo of two with one output name keeps the name.
    using PrepareOutput = std::function<PreparedOutput(const IKImageItemPtr &item)>;
    void startImageOutputJob(const QList<IKImageItemPtr> &items, PrepareOutput prepare,
                             OutputReveal reveal, const QStringList &failedBefore = {},
                             const IKImageItemPtr &firstListItem = {});

    AppServices &app;
    QMenu *imageOutputMenu = nullptr;
};
