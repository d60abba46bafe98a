// The preferences window's actions: show, cancel, folder choice, the overwrite confirmation,
// save, and the stamp font.
#include "app/AppDelegate.h"

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

void AppDelegate::ShowPreferenceSetting() {
    if (!preferencesWindow.preferenceWindow)
        return;
    if (!preferencesWindow.preferenceWindow->isVisible() && window) {
        preferencesWindow.preferenceWindow->adjustSize();
        preferencesWindow.preferenceWindow->move(
            window->geometry().center() - preferencesWindow.preferenceWindow->rect().center());
    }
    preferencesWindow.preferenceWindow->show();
    preferencesWindow.preferenceWindow->raise();
    preferencesWindow.preferenceWindow->activateWindow();
}

void AppDelegate::showPreferencesInWindow() {
    const Preferences &p = preferences;
    if (preferencesWindow.storePathlab)
        preferencesWindow.storePathlab->setText(p.storagelocation);
    // In a group of radio buttons only ticking one unticks the other.
    if (preferencesWindow.compressStampPhotoBtn && preferencesWindow.uncompressStampPhotoBtn)
        (p.compress ? preferencesWindow.compressStampPhotoBtn
                    : preferencesWindow.uncompressStampPhotoBtn)
            ->setChecked(true);
    if (preferencesWindow.overwritePhotoBtn && preferencesWindow.unoverwritePhotoBtn)
        (p.overwrite ? preferencesWindow.overwritePhotoBtn : preferencesWindow.unoverwritePhotoBtn)
            ->setChecked(true);
    if (preferencesWindow.postionBtn)
        preferencesWindow.postionBtn->setCurrentText(p.postion);
    if (preferencesWindow.dateFormatBtn)
        preferencesWindow.dateFormatBtn->setCurrentText(p.dateformat);
    if (preferencesWindow.showFontlab)
        preferencesWindow.showFontlab->setText(
            QStringLiteral("%1 %2").arg(p.currentFontname).arg(p.currentFontSize));
    if (preferencesWindow.colorwell)
        preferencesWindow.colorwell->setColor(p.currentFontColor);
}

void AppDelegate::CancelPreferenceSetting() {
    if (preferencesWindow.fontPanel)
        preferencesWindow.fontPanel->hide();
    // A cancelled change must not stay in the window: put back what the program runs with.
    // The font panel changes the font as it goes, so the font comes back from the store.
    auto defaults = userDefaults();
    if (defaults->contains(QLatin1String(SettingsKey::fontName))) {
        preferences.currentFontname =
            installedFontFamily(defaults->value(QLatin1String(SettingsKey::fontName)).toString());
        bool ok = false;
        const int size = defaults->value(QLatin1String(SettingsKey::fontsize)).toInt(&ok);
        preferences.currentFontSize = (ok && size > 0) ? size : kDefaultFontSize;
    }
    showPreferencesInWindow();
    if (preferencesWindow.preferenceWindow)
        preferencesWindow.preferenceWindow->hide();
}

void AppDelegate::ChangeStoreLocation() {
    auto *panel = new QFileDialog(preferencesWindow.preferenceWindow);
    panel->setAttribute(Qt::WA_DeleteOnClose);
    panel->setFileMode(QFileDialog::Directory);
    panel->setOption(QFileDialog::ShowDirsOnly, true);
    panel->setWindowModality(Qt::WindowModal);
    preferencesWindow.theChangePanel = panel;
    connect(panel, &QFileDialog::finished, this, [this, panel](int result) {
        openPanelDidEnd5(panel, result == QDialog::Accepted ? 1 : 0);
    });
    panel->open();
}

void AppDelegate::openPanelDidEnd5(QFileDialog *panel, int returnCode, void *) {
    if (returnCode != 1 || !panel)
        return;
    const QStringList chosen = panel->selectedFiles();
    if (!chosen.isEmpty() && preferencesWindow.storePathlab)
        preferencesWindow.storePathlab->setText(chosen.first());
}

void AppDelegate::ClickOverwritePhotosSetting() {
    // Asked only when the tick turns overwriting on, and only until the user has confirmed
    // it once; a setting already on was chosen before.
    if (!preferencesWindow.overwritePhotoBtn->isChecked() || preferences.overwrite ||
        userDefaults()->value(QLatin1String(SettingsKey::OverwriteOriginalsConfirmed)).toBool())
        return;
    auto *question = new QMessageBox(preferencesWindow.preferenceWindow);
    question->setWindowModality(Qt::WindowModal);
    question->setIcon(QMessageBox::Warning);
    question->setText(tr("Overwrite the original photos?"));
    question->setInformativeText(
        tr("Every edit will then replace the original file of the photo. No copy of the photo as "
           "it was is kept."));
    QPushButton *confirm = question->addButton(tr("Overwrite Originals"), QMessageBox::AcceptRole);
    QPushButton *cancel = question->addButton(tr("Cancel"), QMessageBox::RejectRole);
    // Return and Escape keep the originals.
    question->setDefaultButton(cancel);
    question->setEscapeButton(cancel);
    connect(question, &QMessageBox::finished, this, [this, question, confirm] {
        if (question->clickedButton() == confirm)
            userDefaults()->setValue(QLatin1String(SettingsKey::OverwriteOriginalsConfirmed), true);
        else if (preferencesWindow.unoverwritePhotoBtn)
            preferencesWindow.unoverwritePhotoBtn->setChecked(true);
        question->deleteLater();
    });
    question->open();
}

void AppDelegate::ResetPreferenceSetting() {
    if (preferencesWindow.fontPanel)
        preferencesWindow.fontPanel->hide();
    if (preferencesWindow.colorwell)
        preferences.currentFontColor = preferencesWindow.colorwell->color();
    preferences.postion = preferencesWindow.postionBtn->currentText();
    preferences.dateformat = preferencesWindow.dateFormatBtn->currentText();
    preferences.storagelocation = preferencesWindow.storePathlab->text();
    preferences.compress = preferencesWindow.compressStampPhotoBtn->isChecked();
    preferences.overwrite = preferencesWindow.overwritePhotoBtn->isChecked();
    storePreferences(*userDefaults(), preferences);
    QString why;
    if (!createFolder(preferences.storagelocation, &why))
        reportFolderFailure(tr("The folder for changed photos could not be created."),
                            preferences.storagelocation, why);
    if (preferencesWindow.preferenceWindow)
        preferencesWindow.preferenceWindow->hide();
}

void AppDelegate::ShowFontPanelAction() {
    if (!preferencesWindow.fontPanel) {
        preferencesWindow.fontPanel = new QFontDialog(preferencesWindow.preferenceWindow);
        preferencesWindow.fontPanel->setOption(QFontDialog::NoButtons, true);
        connect(preferencesWindow.fontPanel, &QFontDialog::currentFontChanged, this,
                &AppDelegate::changeFont);
    }
    QFont start(installedFontFamily(preferences.currentFontname));
    start.setPointSize(preferences.currentFontSize);
    preferencesWindow.fontPanel->setCurrentFont(start);
    preferencesWindow.fontPanel->show();
    preferencesWindow.fontPanel->raise();
}

void AppDelegate::changeFont(const QFont &font) {
    if (font.family().isEmpty())
        return;
    preferences.currentFontname = font.family();
    preferences.currentFontSize =
        font.pointSize() > 0 ? font.pointSize() : preferences.currentFontSize;
    if (preferencesWindow.showFontlab)
        preferencesWindow.showFontlab->setText(QStringLiteral("%1 %2")
                                                   .arg(preferences.currentFontname)
                                                   .arg(preferences.currentFontSize));
}
