#include "library/core/DatabaseContent.h"

#include "platform/core/FileCopy.h"

#include <QCryptographicHash>
#include <QFile>

namespace {

quint32 word(const uchar *p, bool bigEndian) {
    return bigEndian ? quint32(p[0]) << 24 | quint32(p[1]) << 16 | quint32(p[2]) << 8 | p[3]
                     : quint32(p[3]) << 24 | quint32(p[2]) << 16 | quint32(p[1]) << 8 | p[0];
}

quint32 bigWord(const uchar *p) {
    return word(p, true);
}

// SQLite's log checksum, carried on from (s0, s1) over `size` bytes (a multiple of 8).
void checksum(const uchar *p, qsizetype size, bool bigEndian, quint32 &s0, quint32 &s1) {
    for (qsizetype i = 0; i + 8 <= size; i += 8) {
        s0 += word(p + i, bigEndian) + s1;
        s1 += word(p + i + 4, bigEndian) + s0;
    }
}

} // namespace

WalContent walContent(const QString &walPath) {
    WalContent out;
    QFile wal(walPath);
    if (!wal.open(QIODevice::ReadOnly))
        return out;
    const QByteArray headerBytes = wal.read(32);
    if (headerBytes.size() < 32)
        return out;
    const auto *h = reinterpret_cast<const uchar *>(headerBytes.constData());
    const quint32 magic = bigWord(h);
    if (magic != 0x377f0682 && magic != 0x377f0683)
        return out;
    const bool bigEndian = magic == 0x377f0683;
    const quint32 pageSize = bigWord(h + 8);
    if (pageSize < 512 || pageSize > 65536 || (pageSize & (pageSize - 1)) != 0)
        return out;
    quint32 s0 = 0, s1 = 0;
    checksum(h, 24, bigEndian, s0, s1);
    if (s0 != bigWord(h + 24) || s1 != bigWord(h + 28))
        return out;
    out.salt1 = bigWord(h + 16);
    out.salt2 = bigWord(h + 20);
    // Frames count while their salts match the header and their checksums chain; only those
    // up to the last commit frame are visible to a reader.
    qint64 frame = 0;
    for (;;) {
        const QByteArray bytes = wal.read(24 + pageSize);
        if (bytes.size() < qsizetype(24 + pageSize))
            break;
        const auto *f = reinterpret_cast<const uchar *>(bytes.constData());
        if (bigWord(f + 8) != out.salt1 || bigWord(f + 12) != out.salt2)
            break;
        checksum(f, 8, bigEndian, s0, s1);
        checksum(f + 24, pageSize, bigEndian, s0, s1);
        if (s0 != bigWord(f + 16) || s1 != bigWord(f + 20))
            break;
        ++frame;
        if (bigWord(f + 4) != 0)
            out.frames = frame;
    }
    if (out.frames == 0)
        out.salt1 = out.salt2 = 0;
    return out;
}

QByteArray fileDigest(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha1);
    if (!hash.addData(&file))
        return {};
    return hash.result();
}

DatabaseContentState databaseContentState(const QString &path) {
    DatabaseContentState s;
    s.file = databaseFileState(path);
    s.wal = walContent(path + QStringLiteral("-wal"));
    return s;
}

bool databaseContentUnchanged(const QString &path, const DatabaseContentState &baseline,
                              const QString &sameBytesAs, QString *why) {
    const auto changed = [&](const QString &how) {
        if (why)
            *why = how;
        return false;
    };
    const DatabaseContentState now = databaseContentState(path);
    if (!now.file.exists)
        return changed(QStringLiteral("its database is gone"));
    if (!(now.wal == baseline.wal))
        return changed(QStringLiteral("its log holds transactions of another program"));
    if (now.file.header != baseline.file.header || now.file.size != baseline.file.size)
        return changed(QStringLiteral("its database was written"));
    // Readers leave the file alone: an unmoved file is unwritten.
    if (now.file.inode == baseline.file.inode && now.file.modifiedNs == baseline.file.modifiedNs)
        return true;
    // Written, perhaps with the same bytes: only its content can tell.
    const bool same = baseline.digest.isEmpty()
                          ? !sameBytesAs.isEmpty() && sameFileContents(path, sameBytesAs)
                          : fileDigest(path) == baseline.digest;
    return same || changed(QStringLiteral("its database was written"));
}
