// The batch title and caption window, its actions, and the menu items of the naming tools.
#include "app/AppDelegate.h"
#include "app/Sheets.h"
#include "app/WindowDescription.h"
#include "library/LibraryDatabase.h"

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
    setShown({d.namingWindows.addTextFileNametoTitleDisplayLab,
              d.namingWindows.addTextFileNametoTitleLab,
              d.namingWindows.beReplacedTextFileNametoTitleDisplayLab,
              d.namingWindows.beReplacedTextFileNametoTitleLab,
              d.namingWindows.replaceTextFileNametoTitleDisplayLab,
              d.namingWindows.replaceTextFileNametoTitleLab},
             false);
}

void enableTemplateControls(AppDelegate &d, bool enabled) {
    setEnabled({d.namingWindows.changephotoTitle_keepPhotoTitleBtn,
                d.namingWindows.changephotoTitle_PhotoTitleStrLab,
                d.namingWindows.changephotoTitle_addPhotoTagsPopButton},
               enabled);
}

QString existingTag(const AppDelegate &d) {
    return d.namingWindows.bChangePhotoLibCaption ? QStringLiteral("{Existing Photo Caption}")
                                                  : QStringLiteral("{Existing Photo Title}");
}

void showTitleWindow(AppDelegate &d, naming::TextKind kind) {
    const bool title = kind == naming::TextKind::Title;
    setOn(d.namingWindows.useFileNameAsTitleBtn, true);
    setOn(d.namingWindows.useTagsAsTitleBtn, false);
    hideTextControls(d);
    d.sheets().showOverMainWindow(d.namingWindows.batchTitleWindow);
    enableTemplateControls(d, false);
    const QString what = title ? QStringLiteral("Title") : QStringLiteral("Caption");
    const QString lower = title ? QStringLiteral("title") : QStringLiteral("caption");
    if (d.namingWindows.batchTitleWindow)
        d.namingWindows.batchTitleWindow->setWindowTitle(
            AppDelegate::tr("Change Photo %1").arg(what));
    if (d.namingWindows.useFileNameAsTitleBtn)
        d.namingWindows.useFileNameAsTitleBtn->setText(
            AppDelegate::tr("Use Photo File Name as Photo %1:").arg(what));
    if (d.namingWindows.useTagsAsTitleBtn)
        d.namingWindows.useTagsAsTitleBtn->setText(
            AppDelegate::tr("Use Photo Metadata tag as the Photo %1").arg(what));
    fill(d.namingWindows.useFileNameAsTitlePopButton, naming::fileNameModeTitles(kind), 0);
    if (d.namingWindows.changephotoTitle_keepPhotoTitleBtn)
        d.namingWindows.changephotoTitle_keepPhotoTitleBtn->setText(
            AppDelegate::tr("Keep the current photo %1").arg(lower));
    if (d.namingWindows.changephotoTitle_PhotoTitleFormatDiplayLab)
        d.namingWindows.changephotoTitle_PhotoTitleFormatDiplayLab->setText(
            AppDelegate::tr("Photo %1 Format String").arg(what));
    d.namingWindows.bChangePhotoLibTitle = title;
    d.namingWindows.bChangePhotoLibCaption = !title;
    if (d.namingWindows.changephotoTitle_PhotoTitleStrLab)
        d.namingWindows.changephotoTitle_PhotoTitleStrLab->setText(existingTag(d));
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
    fill(d.namingWindows.changephotoTitle_addPhotoTagsPopButton, items, int(items.size()) - 1);
}

QLabel *label(QVBoxLayout *column, QWidget *parent, QLabel *&outlet, const char *name,
              const QString &text) {
    addOutlet(column, parent, outlet, name)->setText(text);
    return outlet;
}

} // namespace

void buildBatchTitleWindow(AppDelegate &d) {
    QVBoxLayout *column = newColumnWindow(d, d.namingWindows.batchTitleWindow, "batchTitleWindow",
                                          AppDelegate::tr("Change Photo Title"));
    QWidget *w = d.namingWindows.batchTitleWindow;
    onClick(d, PK_OUTLET(column, w, d, namingWindows.useFileNameAsTitleBtn),
            &AppDelegate::forward<&NamingWindowsPart::ClickChangePhotoTitleFromFileNameAction>);
    onChoice(d, PK_OUTLET(column, w, d, namingWindows.useFileNameAsTitlePopButton),
             &AppDelegate::forward<&NamingWindowsPart::ChangePhotoTitleFromFileNameAction>);
    label(column, w, d.namingWindows.addTextFileNametoTitleDisplayLab,
          "addTextFileNametoTitleDisplayLab",
          AppDelegate::tr("Text to put in front of the file name:"));
    PK_OUTLET(column, w, d, namingWindows.addTextFileNametoTitleLab);
    label(column, w, d.namingWindows.beReplacedTextFileNametoTitleDisplayLab,
          "beReplacedTextFileNametoTitleDisplayLab", AppDelegate::tr("Find:"));
    PK_OUTLET(column, w, d, namingWindows.beReplacedTextFileNametoTitleLab);
    label(column, w, d.namingWindows.replaceTextFileNametoTitleDisplayLab,
          "replaceTextFileNametoTitleDisplayLab", AppDelegate::tr("Replace with:"));
    PK_OUTLET(column, w, d, namingWindows.replaceTextFileNametoTitleLab);
    onClick(d, PK_OUTLET(column, w, d, namingWindows.useTagsAsTitleBtn),
            &AppDelegate::forward<&NamingWindowsPart::ClickChangePhotoTitleFromPhotoTagsAction>);
    onClick(d, PK_OUTLET(column, w, d, namingWindows.changephotoTitle_keepPhotoTitleBtn),
            &AppDelegate::forward<&NamingWindowsPart::KeepExistingPhotoTitleAction>);
    label(column, w, d.namingWindows.changephotoTitle_PhotoTitleFormatDiplayLab,
          "changephotoTitle_PhotoTitleFormatDiplayLab",
          AppDelegate::tr("Photo Title Format String"));
    PK_OUTLET(column, w, d, namingWindows.changephotoTitle_PhotoTitleStrLab);
    onChoice(d, PK_OUTLET(column, w, d, namingWindows.changephotoTitle_addPhotoTagsPopButton),
             &AppDelegate::forward<&NamingWindowsPart::InsertPhotoTagsPhotoTitleAction>);
    auto *buttons = new QHBoxLayout;
    column->addLayout(buttons);
    d.namingWindows.changePhotoTitleCancelBtn = new QPushButton(AppDelegate::tr("Cancel"), w);
    d.namingWindows.changePhotoTitleCancelBtn->setObjectName(
        QStringLiteral("changePhotoTitleCancelBtn"));
    d.namingWindows.changePhotoTitleSaveBtn = new QPushButton(AppDelegate::tr("Save"), w);
    d.namingWindows.changePhotoTitleSaveBtn->setObjectName(
        QStringLiteral("changePhotoTitleSaveBtn"));
    buttons->addStretch(1);
    buttons->addWidget(d.namingWindows.changePhotoTitleCancelBtn);
    buttons->addWidget(d.namingWindows.changePhotoTitleSaveBtn);
    onClick(d, d.namingWindows.changePhotoTitleCancelBtn,
            &AppDelegate::forward<&NamingWindowsPart::ClickCancleChangePhotoTitleAction>);
    onClick(d, d.namingWindows.changePhotoTitleSaveBtn,
            &AppDelegate::forward<&NamingWindowsPart::ClickSaveChangePhotoTitleAction>);
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
        {AppDelegate::tr("Change Photo Titles…"),
         &AppDelegate::forward<&NamingWindowsPart::BatchChangePhotoTitleAction>},
        {AppDelegate::tr("Change Photo Captions…"),
         &AppDelegate::forward<&NamingWindowsPart::BatchChangePhotoCaptionAction>},
        {AppDelegate::tr("Rename Photos…"),
         &AppDelegate::forward<&NamingWindowsPart::ShowRenameWindowAction>}};
    for (const auto &[title, action] : items)
        addMenuItem(d, menu, title, action);
}

void NamingWindowsPart::BatchChangePhotoTitleAction() {
    showTitleWindow(d, naming::TextKind::Title);
}

void NamingWindowsPart::BatchChangePhotoCaptionAction() {
    showTitleWindow(d, naming::TextKind::Caption);
}

void NamingWindowsPart::ClickChangePhotoTitleFromFileNameAction() {
    setOn(useFileNameAsTitleBtn, true);
    setOn(useTagsAsTitleBtn, false);
    hideTextControls(d);
    enableTemplateControls(d, false);
}

void NamingWindowsPart::ClickChangePhotoTitleFromPhotoTagsAction() {
    setOn(useFileNameAsTitleBtn, false);
    setOn(useTagsAsTitleBtn, true);
    hideTextControls(d);
    enableTemplateControls(d, true);
}

void NamingWindowsPart::ChangePhotoTitleFromFileNameAction() {
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
        hideTextControls(d);
    } else if (mode == 1) {
        setShown(add, true);
        setShown(replace, false);
    } else if (mode == 2) {
        setShown(add, false);
        setShown(replace, true);
    }
}

void NamingWindowsPart::KeepExistingPhotoTitleAction() {
    if (!changephotoTitle_keepPhotoTitleBtn || !changephotoTitle_PhotoTitleStrLab)
        return;
    const QString tag = existingTag(d);
    if (changephotoTitle_keepPhotoTitleBtn->isChecked())
        changephotoTitle_PhotoTitleStrLab->setText(tag);
    else
        changephotoTitle_PhotoTitleStrLab->setText(
            changephotoTitle_PhotoTitleStrLab->text().remove(tag));
}

void NamingWindowsPart::InsertPhotoTagsPhotoTitleAction() {
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

void NamingWindowsPart::ClickCancleChangePhotoTitleAction() {
    if (batchTitleWindow)
        batchTitleWindow->hide();
}

bool NamingWindowsPart::alertWhilePhotosRuns() {
    const QList<DatabaseHolder> held = d.libraryDatabase().holders();
    if (held.isEmpty())
        return false;
    if (std::all_of(held.begin(), held.end(),
                    [](const DatabaseHolder &h) { return h.onAnotherComputer(); })) {
        d.libraryDatabase().showTakeOverOffer(held);
        return true;
    }
    const bool photos = std::all_of(held.begin(), held.end(), isPhotosApplication);
    beginAlertSheet(
        d.window,
        photos ? AppDelegate::tr("You need to quit the running Photos application.")
               : AppDelegate::tr("The library is in use by another program."),
        photos ? QString() : d.libraryDatabase().libraryInUseText(held), {AppDelegate::tr(" OK ")},
        [this](QMessageBox *alert, int code) { d.sheets().savePanelDidEnd3(alert, code); });
    return true;
}

void NamingWindowsPart::ClickSaveChangePhotoTitleAction() {
    if (batchTitleWindow)
        batchTitleWindow->hide();
    if (!d.blocalMode && alertWhilePhotosRuns())
        return;
    Action job = nullptr;
    if (bChangePhotoLibTitle)
        job = d.blocalMode ? &AppDelegate::forward<
                                 &NamingWindowsPart::ChangePhotoTitleLocalPhotowithFileThreader>
                           : &AppDelegate::forward<
                                 &NamingWindowsPart::ChangePhotoTitlePhotoLibrarywithFileThreader>;
    else if (bChangePhotoLibCaption)
        job = d.blocalMode
                  ? &AppDelegate::forward<
                        &NamingWindowsPart::ChangePhotoCaptionLocalPhotowithFileThreader>
                  : &AppDelegate::forward<
                        &NamingWindowsPart::ChangePhotoCaptionPhotoLibrarywithFileThreader>;
    if (!job)
        return;
    showRenameActionWindow();
    (d.*job)();
}
