#pragma once

#include <QString>
#include <cstdint>

// Extension lookups. Each takes an extension without its dot and returns its index in a
// fixed list (ASCII case folded, first match wins), or -1 for none or a null argument.
int32_t GetSupportRAWImageType(const char *ext); // RAWs we edit through a JPEG temporary
int32_t GetSomeRAWImageType(const char *ext);
int32_t GetRAWImageType(const char *ext);
int32_t GetImageType(const char *ext);     // formats the editing features accept
int32_t GetDragImageType(const char *ext); // formats imports and drops accept
int32_t GetViedoType(const char *ext);

// The same lookups for the extension of a path or file name.
int32_t GetSupportRAWImageType(const QString &pathOrExt);
int32_t GetSomeRAWImageType(const QString &pathOrExt);
int32_t GetRAWImageType(const QString &pathOrExt);
int32_t GetImageType(const QString &pathOrExt);
int32_t GetDragImageType(const QString &pathOrExt);
int32_t GetViedoType(const QString &pathOrExt);
