#include "metadata/core/SafeFileName.h"

#include <QFileInfo>

namespace {

constexpr qsizetype kMaxNameBytes = 255;

QString joinName(const QString &base, const QString &extension) {
    return extension.isEmpty() ? base : base + QLatin1Char('.') + extension;
}

// `base` shortened, whole characters at a time, until base + suffix + extension fit.
QString fitted(QString base, const QString &suffix, const QString &extension) {
    while (!base.isEmpty() && joinName(base + suffix, extension).toUtf8().size() > kMaxNameBytes) {
        base.chop(1);
        if (!base.isEmpty() && base.back().isHighSurrogate())
            base.chop(1);
    }
    return base.trimmed();
}

} // namespace

QString safeFileBaseName(const QString &name, const QString &extension) {
    QString out;
    for (QChar c : name) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\'))
            out += QLatin1Char('-');
        else if (c.category() == QChar::Other_Control || c == QChar(0x7f))
            continue;
        else
            out += c;
    }
    out = out.simplified();
    while (out.startsWith(QLatin1Char('.')) || out.startsWith(QLatin1Char(' ')))
        out.remove(0, 1);
    return fitted(out, QString(), extension);
}
