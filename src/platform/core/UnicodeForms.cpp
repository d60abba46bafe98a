#include "platform/core/UnicodeForms.h"

namespace {

// Pieces this long and more are normalized one by one.
constexpr qsizetype kPiece = 256;

// A character that begins a piece: a starter that is no mark (the marks and the Hangul jamo are
// what composes with, or reorders against, the character before).
bool startsPiece(QChar c) {
    const char16_t u = c.unicode();
    if (c.isSurrogate() || (u >= 0x1100 && u <= 0x11ff) || (u >= 0xa960 && u <= 0xa97f) ||
        (u >= 0xd7b0 && u <= 0xd7ff) || c.combiningClass() != 0)
        return false;
    const QChar::Category category = c.category();
    return category != QChar::Mark_NonSpacing && category != QChar::Mark_SpacingCombining &&
           category != QChar::Mark_Enclosing;
}

} // namespace

QString normalizedText(const QString &text, QString::NormalizationForm form) {
    if (text.size() <= kPiece)
        return text.normalized(form);
    QString out;
    out.reserve(text.size());
    qsizetype start = 0;
    for (qsizetype i = kPiece; i < text.size(); ++i) {
        if (i - start >= kPiece && startsPiece(text[i])) {
            out += text.mid(start, i - start).normalized(form);
            start = i;
        }
    }
    out += text.mid(start).normalized(form);
    return out;
}
