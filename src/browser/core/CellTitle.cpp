#include "browser/core/CellTitle.h"

namespace {

// How many leading characters fit in `width`; at least one, so every line makes progress.
qsizetype fittingPrefix(const QString &text, const QFontMetrics &metrics, int width) {
    qsizetype n = 0;
    while (n < text.size()) {
        // A surrogate pair is one character: never split it.
        const qsizetype step = text.at(n).isHighSurrogate() && n + 1 < text.size() ? 2 : 1;
        if (metrics.horizontalAdvance(text.left(n + step)) > width)
            break;
        n += step;
    }
    return n == 0 ? qMin<qsizetype>(1, text.size()) : n;
}

} // namespace

QString cellTitleText(const QString &name, const QFontMetrics &metrics, int width) {
    if (width <= 0 || metrics.horizontalAdvance(name) <= width)
        return name;
    const QChar separator(QChar::LineSeparator);
    const qsizetype cut = fittingPrefix(name, metrics, width);
    // Words stay whole when the rest then fits on the second line.
    const qsizetype space = name.lastIndexOf(QLatin1Char(' '), cut);
    if (space > 0 && metrics.horizontalAdvance(name.mid(space + 1)) <= width)
        return name.left(space) + separator + name.mid(space + 1);
    // Else the first line is filled, and the second gives all its room to the ending: the
    // first line holds the start already.
    return name.left(cut) + separator + metrics.elidedText(name.mid(cut), Qt::ElideLeft, width);
}
