// Lens make and model written into the selected local photos, or into copies of the
// selected camera photos.
#include "app/AppDelegate.h"

#include "metadata/core/RecipeJobReport.h"
#include "metadata/core/WriteRecipe.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QMainWindow>
#include <QPointer>

void AppDelegate::ShowCameLensModel() {
    if (!lensWindow.changelensWindow)
        return;
    if (!lensWindow.changelensWindow->isVisible() && window) {
        lensWindow.changelensWindow->adjustSize();
        lensWindow.changelensWindow->move(window->geometry().center() -
                                          lensWindow.changelensWindow->rect().center());
    }
    lensWindow.changelensWindow->show();
    lensWindow.changelensWindow->raise();
    lensWindow.changelensWindow->activateWindow();
    lensWindow.lensMakelab->setFocus();
}

void AppDelegate::CancleCameLensModel() {
    if (lensWindow.changelensWindow)
        lensWindow.changelensWindow->hide();
}

void AppDelegate::ChangeCameLensModel() {
    const bool overwrite = preferences.overwrite;
    const QString make = lensWindow.lensMakelab->text();
    const QString model = lensWindow.lensModellab->text();
    WriteRecipeOptions options;
    options.change = [make, model](QVariantMap &working, const IKImageItem &) {
        QVariantMap exif = subDictionary(working, QStringLiteral("{Exif}"));
        exif.insert(QStringLiteral("LensMake"), make);
        exif.insert(QStringLiteral("LensModel"), model);
        working.insert(QStringLiteral("{Exif}"), exif);
        return true;
    };
    options.dates = WriteRecipeOptions::Dates::CopyFromSource;
    if (cameraIsSource()) {
        // Camera photos: their downloaded copies are rewritten in place, quietly unless
        // some could not be.
        QPointer<AppDelegate> self(this);
        withCameraCopies(
            [self, options](const QList<IKImageItemPtr> &copies, const QStringList &failures) {
                if (!self)
                    return;
                AppDelegate *d = self.data();
                d->startRecipeJob(copies, false, options,
                                  [d, failures](const WriteRecipeReport &report, bool) {
                                      JobReport job = jobReportFromRecipe(report, failures);
                                      job.sheetOnSuccess = false;
                                      job.quiet = true;
                                      d->finishJob(job);
                                  });
            });
    } else {
        startRecipeJob(selectedLocalItems(), overwrite, options,
                       [this](const WriteRecipeReport &report, bool) {
                           JobReport job = jobReportFromRecipe(report);
                           job.sheetOnSuccess = false;
                           finishJob(job);
                       });
    }
    if (lensWindow.changelensWindow)
        lensWindow.changelensWindow->hide();
}
