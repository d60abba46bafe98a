// The batch rename window, its actions, and the progress sheet of the naming jobs.
#include "batch/NamingWindows.h"

#include "app/AppLook.h"
#include "app/AppServices.h"
#include "app/Browsers.h"
#include "app/Jobs.h"
#include "app/Sheets.h"
#include "app/WindowDescription.h"

#include "batch/NamingSettings.h"
#include "platform/Artwork.h"
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

void setEnabled(std::initializer_list<QWidget *> widgets, bool enabled) {
    for (QWidget *w : widgets)
        if (w)
            w->setEnabled(enabled);
}

void setOn(QCheckBox *box, bool on) {
    if (box)
        box->setChecked(on);
}

} // namespace

NamingWindows::NamingWindows(AppServices &services, LibraryDatabase &libraryDatabase,
                             std::function<bool()> inLocalMode)
    : app(services), database(libraryDatabase), localMode(std::move(inLocalMode)) {}

NamingWindows::~NamingWindows() {
    qDeleteAll(ownWindows);
}

void NamingWindows::build() {
    buildRenameWindow();
    buildBatchTitleWindow();
    if (renameActionImgView)
        renameActionImgView->setImage(namedImage(QStringLiteral("editimageview.png")));
}

void NamingWindows::onClick(QAbstractButton *button, void (NamingWindows::*action)()) {
    QObject::connect(button, &QAbstractButton::clicked, &app.jobs(),
                     [this, action] { (this->*action)(); });
}

void NamingWindows::onChoice(QComboBox *popUp, void (NamingWindows::*action)()) {
    QObject::connect(popUp, &QComboBox::activated, &app.jobs(),
                     [this, action] { (this->*action)(); });
}

void NamingWindows::buildProgressSheet() {
    auto *sheet = new QDialog(app.mainWindow());
    sheet->setObjectName(QStringLiteral("renameActionWindow"));
    sheet->setWindowModality(Qt::WindowModal);
    // The job ends the sheet; Escape would leave the job running without it.
    sheet->setWindowFlag(Qt::WindowCloseButtonHint, false);
    auto *layout = new QVBoxLayout(sheet);
    renameActionLab = new QLabel(tr("Applying changes..."), sheet);
    renameActionLab->setObjectName(QStringLiteral("renameActionLab"));
    renameActionProcesser = new QProgressBar(sheet);
    renameActionProcesser->setObjectName(QStringLiteral("renameActionProcesser"));
    renameActionProcesser->setTextVisible(false);
    layout->addWidget(renameActionLab);
    layout->addWidget(renameActionProcesser);
    renameActionWindow = sheet;
}

QList<QCheckBox *> NamingWindows::segmentBoxes() const {
    return {checkKeepLastFileName, checkKeepFirstFileName, checkRemoveLastFileName,
            checkRemoveFirstFileName};
}

void NamingWindows::chooseRenameMode(RenameMode mode) {
    setOn(customerFileNameBtn, mode == RenameMode::Custom);
    setOn(keepCurrentFileNameBtn, mode == RenameMode::CurrentName);
    setOn(metaFileNameBtn, mode == RenameMode::Metadata);
    const bool tags = mode == RenameMode::Metadata;
    useCustomName = !tags;
    setEnabled({addTagsButton, tagpostionButton, filenameFormatstrlab, keepFileNameBtn, seqNumBtn},
               tags);
    if (!tags) {
        if (renameDateFormatBtn) {
            renameDateFormatBtn->setEnabled(false);
            renameDateFormatBtn->setCurrentIndex(0);
        }
        setOn(seqNumBtn, false);
        if (customNamelab) {
            customNamelab->setText(QString());
            const QList<IKImageItemPtr> selected = app.browsers().selectedLocalItems();
            if (!selected.isEmpty())
                customNamelab->setText(baseNameOf(selected.first()->fileName));
        }
    }
    setEnabled({customNamelab, checkStartNumber}, mode == RenameMode::Custom);
    // A counter left on from the custom text would win over the segment boxes.
    if (mode == RenameMode::CurrentName)
        setOn(checkStartNumber, false);
    for (QCheckBox *box : segmentBoxes()) {
        setOn(box, false);
        if (box)
            box->setEnabled(mode == RenameMode::CurrentName);
    }
}

void NamingWindows::chooseSegment(QCheckBox *chosen) {
    for (QCheckBox *box : segmentBoxes())
        setOn(box, box == chosen);
}

void NamingWindows::buildRenameWindow() {
    QVBoxLayout *column = newColumnWindow(ownWindows, renameWindow, "renameWindow",
                                          tr("Rename Photos"), &renameActionImgView);
    QWidget *w = renameWindow;
    onClick(addOutlet(column, w, customerFileNameBtn, "namingWindows.customerFileNameBtn"),
            &NamingWindows::ClickRenamewithCustomtextAction);
    addOutlet(column, w, customNamelab, "namingWindows.customNamelab");
    addOutlet(column, w, checkStartNumber, "namingWindows.checkStartNumber")
        ->setText(tr("Start number at: 1"));
    onClick(addOutlet(column, w, keepCurrentFileNameBtn, "namingWindows.keepCurrentFileNameBtn"),
            &NamingWindows::ClickRenameCurrentFileNameAction);
    onClick(addOutlet(column, w, checkKeepFirstFileName, "namingWindows.checkKeepFirstFileName"),
            &NamingWindows::KeepFirstPartCurrentFileNameAction);
    onClick(addOutlet(column, w, checkKeepLastFileName, "namingWindows.checkKeepLastFileName"),
            &NamingWindows::KeepLastPartCurrentFileNameAction);
    onClick(
        addOutlet(column, w, checkRemoveFirstFileName, "namingWindows.checkRemoveFirstFileName"),
        &NamingWindows::RemoveFirstPartCurrentFileNameAction);
    onClick(addOutlet(column, w, checkRemoveLastFileName, "namingWindows.checkRemoveLastFileName"),
            &NamingWindows::RemoveLastPartCurrentFileNameAction);
    onClick(addOutlet(column, w, metaFileNameBtn, "namingWindows.metaFileNameBtn"),
            &NamingWindows::ClickRenamewithMetadataAction);
    addOutlet(column, w, filenameFormatstrlab, "namingWindows.filenameFormatstrlab");
    onClick(addOutlet(column, w, keepFileNameBtn, "namingWindows.keepFileNameBtn"),
            &NamingWindows::KeepExistingFileNameAction);
    QObject::connect(addOutlet(column, w, addTagsButton, "namingWindows.addTagsButton"),
                     &QComboBox::activated, &app.jobs(),
                     [this] { InsertPhotoTagsFileNameAction(); });
    addOutlet(column, w, tagpostionButton, "namingWindows.tagpostionButton");
    addOutlet(column, w, renameDateFormatBtn, "namingWindows.renameDateFormatBtn");
    addOutlet(column, w, seqNumBtn, "namingWindows.seqNumBtn");
    addOutlet(column, w, replaceInvaidStrBtn, "namingWindows.replaceInvaidStrBtn");
    auto *buttons = new QHBoxLayout;
    column->addLayout(buttons);
    renameCloseBtn = new QPushButton(tr("Close"), w);
    renameCloseBtn->setObjectName(QStringLiteral("renameCloseBtn"));
    renameSaveBtn = new QPushButton(tr("Rename"), w);
    renameSaveBtn->setObjectName(QStringLiteral("renameSaveBtn"));
    buttons->addStretch(1);
    buttons->addWidget(renameCloseBtn);
    buttons->addWidget(renameSaveBtn);
    onClick(renameCloseBtn, &NamingWindows::CloseRenameWindowAction);
    onClick(renameSaveBtn, &NamingWindows::SaveChangesRenameWindowAction);
    column->addStretch(1);
    buildProgressSheet();
}

void NamingWindows::ShowRenameWindowAction() {
    app.sheets().showOverMainWindow(renameWindow);
    ClickRenamewithCustomtextAction();
}

void NamingWindows::ClickRenamewithCustomtextAction() {
    chooseRenameMode(RenameMode::Custom);
}

void NamingWindows::ClickRenameCurrentFileNameAction() {
    chooseRenameMode(RenameMode::CurrentName);
}

void NamingWindows::ClickRenamewithMetadataAction() {
    chooseRenameMode(RenameMode::Metadata);
}

void NamingWindows::KeepLastPartCurrentFileNameAction() {
    chooseSegment(checkKeepLastFileName);
}

void NamingWindows::KeepFirstPartCurrentFileNameAction() {
    chooseSegment(checkKeepFirstFileName);
}

void NamingWindows::RemoveLastPartCurrentFileNameAction() {
    chooseSegment(checkRemoveLastFileName);
}

void NamingWindows::RemoveFirstPartCurrentFileNameAction() {
    chooseSegment(checkRemoveFirstFileName);
}

void NamingWindows::KeepExistingFileNameAction() {
    if (keepFileNameBtn && filenameFormatstrlab)
        filenameFormatstrlab->setText(
            keepFileNameBtn->isChecked() ? QStringLiteral("{ExistingFileName}") : QString());
}

void NamingWindows::InsertPhotoTagsFileNameAction() {
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

void NamingWindows::CloseRenameWindowAction() {
    if (filenameFormatstrlab)
        filenameFormatstrlab->setText(QStringLiteral("{ExistingFileName}"));
    if (renameWindow)
        renameWindow->hide();
}

void NamingWindows::SaveChangesRenameWindowAction() {
    if (renameWindow)
        renameWindow->hide();
    const bool libraryShown = app.browsers().libraryInSight();
    if (!libraryShown && !localMode())
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

namespace {

void setTitle(QAbstractButton *b, const QString &title) {
    if (!b)
        return;
    b->setText(title);
    b->setFont(optionFont());
}

void fillPopUp(QComboBox *popUp, const QStringList &items, const QString &selected) {
    if (!popUp)
        return;
    popUp->clear();
    popUp->addItems(items);
    popUp->setCurrentIndex(int(items.indexOf(selected)));
}

} // namespace

void NamingWindows::prepareControls() {
    const QString partHint =
        QStringLiteral(" part of the filename string (A string of filename separated by spaces "
                       "and '-' delimiters.)");
    const std::pair<QCheckBox *, QString> titles[] = {
        {keepFileNameBtn, QStringLiteral("Keep existing file name text")},
        {replaceInvaidStrBtn, QStringLiteral("Replace invalid characters with _")},
        {seqNumBtn, QStringLiteral("Start number at: 1")},
        {checkKeepLastFileName, QStringLiteral("Keep the last") + partHint},
        {checkKeepFirstFileName, QStringLiteral("Keep the first") + partHint},
        {checkRemoveFirstFileName, QStringLiteral("Remove the first") + partHint},
        {checkRemoveLastFileName, QStringLiteral("Remove the last") + partHint},
        {customerFileNameBtn,
         QStringLiteral("Rename photos by replacing filenames with custom text:")},
        {keepCurrentFileNameBtn,
         QStringLiteral("Rename photos by removing and keeping the current filename string")},
        {metaFileNameBtn, QStringLiteral("Rename photos with photo metadata tag(s):")},
    };
    for (const auto &[box, title] : titles)
        setTitle(box, title);

    fillPopUp(renameDateFormatBtn,
              {QStringLiteral("Please Choose Date format"), QStringLiteral("MM:DD:YYYY HH:MM:ss"),
               QStringLiteral("DD:MM:YYYY HH:MM:ss"), QStringLiteral("YYYY:MM:DD HH:MM:ss"),
               QStringLiteral("YYYY_MM_DD HH.MM.ss"), QStringLiteral("MM_DD_YYYY HH.MM.ss"),
               QStringLiteral("DD_MM_YYYY HH.MM.ss"), QStringLiteral("YYYY_MM_DD"),
               QStringLiteral("YYYYMMDD"), QStringLiteral("YYYYMMDD HHMMss"),
               QStringLiteral("MMDDYYYY HHMMss"), QStringLiteral("DDMMYYYY HHMMss")},
              QStringLiteral("Please Choose Date format"));
    fillPopUp(tagpostionButton,
              {QStringLiteral("the beginning of filename"), QStringLiteral("the end of filename")},
              QStringLiteral("the beginning of filename"));
    fillPopUp(addTagsButton,
              {QStringLiteral("Title"), QStringLiteral("Artist"), QStringLiteral("Description"),
               QStringLiteral("Copyright"), QStringLiteral("Dimensions"),
               QStringLiteral("Keywords"), QStringLiteral("Comments"),
               QStringLiteral("Camera Make"), QStringLiteral("Camera Model"),
               QStringLiteral("Camera Date"), QStringLiteral("Insert photo metadata tag(s)")},
              QStringLiteral("Insert photo metadata tag(s)"));
    fillPopUp(useFileNameAsTitlePopButton,
              {QStringLiteral("Use entire File Name as Photo Title"),
               QStringLiteral("Add some Text to File Name as Photo Title"),
               QStringLiteral("Replace some text of File Name as Photo Title")},
              QStringLiteral("Use entire File Name as Photo Title"));
    fillPopUp(changephotoTitle_addPhotoTagsPopButton,
              {QStringLiteral("File Name"), QStringLiteral("Artist"),
               QStringLiteral("Caption/Description"), QStringLiteral("Copyright"),
               QStringLiteral("Dimensions"), QStringLiteral("Keywords"), QStringLiteral("Comments"),
               QStringLiteral("Camera Make"), QStringLiteral("Camera Model"),
               QStringLiteral("Camera Date"), QStringLiteral("Add photo metadata tag(s)")},
              QStringLiteral("Add photo metadata tag(s)"));
    if (renameDateFormatBtn)
        renameDateFormatBtn->setEnabled(false);
    if (filenameFormatstrlab)
        filenameFormatstrlab->setText(QStringLiteral("{ExistingFileName}"));
}
