// The batch rename window, its actions, and the progress sheet of the naming jobs.
#include "app/AppDelegate.h"
#include "app/WindowDescription.h"

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
    d.renameActionLab = new QLabel(AppDelegate::tr("Applying changes..."), sheet);
    d.renameActionLab->setObjectName(QStringLiteral("renameActionLab"));
    d.renameActionProcesser = new QProgressBar(sheet);
    d.renameActionProcesser->setObjectName(QStringLiteral("renameActionProcesser"));
    d.renameActionProcesser->setTextVisible(false);
    layout->addWidget(d.renameActionLab);
    layout->addWidget(d.renameActionProcesser);
    d.renameActionWindow = sheet;
}

QList<QCheckBox *> segmentBoxes(AppDelegate &d) {
    return {d.checkKeepLastFileName, d.checkKeepFirstFileName, d.checkRemoveLastFileName,
            d.checkRemoveFirstFileName};
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
    setOn(d.customerFileNameBtn, mode == RenameMode::Custom);
    setOn(d.keepCurrentFileNameBtn, mode == RenameMode::CurrentName);
    setOn(d.metaFileNameBtn, mode == RenameMode::Metadata);
    const bool tags = mode == RenameMode::Metadata;
    d.useCustomName = !tags;
    setEnabled({d.addTagsButton, d.tagpostionButton, d.filenameFormatstrlab, d.keepFileNameBtn,
                d.seqNumBtn},
               tags);
    if (!tags) {
        if (d.renameDateFormatBtn) {
            d.renameDateFormatBtn->setEnabled(false);
            d.renameDateFormatBtn->setCurrentIndex(0);
        }
        setOn(d.seqNumBtn, false);
        if (d.customNamelab) {
            d.customNamelab->setText(QString());
            const QList<IKImageItemPtr> selected = d.selectedLocalItems();
            if (!selected.isEmpty())
                d.customNamelab->setText(baseNameOf(selected.first()->fileName));
        }
    }
    setEnabled({d.customNamelab, d.checkStartNumber}, mode == RenameMode::Custom);
    // A counter left on from the custom text would win over the segment boxes.
    if (mode == RenameMode::CurrentName)
        setOn(d.checkStartNumber, false);
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
    QVBoxLayout *column = newColumnWindow(d, d.renameWindow, "renameWindow",
                                          AppDelegate::tr("Rename Photos"), &d.renameActionImgView);
    QWidget *w = d.renameWindow;
    onClick(d, PK_OUTLET(column, w, d, customerFileNameBtn),
            &AppDelegate::ClickRenamewithCustomtextAction);
    PK_OUTLET(column, w, d, customNamelab);
    PK_OUTLET(column, w, d, checkStartNumber)->setText(AppDelegate::tr("Start number at: 1"));
    onClick(d, PK_OUTLET(column, w, d, keepCurrentFileNameBtn),
            &AppDelegate::ClickRenameCurrentFileNameAction);
    onClick(d, PK_OUTLET(column, w, d, checkKeepFirstFileName),
            &AppDelegate::KeepFirstPartCurrentFileNameAction);
    onClick(d, PK_OUTLET(column, w, d, checkKeepLastFileName),
            &AppDelegate::KeepLastPartCurrentFileNameAction);
    onClick(d, PK_OUTLET(column, w, d, checkRemoveFirstFileName),
            &AppDelegate::RemoveFirstPartCurrentFileNameAction);
    onClick(d, PK_OUTLET(column, w, d, checkRemoveLastFileName),
            &AppDelegate::RemoveLastPartCurrentFileNameAction);
    onClick(d, PK_OUTLET(column, w, d, metaFileNameBtn),
            &AppDelegate::ClickRenamewithMetadataAction);
    PK_OUTLET(column, w, d, filenameFormatstrlab);
    onClick(d, PK_OUTLET(column, w, d, keepFileNameBtn), &AppDelegate::KeepExistingFileNameAction);
    QObject::connect(PK_OUTLET(column, w, d, addTagsButton), &QComboBox::activated, &d,
                     [&d] { d.InsertPhotoTagsFileNameAction(); });
    PK_OUTLET(column, w, d, tagpostionButton);
    PK_OUTLET(column, w, d, renameDateFormatBtn);
    PK_OUTLET(column, w, d, seqNumBtn);
    PK_OUTLET(column, w, d, replaceInvaidStrBtn);
    auto *buttons = new QHBoxLayout;
    column->addLayout(buttons);
    d.renameCloseBtn = new QPushButton(AppDelegate::tr("Close"), w);
    d.renameCloseBtn->setObjectName(QStringLiteral("renameCloseBtn"));
    d.renameSaveBtn = new QPushButton(AppDelegate::tr("Rename"), w);
    d.renameSaveBtn->setObjectName(QStringLiteral("renameSaveBtn"));
    buttons->addStretch(1);
    buttons->addWidget(d.renameCloseBtn);
    buttons->addWidget(d.renameSaveBtn);
    onClick(d, d.renameCloseBtn, &AppDelegate::CloseRenameWindowAction);
    onClick(d, d.renameSaveBtn, &AppDelegate::SaveChangesRenameWindowAction);
    column->addStretch(1);
    buildProgressSheet(d);
}

void AppDelegate::ShowRenameWindowAction() {
    showOverMainWindow(renameWindow);
    ClickRenamewithCustomtextAction();
}

void AppDelegate::ClickRenamewithCustomtextAction() {
    chooseRenameMode(*this, RenameMode::Custom);
}

void AppDelegate::ClickRenameCurrentFileNameAction() {
    chooseRenameMode(*this, RenameMode::CurrentName);
}

void AppDelegate::ClickRenamewithMetadataAction() {
    chooseRenameMode(*this, RenameMode::Metadata);
}

void AppDelegate::KeepLastPartCurrentFileNameAction() {
    chooseSegment(*this, checkKeepLastFileName);
}

void AppDelegate::KeepFirstPartCurrentFileNameAction() {
    chooseSegment(*this, checkKeepFirstFileName);
}

void AppDelegate::RemoveLastPartCurrentFileNameAction() {
    chooseSegment(*this, checkRemoveLastFileName);
}

void AppDelegate::RemoveFirstPartCurrentFileNameAction() {
    chooseSegment(*this, checkRemoveFirstFileName);
}

void AppDelegate::KeepExistingFileNameAction() {
    if (keepFileNameBtn && filenameFormatstrlab)
        filenameFormatstrlab->setText(
            keepFileNameBtn->isChecked() ? QStringLiteral("{ExistingFileName}") : QString());
}

void AppDelegate::InsertPhotoTagsFileNameAction() {
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

void AppDelegate::CloseRenameWindowAction() {
    if (filenameFormatstrlab)
        filenameFormatstrlab->setText(QStringLiteral("{ExistingFileName}"));
    if (renameWindow)
        renameWindow->hide();
}

void AppDelegate::SaveChangesRenameWindowAction() {
    if (renameWindow)
        renameWindow->hide();
    const bool libraryShown = photolibView && !photolibView->isHidden();
    if (!libraryShown && !blocalMode)
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
