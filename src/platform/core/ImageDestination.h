#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <memory>

class ImageSource;

// Writes a copy of a source image with changed metadata into a byte buffer. The pixels are never
// re-encoded: the source's bytes are copied and only their metadata blocks rewritten, so the
// destination's type must be the source's own.
//
// Property maps are merged onto the source's metadata: a null QVariant removes a key (or, for a
// dictionary key such as "{GPS}", the whole section); a dictionary given as a map replaces the
// keys of that section that this layer knows, leaving keys it does not know (maker notes, other
// XMP) and sections not given alone. Destination-wide properties apply before the frame's.
class ImageDestination {
  public:
    ImageDestination(QByteArray *output, const QString &type, int frameCount);
    ~ImageDestination();
    ImageDestination(const ImageDestination &) = delete;
    ImageDestination &operator=(const ImageDestination &) = delete;

    // The type identifiers this layer can write.
    static QStringList typeIdentifiers();

    // A camera RAW photo (`suffix`: its extension, "NEF", "CR2", "DNG"...) with `properties`
    // merged onto its own as a destination merges them, rewritten through exiftool, which edits
    // the tags within the file's own structure: pixels, previews and maker notes stay, and IPTC
    // values go to their XMP counterparts. False with *error (nothing in *output) when exiftool
    // cannot write this kind of file.
    static bool rewriteCameraRaw(const ImageSource &source, const QString &suffix,
                                 const QVariantMap &properties, QByteArray *output, QString *error);

    bool isValid() const;
    void setProperties(const QVariantMap &properties);
    void addImageFromSource(const ImageSource &source, int index, const QVariantMap &properties);
    // A JPEG's output then holds only its rewritten segments, up to the scan's marker, and
    // pictureOffset() says where in the source the picture that follows them unchanged
    // starts: a caller that writes both parts saves a copy of the picture.
    void keepPictureApart();
    // -1 when the output is the whole file.
    qsizetype pictureOffset() const;
    // Builds the output; on failure the output is left empty and errorString() says why.
    bool finalize();
    QString errorString() const;

  private:
    struct Private;
    std::unique_ptr<Private> d;
};
