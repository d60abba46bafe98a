#include "platform/core/PngExif.h"

#include <QtEndian>
#include <array>

namespace {

const QByteArray kSignature("\x89PNG\r\n\x1a\n", 8);

quint32 crc32(const QByteArray &bytes) {
    static const std::array<quint32, 256> table = [] {
        std::array<quint32, 256> t{};
        for (quint32 n = 0; n < 256; ++n) {
            quint32 c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xedb88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    quint32 c = 0xffffffffu;
    for (char b : bytes)
        c = table[(c ^ quint8(b)) & 0xff] ^ (c >> 8);
    return c ^ 0xffffffffu;
}

QByteArray chunk(const QByteArray &type, const QByteArray &data) {
    QByteArray out(4, '\0');
    qToBigEndian(quint32(data.size()), out.data());
    const QByteArray body = type + data;
    out += body;
    QByteArray crc(4, '\0');
    qToBigEndian(crc32(body), crc.data());
    return out + crc;
}

// Text chunks in which image tools keep Exif out of the standard's place.
bool isExifText(const QByteArray &type, const QByteArray &data) {
    if (type != "tEXt" && type != "zTXt" && type != "iTXt")
        return false;
    const QByteArray keyword = data.left(data.indexOf('\0'));
    return keyword == "Raw profile type exif" || keyword == "Raw profile type APP1";
}

} // namespace

QByteArray withExifChunk(const QByteArray &png, const QByteArray &tiffExif) {
    if (!png.startsWith(kSignature))
        return {};
    QByteArray out = kSignature;
    bool placed = tiffExif.isEmpty();
    qsizetype at = kSignature.size();
    while (at + 12 <= png.size()) {
        const quint32 length = qFromBigEndian<quint32>(png.constData() + at);
        if (length > quint32(png.size() - at - 12))
            return {}; // cut short: better no file than half a one
        const QByteArray type = png.mid(at + 4, 4);
        const QByteArray data = png.mid(at + 8, length);
        const qsizetype next = at + 12 + qsizetype(length);
        if (!placed && (type == "IDAT" || type == "IEND")) {
            out += chunk("eXIf", tiffExif);
            placed = true;
        }
        if (type != "eXIf" && !isExifText(type, data))
            out += png.mid(at, next - at);
        at = next;
        if (type == "IEND")
            break;
    }
    return placed ? out : QByteArray();
}
