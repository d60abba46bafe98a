#pragma once

#include <QCoreApplication>
#include <QVariantMap>

class AppServices;
class QAction;
class QMenu;

// The metadata sections last copied from a local photo, and the Edit menu's items that copy
// them and paste them onto the selected photos.
class Clipboard {
    Q_DECLARE_TR_FUNCTIONS(Clipboard)
  public:
    enum class Section { Exif, Iptc, Tiff, Gps, All };

    explicit Clipboard(AppServices &app);

    // The copy items, a separator and the paste items; a paste item is enabled once its
    // section was copied.
    void addItems(QMenu *edit);
    // Nothing copied yet: the paste items wait for a copy.
    void forgetCopies();

    // Whether `section` was copied, and what was copied (empty for a photo without it).
    bool holds(Section section) const;
    QVariantMap copied(Section section) const;

    void ClickCopyOnePhotoExifAction();
    void ClickCopyOnePhotoIPTCAction();
    void ClickCopyOnePhotoTIFFAction();
    void ClickCopyOnePhotoGPSAction();
    void ClickCopyOneAllPhotoMetadataAction();
    void ClickPasteExifDataAction();
    void ClickPasteIPTCDataAction();
    void ClickPasteTIFFDataAction();
    void ClickPasteGPSDataAction();
    void ClickPasteAllPhotoMetaAction();

  private:
    struct Slot {
        QVariantMap dictionary;
        bool copied = false;
        QAction *pasteItem = nullptr;
    };
    static constexpr int kSections = 5;

    void copy(Section section);
    void paste(Section section);
    Slot &slot(Section section) { return sections[int(section)]; }
    const Slot &slot(Section section) const { return sections[int(section)]; }

    AppServices &app;
    Slot sections[kSections];
};
