#include "metadata/core/FileDateRules.h"

#include "base/Logging.h"
#include "base/SharedHelpers.h"
#include "platform/core/FileDates.h"

#include <QDebug>

QDateTime parseMetadataDate(const QString &text) {
    if (!CheckDateFormatWithDateString(text))
        return {};
    return ConvertDateWithDateString(text);
}

bool SetDateAttributWithFilePath(const QString &path, const QString &origPath,
                                 const QString &dateStr, QString *error) {
    QDateTime date = parseMetadataDate(dateStr);
    if (!date.isValid())
        date = FileDates::creationDate(origPath);
    if (!date.isValid())
        return false;
    QString why;
    if (!FileDates::setDates(path, date, &why)) {
        qCWarning(lcMetadata) << "SetDateAttribut failed==" << path << why;
        if (error)
            *error = why;
        return false;
    }
    return true;
}
