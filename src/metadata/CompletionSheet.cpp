// The sheet that closes a job of local metadata edits.
#include "app/AppDelegate.h"

#include "app/core/Logging.h"
#include "app/core/Settings.h"
#include "platform/AlertSheet.h"

#include <QCheckBox>
#include <QDebug>
#include <QMainWindow>

void AppDelegate::LocalPhotoMetadataChangedCompletedAlert(const QStringList &notWritten) {
    if (!notWritten.isEmpty()) {
        // Never report success for a photo that was not written.
        const int shown = 20;
        QStringList names = notWritten.mid(0, shown);
        if (notWritten.size() > shown)
            names << tr("… and %1 more").arg(notWritten.size() - shown);
        beginAlertSheet(window, tr("Some photos could not be changed."),
                        tr("These photos were left as they were:\n%1").arg(names.join('\n')),
                        {tr(" Ok ")},
                        [this](QMessageBox *alert, int code) { savePanelDidEnd3(alert, code); });
        return;
    }
    if (userDefaults()
            ->value(QLatin1String(SettingsKey::LocalPhotoMetadataAlertSuppress))
            .toBool()) {
        qCDebug(lcMetadata) << "LocalPhotoMetadataAlertSuppress";
        return;
    }
    beginAlertSheet(
        window, tr("Photo metadata updated successfully."),
        tr("By default, Photo Kestry saves edited photos in a separate folder. You can change "
           "the folder or enable Overwrite Original Photos in Settings."),
        {tr(" Ok ")}, [this](QMessageBox *alert, int code) { savePanelDidEnd112(alert, code); },
        tr("Do not show this message again"));
}

void AppDelegate::savePanelDidEnd112(QMessageBox *alert, int returnCode, void *) {
    if (returnCode != 1 || !alert)
        return;
    QCheckBox *box = suppressionButton(alert);
    if (box && box->isChecked())
        userDefaults()->setValue(QLatin1String(SettingsKey::LocalPhotoMetadataAlertSuppress), true);
    alert->close();
}
