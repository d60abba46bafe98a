#pragma once

#include "model/IKImageItem.h"

#include <QList>
#include <QStringList>
#include <functional>

// What the editing windows ask of the camera window: whether they work on the camera's
// photos, and local copies of the selected ones to edit.
class CameraCopies {
  public:
    // Whether the editing features work on the camera browser's selection: outside local
    // mode, or while the removal menu was opened from the camera window.
    virtual bool cameraIsSource() const = 0;
    // Copies the selected camera photos into the storage folder (a copy this session
    // already made and which is still there is used again), then calls `then` on the main
    // thread with one local item per copy, in list order, and "name: reason" for each
    // photo that did not arrive. False, with the no-selection sheet shown, when nothing
    // is selected.
    virtual bool withCameraCopies(
        std::function<void(const QList<IKImageItemPtr> &copies, const QStringList &failures)>
            then) = 0;

  protected:
    ~CameraCopies() = default;
};
