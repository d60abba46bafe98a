#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QVariantMap>

#include <memory>

class ImageDestination;

// Reads an image file's properties the way the rest of the program moves metadata: a map keyed
// by the published property keys ("PixelWidth", "Orientation", "{Exif}", "{TIFF}", "{GPS}",
// "{IPTC}", "{ExifAux}", ...), each dictionary keyed by the short names.
//
// Type identifiers: "public.jpeg", "public.tiff", "public.png", "org.webmproject.webp",
// "public.heic", "public.heif", "public.avif", "com.compuserve.gif", "com.microsoft.bmp",
// "com.adobe.raw-image" (DNG), "com.canon.cr2-raw-image", "com.canon.crw-raw-image",
// "com.nikon.raw-image", "com.sony.arw-raw-image", "com.olympus.raw-image",
// "com.fuji.raw-image", "com.panasonic.rw2-raw-image", "com.pentax.raw-image",
// "com.minolta.raw-image", "com.adobe.photoshop-image", "public.jpeg-2000"; empty when unknown.
//
// Never throws. One source belongs to one thread at a time.
class ImageSource {
  public:
    explicit ImageSource(const QByteArray &data);
    // Reads the whole file; the extension only tells TIFF-based raw formats apart.
    static ImageSource fromPath(const QString &path);

    ImageSource(ImageSource &&other) noexcept;
    ImageSource &operator=(ImageSource &&other) noexcept;
    ~ImageSource();

    bool isValid() const;
    QString errorString() const;
    QString type() const;
    // Pages of a multi-page TIFF, top-level images of a HEIF file, otherwise 1; 0 when invalid.
    int count() const;
    // Index 0 carries the metadata; later frames only their own pixel size where known.
    QVariantMap properties(int index = 0) const;
    // The embedded preview when there is one, otherwise the image decoded and scaled down.
    // A preview smaller than `maxSide` is taken when its longer side reaches `enough` and it
    // has the photo's shape (letterboxed Exif thumbnails are passed over).
    QImage thumbnail(int maxSide = 256, int enough = 0) const;
    QByteArray data() const;

    // The "{Exif}" dictionary of image bytes, decoding nothing but the Exif block of a JPEG: a
    // cheap check of what a write stored. Empty when the bytes hold none or cannot be read.
    static QVariantMap exifDictionary(const QByteArray &data);

    struct Private;

  private:
    ImageSource();
    std::unique_ptr<Private> d;
    friend class ImageDestination;
};
