// Lens make and model written into the selected local photos, or into copies of the
// selected camera photos.
#include "app/AppDelegate.h"
#include "app/Browsers.h"
#include "app/Jobs.h"

#include "metadata/core/RecipeJobReport.h"
#include "metadata/core/WriteRecipe.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QMainWindow>
#include <QPointer>

void LensWindowPart::ShowCameLensModel() {
    if (!changelensWindow)
        return;
    if (!changelensWindow->isVisible() && d.window) {
        changelensWindow->adjustSize();
        changelensWindow->move(d.window->geometry().center() - changelensWindow->rect().center());
    }
    changelensWindow->show();
    changelensWindow->raise();
    changelensWindow->activateWindow();
    lensMakelab->setFocus();
}

void LensWindowPart::CancleCameLensModel() {
    if (changelensWindow)
        changelensWindow->hide();
}

void LensWindowPart::ChangeCameLensModel() {
    const bool overwrite = d.preferences().overwrite;
    const QString make = lensMakelab->text();
    const QString model = lensModellab->text();
    WriteRecipeOptions options;
    options.change = [make, model](QVariantMap &working, const IKImageItem &) {
        QVariantMap exif = subDictionary(working, QStringLiteral("{Exif}"));
        exif.insert(QStringLiteral("LensMake"), make);
        exif.insert(QStringLiteral("LensModel"), model);
        working.insert(QStringLiteral("{Exif}"), exif);
        return true;
    };
    options.dates = WriteRecipeOptions::Dates::CopyFromSource;
    if (d.cameraWindow.cameraIsSource()) {
        // Camera photos: their downloaded copies are rewritten in place, quietly unless
        // some could not be.
        QPointer<AppDelegate> self(&d);
        d.cameraWindow.withCameraCopies(
            [self, options](const QList<IKImageItemPtr> &copies, const QStringList &failures) {
                if (!self)
                    return;
                AppDelegate *d = self.data();
                d->jobs().startRecipeJob(copies, false, options,
                                         [d, failures](const WriteRecipeReport &report, bool) {
                                             JobReport job = jobReportFromRecipe(report, failures);
                                             job.sheetOnSuccess = false;
                                             job.quiet = true;
                                             d->jobs().finishJob(job);
                                         });
            });
    } else {
        d.jobs().startRecipeJob(d.browsers().selectedLocalItems(), overwrite, options,
                                [this](const WriteRecipeReport &report, bool) {
                                    JobReport job = jobReportFromRecipe(report);
                                    job.sheetOnSuccess = false;
                                    d.jobs().finishJob(job);
                                });
    }
    if (changelensWindow)
        changelensWindow->hide();
}
