#pragma once

#include <QImage>
#include <functional>
#include <optional>

// The system version as three numbers. `selector` answers the four-letter codes "sysv"
// (a packed value), "sys1", "sys2" and "sys3" (major, minor, bug fix), or nothing when it
// cannot. Packed values up to 0x103F are binary-coded decimal; larger ones defer to the
// three separate codes. Any unanswered request gives 10, 0, 0. Null outputs are skipped.
using VersionSelector = std::function<std::optional<long>(const char *code)>;
void decodeSystemVersion(const VersionSelector &selector, int *major, int *minor, int *bugFix);
// This system's answers, from the operating system's version numbers.
VersionSelector systemVersionSelector();

// A new image of exactly width x height with the source scaled into it, or a null image
// (logging "Invalid Image") when the source is not valid or the size is empty.
QImage thumbnailImage(const QImage &source, int width, int height);
