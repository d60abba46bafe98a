#include "base/THWebUtility.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageAuthenticationCode>
#include <QStringList>
#include <optional>

namespace {
constexpr qint64 kBlock = 4096;

std::optional<QCryptographicHash::Algorithm> algorithmOf(int kind) {
    switch (kind) {
    case 0:
        return QCryptographicHash::Md5;
    case 1:
        return QCryptographicHash::Sha1;
    case 2:
        return QCryptographicHash::Sha256;
    case 3:
        return QCryptographicHash::Sha512;
    default:
        return std::nullopt;
    }
}

QString hexOf(const QByteArray &digest) {
    return QString::fromLatin1(digest.toHex());
}
} // namespace

QString THWebUtility::lazyMD5File(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    const qint64 size = file.size();
    if (size <= 0)
        return QString();
    const qint64 samples = qMin<qint64>(size / kBlock, 2) + 1;
    const qint64 step = size / samples;
    QCryptographicHash md5(QCryptographicHash::Md5);
    for (qint64 k = 0; k < samples; ++k) {
        if (!file.seek(step * k))
            break;
        const QByteArray sample = file.read(kBlock);
        if (sample.isEmpty())
            break;
        md5.addData(sample);
    }
    return hexOf(md5.result());
}

QString THWebUtility::lazyHashPackage(const QString &folderPath) {
    const QDir root(folderPath);
    QStringList work =
        root.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    QStringList result;
    for (qsizetype i = 0; i < work.size(); ++i) {
        const QString name = work.at(i);
        const QString last = name.section(QLatin1Char('/'), -1);
        if (last.startsWith(QLatin1Char('.')) || last.startsWith(QLatin1String("__MACOSX")))
            continue;
        const QFileInfo info(root.filePath(name));
        if (info.isSymLink()) {
            result << name;
        } else if (info.isDir()) {
            if (name.split(QLatin1Char('/')).size() > 3)
                continue;
            result << name;
            const QStringList entries = QDir(info.filePath())
                                            .entryList(QDir::AllEntries | QDir::Hidden |
                                                       QDir::System | QDir::NoDotAndDotDot);
            for (const QString &entry : entries)
                work << name + QLatin1Char('/') + entry;
        } else if (info.isFile()) {
            // The file's own size, so a changed file changes the package's hash.
            result << QStringLiteral("%1-%2").arg(name).arg(info.size());
        }
    }
    result.sort();
    return hashString(result.join(QLatin1Char(',')), 0);
}

bool THWebUtility::isFilePackage(const QString &path) {
    static const QStringList packageSuffixes = {
        QStringLiteral("app"),          QStringLiteral("bundle"),
        QStringLiteral("framework"),    QStringLiteral("plugin"),
        QStringLiteral("rtfd"),         QStringLiteral("photoslibrary"),
        QStringLiteral("photolibrary"), QStringLiteral("migratedphotolibrary"),
        QStringLiteral("aplibrary"),    QStringLiteral("pages"),
        QStringLiteral("numbers"),      QStringLiteral("key")};
    const QFileInfo info(path);
    return info.isDir() && packageSuffixes.contains(info.suffix(), Qt::CaseInsensitive);
}

QString THWebUtility::lazyHashFile(const QString &path) {
    return isFilePackage(path) ? lazyHashPackage(path) : lazyMD5File(path);
}

QString THWebUtility::hashFile(const QString &path, int kind) {
    const auto algorithm = algorithmOf(kind);
    if (!algorithm)
        return QString();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    QCryptographicHash hash(*algorithm);
    for (;;) {
        const QByteArray block = file.read(kBlock);
        if (block.isEmpty()) {
            if (file.error() != QFileDevice::NoError)
                return QString();
            break;
        }
        hash.addData(block);
    }
    return hexOf(hash.result());
}

QString THWebUtility::hashData(const QByteArray &data, int kind, bool isNull) {
    const auto algorithm = algorithmOf(kind);
    if (!algorithm || isNull)
        return QString();
    return hexOf(QCryptographicHash::hash(data, *algorithm));
}

QString THWebUtility::hashString(const QString &string, int kind) {
    return hashData(string.toUtf8(), kind, string.isNull());
}

QString THWebUtility::hMacData(const QByteArray &data, const QString &secretKey, int kind,
                               bool dataIsNull) {
    const auto algorithm = algorithmOf(kind);
    if (!algorithm || dataIsNull || secretKey.isNull())
        return QString();
    return hexOf(QMessageAuthenticationCode::hash(data, secretKey.toUtf8(), *algorithm));
}

QString THWebUtility::hMacString(const QString &string, const QString &secretKey, int kind) {
    return hMacData(string.toUtf8(), secretKey, kind, string.isNull());
}
