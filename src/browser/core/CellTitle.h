#pragma once

#include <QFontMetrics>
#include <QString>

// The title under a browser cell's picture: the whole name on one line or, broken at a space
// (else anywhere), on two; a name still longer loses characters from its middle (the second
// line's start), so its start and its ending (number, extension) both show.
// Lines are separated by QChar::LineSeparator; each is at most `width` pixels wide.
QString cellTitleText(const QString &name, const QFontMetrics &metrics, int width);
