#include "platform/core/QuickTimeWriter.h"

#include "platform/core/ExiftoolSession.h"
#include "platform/core/SafeWrite.h"
#include "platform/core/VideoMetadata.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cstdlib>

namespace QuickTimeWriter {

bool isQuickTimeName(const QString &path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("mov") || suffix == QLatin1String("mp4") ||
           suffix == QLatin1String("m4v");
}

QList<Item> creationDateItems(const QDateTime &date) {
    if (!date.isValid())
        return {};
    // Readers take a date without an offset for their own local time, so it always has one.
    const int offset = date.offsetFromUtc();
    const QString zone = QStringLiteral("%1%2:%3")
                             .arg(offset < 0 ? QLatin1Char('-') : QLatin1Char('+'))
                             .arg(std::abs(offset) / 3600, 2, 10, QLatin1Char('0'))
                             .arg(std::abs(offset) % 3600 / 60, 2, 10, QLatin1Char('0'));
    const QString wallClock = date.toString(QStringLiteral("yyyy:MM:dd HH:mm:ss")) + zone;
    return {{QStringLiteral("UserData:DateTimeOriginal"), wallClock},
            {QStringLiteral("Keys:CreationDate"), wallClock},
            {QStringLiteral("QuickTime:CreateDate"),
             date.toUTC().toString(QStringLiteral("yyyy:MM:dd HH:mm:ss"))}};
}

QString assignment(const Item &item) {
    return QStringLiteral("-%1=%2").arg(item.tag, item.value);
}

QString writeTemporary(const QString &source, const QStringList &assignments, const QString &folder,
                       const QDateTime &expectedDate, const QString &expectedTitle,
                       QString *error) {
    auto fail = [&](const QString &why, const QString &temp = QString()) {
        if (!temp.isEmpty())
            QFile::remove(temp);
        if (error)
            *error = why;
        return QString();
    };
    const int tracks = VideoMetadata::trackCount(source);
    if (tracks < 0)
        return fail(QStringLiteral("not a video that can be read"));
    // exiftool refuses to write over a file, so the temporary is a free name it creates.
    const QString temp =
        QStringLiteral("%1/%2%3-%4.%5")
            .arg(folder, QLatin1String(SafeWrite::kTemporaryPrefix))
            .arg(QCoreApplication::applicationPid())
            .arg(QRandomGenerator::global()->generate64(), 16, 16, QLatin1Char('0'))
            .arg(QFileInfo(source).suffix());
    const QStringList args = QStringList{QStringLiteral("-m"), QStringLiteral("-q")} + assignments +
                             QStringList{QStringLiteral("-o"), temp, source};
    QByteArray printed;
    QString why;
    if (!ExiftoolSession::shared().run(args, &printed, &why))
        return fail(QStringLiteral("exiftool did not write it: %1").arg(why), temp);
    if (!QFileInfo(temp).isFile())
        return fail(QStringLiteral("exiftool wrote no file"));

    // The new file must say what was written, with every track, before it takes a name.
    if (VideoMetadata::trackCount(temp) != tracks)
        return fail(QStringLiteral("the new file does not keep every track"), temp);
    if (expectedDate.isValid() && VideoMetadata::creationDate(temp) != expectedDate)
        return fail(QStringLiteral("the new file does not hold the date"), temp);
    if (!expectedTitle.isEmpty()) {
        bool found = false;
        for (const auto &item : VideoMetadata::metadataItems(temp))
            found = found || (item.first == QLatin1String("title") && item.second == expectedTitle);
        if (!found)
            return fail(QStringLiteral("the new file does not hold the title"), temp);
    }
    return temp;
}

bool writeInPlace(const QString &path, const QStringList &assignments,
                  const QDateTime &expectedDate, const QString &expectedTitle, QString *error) {
    const SafeWrite::FileStamp stamp = SafeWrite::stampOf(path);
    const QString temp = writeTemporary(path, assignments, QFileInfo(path).absolutePath(),
                                        expectedDate, expectedTitle, error);
    if (temp.isEmpty())
        return false;
    if (!QFile::setPermissions(temp, QFile::permissions(path))) {
        QFile::remove(temp);
        if (error)
            *error = QStringLiteral("the new file cannot take the video's mode");
        return false;
    }
    if (!SafeWrite::replaceWith(temp, path, stamp, error, true)) {
        QFile::remove(temp);
        return false;
    }
    return true;
}

} // namespace QuickTimeWriter
