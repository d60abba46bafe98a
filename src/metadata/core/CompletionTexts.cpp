#include "metadata/core/CompletionTexts.h"

#include <QCoreApplication>
#include <QDir>

namespace {

QString tr(const char *text) {
    return QCoreApplication::translate("CompletionSheet", text);
}

QString photosCount(int n) {
    return n == 1 ? tr("1 photo") : tr("%1 photos").arg(n);
}

// Where the written photos are now; empty when nothing was written.
QString whereText(int written, int replaced, const QString &folder, const QString &storage) {
    if (written <= 0)
        return {};
    if (replaced >= written)
        return written == 1 ? tr("The original photo was overwritten.")
                            : tr("The original photos were overwritten.");
    if (replaced > 0)
        return tr("%1 of the original photos were overwritten; the other changed photos are "
                  "in:\n%2")
            .arg(replaced)
            .arg(QDir::toNativeSeparators(storage));
    if (folder.isEmpty())
        return {};
    return (written == 1 ? tr("The changed photo is in:\n%1")
                         : tr("The changed photos are in:\n%1"))
        .arg(QDir::toNativeSeparators(folder));
}

} // namespace

QString menuWords(const QString &itemText, const QString &menuTitle) {
    QString words = itemText;
    // "&&" is a literal ampersand; a single one marks the mnemonic.
    words.replace(QLatin1String("&&"), QStringLiteral("\x01"));
    words.remove(QLatin1Char('&'));
    words.replace(QStringLiteral("\x01"), QStringLiteral("&"));
    words = words.trimmed();
    for (const QString &ellipsis : {QStringLiteral("…"), QStringLiteral("...")})
        if (words.endsWith(ellipsis))
            words.chop(ellipsis.size());
    words = words.trimmed();
    // A word has two letters at least: "20%" and "1920 x 1080" say nothing alone.
    bool saysSomething = false;
    for (qsizetype i = 1; i < words.size() && !saysSomething; ++i)
        saysSomething = words.at(i).isLetter() && words.at(i - 1).isLetter();
    if (!saysSomething && !menuTitle.isEmpty()) {
        const QString lead = menuWords(menuTitle);
        if (!lead.isEmpty())
            return words.isEmpty() ? lead : lead + QLatin1Char(' ') + words;
    }
    return words;
}

CompletionTexts completionTexts(const JobReport &report, int originalsReplaced,
                                const QString &storageFolder) {
    CompletionTexts texts;
    const QString title = report.actionTitle;
    const QString folder = report.resultFolder();
    const QString where = whereText(report.written, originalsReplaced, folder, storageFolder);
    texts.failures = !report.notWritten.isEmpty() || !report.partlyWritten.isEmpty();
    if (!report.message.isEmpty()) {
        texts.message = report.message;
        texts.informative = report.informative;
        return texts;
    }
    // Videos written without some of the values asked for are never told as a success.
    const QString partly =
        report.partlyWritten.isEmpty()
            ? QString()
            : tr("These videos were written without the values a video cannot take:\n%1")
                  .arg(report.partlyWritten.join('\n'));
    if (report.notWritten.isEmpty() && !partly.isEmpty()) {
        texts.message = title.isEmpty()
                            ? tr("Some values could not be written.")
                            : tr("\u201c%1\u201d: some values could not be written.").arg(title);
        texts.informative = where.isEmpty() ? partly : partly + QStringLiteral("\n\n") + where;
        return texts;
    }
    if (texts.failures) {
        texts.message = title.isEmpty()
                            ? tr("Some photos could not be changed.")
                            : tr("\u201c%1\u201d: some photos could not be changed.").arg(title);
        const QStringList names = shortList(report.notWritten);
        texts.informative = tr("These photos were left as they were:\n%1").arg(names.join('\n'));
        if (!partly.isEmpty())
            texts.informative += QStringLiteral("\n\n") + partly;
        if (!where.isEmpty())
            texts.informative += QStringLiteral("\n\n") + where;
        return texts;
    }
    texts.message = title.isEmpty()
                        ? tr("Photo metadata updated successfully.")
                        : tr("\u201c%1\u201d done for %2.").arg(title, photosCount(report.written));
    texts.informative = where;
    // Where copies went, the user may want them elsewhere or the originals replaced.
    if (originalsReplaced == 0 && !folder.isEmpty() &&
        QDir::cleanPath(folder) == QDir::cleanPath(storageFolder))
        texts.informative +=
            tr("\n\nYou can choose another folder, or to overwrite the original photos, in "
               "Preferences.");
    return texts;
}
