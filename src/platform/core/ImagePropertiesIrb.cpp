// The IPTC block as files store it (a JPEG's Photoshop segments, a TIFF's IPTC tag): what Exiv2
// decodes from it loses the form of the IPTC times, and what it writes into a JPEG leaves the
// IPTC digest behind.
#include "platform/core/ImagePropertyTables.h"

#include <QCryptographicHash>

#include <cstring>
#include <vector>

namespace {

const char kSignature[] = "Photoshop 3.0"; // followed by its NUL
constexpr qsizetype kSignatureSize = sizeof(kSignature);
constexpr uint16_t kDigestTag = 0x0425;

quint16 be16(const QByteArray &b, qsizetype i) {
    return quint16((uchar(b[i]) << 8) | uchar(b[i + 1]));
}

// Where each APP13 Photoshop segment's resource data lies in the file; readers join them.
struct Segment {
    qsizetype fileOffset;
    qsizetype size;
};

std::vector<Segment> photoshopSegments(const QByteArray &b) {
    std::vector<Segment> segments;
    if (b.size() < 4 || uchar(b[0]) != 0xff || uchar(b[1]) != 0xd8)
        return segments;
    qsizetype i = 2;
    while (i + 4 <= b.size() && uchar(b[i]) == 0xff) {
        const uchar marker = uchar(b[i + 1]);
        if (marker == 0xff) {
            ++i;
            continue;
        }
        if (marker == 0x01 || (marker >= 0xd0 && marker <= 0xd7)) {
            i += 2;
            continue;
        }
        if (marker == 0xda || marker == 0xd9)
            break;
        const qsizetype length = be16(b, i + 2);
        if (length < 2 || i + 2 + length > b.size())
            break;
        if (marker == 0xed && length - 2 > kSignatureSize &&
            std::memcmp(b.constData() + i + 4, kSignature, size_t(kSignatureSize)) == 0)
            segments.push_back({i + 4 + kSignatureSize, length - 2 - kSignatureSize});
        i += 2 + length;
    }
    return segments;
}

QByteArray joined(const QByteArray &b, const std::vector<Segment> &segments) {
    QByteArray out;
    for (const Segment &p : segments)
        out += b.mid(p.fileOffset, p.size);
    return out;
}

// The data of the resource `tag` inside joined resource data; null when absent or broken.
QByteArray resourceData(const QByteArray &data, uint16_t tag, qsizetype *offset = nullptr) {
    const Exiv2::byte *record = nullptr;
    uint32_t sizeHdr = 0, sizeData = 0;
    const auto *start = reinterpret_cast<const Exiv2::byte *>(data.constData());
    if (Exiv2::Photoshop::locateIrb(start, long(data.size()), tag, &record, &sizeHdr, &sizeData) !=
        0)
        return {};
    const qsizetype at = qsizetype(record - start) + sizeHdr;
    if (offset)
        *offset = at;
    return data.mid(at, sizeData);
}

QByteArray jpegPhotoshopData(const QByteArray &jpeg) {
    return joined(jpeg, photoshopSegments(jpeg));
}

} // namespace

QByteArray jpegIptcData(const QByteArray &jpeg) {
    return resourceData(jpegPhotoshopData(jpeg), Exiv2::Photoshop::iptc_);
}

QByteArray tiffIptcData(const Exiv2::ExifData &exif, Exiv2::ByteOrder byteOrder) {
    const auto it = exif.findKey(Exiv2::ExifKey("Exif.Image.IPTCNAA"));
    if (it == exif.end() || it->size() == 0)
        return {};
    QByteArray raw(qsizetype(it->size()), '\0');
    // Writers store the block as bytes or as longs; in the file's order, longs give its bytes.
    it->copy(reinterpret_cast<Exiv2::byte *>(raw.data()), byteOrder);
    return raw;
}

void keepZonelessIptcTimes(Exiv2::IptcData &iptc, const QByteArray &raw) {
    // Exiv2 parses "HHMMSS" and "HHMMSS+0000" alike and writes both back with a zone; a time
    // stored without one keeps its six digits as text, so a rewrite stores it as it was.
    qsizetype i = 0;
    while (i + 5 <= raw.size() && raw[i] == 0x1c) {
        const int record = uchar(raw[i + 1]);
        const int dataset = uchar(raw[i + 2]);
        const qsizetype size = be16(raw, i + 3);
        if (size & 0x8000)
            return; // extended sizes never hold a time
        const QByteArray value = raw.mid(i + 5, size);
        const bool time = record == 2 && (dataset == 35 || dataset == 38 || dataset == 60 ||
                                          dataset == 63); // release, expiry, creation, digitizing
        if (time && size == 6) {
            const Exiv2::IptcKey key{uint16_t(dataset), uint16_t(record)};
            const auto it = iptc.findKey(key);
            if (it != iptc.end()) {
                Exiv2::StringValue text(value.toStdString());
                it->setValue(&text);
            }
        }
        i += 5 + size;
    }
}

void refreshIptcDigest(QByteArray *jpeg) {
    const std::vector<Segment> segments = photoshopSegments(*jpeg);
    const QByteArray data = joined(*jpeg, segments);
    qsizetype at = 0;
    if (resourceData(data, kDigestTag, &at).size() != 16)
        return;
    const QByteArray iptc = resourceData(data, Exiv2::Photoshop::iptc_);
    // Readers compare this MD5 with the IPTC block to tell whether the XMP still matches it;
    // with no IPTC left, a digest of nothing says there is nothing to match.
    const QByteArray digest = QCryptographicHash::hash(iptc, QCryptographicHash::Md5);
    // The 16 bytes keep their place: map the offset in the joined data back to the file.
    qsizetype before = 0;
    for (const Segment &p : segments) {
        if (at >= before && at + 16 <= before + p.size) {
            jpeg->replace(p.fileOffset + (at - before), 16, digest);
            return;
        }
        before += p.size;
    }
}
