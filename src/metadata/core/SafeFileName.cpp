#include "metadata/core/SafeFileName.h"

#include "platform/core/FreeFileName.h"

namespace {

// The longest extension kept apart from a cut: a longer tail after a dot is part of the name.
constexpr qsizetype kMaxExtensionLength = 16;

// `name` without "/" or "\" (each a "-"), control characters or halves of characters.
QString withoutSeparators(const QString &name) {
    QString out;
    out.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name[i];
        if (c.isHighSurrogate() && i + 1 < name.size() && name[i + 1].isLowSurrogate()) {
            out += c;
            out += name[++i];
        } else if (c == QLatin1Char('/') || c == QLatin1Char('\\')) {
            out += QLatin1Char('-');
        } else if (c.category() != QChar::Other_Control && c != QChar(0x7f) && !c.isSurrogate()) {
            out += c;
        }
    }
    return out;
}

// `text` from its first character that `skip` does not take (found once, cut once: a name
// of a million dots costs one pass).
template <typename Skip> QString withoutLeading(const QString &text, Skip skip) {
    qsizetype i = 0;
    while (i < text.size() && skip(text[i]))
        ++i;
    return text.mid(i);
}

QString fitted(const QString &base, const QString &extension) {
    const qsizetype room =
        kMaxFileNameBytes - (extension.isEmpty() ? 0 : extension.toUtf8().size() + 1);
    return utf8Prefix(base, room).trimmed();
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
    return fitted(
        withoutLeading(out.simplified(),
                       [](QChar c) { return c == QLatin1Char('.') || c == QLatin1Char(' '); }),
        extension);
}

QString plainFileName(const QString &name, const QString &standIn, bool keepExtension) {
    const QString clean = withoutSeparators(name);
    QString base = clean, extension;
    const qsizetype dot = keepExtension ? clean.lastIndexOf(QLatin1Char('.')) : -1;
    const qsizetype extensionLength = clean.size() - dot - 1;
    if (dot >= 0 && extensionLength > 0 && extensionLength <= kMaxExtensionLength &&
        !clean.mid(dot + 1).contains(QLatin1Char(' '))) {
        base = clean.left(dot);
        extension = clean.mid(dot + 1);
    }
    base = fitted(withoutLeading(base,
                                 [](QChar c) {
                                     return c == QLatin1Char('.') || c == QLatin1Char('-') ||
                                            c.isSpace();
                                 }),
                  extension);
    if (base.isEmpty())
        base = fitted(standIn, extension);
    return extension.isEmpty() ? base : base + QLatin1Char('.') + extension;
}
