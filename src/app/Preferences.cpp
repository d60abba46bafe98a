// The preferences window's actions: show, cancel, folder choice, the overwrite confirmation,
// save, and the stamp font.
#include "app/AppDelegate.h"
#include "app/Sheets.h"

#include "app/core/Settings.h"
#include "platform/ChoiceButtons.h"
#include "platform/ColorWell.h"

#include <QFileDialog>
#include <QFontDialog>
#include <QLabel>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>

void PreferencesWindowPart::ShowPreferenceSetting() {
    if (!preferenceWindow)
        return;
    if (!preferenceWindow->isVisible() && d.window) {
        preferenceWindow->adjustSize();
        preferenceWindow->move(d.window->geometry().center() - preferenceWindow->rect().center());
    }
    preferenceWindow->show();
    preferenceWindow->raise();
    preferenceWindow->activateWindow();
}

void PreferencesWindowPart::showPreferencesInWindow() {
    const Preferences &p = d.preferences();
    if (storePathlab)
        storePathlab->setText(p.storagelocation);
    // In a group of radio buttons only ticking one unticks the other.
    if (compressStampPhotoBtn && uncompressStampPhotoBtn)
        (p.compress ? compressStampPhotoBtn : uncompressStampPhotoBtn)->setChecked(true);
    if (overwritePhotoBtn && unoverwritePhotoBtn)
        (p.overwrite ? overwritePhotoBtn : unoverwritePhotoBtn)->setChecked(true);
    if (postionBtn)
        postionBtn->setCurrentText(p.postion);
    if (dateFormatBtn)
        dateFormatBtn->setCurrentText(p.dateformat);
    if (showFontlab)
        showFontlab->setText(QStringLiteral("%1 %2").arg(p.currentFontname).arg(p.currentFontSize));
    if (colorwell)
        colorwell->setColor(p.currentFontColor);
}

void PreferencesWindowPart::CancelPreferenceSetting() {
    if (fontPanel)
        fontPanel->hide();
    // A cancelled change must not stay in the window: put back what the program runs with.
    // The font panel changes the font as it goes, so the font comes back from the store.
    auto defaults = userDefaults();
    if (defaults->contains(QLatin1String(SettingsKey::fontName))) {
        d.preferences().currentFontname =
            installedFontFamily(defaults->value(QLatin1String(SettingsKey::fontName)).toString());
        bool ok = false;
        const int size = defaults->value(QLatin1String(SettingsKey::fontsize)).toInt(&ok);
        d.preferences().currentFontSize = (ok && size > 0) ? size : kDefaultFontSize;
    }
    showPreferencesInWindow();
    if (preferenceWindow)
        preferenceWindow->hide();
}

void PreferencesWindowPart::ChangeStoreLocation() {
    auto *panel = new QFileDialog(preferenceWindow);
    panel->setAttribute(Qt::WA_DeleteOnClose);
    panel->setFileMode(QFileDialog::Directory);
    panel->setOption(QFileDialog::ShowDirsOnly, true);
    panel->setWindowModality(Qt::WindowModal);
    theChangePanel = panel;
    d.connect(panel, &QFileDialog::finished, &d, [this, panel](int result) {
        openPanelDidEnd5(panel, result == QDialog::Accepted ? 1 : 0);
    });
    panel->open();
}

void PreferencesWindowPart::openPanelDidEnd5(QFileDialog *panel, int returnCode, void *) {
    if (returnCode != 1 || !panel)
        return;
    const QStringList chosen = panel->selectedFiles();
    if (!chosen.isEmpty() && storePathlab)
        storePathlab->setText(chosen.first());
}

void PreferencesWindowPart::ClickOverwritePhotosSetting() {
    // Asked only when the tick turns overwriting on, and only until the user has confirmed
    // it once; a setting already on was chosen before.
    if (!overwritePhotoBtn->isChecked() || d.preferences().overwrite ||
        userDefaults()->value(QLatin1String(SettingsKey::OverwriteOriginalsConfirmed)).toBool())
        return;
    auto *question = new QMessageBox(preferenceWindow);
    question->setWindowModality(Qt::WindowModal);
    question->setIcon(QMessageBox::Warning);
    question->setText(AppDelegate::tr("Overwrite the original photos?"));
    question->setInformativeText(AppDelegate::tr(
        "Every edit will then replace the original file of the photo. No copy of the photo as "
        "it was is kept."));
    QPushButton *confirm =
        question->addButton(AppDelegate::tr("Overwrite Originals"), QMessageBox::AcceptRole);
    QPushButton *cancel = question->addButton(AppDelegate::tr("Cancel"), QMessageBox::RejectRole);
    // Return and Escape keep the originals.
    question->setDefaultButton(cancel);
    question->setEscapeButton(cancel);
    d.connect(question, &QMessageBox::finished, &d, [this, question, confirm] {
        if (question->clickedButton() == confirm)
            userDefaults()->setValue(QLatin1String(SettingsKey::OverwriteOriginalsConfirmed), true);
        else if (unoverwritePhotoBtn)
            unoverwritePhotoBtn->setChecked(true);
        question->deleteLater();
    });
    question->open();
}

void PreferencesWindowPart::ResetPreferenceSetting() {
    if (fontPanel)
        fontPanel->hide();
    if (colorwell)
        d.preferences().currentFontColor = colorwell->color();
    d.preferences().postion = postionBtn->currentText();
    d.preferences().dateformat = dateFormatBtn->currentText();
    d.preferences().storagelocation = storePathlab->text();
    d.preferences().compress = compressStampPhotoBtn->isChecked();
    d.preferences().overwrite = overwritePhotoBtn->isChecked();
    storePreferences(*userDefaults(), d.preferences());
    QString why;
    if (!createFolder(d.preferences().storagelocation, &why))
        d.sheets().reportFolderFailure(
            AppDelegate::tr("The folder for changed photos could not be created."),
            d.preferences().storagelocation, why);
    if (preferenceWindow)
        preferenceWindow->hide();
}

void PreferencesWindowPart::ShowFontPanelAction() {
    if (!fontPanel) {
        fontPanel = new QFontDialog(preferenceWindow);
        fontPanel->setOption(QFontDialog::NoButtons, true);
        d.connect(fontPanel, &QFontDialog::currentFontChanged, &d,
                  &AppDelegate::forward<&PreferencesWindowPart::changeFont>);
    }
    QFont start(installedFontFamily(d.preferences().currentFontname));
    start.setPointSize(d.preferences().currentFontSize);
    fontPanel->setCurrentFont(start);
    fontPanel->show();
    fontPanel->raise();
}

void PreferencesWindowPart::changeFont(const QFont &font) {
    if (font.family().isEmpty())
        return;
    d.preferences().currentFontname = font.family();
    d.preferences().currentFontSize =
        font.pointSize() > 0 ? font.pointSize() : d.preferences().currentFontSize;
    if (showFontlab)
        showFontlab->setText(QStringLiteral("%1 %2")
                                 .arg(d.preferences().currentFontname)
                                 .arg(d.preferences().currentFontSize));
}
