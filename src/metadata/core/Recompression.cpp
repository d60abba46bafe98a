#include "metadata/core/Recompression.h"

#include "platform/core/ImageDestination.h"
#include "platform/core/ImageSource.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>

QByteArray recompressPhoto(const QByteArray &original, const QVariantMap &properties,
                           const QString &fileName, QString *why) {
    const QImage image = QImage::fromData(original);
    if (image.isNull()) {
        *why = QStringLiteral("the picture cannot be decoded for recompression");
        return {};
    }
    const bool png =
        QFileInfo(fileName).suffix().compare(QLatin1String("png"), Qt::CaseInsensitive) == 0;
    QByteArray encoded;
    {
        QBuffer buffer(&encoded);
        buffer.open(QIODevice::WriteOnly);
        if (!image.save(&buffer, png ? "PNG" : "JPEG", png ? -1 : 90)) {
            *why = QStringLiteral("the picture cannot be encoded");
            return {};
        }
    }
    if (png)
        return encoded;

    QVariantMap frame = properties;
    // These describe the pixels, which the new file's own header already states.
    frame.remove(QStringLiteral("PixelWidth"));
    frame.remove(QStringLiteral("PixelHeight"));
    ImageSource source(encoded);
    QByteArray out;
    ImageDestination destination(&out, source.type(), 1);
    destination.addImageFromSource(source, 0, frame);
    if (!destination.finalize()) {
        *why = destination.errorString();
        return {};
    }
    return out;
}
