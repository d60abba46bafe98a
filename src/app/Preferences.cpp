// The preferences window's actions: show, cancel, folder choice, the paired check boxes,
// save, and the stamp font.
#include "app/AppDelegate.h"

#include "app/core/Settings.h"
#include "platform/ColorWell.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFontDialog>
#include <QLabel>
#include <QMainWindow>

void AppDelegate::ShowPreferenceSetting() {
    if (!preferenceWindow)
        return;
    if (!preferenceWindow->isVisible() && window) {
        preferenceWindow->adjustSize();
        preferenceWindow->move(window->geometry().center() - preferenceWindow->rect().center());
    }
    preferenceWindow->show();
    preferenceWindow->raise();
    preferenceWindow->activateWindow();
}

void AppDelegate::showPreferencesInWindow() {
    const Preferences &p = preferences;
    if (storePathlab)
        storePathlab->setText(p.storagelocation);
    if (compressStampPhotoBtn && uncompressStampPhotoBtn) {
        compressStampPhotoBtn->setChecked(p.compress);
        uncompressStampPhotoBtn->setChecked(!p.compress);
    }
    if (overwritePhotoBtn && unoverwritePhotoBtn) {
        overwritePhotoBtn->setChecked(p.overwrite);
        unoverwritePhotoBtn->setChecked(!p.overwrite);
    }
    if (postionBtn)
        postionBtn->setCurrentText(p.postion);
    if (dateFormatBtn)
        dateFormatBtn->setCurrentText(p.dateformat);
    if (showFontlab)
        showFontlab->setText(QStringLiteral("%1 %2").arg(p.currentFontname).arg(p.currentFontSize));
    if (colorwell)
        colorwell->setColor(p.currentFontColor);
}

void AppDelegate::CancelPreferenceSetting() {
    if (fontPanel)
        fontPanel->hide();
    // A cancelled change must not stay in the window: put back what the program runs with.
    // The font panel changes the font as it goes, so the font comes back from the store.
    auto defaults = userDefaults();
    if (defaults->contains(QLatin1String(SettingsKey::fontName))) {
        preferences.currentFontname =
            defaults->value(QLatin1String(SettingsKey::fontName)).toString();
        bool ok = false;
        const int size = defaults->value(QLatin1String(SettingsKey::fontsize)).toInt(&ok);
        preferences.currentFontSize = (ok && size > 0) ? size : kDefaultFontSize;
    }
    showPreferencesInWindow();
    if (preferenceWindow)
        preferenceWindow->hide();
}

void AppDelegate::ChangeStoreLocation() {
    auto *panel = new QFileDialog(preferenceWindow);
    panel->setAttribute(Qt::WA_DeleteOnClose);
    panel->setFileMode(QFileDialog::Directory);
    panel->setOption(QFileDialog::ShowDirsOnly, true);
    panel->setWindowModality(Qt::WindowModal);
    theChangePanel = panel;
    connect(panel, &QFileDialog::finished, this, [this, panel](int result) {
        openPanelDidEnd5(panel, result == QDialog::Accepted ? 1 : 0);
    });
    panel->open();
}

void AppDelegate::openPanelDidEnd5(QFileDialog *panel, int returnCode, void *) {
    if (returnCode != 1 || !panel)
        return;
    const QStringList chosen = panel->selectedFiles();
    if (!chosen.isEmpty() && storePathlab)
        storePathlab->setText(chosen.first());
}

void AppDelegate::ClickCompressStampPhotosSetting() {
    uncompressStampPhotoBtn->setChecked(!compressStampPhotoBtn->isChecked());
}

void AppDelegate::ClickUnCompressStampPhotosSetting() {
    compressStampPhotoBtn->setChecked(!uncompressStampPhotoBtn->isChecked());
}

void AppDelegate::ClickOverwritePhotosSetting() {
    unoverwritePhotoBtn->setChecked(!overwritePhotoBtn->isChecked());
}

void AppDelegate::ClickUnOverwritePhotosSetting() {
    overwritePhotoBtn->setChecked(!unoverwritePhotoBtn->isChecked());
}

void AppDelegate::ResetPreferenceSetting() {
    if (fontPanel)
        fontPanel->hide();
    if (colorwell)
        preferences.currentFontColor = colorwell->color();
    preferences.postion = postionBtn->currentText();
    preferences.dateformat = dateFormatBtn->currentText();
    preferences.storagelocation = storePathlab->text();
    preferences.compress = compressStampPhotoBtn->isChecked();
    preferences.overwrite = !unoverwritePhotoBtn->isChecked();
    storePreferences(*userDefaults(), preferences);
    QString why;
    if (!createFolder(preferences.storagelocation, &why))
        reportFolderFailure(tr("The folder for changed photos could not be created."),
                            preferences.storagelocation, why);
    if (preferenceWindow)
        preferenceWindow->hide();
}

void AppDelegate::ShowFontPanelAction() {
    if (!fontPanel) {
        fontPanel = new QFontDialog(preferenceWindow);
        fontPanel->setOption(QFontDialog::NoButtons, true);
        connect(fontPanel, &QFontDialog::currentFontChanged, this, &AppDelegate::changeFont);
    }
    QFont start(QStringLiteral("Lucida Grande"));
    start.setPointSize(14);
    fontPanel->setCurrentFont(start);
    fontPanel->show();
    fontPanel->raise();
}

void AppDelegate::changeFont(const QFont &font) {
    if (font.family().isEmpty())
        return;
    preferences.currentFontname = font.family();
    preferences.currentFontSize =
        font.pointSize() > 0 ? font.pointSize() : preferences.currentFontSize;
    if (showFontlab)
        showFontlab->setText(QStringLiteral("%1 %2")
                                 .arg(preferences.currentFontname)
                                 .arg(preferences.currentFontSize));
}
