#include "MakeDng.h"

#include <algorithm>
#include <initializer_list>
#include <utility>
#include <vector>

namespace {

enum TiffType : quint16 { Byte = 1, Ascii = 2, Short = 3, Long = 4, Rational = 5, SRational = 10 };

constexpr int kRawSide = 64; // LibRaw refuses raw images narrower or shorter than 22 pixels
constexpr quint16 kWhiteLevel = 4095;

void putU16(QByteArray &b, quint16 v) {
    b.append(char(v & 0xff));
    b.append(char(v >> 8));
}

void putU32(QByteArray &b, quint32 v) {
    putU16(b, quint16(v & 0xffff));
    putU16(b, quint16(v >> 16));
}

struct Entry {
    quint16 tag;
    quint16 type;
    quint32 count;
    QByteArray data; // already little-endian
};

using Ifd = std::vector<Entry>;

Entry bytes(quint16 tag, std::initializer_list<quint8> values) {
    QByteArray d;
    for (quint8 v : values)
        d.append(char(v));
    return {tag, Byte, quint32(values.size()), d};
}

Entry shorts(quint16 tag, std::initializer_list<quint16> values) {
    QByteArray d;
    for (quint16 v : values)
        putU16(d, v);
    return {tag, Short, quint32(values.size()), d};
}

Entry longs(quint16 tag, std::initializer_list<quint32> values) {
    QByteArray d;
    for (quint32 v : values)
        putU32(d, v);
    return {tag, Long, quint32(values.size()), d};
}

Entry ascii(quint16 tag, const QString &text) {
    QByteArray d = text.toLatin1();
    d.append('\0');
    return {tag, Ascii, quint32(d.size()), d};
}

Entry rationals(quint16 tag, quint16 type,
                std::initializer_list<std::pair<qint32, qint32>> values) {
    QByteArray d;
    for (auto [num, den] : values) {
        putU32(d, quint32(num));
        putU32(d, quint32(den));
    }
    return {tag, type, quint32(values.size()), d};
}

// Offsets are only known once every block's size is, so pointer tags are written with a dummy
// value first and patched here; a LONG stays 4 bytes, so patching never changes any size.
void setLong(Ifd &ifd, quint16 tag, quint32 value) {
    for (Entry &e : ifd) {
        if (e.tag == tag) {
            e.data.clear();
            putU32(e.data, value);
        }
    }
}

// Lays out one IFD at file offset `offset`, with values too big for the entry right after it.
QByteArray serialize(Ifd ifd, quint32 offset) {
    // TIFF readers may binary-search or stop early, so entries must be in ascending tag order.
    std::sort(ifd.begin(), ifd.end(), [](const Entry &a, const Entry &b) { return a.tag < b.tag; });
    QByteArray out;
    QByteArray extra;
    const quint32 extraStart = offset + 2 + 12 * quint32(ifd.size()) + 4;
    putU16(out, quint16(ifd.size()));
    for (const Entry &e : ifd) {
        putU16(out, e.tag);
        putU16(out, e.type);
        putU32(out, e.count);
        if (e.data.size() <= 4) {
            out.append(e.data.leftJustified(4, '\0'));
        } else {
            putU32(out, extraStart + quint32(extra.size()));
            extra.append(e.data);
            if (extra.size() % 2) // TIFF wants every value offset on a word boundary
                extra.append('\0');
        }
    }
    putU32(out, 0); // no chained IFD: the raw image is reached through SubIFDs instead
    return out + extra;
}

// The preview IFD must state its pixel size: LibRaw keeps the largest candidate as the thumbnail
// and would ignore one claiming 0x0, so read it from the JPEG's start-of-frame segment.
std::pair<quint16, quint16> jpegSize(const QByteArray &jpeg) {
    const auto at = [&](int i) { return quint8(jpeg[i]); };
    int i = 2;
    while (i + 9 < jpeg.size() && at(i) == 0xff) {
        const quint8 marker = at(i + 1);
        const int length = (at(i + 2) << 8) | at(i + 3);
        const bool isSof =
            marker >= 0xc0 && marker <= 0xcf && marker != 0xc4 && marker != 0xc8 && marker != 0xcc;
        if (isSof)
            return {quint16((at(i + 7) << 8) | at(i + 8)), quint16((at(i + 5) << 8) | at(i + 6))};
        i += 2 + length;
    }
    return {0, 0};
}

} // namespace

QByteArray makeMinimalDng(const QByteArray &jpegPreview, const QString &make, const QString &model,
                          const QString &dateTimeOriginal) {
    const bool hasPreview = !jpegPreview.isEmpty();

    Ifd exif = {ascii(0x9003, dateTimeOriginal)}; // DateTimeOriginal

    // Tags that DNG readers look for in IFD0, whichever image IFD0 holds.
    Ifd ifd0 = {
        ascii(0x010f, make),                // Make
        ascii(0x0110, model),               // Model
        longs(0x8769, {0}),                 // Exif IFD, patched below
        bytes(0xc612, {1, 4, 0, 0}),        // DNGVersion
        bytes(0xc613, {1, 1, 0, 0}),        // DNGBackwardVersion
        ascii(0xc614, make + u' ' + model), // UniqueCameraModel
        // Identity matrix and neutral white balance: LibRaw opens the file without them, but DNG
        // requires a ColorMatrix1 for colour raws and the values do not matter to the tests.
        rationals(0xc621, SRational,
                  {{1, 1}, {0, 1}, {0, 1}, {0, 1}, {1, 1}, {0, 1}, {0, 1}, {0, 1}, {1, 1}}),
        shorts(0xc65a, {21}),                                  // CalibrationIlluminant1 = D65
        rationals(0xc628, Rational, {{1, 1}, {1, 1}, {1, 1}}), // AsShotNeutral
    };

    const quint32 rawBytes = kRawSide * kRawSide * 2;
    Ifd raw = {
        longs(0x00fe, {0}),            // NewSubfileType: main image
        longs(0x0100, {kRawSide}),     // ImageWidth
        longs(0x0101, {kRawSide}),     // ImageLength
        shorts(0x0102, {16}),          // BitsPerSample
        shorts(0x0103, {1}),           // Compression: uncompressed
        shorts(0x0106, {32803}),       // PhotometricInterpretation: CFA
        longs(0x0111, {0}),            // StripOffsets, patched below
        shorts(0x0115, {1}),           // SamplesPerPixel
        longs(0x0116, {kRawSide}),     // RowsPerStrip
        longs(0x0117, {rawBytes}),     // StripByteCounts
        shorts(0x828d, {2, 2}),        // CFARepeatPatternDim
        bytes(0x828e, {0, 1, 1, 2}),   // CFAPattern: RGGB
        shorts(0xc61a, {0}),           // BlackLevel
        shorts(0xc61d, {kWhiteLevel}), // WhiteLevel
    };

    if (hasPreview) {
        const auto [width, height] = jpegSize(jpegPreview);
        // A DNG preview is a single-strip "new-style" JPEG (Compression 7) with 3x8-bit samples;
        // LibRaw hands such a strip out untouched as a JPEG thumbnail.
        const Ifd preview = {
            longs(0x00fe, {1}),        // NewSubfileType: reduced-resolution copy
            longs(0x0100, {width}),    // ImageWidth
            longs(0x0101, {height}),   // ImageLength
            shorts(0x0102, {8, 8, 8}), // BitsPerSample
            shorts(0x0103, {7}),       // Compression: JPEG
            shorts(0x0106, {6}),       // PhotometricInterpretation: YCbCr, as in JPEG
            longs(0x0111, {0}),        // StripOffsets, patched below
            shorts(0x0115, {3}),       // SamplesPerPixel
            longs(0x0116, {height}),   // RowsPerStrip
            longs(0x0117, {quint32(jpegPreview.size())}), // StripByteCounts
            longs(0x014a, {0}),                           // SubIFDs, patched below
        };
        ifd0.insert(ifd0.end(), preview.begin(), preview.end());
    } else {
        ifd0.insert(ifd0.end(), raw.begin(), raw.end());
    }

    // Layout: header, IFD0, Exif IFD, [raw SubIFD], [JPEG], raw pixels.
    const quint32 ifd0Offset = 8;
    const quint32 exifOffset = ifd0Offset + quint32(serialize(ifd0, 0).size());
    const quint32 subOffset = exifOffset + quint32(serialize(exif, 0).size());
    const quint32 jpegOffset = subOffset + (hasPreview ? quint32(serialize(raw, 0).size()) : 0);
    const quint32 pixelOffset = (jpegOffset + quint32(jpegPreview.size()) + 1) & ~1u;

    setLong(ifd0, 0x8769, exifOffset);
    if (hasPreview) {
        setLong(ifd0, 0x0111, jpegOffset);
        setLong(ifd0, 0x014a, subOffset);
        setLong(raw, 0x0111, pixelOffset);
    } else {
        setLong(ifd0, 0x0111, pixelOffset);
    }

    QByteArray file("II*\0", 4);
    putU32(file, ifd0Offset);
    file += serialize(ifd0, ifd0Offset);
    file += serialize(exif, exifOffset);
    if (hasPreview)
        file += serialize(raw, subOffset);
    file += jpegPreview;
    file = file.leftJustified(pixelOffset, '\0');

    // A mid-grey ramp rather than zeros, so a decoder that reads the strip sees real data.
    for (int y = 0; y < kRawSide; ++y)
        for (int x = 0; x < kRawSide; ++x)
            putU16(file, quint16(512 + (x + y) * 16));
    return file;
}
