#include "export/DuplicateWindow.h"
#include "LibraryEditTestSupport.h"
#include "browser/MainWindowController.h"
#include "browser/PanelValueLabel.h"
#include "export/DuplicateCells.h"
#include "export/PRArrayController.h"
#include "export/core/DuplicateScan.h"
#include "platform/ImageView.h"
#include "platform/core/Workspace.h"
#include "support/AppDriver.h"
#include "support/JobWait.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDialog>
#include <QFile>
#include <QHeaderView>
#include <QImage>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QUrl>
#include <memory>

namespace {

QStringList names(const QList<PRDupFileNodePtr> &files) {
    QStringList out;
    for (const PRDupFileNodePtr &f : files)
        out << f->fileName;
    return out;
}

QByteArray md5Of(const QString &path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Md5);
}

class DuplicateWindowSheet : public LibraryEditTest {
  protected:
    DuplicateWindow &piece() const { return d->duplicateWindow(); }
    template <class W> W *named(const char *name) const { return drive(*d).find<W>(name); }
    QWidget *window() const { return named<QWidget>("dupWindow"); }
    QTableView *groupTable() const { return named<QTableView>("leftTableView"); }
    QTableView *fileTable() const { return named<QTableView>("rightTableView"); }
    PRArrayController *groupRows() const {
        return static_cast<PRArrayController *>(groupTable()->model());
    }
    PRArrayController *fileRows() const {
        return static_cast<PRArrayController *>(fileTable()->model());
    }
    PKImageView *preview() const { return named<PKImageView>("previewDupImageView"); }
    QLabel *previewPath() const { return named<QLabel>("previewFilePath"); }
    QLabel *resultLabel() const { return named<QLabel>("duplicateResultlab"); }
    QPushButton *button(const char *name) const { return named<QPushButton>(name); }
    QTimer *dotsTimer() const { return named<QTimer>("scanDupGifTimer"); }
    // The menu item's action, then the event loop until the scan has handed back.
    bool scan() {
        piece().FindDuplicatePhotosAction();
        QDeadlineTimer deadline(120000);
        while (piece().scanRunning() && !deadline.hasExpired())
            QTest::qWait(5);
        return !piece().scanRunning();
    }
    QList<QStringList> shownGroups() const {
        QList<QStringList> out;
        for (const auto &g : groupRows()->arrangedObjects<PRDuplicateNode>())
            out << names(g->fileChildren());
        return out;
    }
    QStringList shownFiles() const { return names(fileRows()->arrangedObjects<PRDupFileNode>()); }
    PRDupFilePathCellView *fileCell(int row) const {
        return qobject_cast<PRDupFilePathCellView *>(
            fileTable()->indexWidget(fileRows()->index(row, 0)));
    }
    PRDupNameCellView *groupCell(int row) const {
        return qobject_cast<PRDupNameCellView *>(
            groupTable()->indexWidget(groupRows()->index(row, 0)));
    }
    // The job's ending over the duplicate window, when the scan found nothing.
    QMessageBox *noDuplicatesAlert() const {
        for (QMessageBox *box : window()->findChildren<QMessageBox *>())
            if (box->isVisible() && box->text() == QStringLiteral("No duplicate photos found."))
                return box;
        return nullptr;
    }
    // Hand-made groups of these sizes, their files named "g<group>-<member>".
    QList<PRDuplicateNodePtr> groupsOf(const QList<int> &sizes) {
        QList<PRDuplicateNodePtr> out;
        int n = 0;
        for (int size : sizes) {
            auto g = std::make_shared<PRDuplicateNode>();
            g->fileName = QStringLiteral("g%1").arg(n);
            QList<PRDupFileNodePtr> files;
            for (int m = 0; m < size; ++m) {
                auto f = std::make_shared<PRDupFileNode>();
                f->fileName = QStringLiteral("g%1-%2").arg(n).arg(m);
                f->filePath = dir.filePath(f->fileName + QStringLiteral(".jpg"));
                f->fileFullPath = dir.filePath(QStringLiteral("missing-") + f->fileName);
                f->theItem = std::make_shared<IKImageItem>();
                files << f;
            }
            g->setFileChildren(files);
            out << g;
            ++n;
        }
        return out;
    }
    // Shows hand-made groups as a scan's end shows its own.
    void show(const QList<PRDuplicateNodePtr> &groups) {
        static_cast<QDialog *>(window())->open();
        DuplicateScanResult result;
        result.groups = groups;
        piece().ScanDuplicateFinishedHanderToMainThread(result);
    }
};

} // namespace

TEST_F(DuplicateWindowSheet, ScanOfTheCurrentLibraryGroupsExactlyItsByteIdenticalThumbnails) {
    ASSERT_TRUE(openLibrary(QStringLiteral("Test-10.15.7")));
    // The oracle: items of the browser's list whose thumbnails have the same bytes.
    QHash<QByteArray, QStringList> byBytes;
    QList<QByteArray> order;
    for (const IKImageItemPtr &i : d->library().photoLibBroserArray) {
        if (i->photoLibFileNode && i->photoLibFileNode->bReferencePhoto)
            continue;
        const QByteArray md5 = md5Of(i->fileThumbPath);
        if (md5.isEmpty())
            continue;
        if (!byBytes.contains(md5))
            order << md5;
        byBytes[md5] << i->fileName;
    }
    QList<QStringList> expected;
    for (const QByteArray &md5 : order)
        if (byBytes.value(md5).size() > 1)
            expected << byBytes.value(md5);

    ASSERT_TRUE(scan());
    EXPECT_EQ(shownGroups(), expected);
    QList<QStringList> sorted;
    for (QStringList g : shownGroups()) {
        g.sort();
        sorted << g;
    }
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, (QList<QStringList>{
                          {"IMG_1994.JPG", "[2020-08-29] AAF035.jpg", "[2020-08-29] AAF035.jpg"},
                          {"winebottle.jpeg", "winebottle.jpeg"}}));
    EXPECT_EQ(resultLabel()->text(), QStringLiteral("5 Photos, 0 Videos"));
    EXPECT_TRUE(resultLabel()->isVisibleTo(window()));
    EXPECT_FALSE(named<QProgressBar>("scanDupProcesser")->isVisibleTo(window()));
    EXPECT_TRUE(window()->isVisible());
    EXPECT_EQ(noDuplicatesAlert(), nullptr);

    // Row 0 selected: its files listed and the first one previewed from its thumbnail.
    const PRDuplicateNodePtr first = groupRows()->objectAt<PRDuplicateNode>(0);
    EXPECT_EQ(groupTable()->selectionModel()->selectedRows().value(0).row(), 0);
    EXPECT_EQ(shownFiles(), names(first->fileChildren()));
    EXPECT_EQ(previewPath()->text(),
              QStringLiteral("Original Photo Path: ") + first->fileChildren().at(0)->fileFullPath);
    EXPECT_EQ(preview()->property("previewPath").toString(), first->fileChildren().at(0)->filePath);
    EXPECT_FALSE(preview()->image().isNull());

    // Scanning again gives the same groups in the same order.
    ASSERT_TRUE(scan());
    EXPECT_EQ(shownGroups(), expected);
}

TEST_F(DuplicateWindowSheet, ScanWithoutDuplicatesSaysSoAndReferencedOrBrokenThumbnailsNeverGroup) {
    ASSERT_TRUE(openLibrary(QStringLiteral("Test-13.0.0")));
    ASSERT_TRUE(scan());
    ASSERT_NE(noDuplicatesAlert(), nullptr);
    EXPECT_EQ(noDuplicatesAlert()->text(), QStringLiteral("No duplicate photos found."));
    EXPECT_EQ(resultLabel()->text(), QStringLiteral("0 Photos, 0 Videos"));
    EXPECT_EQ(groupRows()->count(), 0);
    EXPECT_TRUE(window()->isVisible());
    const qsizetype unreadableBefore = piece().unreadableThumbnails().size();
    noDuplicatesAlert()->close();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    // Two photos made to share a referenced photo's picture, and two whose thumbnails are
    // cut the same way: neither pair is a group, and the cut ones are counted.
    QList<IKImageItemPtr> plain, referenced;
    for (const IKImageItemPtr &i : d->library().photoLibBroserArray)
        (i->photoLibFileNode->bReferencePhoto ? referenced : plain) << i;
    ASSERT_GE(plain.size(), 3);
    ASSERT_FALSE(referenced.isEmpty());
    QFile firstThumb(plain.at(0)->fileThumbPath);
    ASSERT_TRUE(firstThumb.open(QIODevice::ReadOnly));
    const QByteArray bytes = firstThumb.readAll();
    ASSERT_FALSE(bytes.isEmpty());
    for (int i : {1, 2}) {
        const QString cut = dir.filePath(QStringLiteral("cut%1.jpeg").arg(i));
        QFile c(cut);
        ASSERT_TRUE(c.open(QIODevice::WriteOnly));
        c.write(bytes.left(bytes.size() / 2));
        plain.at(i)->fileThumbPath = cut;
    }
    referenced.at(0)->fileThumbPath = plain.at(0)->fileThumbPath;
    ASSERT_TRUE(scan());
    EXPECT_EQ(groupRows()->count(), 0);
    EXPECT_EQ(piece().unreadableThumbnails().size(), unreadableBefore + 2);
    EXPECT_TRUE(named<QLabel>("duplicateUnreadablelab")->isVisibleTo(window()));
}

TEST_F(DuplicateWindowSheet, RefusesBeforeTheLoadEndsAndWhileAnotherProgramHoldsTheLibrary) {
    // From the library menu's item, as the user starts it.
    QAction *item = nullptr;
    for (QAction *a : drive(*d).find<QMenu>("PhotolibQuickMenu")->actions())
        if (a->text() == QStringLiteral("Find Duplicate Photos…"))
            item = a;
    ASSERT_NE(item, nullptr);
    item->trigger();
    QList<SheetText> sheets = takeSheets();
    ASSERT_EQ(sheets.size(), 1);
    EXPECT_EQ(sheets.at(0).text, QStringLiteral("The Scan is not completed."));
    EXPECT_EQ(sheets.at(0).informative,
              QStringLiteral("Please wait a while to complete the scan."));
    EXPECT_FALSE(window()->isVisible());
    EXPECT_FALSE(piece().scanRunning());

    ASSERT_TRUE(openLibrary(QStringLiteral("Test-10.15.7")));
    // A deletion from the window leaves its mark.
    show(groupsOf({2}));
    piece().setTickedDeletion([](const QList<PRDupFileNodePtr> &) { return true; });
    button("deleteDupBtn")->click();
    ASSERT_TRUE(piece().tickedFilesWentOut());
    piece().CLickCancleDupAction();
    photos.heldBy = {DatabaseHolder{4242, QStringLiteral("sqlitebrowser"), QStringLiteral("lock")}};
    piece().FindDuplicatePhotosAction();
    sheets = takeSheets();
    ASSERT_EQ(sheets.size(), 1);
    EXPECT_EQ(sheets.at(0).text, QStringLiteral("The library is in use by another program."));
    EXPECT_TRUE(sheets.at(0).informative.contains(QStringLiteral("sqlitebrowser (4242)")));
    EXPECT_FALSE(window()->isVisible());
    EXPECT_FALSE(piece().scanRunning());
    EXPECT_TRUE(piece().tickedFilesWentOut());

    // Once nothing holds it, a scan starts and clears the mark of the last deletion.
    photos.heldBy.clear();
    ASSERT_TRUE(scan());
    EXPECT_FALSE(piece().tickedFilesWentOut());
}

TEST_F(DuplicateWindowSheet, ScanningLabelRunsANineTickCycleFromZero) {
    d->library().scanningcount = 5; // left over by a library load
    ASSERT_TRUE(openLibrary(QStringLiteral("Test-13.0.0")));
    d->library().scanningcount = 5;
    piece().FindDuplicatePhotosAction();
    EXPECT_EQ(d->library().scanningcount, 0);
    ASSERT_TRUE(scan()); // let the first one end; the ticks below are driven by hand
    dotsTimer()->stop();
    d->library().scanningcount = 0;
    named<QLabel>("scanningDupinfolab")->setText(QString());
    QStringList seen;
    for (int tick = 0; tick < 18; ++tick) {
        piece().StartScanningDupGIFImageViewTimer();
        seen << named<QLabel>("scanningDupinfolab")->text();
    }
    const QStringList cycle = {"Scanning.",       "Scanning..",      "Scanning...",
                               "Scanning....",    "Scanning.....",   "Scanning......",
                               "Scanning.......", "Scanning.......", "Scanning......."};
    EXPECT_EQ(seen, cycle + cycle);
}

TEST_F(DuplicateWindowSheet, CellsFitThePictureAndShowTheFile) {
    const QString wide = dir.filePath(QStringLiteral("wide.jpg"));
    const QString tall = dir.filePath(QStringLiteral("tall.jpg"));
    QImage w(4000, 3000, QImage::Format_RGB32), t(3000, 4000, QImage::Format_RGB32);
    w.fill(Qt::darkCyan);
    t.fill(Qt::darkMagenta);
    ASSERT_TRUE(w.save(wide, "JPEG", 50));
    ASSERT_TRUE(t.save(tall, "JPEG", 50));
    QList<PRDuplicateNodePtr> groups = groupsOf({2, 2, 2});
    groups[0]->filePath = wide;
    groups[0]->fileSize = QStringLiteral("2.31 MB");
    groups[1]->filePath = tall;
    groups[2]->filePath = dir.filePath(QStringLiteral("gone.jpg"));
    const QString real = dir.filePath(QStringLiteral("real.bin"));
    {
        QFile f(real);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(2500, 'x'));
    }
    groups[0]->fileChildren().at(1)->fileFullPath = real;
    const QString longName =
        "[2020-08-29] The whole family at the lake, the day before we left.jpg";
    groups[0]->fileChildren().at(1)->fileName = longName;
    show(groups);
    QApplication::processEvents();

    // Every header text fits its section, and the sections the table's width.
    for (QTableView *table : {groupTable(), fileTable()}) {
        QHeaderView *header = table->horizontalHeader();
        int sum = 0;
        for (int i = 0; i < header->count(); ++i) {
            const QString text = table->model()->headerData(i, Qt::Horizontal).toString();
            EXPECT_GE(header->sectionSize(i), header->fontMetrics().horizontalAdvance(text))
                << text.toStdString();
            sum += header->sectionSize(i);
        }
        EXPECT_LE(sum, table->viewport()->width()) << table->objectName().toStdString();
    }

    EXPECT_EQ(groupCell(0)->imageView->pixmap().size(), QSize(48, 27));
    EXPECT_EQ(groupCell(1)->imageView->pixmap().size(), QSize(36, 36));
    EXPECT_EQ(groupCell(0)->fileNamelab->text(), QStringLiteral("g0"));
    EXPECT_EQ(groupCell(0)->fileSizelab->text(), QStringLiteral("2.31 MB"));
    // A picture that cannot be loaded shows the file's icon.
    EXPECT_FALSE(groupCell(2)->imageView->pixmap().isNull());
    auto *count = qobject_cast<QLabel *>(groupTable()->indexWidget(groupRows()->index(0, 1)));
    ASSERT_NE(count, nullptr);
    EXPECT_EQ(count->text(), QStringLiteral("2"));
    // The fitted picture is kept: a reload does not read the thumbnail again.
    QFile::remove(wide);
    piece().reloadDuplicateTable(groupTable());
    EXPECT_EQ(groupCell(0)->imageView->pixmap().size(), QSize(48, 27));

    EXPECT_EQ(fileCell(0)->fileNamelab->text(), QStringLiteral("0 KB"));
    EXPECT_TRUE(fileCell(0)->fileDatelab->text().isEmpty());
    EXPECT_EQ(fileCell(1)->fileNamelab->text(), QStringLiteral("2.50 KB"));
    EXPECT_FALSE(fileCell(1)->fileDatelab->text().isEmpty());
    // A long name is shortened in its row, whole in its tooltip; size, date and button fit.
    PRDupFilePathCellView *cell = fileCell(1);
    EXPECT_EQ(cell->textField->text(), longName);
    EXPECT_NE(static_cast<PanelValueLabel *>(cell->textField)->shownText(), longName);
    for (QLabel *label : {cell->fileNamelab, cell->fileDatelab})
        EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(label->text()));
    EXPECT_TRUE(cell->rect().contains(cell->findBtn->geometry()));
    EXPECT_LE(cell->mapTo(fileTable()->viewport(), QPoint(cell->width(), 0)).x(),
              fileTable()->viewport()->width());

    // The reveal button shows the row's file.
    QStringList revealed;
    Workspace::setRevealer([&](const QString &path, const QString &) { revealed << path; });
    fileCell(1)->findBtn->click();
    Workspace::setRevealer({});
    EXPECT_EQ(revealed, QStringList{groups[0]->fileChildren().at(1)->filePath});

    // Rows dragged out carry their files: a file row its own, a group row all its members.
    const auto dragged = [](QTableView *table, int row) {
        QAbstractItemModel *model = table->model();
        EXPECT_TRUE(model->flags(model->index(row, 0)) & Qt::ItemIsDragEnabled);
        std::unique_ptr<QMimeData> data(model->mimeData({model->index(row, 0)}));
        QStringList paths;
        for (const QUrl &url : data ? data->urls() : QList<QUrl>())
            paths << url.toLocalFile();
        return paths;
    };
    EXPECT_EQ(dragged(fileTable(), 1), QStringList{real});
    EXPECT_EQ(dragged(groupTable(), 0),
              (QStringList{groups[0]->fileChildren().at(0)->fileFullPath, real}));
}

TEST_F(DuplicateWindowSheet, AutoCheckKeepsEachFirstFileAndASecondClickUnticksAll) {
    const QList<PRDuplicateNodePtr> groups = groupsOf({2, 3, 5});
    show(groups);
    groups[1]->fileChildren().at(0)->bSelected = true; // ticked by hand
    button("autoCheckDupBtn")->click();
    QList<int> ticked;
    for (const auto &g : groups) {
        int n = 0;
        for (const auto &f : g->fileChildren())
            n += f->bSelected && f != groups[1]->fileChildren().at(0);
        ticked << n;
        EXPECT_TRUE(g == groups[1] || !g->fileChildren().at(0)->bSelected);
    }
    EXPECT_EQ(ticked, (QList<int>{1, 2, 4}));
    EXPECT_TRUE(groups[1]->fileChildren().at(0)->bSelected);
    // The shown rows follow the records.
    EXPECT_FALSE(fileCell(0)->checkBtn->isChecked());
    EXPECT_TRUE(fileCell(1)->checkBtn->isChecked());

    piece().AudoCheckAction();
    for (const auto &g : groups)
        for (const auto &f : g->fileChildren())
            EXPECT_FALSE(f->bSelected) << f->fileName.toStdString();
    // A third click ticks again.
    piece().AudoCheckAction();
    EXPECT_TRUE(groups[0]->fileChildren().at(1)->bSelected);
}

TEST_F(DuplicateWindowSheet, TicksFeedTheDeletionAndADeletionHidesTheTickedFiles) {
    const QList<PRDuplicateNodePtr> groups = groupsOf({3, 2});
    show(groups);
    // The user ticks the second and third files of group 0, unticks the third again and
    // ticks it back, then ticks the second file of group 1.
    fileCell(1)->checkBtn->click();
    fileCell(2)->checkBtn->click();
    fileCell(2)->checkBtn->click();
    fileCell(2)->checkBtn->click();
    groupTable()->selectRow(1);
    fileCell(1)->checkBtn->click();
    // Ticks live in the records: back in group 0 they show again.
    groupTable()->selectRow(0);
    EXPECT_TRUE(fileCell(1)->checkBtn->isChecked());
    EXPECT_TRUE(fileCell(2)->checkBtn->isChecked());
    EXPECT_FALSE(fileCell(0)->checkBtn->isChecked());

    QList<PRDupFileNodePtr> handed;
    piece().setTickedDeletion([&](const QList<PRDupFileNodePtr> &ticked) {
        handed = ticked;
        return true; // they went
    });
    button("deleteDupBtn")->click();
    EXPECT_EQ(names(handed), (QStringList{"g0-1", "g0-2", "g1-1"}));
    EXPECT_EQ(handed.at(0)->theItem, groups[0]->fileChildren().at(1)->theItem);

    // After the deletion a group lists only the files left in the library.
    groupTable()->selectRow(1);
    EXPECT_EQ(shownFiles(), QStringList{"g1-0"});
    groupTable()->selectRow(0);
    EXPECT_EQ(shownFiles(), QStringList{"g0-0"});
}

TEST_F(DuplicateWindowSheet, PreviewFollowsTheFileRowButNotTheRebuildOfTheList) {
    QList<PRDuplicateNodePtr> groups = groupsOf({2, 2});
    for (const auto &g : groups)
        for (const auto &f : g->fileChildren()) {
            QImage image(60, 40, QImage::Format_RGB32);
            image.fill(Qt::gray);
            ASSERT_TRUE(image.save(f->filePath));
            f->fileFullPath = f->filePath;
        }
    show(groups);
    const QString path0 = groups[0]->fileChildren().at(0)->filePath;
    EXPECT_EQ(preview()->property("previewPath").toString(), path0);

    fileTable()->selectRow(1);
    EXPECT_EQ(previewPath()->text(), QStringLiteral("Original Photo Path: ") +
                                         groups[0]->fileChildren().at(1)->fileFullPath);

    // Choosing the other group previews its first file, not the row chosen before.
    fileTable()->selectRow(1);
    groupTable()->selectRow(1);
    EXPECT_EQ(preview()->property("previewPath").toString(),
              groups[1]->fileChildren().at(0)->filePath);
    EXPECT_TRUE(fileTable()->selectionModel()->selectedRows().isEmpty());

    // A video shows its first frame in the player view.
    piece().showDuplicatePreview(fixturePath(QStringLiteral("clip.mp4")));
    EXPECT_FALSE(preview()->isVisibleTo(window()));
    EXPECT_TRUE(named<QWidget>("previewDupplayerView")->isVisibleTo(window()));
    EXPECT_FALSE(named<PKImageView>("previewDupFrameView")->image().isNull());

    // A file that is no picture or video shows its icon.
    piece().showDuplicatePreview(dir.filePath(QStringLiteral("notes.txt")));
    EXPECT_TRUE(preview()->isVisibleTo(window()));
    EXPECT_FALSE(named<QWidget>("previewDupplayerView")->isVisibleTo(window()));
    EXPECT_FALSE(preview()->image().isNull());
}

TEST_F(DuplicateWindowSheet, CancelClosesTheWindowAndEmptiesBothTables) {
    ASSERT_TRUE(openLibrary(QStringLiteral("Test-10.15.7")));
    ASSERT_TRUE(scan());
    ASSERT_GT(groupRows()->count(), 0);
    const int groups = int(piece().groups().size());
    button("cancelDupBtn")->click();
    EXPECT_FALSE(window()->isVisible());
    EXPECT_EQ(groupRows()->count(), 0);
    EXPECT_EQ(fileRows()->count(), 0);
    EXPECT_EQ(piece().groups().size(), groups); // kept until the next scan
}

TEST_F(DuplicateWindowSheet, CancelDuringAScanStopsItAndNothingShowsAfterwards) {
    ASSERT_TRUE(openLibrary(QStringLiteral("Test-13.0.0")));
    piece().FindDuplicatePhotosAction();
    ASSERT_TRUE(piece().scanRunning());
    button("cancelDupBtn")->click();
    EXPECT_FALSE(piece().scanRunning());
    // Whatever the worker had finished before the Cancel never reaches the window.
    QTest::qWait(200);
    EXPECT_EQ(noDuplicatesAlert(), nullptr);
    EXPECT_FALSE(window()->isVisible());
    EXPECT_FALSE(resultLabel()->isVisibleTo(window()));
    EXPECT_FALSE(dotsTimer()->isActive());

    // The status bar's Cancel ends the scan the same way: the window goes, no groups shown.
    piece().FindDuplicatePhotosAction();
    ASSERT_TRUE(piece().scanRunning());
    const auto cancels = d->window->findChildren<QPushButton *>(QStringLiteral("JobCancelButton"));
    ASSERT_FALSE(cancels.isEmpty());
    cancels.last()->click();
    ASSERT_TRUE(waitForJobs(*d));
    EXPECT_FALSE(piece().scanRunning());
    EXPECT_EQ(noDuplicatesAlert(), nullptr);
    EXPECT_FALSE(window()->isVisible());
    EXPECT_EQ(groupRows()->count(), 0);
    EXPECT_FALSE(dotsTimer()->isActive());
}

TEST_F(DuplicateWindowSheet, ManyGroupsGetTheirCellsAsTheyScrollIntoSight) {
    const QList<PRDuplicateNodePtr> groups = groupsOf(QList<int>(300, 2));
    show(groups);
    const auto made = [&] {
        int n = 0;
        for (int row = 0; row < 300; ++row)
            n += groupCell(row) != nullptr;
        return n;
    };
    EXPECT_GT(made(), 0);
    EXPECT_LT(made(), 50) << "every thumbnail read before the window answers";
    EXPECT_EQ(groupCell(299), nullptr);
    groupTable()->scrollToBottom();
    ASSERT_NE(groupCell(299), nullptr);
    EXPECT_EQ(groupCell(299)->fileNamelab->text(), QStringLiteral("g299"));
}
