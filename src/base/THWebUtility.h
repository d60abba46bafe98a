#pragma once

#include <QByteArray>
#include <QString>

// Digests and keyed digests as lowercase hexadecimal text. Kinds: 0 MD5, 1 SHA-1,
// 2 SHA-256, 3 SHA-512; any other kind, and missing input, give a null string.
class THWebUtility {
  public:
    // MD5 over up to three 4096-byte samples spread over the file; null for an empty file.
    static QString lazyMD5File(const QString &path);
    // MD5 of the sorted listing of a folder (names, and sizes of its files).
    static QString lazyHashPackage(const QString &folderPath);
    // lazyHashPackage for a file package (a bundle-like folder), else lazyMD5File.
    static QString lazyHashFile(const QString &path);
    static bool isFilePackage(const QString &path);

    static QString hashFile(const QString &path, int kind);
    static QString hashData(const QByteArray &data, int kind, bool isNull = false);
    static QString hashString(const QString &string, int kind);
    static QString hMacData(const QByteArray &data, const QString &secretKey, int kind,
                            bool dataIsNull = false);
    static QString hMacString(const QString &string, const QString &secretKey, int kind);
};
