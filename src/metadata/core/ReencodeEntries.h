#pragma once

#include <QByteArray>
#include <QString>
#include <QVariantMap>
#include <memory>

class ImageSource;

// The entries the batch tools and exports share for writing pixels anew. Each writes a new
// file and never replaces one that is there.

// A destination for one lossless TIFF at `outputPath`: pages are added from sources and the
// file is written by finalize(). Unlike a fixed "Orientation 4", each page keeps its source's
// orientation, so a picture never comes out mirrored.
class TiffImageDestination {
  public:
    explicit TiffImageDestination(const QString &outputPath) : path_(outputPath) {}
    // The TIFF road takes the pages of one source; a second source is refused.
    bool addImageFromSource(const ImageSource &source, const QVariantMap &properties);
    // Writes the file (a free name beside `outputPath` when that is taken); the path written,
    // or empty with errorString() set.
    QString finalize();
    const QString &errorString() const { return error_; }

  private:
    QString path_, error_;
    QByteArray encoded_;
};
std::unique_ptr<TiffImageDestination> createTiffImageDestination(const QString &outputPath);

// Reads `path` and writes a recompressed copy "<folder>/<name>_.<ext>": JPEG carrying the
// photo's metadata, or PNG without metadata for a ".png". Returns the path written, or empty
// with `why` (nothing is written when the photo cannot be read).
QString compressPhotowithFilePath(const QString &path, QString *why = nullptr);

// The image data encoded as PNG (no metadata) and written to `outputPath`, or its next free
// name. Returns the path written, or empty with `why`.
QString CompressPngWithImageData(const QByteArray &imageData, const QString &outputPath,
                                 QString *why = nullptr);
