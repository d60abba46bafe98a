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
            const QList<IKImageItemPtr> selected = d.selectedLocalItems();
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
            &AppDelegate::ClickRenamewithCustomtextAction);
    PK_OUTLET(column, w, d, namingWindows.customNamelab);
    PK_OUTLET(column, w, d, namingWindows.checkStartNumber)
        ->setText(AppDelegate::tr("Start number at: 1"));
    onClick(d, PK_OUTLET(column, w, d, namingWindows.keepCurrentFileNameBtn),
            &AppDelegate::ClickRenameCurrentFileNameAction);
    onClick(d, PK_OUTLET(column, w, d, namingWindows.checkKeepFirstFileName),
            &AppDelegate::KeepFirstPartCurrentFileNameAction);
    onClick(d, PK_OUTLET(column, w, d, namingWindows.checkKeepLastFileName),
            &AppDelegate::KeepLastPartCurrentFileNameAction);
    onClick(d, PK_OUTLET(column, w, d, namingWindows.checkRemoveFirstFileName),
            &AppDelegate::RemoveFirstPartCurrentFileNameAction);
    onClick(d, PK_OUTLET(column, w, d, namingWindows.checkRemoveLastFileName),
            &AppDelegate::RemoveLastPartCurrentFileNameAction);
    onClick(d, PK_OUTLET(column, w, d, namingWindows.metaFileNameBtn),
            &AppDelegate::ClickRenamewithMetadataAction);
    PK_OUTLET(column, w, d, namingWindows.filenameFormatstrlab);
    onClick(d, PK_OUTLET(column, w, d, namingWindows.keepFileNameBtn),
            &AppDelegate::KeepExistingFileNameAction);
    QObject::connect(PK_OUTLET(column, w, d, namingWindows.addTagsButton), &QComboBox::activated,
                     &d, [&d] { d.InsertPhotoTagsFileNameAction(); });
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
    onClick(d, d.namingWindows.renameCloseBtn, &AppDelegate::CloseRenameWindowAction);
    onClick(d, d.namingWindows.renameSaveBtn, &AppDelegate::SaveChangesRenameWindowAction);
    column->addStretch(1);
    buildProgressSheet(d);
}

void AppDelegate::ShowRenameWindowAction() {
    showOverMainWindow(namingWindows.renameWindow);
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
    chooseSegment(*this, namingWindows.checkKeepLastFileName);
}

void AppDelegate::KeepFirstPartCurrentFileNameAction() {
    chooseSegment(*this, namingWindows.checkKeepFirstFileName);
}

void AppDelegate::RemoveLastPartCurrentFileNameAction() {
    chooseSegment(*this, namingWindows.checkRemoveLastFileName);
}

void AppDelegate::RemoveFirstPartCurrentFileNameAction() {
    chooseSegment(*this, namingWindows.checkRemoveFirstFileName);
}

void AppDelegate::KeepExistingFileNameAction() {
    if (namingWindows.keepFileNameBtn && namingWindows.filenameFormatstrlab)
        namingWindows.filenameFormatstrlab->setText(namingWindows.keepFileNameBtn->isChecked()
                                                        ? QStringLiteral("{ExistingFileName}")
                                                        : QString());
}

void AppDelegate::InsertPhotoTagsFileNameAction() {
    if (!namingWindows.addTagsButton || !namingWindows.filenameFormatstrlab)
        return;
    const int heading = namingWindows.addTagsButton->count() - 1;
    if (namingWindows.addTagsButton->currentIndex() != heading) {
        const QString tag = QStringLiteral("{%1}").arg(namingWindows.addTagsButton->currentText());
        const QString old = namingWindows.filenameFormatstrlab->text();
        const bool atStart =
            !namingWindows.tagpostionButton || namingWindows.tagpostionButton->currentIndex() == 0;
        namingWindows.filenameFormatstrlab->setText(atStart
                                                        ? QStringLiteral("%1 %2").arg(tag, old)
                                                        : QStringLiteral("%1 %2").arg(old, tag));
        if (namingWindows.addTagsButton->currentText() == QLatin1String("Camera Date") &&
            namingWindows.renameDateFormatBtn)
            namingWindows.renameDateFormatBtn->setEnabled(true);
    }
    namingWindows.addTagsButton->setCurrentIndex(heading);
}

void AppDelegate::CloseRenameWindowAction() {
    if (namingWindows.filenameFormatstrlab)
        namingWindows.filenameFormatstrlab->setText(QStringLiteral("{ExistingFileName}"));
    if (namingWindows.renameWindow)
        namingWindows.renameWindow->hide();
}

void AppDelegate::SaveChangesRenameWindowAction() {
    if (namingWindows.renameWindow)
        namingWindows.renameWindow->hide();
    const bool libraryShown = mainWindow.photolibView && !mainWindow.photolibView->isHidden();
    if (!libraryShown && !blocalMode)
        return;
    if (libraryShown && alertWhilePhotosRuns())
        return;
    namingWindows.currentRenameLabStr =
        namingWindows.filenameFormatstrlab ? namingWindows.filenameFormatstrlab->text() : QString();
    namingWindows.currentRenameTitleStr = namingWindows.renameDateFormatBtn
                                              ? namingWindows.renameDateFormatBtn->currentText()
                                              : QString();
    showRenameActionWindow();
    if (libraryShown)
        ReNamePhotoLibrarywithFileThreader();
    else
        ReNameLocalphotowithFileThreader();
}
