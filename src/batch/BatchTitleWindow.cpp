// The batch title and caption window, its actions, and the menu items of the naming tools.
#include "batch/NamingWindows.h"

#include "app/AppServices.h"
#include "app/Jobs.h"
#include "app/Sheets.h"
#include "app/WindowDescription.h"
#include "library/LibraryDatabase.h"

#include "batch/core/NamingEngine.h"
#include "library/core/LibraryWorkingCopy.h"
#include "platform/AlertSheet.h"
#include "platform/ImageView.h"
#include "platform/core/PhotosApplication.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QPushButton>
#include <algorithm>

namespace {

void setShown(std::initializer_list<QWidget *> widgets, bool shown) {
    for (QWidget *w : widgets)
        if (w)
            w->setVisible(shown);
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

void fill(QComboBox *popUp, const QStringList &items, int selected) {
    if (!popUp)
        return;
    popUp->clear();
    popUp->addItems(items);
    popUp->setCurrentIndex(selected);
}

} // namespace

void NamingWindows::hideTextControls() {
    setShown({addTextFileNametoTitleDisplayLab, addTextFileNametoTitleLab,
              beReplacedTextFileNametoTitleDisplayLab, beReplacedTextFileNametoTitleLab,
              replaceTextFileNametoTitleDisplayLab, replaceTextFileNametoTitleLab},
             false);
}

void NamingWindows::enableTemplateControls(bool enabled) {
    setEnabled({changephotoTitle_keepPhotoTitleBtn, changephotoTitle_PhotoTitleStrLab,
                changephotoTitle_addPhotoTagsPopButton},
               enabled);
}

QString NamingWindows::existingTag() const {
    return bChangePhotoLibCaption ? QStringLiteral("{Existing Photo Caption}")
                                  : QStringLiteral("{Existing Photo Title}");
}

void NamingWindows::showTitleWindow(naming::TextKind kind) {
    const bool title = kind == naming::TextKind::Title;
    setOn(useFileNameAsTitleBtn, true);
    setOn(useTagsAsTitleBtn, false);
    hideTextControls();
    app.sheets().showOverMainWindow(batchTitleWindow);
    enableTemplateControls(false);
    const QString what = title ? QStringLiteral("Title") : QStringLiteral("Caption");
    const QString lower = title ? QStringLiteral("title") : QStringLiteral("caption");
    if (batchTitleWindow)
        batchTitleWindow->setWindowTitle(tr("Change Photo %1").arg(what));
    if (useFileNameAsTitleBtn)
        useFileNameAsTitleBtn->setText(tr("Use Photo File Name as Photo %1:").arg(what));
    if (useTagsAsTitleBtn)
        useTagsAsTitleBtn->setText(tr("Use Photo Metadata tag as the Photo %1").arg(what));
    fill(useFileNameAsTitlePopButton, naming::fileNameModeTitles(kind), 0);
    if (changephotoTitle_keepPhotoTitleBtn)
        changephotoTitle_keepPhotoTitleBtn->setText(tr("Keep the current photo %1").arg(lower));
    if (changephotoTitle_PhotoTitleFormatDiplayLab)
        changephotoTitle_PhotoTitleFormatDiplayLab->setText(tr("Photo %1 Format String").arg(what));
    bChangePhotoLibTitle = title;
    bChangePhotoLibCaption = !title;
    if (changephotoTitle_PhotoTitleStrLab)
        changephotoTitle_PhotoTitleStrLab->setText(existingTag());
    const QStringList tags =
        title ? QStringList{QStringLiteral("File Name"), QStringLiteral("Artist"),
                            QStringLiteral("Caption/Description")}
              : QStringList{QStringLiteral("File Name"), QStringLiteral("Title"),
                            QStringLiteral("Artist")};
    QStringList items = tags;
    items << QStringLiteral("Copyright") << QStringLiteral("Dimensions")
          << QStringLiteral("Keywords") << QStringLiteral("Comments")
          << QStringLiteral("Camera Make") << QStringLiteral("Camera Model")
          << QStringLiteral("Camera Date") << QStringLiteral("Add photo metadata tag(s)");
    fill(changephotoTitle_addPhotoTagsPopButton, items, int(items.size()) - 1);
}

namespace {

QLabel *label(QVBoxLayout *column, QWidget *parent, QLabel *&outlet, const char *name,
              const QString &text) {
    addOutlet(column, parent, outlet, name)->setText(text);
    return outlet;
}

} // namespace

void NamingWindows::buildBatchTitleWindow() {
    QVBoxLayout *column =
        newColumnWindow(ownWindows, batchTitleWindow, "batchTitleWindow", tr("Change Photo Title"));
    QWidget *w = batchTitleWindow;
    onClick(addOutlet(column, w, useFileNameAsTitleBtn, "namingWindows.useFileNameAsTitleBtn"),
            &NamingWindows::ClickChangePhotoTitleFromFileNameAction);
    onChoice(addOutlet(column, w, useFileNameAsTitlePopButton,
                       "namingWindows.useFileNameAsTitlePopButton"),
             &NamingWindows::ChangePhotoTitleFromFileNameAction);
    label(column, w, addTextFileNametoTitleDisplayLab, "addTextFileNametoTitleDisplayLab",
          tr("Text to put in front of the file name:"));
    addOutlet(column, w, addTextFileNametoTitleLab, "namingWindows.addTextFileNametoTitleLab");
    label(column, w, beReplacedTextFileNametoTitleDisplayLab,
          "beReplacedTextFileNametoTitleDisplayLab", tr("Find:"));
    addOutlet(column, w, beReplacedTextFileNametoTitleLab,
              "namingWindows.beReplacedTextFileNametoTitleLab");
    label(column, w, replaceTextFileNametoTitleDisplayLab, "replaceTextFileNametoTitleDisplayLab",
          tr("Replace with:"));
    addOutlet(column, w, replaceTextFileNametoTitleLab,
              "namingWindows.replaceTextFileNametoTitleLab");
    onClick(addOutlet(column, w, useTagsAsTitleBtn, "namingWindows.useTagsAsTitleBtn"),
            &NamingWindows::ClickChangePhotoTitleFromPhotoTagsAction);
    onClick(addOutlet(column, w, changephotoTitle_keepPhotoTitleBtn,
                      "namingWindows.changephotoTitle_keepPhotoTitleBtn"),
            &NamingWindows::KeepExistingPhotoTitleAction);
    label(column, w, changephotoTitle_PhotoTitleFormatDiplayLab,
          "changephotoTitle_PhotoTitleFormatDiplayLab", tr("Photo Title Format String"));
    addOutlet(column, w, changephotoTitle_PhotoTitleStrLab,
              "namingWindows.changephotoTitle_PhotoTitleStrLab");
    onChoice(addOutlet(column, w, changephotoTitle_addPhotoTagsPopButton,
                       "namingWindows.changephotoTitle_addPhotoTagsPopButton"),
             &NamingWindows::InsertPhotoTagsPhotoTitleAction);
    auto *buttons = new QHBoxLayout;
    column->addLayout(buttons);
    changePhotoTitleCancelBtn = new QPushButton(tr("Cancel"), w);
    changePhotoTitleCancelBtn->setObjectName(QStringLiteral("changePhotoTitleCancelBtn"));
    changePhotoTitleSaveBtn = new QPushButton(tr("Save"), w);
    changePhotoTitleSaveBtn->setObjectName(QStringLiteral("changePhotoTitleSaveBtn"));
    buttons->addStretch(1);
    buttons->addWidget(changePhotoTitleCancelBtn);
    buttons->addWidget(changePhotoTitleSaveBtn);
    onClick(changePhotoTitleCancelBtn, &NamingWindows::ClickCancleChangePhotoTitleAction);
    onClick(changePhotoTitleSaveBtn, &NamingWindows::ClickSaveChangePhotoTitleAction);
    column->addStretch(1);

    // A submenu of Actions, so the menu bar keeps the desktop's order with Help last.
    auto *actions = app.mainWindow()
                        ? app.mainWindow()->findChild<QMenu *>(QStringLiteral("actionsMenu"))
                        : nullptr;
    if (!actions)
        return;
    actions->addSeparator();
    QMenu *menu = actions->addMenu(tr("Batch"));
    menu->setObjectName(QStringLiteral("batchNamingMenu"));
    const std::pair<QString, void (NamingWindows::*)()> items[] = {
        {tr("Change Photo Titles…"), &NamingWindows::BatchChangePhotoTitleAction},
        {tr("Change Photo Captions…"), &NamingWindows::BatchChangePhotoCaptionAction},
        {tr("Rename Photos…"), &NamingWindows::ShowRenameWindowAction}};
    for (const auto &[title, action] : items)
        app.jobs().addMenuItem(menu, title, [this, action = action] { (this->*action)(); });
}

void NamingWindows::BatchChangePhotoTitleAction() {
    showTitleWindow(naming::TextKind::Title);
}

void NamingWindows::BatchChangePhotoCaptionAction() {
    showTitleWindow(naming::TextKind::Caption);
}

void NamingWindows::ClickChangePhotoTitleFromFileNameAction() {
    setOn(useFileNameAsTitleBtn, true);
    setOn(useTagsAsTitleBtn, false);
    hideTextControls();
    enableTemplateControls(false);
}

void NamingWindows::ClickChangePhotoTitleFromPhotoTagsAction() {
    setOn(useFileNameAsTitleBtn, false);
    setOn(useTagsAsTitleBtn, true);
    hideTextControls();
    enableTemplateControls(true);
}

void NamingWindows::ChangePhotoTitleFromFileNameAction() {
    if (!useFileNameAsTitlePopButton)
        return;
    const QString chosen = useFileNameAsTitlePopButton->currentText();
    int mode = int(naming::fileNameModeTitles(naming::TextKind::Title).indexOf(chosen));
    if (mode < 0)
        mode = int(naming::fileNameModeTitles(naming::TextKind::Caption).indexOf(chosen));
    const std::initializer_list<QWidget *> add = {addTextFileNametoTitleDisplayLab,
                                                  addTextFileNametoTitleLab};
    const std::initializer_list<QWidget *> replace = {
        beReplacedTextFileNametoTitleDisplayLab, beReplacedTextFileNametoTitleLab,
        replaceTextFileNametoTitleDisplayLab, replaceTextFileNametoTitleLab};
    if (mode == 0) {
        hideTextControls();
    } else if (mode == 1) {
        setShown(add, true);
        setShown(replace, false);
    } else if (mode == 2) {
        setShown(add, false);
        setShown(replace, true);
    }
}

void NamingWindows::KeepExistingPhotoTitleAction() {
    if (!changephotoTitle_keepPhotoTitleBtn || !changephotoTitle_PhotoTitleStrLab)
        return;
    const QString tag = existingTag();
    if (changephotoTitle_keepPhotoTitleBtn->isChecked())
        changephotoTitle_PhotoTitleStrLab->setText(tag);
    else
        changephotoTitle_PhotoTitleStrLab->setText(
            changephotoTitle_PhotoTitleStrLab->text().remove(tag));
}

void NamingWindows::InsertPhotoTagsPhotoTitleAction() {
    QComboBox *menu = changephotoTitle_addPhotoTagsPopButton;
    if (!menu || !changephotoTitle_PhotoTitleStrLab)
        return;
    const int heading = menu->count() - 1;
    if (menu->currentIndex() != heading) {
        QString tag = menu->currentText();
        if (tag == QLatin1String("Caption/Description"))
            tag = QStringLiteral("Caption");
        changephotoTitle_PhotoTitleStrLab->setText(
            QStringLiteral("%1 {%2}").arg(changephotoTitle_PhotoTitleStrLab->text(), tag));
    }
    menu->setCurrentIndex(heading);
}

void NamingWindows::ClickCancleChangePhotoTitleAction() {
    if (batchTitleWindow)
        batchTitleWindow->hide();
}

bool NamingWindows::alertWhilePhotosRuns() {
    const QList<DatabaseHolder> held = database.holders();
    if (held.isEmpty())
        return false;
    if (std::all_of(held.begin(), held.end(),
                    [](const DatabaseHolder &h) { return h.onAnotherComputer(); })) {
        database.showTakeOverOffer(held);
        return true;
    }
    const bool photos = std::all_of(held.begin(), held.end(), isPhotosApplication);
    beginAlertSheet(
        app.mainWindow(),
        photos ? tr("You need to quit the running Photos application.")
               : tr("The library is in use by another program."),
        photos ? QString() : database.libraryInUseText(held), {tr(" OK ")},
        [this](QMessageBox *alert, int code) { app.sheets().savePanelDidEnd3(alert, code); });
    return true;
}

void NamingWindows::ClickSaveChangePhotoTitleAction() {
    if (batchTitleWindow)
        batchTitleWindow->hide();
    if (!localMode() && alertWhilePhotosRuns())
        return;
    void (NamingWindows::*job)() = nullptr;
    if (bChangePhotoLibTitle)
        job = localMode() ? &NamingWindows::ChangePhotoTitleLocalPhotowithFileThreader
                          : &NamingWindows::ChangePhotoTitlePhotoLibrarywithFileThreader;
    else if (bChangePhotoLibCaption)
        job = localMode() ? &NamingWindows::ChangePhotoCaptionLocalPhotowithFileThreader
                          : &NamingWindows::ChangePhotoCaptionPhotoLibrarywithFileThreader;
    if (!job)
        return;
    showRenameActionWindow();
    (this->*job)();
}
