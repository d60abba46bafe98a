// The batch title and caption window, its actions, and the menu items of the naming tools.
#include "app/AppDelegate.h"
#include "app/WindowDescription.h"

#include "batch/core/NamingEngine.h"
#include "library/core/LibraryWorkingCopy.h"
#include "metadata/JobTitles.h"
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

using Action = void (AppDelegate::*)();

void onClick(AppDelegate &d, QAbstractButton *button, Action action) {
    QObject::connect(button, &QAbstractButton::clicked, &d, [&d, action] { (d.*action)(); });
}

void onChoice(AppDelegate &d, QComboBox *popUp, Action action) {
    QObject::connect(popUp, &QComboBox::activated, &d, [&d, action] { (d.*action)(); });
}

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

void hideTextControls(AppDelegate &d) {
    setShown({d.addTextFileNametoTitleDisplayLab, d.addTextFileNametoTitleLab,
              d.beReplacedTextFileNametoTitleDisplayLab, d.beReplacedTextFileNametoTitleLab,
              d.replaceTextFileNametoTitleDisplayLab, d.replaceTextFileNametoTitleLab},
             false);
}

void enableTemplateControls(AppDelegate &d, bool enabled) {
    setEnabled({d.changephotoTitle_keepPhotoTitleBtn, d.changephotoTitle_PhotoTitleStrLab,
                d.changephotoTitle_addPhotoTagsPopButton},
               enabled);
}

QString existingTag(const AppDelegate &d) {
    return d.bChangePhotoLibCaption ? QStringLiteral("{Existing Photo Caption}")
                                    : QStringLiteral("{Existing Photo Title}");
}

void showTitleWindow(AppDelegate &d, naming::TextKind kind) {
    const bool title = kind == naming::TextKind::Title;
    setOn(d.useFileNameAsTitleBtn, true);
    setOn(d.useTagsAsTitleBtn, false);
    hideTextControls(d);
    d.showOverMainWindow(d.batchTitleWindow);
    enableTemplateControls(d, false);
    const QString what = title ? QStringLiteral("Title") : QStringLiteral("Caption");
    const QString lower = title ? QStringLiteral("title") : QStringLiteral("caption");
    if (d.batchTitleWindow)
        d.batchTitleWindow->setWindowTitle(AppDelegate::tr("Change Photo %1").arg(what));
    if (d.useFileNameAsTitleBtn)
        d.useFileNameAsTitleBtn->setText(
            AppDelegate::tr("Use Photo File Name as Photo %1:").arg(what));
    if (d.useTagsAsTitleBtn)
        d.useTagsAsTitleBtn->setText(
            AppDelegate::tr("Use Photo Metadata tag as the Photo %1").arg(what));
    fill(d.useFileNameAsTitlePopButton, naming::fileNameModeTitles(kind), 0);
    if (d.changephotoTitle_keepPhotoTitleBtn)
        d.changephotoTitle_keepPhotoTitleBtn->setText(
            AppDelegate::tr("Keep the current photo %1").arg(lower));
    if (d.changephotoTitle_PhotoTitleFormatDiplayLab)
        d.changephotoTitle_PhotoTitleFormatDiplayLab->setText(
            AppDelegate::tr("Photo %1 Format String").arg(what));
    d.bChangePhotoLibTitle = title;
    d.bChangePhotoLibCaption = !title;
    if (d.changephotoTitle_PhotoTitleStrLab)
        d.changephotoTitle_PhotoTitleStrLab->setText(existingTag(d));
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
    fill(d.changephotoTitle_addPhotoTagsPopButton, items, int(items.size()) - 1);
}

QLabel *label(QVBoxLayout *column, QWidget *parent, QLabel *&outlet, const char *name,
              const QString &text) {
    addOutlet(column, parent, outlet, name)->setText(text);
    return outlet;
}

} // namespace

void buildBatchTitleWindow(AppDelegate &d) {
    QVBoxLayout *column = newColumnWindow(d, d.batchTitleWindow, "batchTitleWindow",
                                          AppDelegate::tr("Change Photo Title"));
    QWidget *w = d.batchTitleWindow;
    onClick(d, PK_OUTLET(column, w, d, useFileNameAsTitleBtn),
            &AppDelegate::ClickChangePhotoTitleFromFileNameAction);
    onChoice(d, PK_OUTLET(column, w, d, useFileNameAsTitlePopButton),
             &AppDelegate::ChangePhotoTitleFromFileNameAction);
    label(column, w, d.addTextFileNametoTitleDisplayLab, "addTextFileNametoTitleDisplayLab",
          AppDelegate::tr("Text to put in front of the file name:"));
    PK_OUTLET(column, w, d, addTextFileNametoTitleLab);
    label(column, w, d.beReplacedTextFileNametoTitleDisplayLab,
          "beReplacedTextFileNametoTitleDisplayLab", AppDelegate::tr("Find:"));
    PK_OUTLET(column, w, d, beReplacedTextFileNametoTitleLab);
    label(column, w, d.replaceTextFileNametoTitleDisplayLab, "replaceTextFileNametoTitleDisplayLab",
          AppDelegate::tr("Replace with:"));
    PK_OUTLET(column, w, d, replaceTextFileNametoTitleLab);
    onClick(d, PK_OUTLET(column, w, d, useTagsAsTitleBtn),
            &AppDelegate::ClickChangePhotoTitleFromPhotoTagsAction);
    onClick(d, PK_OUTLET(column, w, d, changephotoTitle_keepPhotoTitleBtn),
            &AppDelegate::KeepExistingPhotoTitleAction);
    label(column, w, d.changephotoTitle_PhotoTitleFormatDiplayLab,
          "changephotoTitle_PhotoTitleFormatDiplayLab",
          AppDelegate::tr("Photo Title Format String"));
    PK_OUTLET(column, w, d, changephotoTitle_PhotoTitleStrLab);
    onChoice(d, PK_OUTLET(column, w, d, changephotoTitle_addPhotoTagsPopButton),
             &AppDelegate::InsertPhotoTagsPhotoTitleAction);
    auto *buttons = new QHBoxLayout;
    column->addLayout(buttons);
    d.changePhotoTitleCancelBtn = new QPushButton(AppDelegate::tr("Cancel"), w);
    d.changePhotoTitleCancelBtn->setObjectName(QStringLiteral("changePhotoTitleCancelBtn"));
    d.changePhotoTitleSaveBtn = new QPushButton(AppDelegate::tr("Save"), w);
    d.changePhotoTitleSaveBtn->setObjectName(QStringLiteral("changePhotoTitleSaveBtn"));
    buttons->addStretch(1);
    buttons->addWidget(d.changePhotoTitleCancelBtn);
    buttons->addWidget(d.changePhotoTitleSaveBtn);
    onClick(d, d.changePhotoTitleCancelBtn, &AppDelegate::ClickCancleChangePhotoTitleAction);
    onClick(d, d.changePhotoTitleSaveBtn, &AppDelegate::ClickSaveChangePhotoTitleAction);
    column->addStretch(1);

    // A submenu of Actions, so the menu bar keeps the desktop's order with Help last.
    auto *actions =
        d.window ? d.window->findChild<QMenu *>(QStringLiteral("actionsMenu")) : nullptr;
    if (!actions)
        return;
    actions->addSeparator();
    QMenu *menu = actions->addMenu(AppDelegate::tr("Batch"));
    menu->setObjectName(QStringLiteral("batchNamingMenu"));
    const std::pair<QString, Action> items[] = {
        {AppDelegate::tr("Change Photo Titles…"), &AppDelegate::BatchChangePhotoTitleAction},
        {AppDelegate::tr("Change Photo Captions…"), &AppDelegate::BatchChangePhotoCaptionAction},
        {AppDelegate::tr("Rename Photos…"), &AppDelegate::ShowRenameWindowAction}};
    for (const auto &[title, action] : items)
        addMenuItem(d, menu, title, action);
}

void AppDelegate::BatchChangePhotoTitleAction() {
    showTitleWindow(*this, naming::TextKind::Title);
}

void AppDelegate::BatchChangePhotoCaptionAction() {
    showTitleWindow(*this, naming::TextKind::Caption);
}

void AppDelegate::ClickChangePhotoTitleFromFileNameAction() {
    setOn(useFileNameAsTitleBtn, true);
    setOn(useTagsAsTitleBtn, false);
    hideTextControls(*this);
    enableTemplateControls(*this, false);
}

void AppDelegate::ClickChangePhotoTitleFromPhotoTagsAction() {
    setOn(useFileNameAsTitleBtn, false);
    setOn(useTagsAsTitleBtn, true);
    hideTextControls(*this);
    enableTemplateControls(*this, true);
}

void AppDelegate::ChangePhotoTitleFromFileNameAction() {
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
        hideTextControls(*this);
    } else if (mode == 1) {
        setShown(add, true);
        setShown(replace, false);
    } else if (mode == 2) {
        setShown(add, false);
        setShown(replace, true);
    }
}

void AppDelegate::KeepExistingPhotoTitleAction() {
    if (!changephotoTitle_keepPhotoTitleBtn || !changephotoTitle_PhotoTitleStrLab)
        return;
    const QString tag = existingTag(*this);
    if (changephotoTitle_keepPhotoTitleBtn->isChecked())
        changephotoTitle_PhotoTitleStrLab->setText(tag);
    else
        changephotoTitle_PhotoTitleStrLab->setText(
            changephotoTitle_PhotoTitleStrLab->text().remove(tag));
}

void AppDelegate::InsertPhotoTagsPhotoTitleAction() {
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

void AppDelegate::ClickCancleChangePhotoTitleAction() {
    if (batchTitleWindow)
        batchTitleWindow->hide();
}

bool AppDelegate::alertWhilePhotosRuns() {
    const QList<DatabaseHolder> held =
        libraryWorkingCopy ? libraryWorkingCopy->holders() : QList<DatabaseHolder>();
    if (held.isEmpty())
        return false;
    const bool photos = std::all_of(held.begin(), held.end(), isPhotosApplication);
    beginAlertSheet(window,
                    photos ? tr("You need to quit the running Photos application.")
                           : tr("The library is in use by another program."),
                    photos ? QString() : libraryInUseText(held), {tr(" OK ")},
                    [this](QMessageBox *alert, int code) { savePanelDidEnd3(alert, code); });
    return true;
}

void AppDelegate::ClickSaveChangePhotoTitleAction() {
    if (batchTitleWindow)
        batchTitleWindow->hide();
    if (!blocalMode && alertWhilePhotosRuns())
        return;
    Action job = nullptr;
    if (bChangePhotoLibTitle)
        job = blocalMode ? &AppDelegate::ChangePhotoTitleLocalPhotowithFileThreader
                         : &AppDelegate::ChangePhotoTitlePhotoLibrarywithFileThreader;
    else if (bChangePhotoLibCaption)
        job = blocalMode ? &AppDelegate::ChangePhotoCaptionLocalPhotowithFileThreader
                         : &AppDelegate::ChangePhotoCaptionPhotoLibrarywithFileThreader;
    if (!job)
        return;
    showRenameActionWindow();
    (this->*job)();
}
