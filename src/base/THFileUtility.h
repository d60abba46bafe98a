#pragma once

#include <QString>
#include <cstdint>

// Plain facts about one path, without following a final symbolic link.
class THFileUtility {
  public:
    // Type and permission bits of the file status; 0xE000 when the status cannot be read.
    static uint16_t fileTypeByPath(const QString &path);
    static bool fileIsRegular(const QString &path);
    static bool fileIsDirectory(const QString &path);
    // The size in the file status, or the end offset of the file opened for reading.
    static uint64_t fileSizeByPath(const QString &path);
};
