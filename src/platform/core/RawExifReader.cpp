#include "platform/core/RawExifReader.h"

#include "base/Logging.h"
#include "base/SharedHelpers.h"

#include <QDebug>
#include <QFile>
#include <cstring>

namespace {
constexpr int kMaxWalks = 64;            // EXIF identifiers followed per file
constexpr int kMaxEntries = 65536;       // directory entries read per file, all walks
constexpr quint32 kMaxTextBytes = 65536; // longest ASCII value shown

struct Tag {
    quint16 tag;
    const char *message;
};

const Tag kIfd0Tags[] = {
    {0x010f, "makeString====%1"},
    {0x0110, "ModelString====%1"},
    {0x0112, "Orientation====%1"},
    {0x011a, "XResolution====%1"},
    {0x011b, "YResolution====%1"},
    {0x0128, "ResolutionUnitString====%1"},
    {0x0131, "SoftwareString====%1"},
    {0x0132, "DateTimeString====%1"},
    {0x0213, "YCbCrPostioningString====%1"},
    {0x8825, "GPSIFDString====%1"},
};

const Tag kExifTags[] = {
    {0x829a, "ExposoureTime====%1"},
    {0x829d, "FNumber====%1"},
    {0x8822, "ExposureProgram====%1"},
    {0x8827, "ISOSpeedRatings====%1"},
    {0x9000, "ExifVersion====%1"},
    {0x9003, "DateTimeOriginal====%1"},
    {0x9004, "DateTimeDigitized====%1"},
    {0x9101, "ComponentsConfiguration====%1"},
    {0x9201, "GPSIFDString====%1"},
    {0x9202, "ApertureValue====%1"},
    {0x9203, "BrightnessValue====%1"},
    {0x9207, "ApertureValue====%1"},
    {0x9209, "Flashfired====%1"},
    {0x920a, "FocalLength====%1"},
    {0xa000, "FlashpixVersion====%1"},
    {0xa001, "ColorSpace====%1"},
    {0xa002, "PixelXDimension====%1"},
    {0xa003, "PixelYDimension====%1"},
    {0xa217, "SensingMethod Colarea sens====%1"},
    {0xa401, "CustomRendered====%1"},
    {0xa402, "ExposureMode====%1"},
    {0xa403, "GPSIFDString====%1"},
    {0xa405, "GPSIFDString====%1"},
    {0xa406, "GPSIFDString====%1"},
};

template <size_t N> const char *messageFor(const Tag (&table)[N], quint16 tag) {
    for (const Tag &t : table)
        if (t.tag == tag)
            return t.message;
    return nullptr;
}

// Reads numbers of one TIFF block in its byte order; anything outside [begin, end) is 0.
struct Block {
    const uchar *bytes;
    qint64 begin; // the TIFF header
    qint64 end;   // end of the EXIF segment (or of the file)
    bool big;

    bool has(qint64 pos, qint64 n) const { return pos >= begin && n >= 0 && pos + n <= end; }
    quint32 u16(qint64 pos) const {
        if (!has(pos, 2))
            return 0;
        return big ? (bytes[pos] << 8 | bytes[pos + 1]) : (bytes[pos + 1] << 8 | bytes[pos]);
    }
    quint32 u32(qint64 pos) const {
        if (!has(pos, 4))
            return 0;
        const quint32 hi = u16(pos), lo = u16(pos + 2);
        return big ? (hi << 16 | lo) : (lo << 16 | hi);
    }
};

// The value of one directory entry as text; null when it cannot be shown.
QString entryValue(const Block &b, qint64 p) {
    const quint32 type = b.u16(p + 2);
    const quint32 count = b.u32(p + 4);
    switch (type) {
    case 2: { // ASCII: inline up to 4 bytes, else at an offset from the header
        const quint32 n = qMin(count, kMaxTextBytes);
        const qint64 at = n <= 4 ? p + 8 : b.begin + b.u32(p + 8);
        if (n == 0 || !b.has(at, n))
            return QString();
        QByteArray text(reinterpret_cast<const char *>(b.bytes + at), n);
        const qsizetype nul = text.indexOf('\0');
        if (nul >= 0)
            text.truncate(nul);
        return GetStringFormChar(text.constData());
    }
    case 3: // SHORT: the value sits in the first two bytes of the value field
        return QString::number(b.u16(p + 8));
    case 4:
        return QString::number(b.u32(p + 8));
    case 9:
        return QString::number(qint32(b.u32(p + 8)));
    case 5:
    case 10: { // RATIONAL: two LONGs at an offset from the header
        const qint64 at = b.begin + b.u32(p + 8);
        if (!b.has(at, 8))
            return QString();
        if (type == 10)
            return QStringLiteral("%1/%2").arg(qint32(b.u32(at))).arg(qint32(b.u32(at + 4)));
        return QStringLiteral("%1/%2").arg(b.u32(at)).arg(b.u32(at + 4));
    }
    case 7: // UNDEFINED: short values (versions) are printable in place
        if (count > 0 && count <= 4)
            return QString::fromLatin1(reinterpret_cast<const char *>(b.bytes + p + 8), int(count))
                .remove(QChar(0));
        return QString();
    default:
        return QString();
    }
}

// A file can hold the markers millions of times; the diagnostic stops growing long before.
constexpr int kMaxLogLines = 2000;

void addLine(QStringList &log, const QString &line) {
    if (log.size() < kMaxLogLines)
        log << line;
    else if (log.size() == kMaxLogLines)
        log << QStringLiteral("(log cut after %1 lines)").arg(kMaxLogLines);
}

QString shown(const QString &value) {
    return value.isNull() ? QStringLiteral("(null)") : value;
}

class Walker {
  public:
    Walker(QStringList &log) : m_log(log) {}

    void walkExifSegment(const uchar *bytes, qint64 size, qint64 idPos) {
        // The segment length is big-endian, as every JPEG marker length.
        qint64 segEnd = size;
        if (idPos >= 2) {
            const qint64 len = (bytes[idPos - 2] << 8) | bytes[idPos - 1];
            segEnd = qMin<qint64>(size, idPos - 2 + len);
        }
        const qint64 tiff = idPos + 6;
        if (tiff + 8 > segEnd) {
            addLine(m_log, QStringLiteral("EXIF block too short"));
            return;
        }
        bool big;
        if (bytes[tiff] == 'M' && bytes[tiff + 1] == 'M')
            big = true;
        else if (bytes[tiff] == 'I' && bytes[tiff + 1] == 'I')
            big = false;
        else {
            addLine(m_log, QStringLiteral("EXIF block with unknown byte order"));
            return;
        }
        const Block b{bytes, tiff, segEnd, big};
        const qint64 ifd0 = tiff + b.u32(tiff + 4);
        walkDirectory(b, ifd0, true);
    }

  private:
    void walkDirectory(const Block &b, qint64 ifd, bool isIfd0) {
        if (!b.has(ifd, 2))
            return;
        // Only as many entries as the block can hold, within the file's budget.
        const qint64 fits = (b.end - ifd - 2) / 12;
        const qint64 count = qMin<qint64>(b.u16(ifd), fits);
        for (qint64 i = 0; i < count; ++i) {
            if (++m_entries > kMaxEntries) {
                if (m_entries == kMaxEntries + 1)
                    addLine(m_log, QStringLiteral("EXIF walk stopped: too many entries"));
                return;
            }
            const qint64 p = ifd + 2 + 12 * i;
            const quint16 tag = quint16(b.u16(p));
            if (isIfd0 && tag == 0x8769) {
                // The Exif directory is walked once, from IFD0 only, so pointers
                // cannot chain into a cycle.
                if (b.u16(p + 2) == 4)
                    walkDirectory(b, b.begin + b.u32(p + 8), false);
                continue;
            }
            const char *message = isIfd0 ? messageFor(kIfd0Tags, tag) : messageFor(kExifTags, tag);
            if (message)
                addLine(m_log, QString::fromLatin1(message).arg(shown(entryValue(b, p))));
        }
    }

    QStringList &m_log;
    int m_entries = 0;
};
} // namespace

QString getHexString(const QByteArray &data, qint64 offset, qint64 count) {
    const QByteArray bytes = readData(data, offset, count);
    if (bytes.isNull())
        return QString();
    return QString::fromLatin1(bytes.toHex());
}

quint64 DemaNumberFormHexChar(const QString &hex, int digits) {
    if (hex.isNull() || digits <= 0 || hex.size() < digits)
        return 0;
    quint64 value = 0;
    for (int i = 0; i < digits && i < 16; ++i) {
        const QChar c = hex.at(i);
        int d = 0;
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            d = c.unicode() - '0';
        else if (c >= QLatin1Char('a') && c <= QLatin1Char('f'))
            d = c.unicode() - 'a' + 10;
        value = value << 4 | quint64(d);
    }
    return value;
}

QByteArray readData(const QByteArray &data, qint64 offset, qint64 count) {
    if (count <= 0 || count > kMaxTextBytes)
        return QByteArray();
    QByteArray out(count, '\0');
    for (qint64 i = 0; i < count; ++i) {
        const qint64 at = offset + i;
        if (at >= 0 && at < data.size())
            out[i] = data.at(at);
    }
    return out;
}

QString stringFromHex(const QString &hex) {
    if (hex.size() < 2)
        return QStringLiteral("");
    return QString::fromLatin1(QByteArray::fromHex(hex.left(hex.size() & ~1).toLatin1()));
}

QString stringToHex(const QString &string) {
    QString out;
    for (QChar c : string)
        out += QStringLiteral("%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
    return out;
}

QStringList ReadExifDataFromPiture(const QString &path, RawExifState &state) {
    QStringList log;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        addLine(log, QStringLiteral("Unable to open %1").arg(path));
    } else {
        const qint64 size = file.size();
        const QByteArray head = file.read(2);
        addLine(log, QString::fromLatin1(head.toHex()));
        // Mapping gives the bytes without copying however large the file is.
        const uchar *bytes =
            size > 0 && head == QByteArray("\xff\xd8", 2) ? file.map(0, size) : nullptr;
        if (bytes) {
            static const char exifId[6] = {'E', 'x', 'i', 'f', 0, 0};
            static const char thumbMark[6] = {0x00, 0x0c, 0x03, 0x01, 0x00, 0x02};
            Walker walker(log);
            int walks = 0;
            for (qint64 pos = 0; pos < size; ++pos) {
                if (pos + 6 <= size && std::memcmp(bytes + pos, exifId, 6) == 0) {
                    addLine(log, QStringLiteral("457869660000"));
                    if (++walks <= kMaxWalks)
                        walker.walkExifSegment(bytes, size, pos);
                } else if (pos + 6 <= size && std::memcmp(bytes + pos, thumbMark, 6) == 0) {
                    addLine(log, QStringLiteral("000c03010002"));
                    if (state.bhasThumImage)
                        state.theImageData.clear();
                } else if (pos + 2 <= size && bytes[pos] == 0xff && bytes[pos + 1] == 0xd9 &&
                           pos != size - 2) {
                    state.bhasThumImage = true;
                }
            }
            file.unmap(const_cast<uchar *>(bytes));
        } else if (size > 0 && head == QByteArray("\xff\xd8", 2)) {
            addLine(log, QStringLiteral("Unable to read %1").arg(path));
        }
    }
    for (const QString &line : log)
        qCDebug(lcApp).noquote() << line;
    return log;
}
