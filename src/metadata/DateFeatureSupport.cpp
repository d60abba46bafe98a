#include "metadata/DateFeatureSupport.h"
#include "app/AppServices.h"
#include "app/Jobs.h"
#include "app/Sheets.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "metadata/core/RecipeJobReport.h"
#include "platform/AlertSheet.h"
#include "platform/ImageView.h"
#include "platform/core/FileDates.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QMainWindow>

namespace datefeature {

void showCentred(QWidget *w) {
    w->adjustSize();
    if (QScreen *screen = QGuiApplication::primaryScreen())
        w->move(screen->availableGeometry().center() - w->rect().center());
    w->show();
    w->raise();
    w->activateWindow();
}

void showInvalidDateAlert(AppServices &app, QWidget *parent) {
    app.sheets().invalidDate(parent);
}

void showNoSelectionSheet(AppServices &app) {
    app.sheets().noSelection();
}

bool overwriteOn(AppServices &app) {
    return app.preferences().overwrite;
}

int intValue(const QLineEdit *field) {
    return field ? field->text().trimmed().toInt() : 0;
}

qint64 int64Value(const QLineEdit *field) {
    return field ? field->text().trimmed().toLongLong() : 0;
}

QString text(const QLineEdit *field) {
    return field ? field->text() : QString();
}

BatchMethod chosenBatchMethod(const PKImageView *reference, const QLineEdit *setDate) {
    if (reference && !reference->image().isNull())
        return BatchMethod::Reference;
    if (text(setDate).size() >= 5)
        return BatchMethod::Fixed;
    return BatchMethod::Amounts;
}

void finishJob(AppServices &app, const QString &revealPath, const QString &revealRoot, int written,
               const QStringList &notWritten, bool sheetOnSuccess) {
    JobReport report;
    report.written = written;
    report.notWritten = notWritten;
    if (!revealPath.isEmpty()) {
        report.revealPath = revealPath;
        report.revealRoot = revealRoot;
    }
    report.sheetOnSuccess = sheetOnSuccess;
    app.jobs().finishJob(report);
}

QStringList applyPhotoDates(const QList<IKImageItemPtr> &items, const WriteRecipeReport &report,
                            const PhotoDateTable &table) {
    QStringList failures;
    QList<IKImageItemPtr> present;
    for (const IKImageItemPtr &item : items)
        if (item)
            present << item;
    for (qsizetype i = 0; i < present.size() && i < report.photos.size(); ++i) {
        const WriteRecipeResult &r = report.photos[i];
        if (!r.written)
            continue;
        const PhotoDates dates = table.get(present[i].get());
        QString why;
        if ((dates.creation.isValid() &&
             !FileDates::setCreationDate(r.outputPath, dates.creation, &why)) ||
            (dates.modification.isValid() &&
             !FileDates::setModificationDate(r.outputPath, dates.modification, &why)))
            failures << QStringLiteral("%1: %2").arg(QFileInfo(r.sourcePath).fileName(), why);
    }
    return failures;
}

JobResult dateCopyResult(const DateCopyOutcome &copy) {
    JobResult r;
    r.ok = copy.written;
    r.outputPath = copy.finalPath;
    r.reason = copy.reason;
    return r;
}

void setCameraDateTags(QVariantMap &working, const QString &original, const QString &digitized) {
    QVariantMap exif = subDictionary(working, QStringLiteral("{Exif}"));
    exif.insert(QStringLiteral("DateTimeOriginal"), original);
    exif.insert(QStringLiteral("DateTimeDigitized"), digitized);
    working.insert(QStringLiteral("{Exif}"), exif);
    QVariantMap tiff = subDictionary(working, QStringLiteral("{TIFF}"));
    tiff.insert(QStringLiteral("DateTime"), original);
    working.insert(QStringLiteral("{TIFF}"), tiff);
}

} // namespace datefeature
