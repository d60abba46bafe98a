#pragma once

#include "batch/core/ImageOutputs.h"
#include "batch/core/StampLayout.h"

#include <QColor>
#include <QImage>
#include <QString>

// What a stamp run takes from the preferences when it starts; the workers read only this.
struct StampSettings {
    StampKind kind = StampKind::Date;
    QString corner = QStringLiteral("Lower left corner");
    QString dateFormat;
    QString fontName;
    int fontSize = 14; // pixels of the photo
    QColor color = Qt::white;
    bool recompress = true;
    bool overwrite = false;
    QString storage;
};

// The text `settings` stamps on the photo `bytes` (read from `path`): its date in the chosen
// format, or its copyright notice. Empty `why` and a text, or an empty text with `why`.
QString stampTextFor(const StampSettings &settings, const QByteArray &bytes, const QString &path,
                     QString *why);

// Draws `text` into its corner of `upright` (a copy is returned).
QImage drawStamp(const QImage &upright, const QString &text, const StampSettings &settings);

// Stamps the photo at `path` and writes it: recompressed (JPEG, or PNG for a PNG) or without
// recompression as "<name>.tiff", in the storage folder, or over the original when overwriting
// and the original has that format. The original's metadata is kept (Orientation 1). For the
// place stamp `placeText` is the text; the other stamps find their own.
PreparedOutput prepareStamp(const StampSettings &settings, const QString &path,
                            const QString &placeText = {});
// Prepared and written at once.
OutputResult stampPhotoFile(const StampSettings &settings, const QString &path,
                            const QString &placeText = {});
