#include "platform/core/PngExif.h"

#include <QtEndian>
#include <algorithm>
#include <array>
#include <vector>

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

struct Chunk {
    QByteArray type;
    qsizetype at = 0; // of its length field
    qsizetype length = 0;
};

// Every whole chunk after the signature, in file order.
std::vector<Chunk> chunksOf(const QByteArray &png) {
    std::vector<Chunk> out;
    for (qsizetype at = kSignature.size(); at + 12 <= png.size();) {
        const quint32 length = qFromBigEndian<quint32>(png.constData() + at);
        if (length > quint32(png.size() - at - 12))
            break;
        out.push_back({png.mid(at + 4, 4), at, qsizetype(length)});
        at += 12 + qsizetype(length);
    }
    return out;
}

// Apple's iDOT: a part count, then per part its first row, its row count and the offset from
// the iDOT chunk to the part's first IDAT chunk, big-endian.
const Chunk *idotOf(const std::vector<Chunk> &chunks) {
    for (const Chunk &c : chunks)
        if (c.type == "iDOT" && c.length >= 4 && (c.length - 4) % 12 == 0)
            return &c;
    return nullptr;
}

// The place of each IDAT chunk in `chunks`, by its start.
std::vector<qsizetype> idatStarts(const std::vector<Chunk> &chunks) {
    std::vector<qsizetype> out;
    for (const Chunk &c : chunks)
        if (c.type == "IDAT")
            out.push_back(c.at);
    return out;
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
        // Before Apple's iDOT too, which must stay right before the data its offsets point at.
        if (!placed && (type == "IDAT" || type == "IEND" || type == "iDOT")) {
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

QByteArray withIdotOf(const QByteArray &original, const QByteArray &png) {
    const std::vector<Chunk> before = chunksOf(original), after = chunksOf(png);
    const Chunk *oldIdot = idotOf(before), *newIdot = idotOf(after);
    const std::vector<qsizetype> oldIdats = idatStarts(before), newIdats = idatStarts(after);
    if (!oldIdot || !newIdot || oldIdot->length != newIdot->length ||
        oldIdats.size() != newIdats.size())
        return png;
    QByteArray out = png;
    char *data = out.data() + newIdot->at + 8;
    const quint32 parts = qFromBigEndian<quint32>(original.constData() + oldIdot->at + 8);
    if (qsizetype(parts) * 12 + 4 != oldIdot->length)
        return png;
    for (quint32 i = 0; i < parts; ++i) {
        const qsizetype field = 4 + 12 * qsizetype(i) + 8;
        const qsizetype target =
            oldIdot->at + qFromBigEndian<quint32>(original.constData() + oldIdot->at + 8 + field);
        // The part's IDAT chunk by its place among the IDAT chunks, which a write keeps.
        const auto it = std::find(oldIdats.begin(), oldIdats.end(), target);
        if (it == oldIdats.end())
            return png; // it pointed at no IDAT chunk before either
        const qsizetype moved = newIdats[size_t(it - oldIdats.begin())] - newIdot->at;
        if (moved < 0)
            return png;
        qToBigEndian(quint32(moved), data + field);
    }
    const QByteArray body = out.mid(newIdot->at + 4, 4 + newIdot->length);
    qToBigEndian(crc32(body), out.data() + newIdot->at + 8 + newIdot->length);
    return out;
}
