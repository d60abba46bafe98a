#pragma once

#include <QDateTime>
#include <QImage>
#include <QString>
#include <QVariant>
#include <cstdint>

// Writes a byte count as "%d bytes", "%.2f KB", "%.2f MB", "%.2f GB" or "%.2f TB", in
// decimal steps of 1000, into the caller's buffer (a few dozen bytes) and returns it.
char *size_to_unit(uint64_t size, char *out_buffer);
// The same text as a string.
QString sizeToUnitString(uint64_t size);

// Whether a property value holds a number (any integer type, or a float).
bool isNumberVariant(const QVariant &value);

// UTF-8 bytes of a database column as a string; invalid UTF-8 gives the empty string.
QString GetStringFormChar(const char *utf8);
// Decodes UTF-8 into `count` 32-bit units (cleared first, zero-terminated when there is
// room); returns the number of characters written, 0 for invalid UTF-8.
int Char2Unicode(const char *utf8, uint32_t *uncode, int count);

// A new image of exactly width x height: white, with the whole source drawn scaled over it.
// The caller chooses the size; the aspect ratio is not kept.
QImage resizeTo(const QImage &image, int width, int height);

// YES when the text is a metadata date "yyyy:MM:dd HH:mm:ss" or "yyyy-MM-dd HH:mm:ss".
bool CheckDateFormatWithDateString(const QString &text);
// The date the text names in local time, trying the seven accepted forms in order;
// an invalid QDateTime when none fits.
QDateTime ConvertDateWithDateString(const QString &text);
