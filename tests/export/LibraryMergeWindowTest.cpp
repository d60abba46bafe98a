// The merge window offscreen: listing, removing, the start road and the end sheet on Linux.
#include "../library/LibraryEditTestSupport.h"
#include "../library/LibraryTestSupport.h"
#include "app/Jobs.h"
#include "browser/MainWindowController.h"
#include "browser/PRButton.h"
#include "browser/PanelValueLabel.h"
#include "export/MergeWindow.h"
#include "platform/core/PhotosApplication.h"
#include "support/AppDriver.h"

#include <QApplication>
#include <QCheckBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QDropEvent>
#include <QFileDialog>
#include <QLabel>
#include <QMainWindow>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QStandardItemModel>
#include <QTableView>
#include <QTest>
#include <QUrl>

// Readable QStrings in failure messages.
inline std::ostream &operator<<(std::ostream &os, const QString &s) {
    return os << s.toStdString();
}

namespace {

class LibraryMergeWindow : public LibraryEditTest {
  protected:
    void SetUp() override {
        LibraryEditTest::SetUp();
        QDir().mkpath(dir.filePath("a"));
        QDir().mkpath(dir.filePath("b"));
        source = copyLibrary("Test-10.15.7", dir.filePath("a"));
        destination = copyLibrary("Test-13.0.0", dir.filePath("b"));
        QDir(QDir::homePath() + "/Pictures/Test-10.15.7").removeRecursively();
    }
    // The merge window's controls, found by name as the user sees them.
    QWidget *mergeWindow() { return drive(*d).find<QWidget>("photolibMergeWindow"); }
    // The open file panel the user sees.
    QFileDialog *openPanel() {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (auto *panel = qobject_cast<QFileDialog *>(w); panel && panel->isVisible())
                return panel;
        return nullptr;
    }
    QWidget *processWindow() { return drive(*d).find<QWidget>("photolibMergeProcessWindow"); }
    QTableView *table() { return drive(*d).find<QTableView>("photolibTableview"); }
    QStandardItemModel *rows() { return static_cast<QStandardItemModel *>(table()->model()); }
    // The path of a listed library: its name's tooltip.
    QString listed(int row) { return rows()->item(row, 0)->toolTip(); }
    QLabel *destinationLabel() { return drive(*d).find<QLabel>("photolibDestLab"); }
    QCheckBox *option(const char *name) { return drive(*d).find<QCheckBox>(name); }
    void press(const char *name) { drive(*d).click(name); }
    // Starts the merge of the two listed libraries and answers its sheet with YES.
    void startMerge() {
        press("photolibStartBtn");
        QMessageBox *asked = nullptr;
        for (QMessageBox *box : mergeWindow()->findChildren<QMessageBox *>())
            if (box->isVisible())
                asked = box;
        ASSERT_TRUE(asked);
        for (QAbstractButton *b : asked->buttons())
            if (b->text() == " YES ")
                b->click();
    }
    // The alerts open on the merge window, closed once read.
    QList<SheetText> mergeSheets() {
        QList<SheetText> out;
        for (QMessageBox *box : mergeWindow()->findChildren<QMessageBox *>()) {
            if (!box->isVisible())
                continue;
            out << SheetText{box->text(), box->informativeText()};
            box->done(0);
        }
        return out;
    }
    QString source, destination;
};

bool waitForMerge(AppDelegate &d) {
    QDeadlineTimer deadline(300000);
    while (d.jobs().runningJob(Jobs::OneAtATime::LibraryMerge) && !deadline.hasExpired())
        QTest::qWait(10);
    return !d.jobs().runningJob(Jobs::OneAtATime::LibraryMerge);
}

} // namespace

TEST_F(LibraryMergeWindow, ListsOnlyLibraryPackagesAndRemovesTheSelectedOne) {
    d->window->show();
    press("photolibMergeBtn"); // the library view's Merge button
    // Centred over the main window, whole on the screen.
    const QRect merge = mergeWindow()->geometry();
    EXPECT_LE((merge.center() - d->window->frameGeometry().center()).manhattanLength(), 2)
        << merge.x() << "," << merge.y();
    EXPECT_TRUE(d->window->screen()->availableGeometry().contains(merge));
    EXPECT_TRUE(option("photolibKeepAblumBtn")->isChecked());
    // The add button's panel stays above the merge window.
    press("photolibAddBtn");
    ASSERT_TRUE(openPanel());
    EXPECT_EQ(openPanel()->parentWidget(), mergeWindow());
    openPanel()->reject();
    EXPECT_TRUE(option("photolibKeepPhotoMetaBtn")->isChecked());
    EXPECT_EQ(rows()->headerData(0, Qt::Horizontal).toString(), "Name");
    EXPECT_EQ(rows()->headerData(1, Qt::Horizontal).toString(), "Date");
    // Deep enough that its path is wider than the window.
    const QString other = dir.filePath(QString(180, 'x') + "/Other.photolibrary"),
                  wrongCase = dir.filePath("X.PhotosLibrary"), plain = dir.filePath("plain");
    for (const QString &f : {other, wrongCase, plain})
        QDir().mkpath(f);
    d->mergeWindow().importPhotoLibraryintoTableViewThreader(
        {destination, wrongCase, plain, dir.filePath("missing.photoslibrary")});
    EXPECT_EQ(rows()->rowCount(), 1);
    EXPECT_TRUE(destinationLabel()->text().isEmpty()); // one library: no destination yet
    d->mergeWindow().importPhotoLibraryintoTableViewThreader({source, other});
    ASSERT_EQ(rows()->rowCount(), 3);
    EXPECT_EQ(rows()->item(0, 0)->text(), "Test-13.0.0.photoslibrary");
    // Names and dates are shown whole.
    QApplication::sendPostedEvents();
    for (int column : {0, 1})
        for (int row = 0; row < 3; ++row)
            EXPECT_GE(table()->columnWidth(column),
                      table()->fontMetrics().horizontalAdvance(rows()->item(row, column)->text()))
                << row << "," << column;
    EXPECT_EQ(destinationLabel()->text(), "Destination Photo Library: " + destination);
    // A destination path longer than the window is shortened, whole in the text and tooltip.
    const int width = mergeWindow()->width();
    table()->selectRow(2);
    QApplication::processEvents();
    EXPECT_EQ(destinationLabel()->text(), "Destination Photo Library: " + other);
    EXPECT_EQ(mergeWindow()->width(), width);
    EXPECT_NE(static_cast<PanelValueLabel *>(destinationLabel())->shownText(),
              destinationLabel()->text());

    // Three listed: Start is refused.
    press("photolibStartBtn");
    QList<SheetText> sheets = mergeSheets();
    ASSERT_EQ(sheets.size(), 1);
    EXPECT_EQ(sheets[0].text, "You need to add two photo libraries in the table view to merge "
                              "the photo libraries.");
    EXPECT_FALSE(d->jobs().runningJob(Jobs::OneAtATime::LibraryMerge));

    table()->selectRow(2);
    press("photolibSubBtn");
    ASSERT_EQ(rows()->rowCount(), 2);
    EXPECT_EQ(listed(1), source);
    // Removing selects the first row again: the destination.
    press("photolibSubBtn");
    EXPECT_EQ(rows()->rowCount(), 1);
    press("photolibStartBtn");
    EXPECT_EQ(mergeSheets().size(), 1);
}

TEST_F(LibraryMergeWindow, DroppedLibrariesAreListedByTheAddButtonsChecks) {
    d->mergeWindow().ClickMergePhotoLibraryAction();
    QWidget *list = table()->viewport();
    const QString wrongCase = dir.filePath("X.PhotosLibrary");
    QDir().mkpath(wrongCase);
    // Whether a drag is taken, and the rows the drop leaves.
    const auto drag = [list](const QStringList &paths, bool drop) {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString &p : paths)
            urls << QUrl::fromLocalFile(p);
        data.setUrls(urls);
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(list, &enter);
        if (drop) {
            QDropEvent dropped(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton,
                               Qt::NoModifier);
            QApplication::sendEvent(list, &dropped);
        }
        return enter.isAccepted();
    };
    EXPECT_FALSE(drag({wrongCase}, false));
    EXPECT_FALSE(drag({dir.filePath("plain.jpg")}, false));
    EXPECT_TRUE(drag({destination, wrongCase}, true));
    ASSERT_EQ(rows()->rowCount(), 1); // the wrong case stays out
    EXPECT_TRUE(drag({source}, true));
    ASSERT_EQ(rows()->rowCount(), 2);
    EXPECT_EQ(listed(1), source);
    EXPECT_EQ(destinationLabel()->text(), "Destination Photo Library: " + destination);
}

TEST_F(LibraryMergeWindow, OnLinuxTheEndSheetSaysThePhotosWereExportedNotImported) {
    setPhotosApplication(nullptr); // the Linux layer
    const QStringList sourceBefore = folderHashes(source),
                      destinationBefore = folderHashes(destination);
    d->mergeWindow().ClickMergePhotoLibraryAction();
    d->mergeWindow().importPhotoLibraryintoTableViewThreader({destination, source});
    option("photolibKeepPhotoMetaBtn")->setChecked(false);
    press("photolibStartBtn");
    const QString folder = QDir::homePath() + "/Pictures/Test-10.15.7";
    QList<SheetText> sheets = mergeSheets();
    ASSERT_EQ(sheets.size(), 1);
    EXPECT_EQ(sheets[0].text, "Are you sure you want to choose the Destination Photo Library: " +
                                  destination + "?");
    EXPECT_TRUE(sheets[0].informative.contains(folder)) << sheets[0].informative;
    EXPECT_TRUE(sheets[0].informative.contains("Neither library is changed"));

    startMerge();
    EXPECT_TRUE(processWindow()->isVisible());
    ASSERT_TRUE(waitForMerge(*d));
    EXPECT_FALSE(processWindow()->isVisible());
    sheets = mergeSheets();
    ASSERT_EQ(sheets.size(), 1);
    EXPECT_EQ(sheets[0].text, "The photos were exported, not imported.");
    const int inE = int(folderHashes(folder).size());
    EXPECT_GT(inE, 0);
    EXPECT_TRUE(
        sheets[0].informative.contains(QString("Exported to %1: %2 photos.").arg(folder).arg(inE)))
        << sheets[0].informative;
    EXPECT_TRUE(sheets[0].informative.contains(
        "Not in the destination library by name (what Photos would import): "));
    EXPECT_TRUE(sheets[0].informative.contains(
        "Nothing was imported: The Photos application does not exist on Linux."));
    EXPECT_TRUE(sheets[0].informative.contains("IMG_2000.JPG: the original is not on disk"));
    EXPECT_TRUE(drive(*d).find<QLabel>("photolibMergeProcessTipLab")->text().endsWith("..."));

    // Again with the metadata option, into the same folder: the sheet counts what this merge
    // copied and what the first one had left there, and the folder holds both.
    option("photolibKeepPhotoMetaBtn")->setChecked(true);
    startMerge();
    ASSERT_TRUE(waitForMerge(*d));
    sheets = mergeSheets();
    ASSERT_EQ(sheets.size(), 1);
    const int copiedNow = int(folderHashes(folder).size()) - inE;
    EXPECT_GT(copiedNow, 0);
    EXPECT_LT(copiedNow, inE);
    EXPECT_TRUE(sheets[0].informative.contains(
        QString("Exported to %1: %2 photos, %3 copied now and %4 already there from an earlier "
                "merge.")
            .arg(folder)
            .arg(inE)
            .arg(copiedNow)
            .arg(inE - copiedNow)))
        << sheets[0].informative;
    EXPECT_TRUE(sheets[0].informative.contains(
        QString("%1 of the photos took the library's title, caption, keywords or position; the "
                "others' files already held them.")
            .arg(copiedNow)))
        << sheets[0].informative;
    EXPECT_EQ(folderHashes(source), sourceBefore);
    EXPECT_EQ(folderHashes(destination), destinationBefore);
}

TEST_F(LibraryMergeWindow, ACancelledMergeStopsAndLeavesTheDestinationAsItWas) {
    const QStringList destinationBefore = folderHashes(destination);
    d->mergeWindow().ClickMergePhotoLibraryAction();
    d->mergeWindow().importPhotoLibraryintoTableViewThreader({destination, source});
    startMerge();
    // The process window's Cancel is the merge's only one.
    auto *cancel = processWindow()->findChild<QPushButton *>("photolibMergeCancelBtn");
    ASSERT_TRUE(cancel);
    EXPECT_TRUE(cancel->isVisible());
    cancel->click();
    ASSERT_TRUE(waitForMerge(*d));
    const QList<SheetText> sheets = mergeSheets();
    ASSERT_EQ(sheets.size(), 1);
    EXPECT_EQ(sheets[0].text, "The photo library merge was cancelled.");
    EXPECT_TRUE(sheets[0].informative.contains(
        "Nothing was imported: the destination library is as it was."))
        << sheets[0].informative;
    EXPECT_EQ(folderHashes(destination), destinationBefore);
    EXPECT_EQ(value("PRAGMA integrity_check", destination + "/database/Photos.sqlite"), "ok");
    // Whatever was exported before the Cancel is whole: no temporaries left in E.
    const QDir e(QDir::homePath() + "/Pictures/Test-10.15.7");
    EXPECT_TRUE(e.entryList(QDir::Files | QDir::Hidden | QDir::System).filter(".pk").isEmpty());
}
