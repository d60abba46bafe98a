// Lens make and model written into the selected local photos, or into copies of the
// selected camera photos.
#include "metadata/LensWindow.h"

#include "app/AppServices.h"
#include "app/Browsers.h"
#include "app/Jobs.h"
#include "browser/CameraCopies.h"

#include "metadata/core/RecipeJobReport.h"
#include "metadata/core/WriteRecipe.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QMainWindow>
#include <QPointer>

void LensWindow::ShowCameLensModel() {
    if (!changelensWindow)
        return;
    if (!changelensWindow->isVisible() && app.mainWindow()) {
        changelensWindow->adjustSize();
        changelensWindow->move(app.mainWindow()->geometry().center() -
                               changelensWindow->rect().center());
    }
    changelensWindow->show();
    changelensWindow->raise();
    changelensWindow->activateWindow();
    lensMakelab->setFocus();
}

void LensWindow::CancleCameLensModel() {
    if (changelensWindow)
        changelensWindow->hide();
}

void LensWindow::ChangeCameLensModel() {
    const bool overwrite = app.preferences().overwrite;
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
    if (camera.cameraIsSource()) {
        // Camera photos: their downloaded copies are rewritten in place, quietly unless
        // some could not be.
        QPointer<Jobs> jobs(&app.jobs());
        camera.withCameraCopies(
            [jobs, options](const QList<IKImageItemPtr> &copies, const QStringList &failures) {
                if (!jobs)
                    return;
                jobs->startRecipeJob(copies, false, options,
                                     [jobs, failures](const WriteRecipeReport &report, bool) {
                                         JobReport job = jobReportFromRecipe(report, failures);
                                         job.sheetOnSuccess = false;
                                         job.quiet = true;
                                         if (jobs)
                                             jobs->finishJob(job);
                                     });
            });
    } else {
        app.jobs().startRecipeJob(app.browsers().selectedLocalItems(), overwrite, options,
                                  [this](const WriteRecipeReport &report, bool) {
                                      JobReport job = jobReportFromRecipe(report);
                                      job.sheetOnSuccess = false;
                                      app.jobs().finishJob(job);
                                  });
    }
    if (changelensWindow)
        changelensWindow->hide();
}
