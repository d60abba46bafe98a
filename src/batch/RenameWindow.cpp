// The batch rename window, its actions, and the progress sheet of the naming jobs.
#include "app/AppDelegate.h"
#include "app/Browsers.h"
#include "app/Sheets.h"
#include "app/WindowDescription.h"
#include "browser/MainWindowController.h"

#include "batch/NamingSettings.h"
#include "platform/ImageView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QProgressBar>
#include <QPushButton>

namespace {

using Action = void (AppDelegate::*)();

void onClick(AppDelegate &d, QAbstractButton *button, Action action) {
    QObject::connect(button, &QAbstractButton::clicked, &d, [&d, action] { (d.*action)(); });
}

void buildProgressSheet(AppDelegate &d) {
    auto *sheet = new QDialog(d.window);
    sheet->setObjectName(QStringLiteral("renameActionWindow"));
    sheet->setWindowModality(Qt::WindowModal);
    // The job ends the sheet; Escape would leave the job running without it.
    sheet->setWindowFlag(Qt::WindowCloseButtonHint, false);
    auto *layout = new QVBoxLayout(sheet);
    d.namingWindows.renameActionLab = new QLabel(AppDelegate::tr("Applying changes..."), sheet);
    d.namingWindows.renameActionLab->setObjectName(QStringLiteral("renameActionLab"));
    d.namingWindows.renameActionProcesser = new QProgressBar(sheet);
    d.namingWindows.renameActionProcesser->setObjectName(QStringLiteral("renameActionProcesser"));
    d.namingWindows.renameActionProcesser->setTextVisible(false);
    layout->addWidget(d.namingWindows.renameActionLab);
    layout->addWidget(d.namingWindows.renameActionProcesser);
    d.namingWindows.renameActionWindow = sheet;
}

QList<QCheckBox *> segmentBoxes(AppDelegate &d) {
    return {d.namingWindows.checkKeepLastFileName, d.namingWindows.checkKeepFirstFileName,
            d.namingWindows.checkRemoveLastFileName, d.namingWindows.checkRemoveFirstFileName};
}

void setEnabled(std::initializer_list<QWidget *> widgets, bool enabled) {
    for (QWidget *w : widgets)
        if (w)
            w->setEnabled(enabled);
}

void setOn(QCheckBox *box, bool on) {
    if (box)
        box->setChecked(on);
}

enum class RenameMode { Custom, CurrentName, Metadata };

void chooseRenameMode(AppDelegate &d, RenameMode mode) {
    setOn(d.namingWindows.customerFileNameBtn, mode == RenameMode::Custom);
    setOn(d.namingWindows.keepCurrentFileNameBtn, mode == RenameMode::CurrentName);
    setOn(d.namingWindows.metaFileNameBtn, mode == RenameMode::Metadata);
    const bool tags = mode == RenameMode::Metadata;
    d.namingWindows.useCustomName = !tags;
    setEnabled({d.namingWindows.addTagsButton, d.namingWindows.tagpostionButton,
                d.namingWindows.filenameFormatstrlab, d.namingWindows.keepFileNameBtn,
                d.namingWindows.seqNumBtn},
               tags);
    if (!tags) {
        if (d.namingWindows.renameDateFormatBtn) {
            d.namingWindows.renameDateFormatBtn->setEnabled(false);
            d.namingWindows.renameDateFormatBtn->setCurrentIndex(0);
        }
        setOn(d.namingWindows.seqNumBtn, false);
        if (d.namingWindows.customNamelab) {
            d.namingWindows.customNamelab->setText(QString());
            const QList<IKImageItemPtr> selected = d.browsers().selectedLocalItems();
            if (!selected.isEmpty())
                d.namingWindows.customNamelab->setText(baseNameOf(selected.first()->fileName));
        }
    }
    setEnabled({d.namingWindows.customNamelab, d.namingWindows.checkStartNumber},
               mode == RenameMode::Custom);
    // A counter left on from the custom text would win over the segment boxes.
    if (mode == RenameMode::CurrentName)
        setOn(d.namingWindows.checkStartNumber, false);
    for (QCheckBox *box : segmentBoxes(d)) {
        setOn(box, false);
        if (box)
            box->setEnabled(mode == RenameMode::CurrentName);
    }
}

void chooseSegment(AppDelegate &d, QCheckBox *chosen) {
    for (QCheckBox *box : segmentBoxes(d))
        setOn(box, box == chosen);
}

} // namespace

void buildRenameWindow(AppDelegate &d) {
    QVBoxLayout *column =
        newColumnWindow(d, d.namingWindows.renameWindow, "renameWindow",
                        AppDelegate::tr("Rename Photos"), &d.namingWindows.renameActionImgView);
    QWidget *w = d.namingWindows.renameWindow;
    onClick(d, PK_OUTLET(column, w, d, namingWindows.customerFileNameBtn),
            &AppDelegate::forward<&NamingWindowsPart::ClickRenamewithCustomtextAction>);
    PK_OUTLET(column, w, d, namingWindows.customNamelab);
    PK_OUTLET(column, w, d, namingWindows.checkStartNumber)
        ->setText(AppDelegate::tr("Start number at: 1"));
    onClick(d, PK_OUTLET(column, w, d, namingWindows.keepCurrentFileNameBtn),
            &AppDelegate::forward<&NamingWindowsPart::ClickRenameCurrentFileNameAction>);
    onClick(d, PK_OUTLET(column, w, d, namingWindows.checkKeepFirstFileName),
            &AppDelegate::forward<&NamingWindowsPart::KeepFirstPartCurrentFileNameAction>);
    onClick(d, PK_OUTLET(column, w, d, namingWindows.checkKeepLastFileName),
            &AppDelegate::forward<&NamingWindowsPart::KeepLastPartCurrentFileNameAction>);
    onClick(d, PK_OUTLET(column, w, d, namingWindows.checkRemoveFirstFileName),
            &AppDelegate::forward<&NamingWindowsPart::RemoveFirstPartCurrentFileNameAction>);
    onClick(d, PK_OUTLET(column, w, d, namingWindows.checkRemoveLastFileName),
            &AppDelegate::forward<&NamingWindowsPart::RemoveLastPartCurrentFileNameAction>);
    onClick(d, PK_OUTLET(column, w, d, namingWindows.metaFileNameBtn),
            &AppDelegate::forward<&NamingWindowsPart::ClickRenamewithMetadataAction>);
    PK_OUTLET(column, w, d, namingWindows.filenameFormatstrlab);
    onClick(d, PK_OUTLET(column, w, d, namingWindows.keepFileNameBtn),
            &AppDelegate::forward<&NamingWindowsPart::KeepExistingFileNameAction>);
    QObject::connect(PK_OUTLET(column, w, d, namingWindows.addTagsButton), &QComboBox::activated,
                     &d, [&d] { d.namingWindows.InsertPhotoTagsFileNameAction(); });
    PK_OUTLET(column, w, d, namingWindows.tagpostionButton);
    PK_OUTLET(column, w, d, namingWindows.renameDateFormatBtn);
    PK_OUTLET(column, w, d, namingWindows.seqNumBtn);
    PK_OUTLET(column, w, d, namingWindows.replaceInvaidStrBtn);
    auto *buttons = new QHBoxLayout;
    column->addLayout(buttons);
    d.namingWindows.renameCloseBtn = new QPushButton(AppDelegate::tr("Close"), w);
    d.namingWindows.renameCloseBtn->setObjectName(QStringLiteral("renameCloseBtn"));
    d.namingWindows.renameSaveBtn = new QPushButton(AppDelegate::tr("Rename"), w);
    d.namingWindows.renameSaveBtn->setObjectName(QStringLiteral("renameSaveBtn"));
    buttons->addStretch(1);
    buttons->addWidget(d.namingWindows.renameCloseBtn);
    buttons->addWidget(d.namingWindows.renameSaveBtn);
    onClick(d, d.namingWindows.renameCloseBtn,
            &AppDelegate::forward<&NamingWindowsPart::CloseRenameWindowAction>);
    onClick(d, d.namingWindows.renameSaveBtn,
            &AppDelegate::forward<&NamingWindowsPart::SaveChangesRenameWindowAction>);
    column->addStretch(1);
    buildProgressSheet(d);
}

void NamingWindowsPart::ShowRenameWindowAction() {
    d.sheets().showOverMainWindow(renameWindow);
    ClickRenamewithCustomtextAction();
}

void NamingWindowsPart::ClickRenamewithCustomtextAction() {
    chooseRenameMode(d, RenameMode::Custom);
}

void NamingWindowsPart::ClickRenameCurrentFileNameAction() {
    chooseRenameMode(d, RenameMode::CurrentName);
}

void NamingWindowsPart::ClickRenamewithMetadataAction() {
    chooseRenameMode(d, RenameMode::Metadata);
}

void NamingWindowsPart::KeepLastPartCurrentFileNameAction() {
    chooseSegment(d, checkKeepLastFileName);
}

void NamingWindowsPart::KeepFirstPartCurrentFileNameAction() {
    chooseSegment(d, checkKeepFirstFileName);
}

void NamingWindowsPart::RemoveLastPartCurrentFileNameAction() {
    chooseSegment(d, checkRemoveLastFileName);
}

void NamingWindowsPart::RemoveFirstPartCurrentFileNameAction() {
    chooseSegment(d, checkRemoveFirstFileName);
}

void NamingWindowsPart::KeepExistingFileNameAction() {
    if (keepFileNameBtn && filenameFormatstrlab)
        filenameFormatstrlab->setText(
            keepFileNameBtn->isChecked() ? QStringLiteral("{ExistingFileName}") : QString());
}

void NamingWindowsPart::InsertPhotoTagsFileNameAction() {
    if (!addTagsButton || !filenameFormatstrlab)
        return;
    const int heading = addTagsButton->count() - 1;
    if (addTagsButton->currentIndex() != heading) {
        const QString tag = QStringLiteral("{%1}").arg(addTagsButton->currentText());
        const QString old = filenameFormatstrlab->text();
        const bool atStart = !tagpostionButton || tagpostionButton->currentIndex() == 0;
        filenameFormatstrlab->setText(atStart ? QStringLiteral("%1 %2").arg(tag, old)
                                              : QStringLiteral("%1 %2").arg(old, tag));
        if (addTagsButton->currentText() == QLatin1String("Camera Date") && renameDateFormatBtn)
            renameDateFormatBtn->setEnabled(true);
    }
    addTagsButton->setCurrentIndex(heading);
}

void NamingWindowsPart::CloseRenameWindowAction() {
    if (filenameFormatstrlab)
        filenameFormatstrlab->setText(QStringLiteral("{ExistingFileName}"));
    if (renameWindow)
        renameWindow->hide();
}

void NamingWindowsPart::SaveChangesRenameWindowAction() {
    if (renameWindow)
        renameWindow->hide();
    const bool libraryShown = d.browsers().libraryInSight();
    if (!libraryShown && !d.blocalMode)
        return;
    if (libraryShown && alertWhilePhotosRuns())
        return;
    currentRenameLabStr = filenameFormatstrlab ? filenameFormatstrlab->text() : QString();
    currentRenameTitleStr = renameDateFormatBtn ? renameDateFormatBtn->currentText() : QString();
    showRenameActionWindow();
    if (libraryShown)
        ReNamePhotoLibrarywithFileThreader();
    else
        ReNameLocalphotowithFileThreader();
}
